#include "cad/dxf/dxf_reader.h"

namespace ostrel::cad {

std::unique_ptr<Drawing> ReadDxf(const std::string& path) {
    throw CadError("DXF reader not built yet: " + path);
}

} // namespace ostrel::cad
