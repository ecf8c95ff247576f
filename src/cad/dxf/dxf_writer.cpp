#include "cad/dxf/dxf_writer.h"

namespace ostrel::cad {

void SaveDxf(Drawing&, Release, const std::string& path) {
    throw CadError("DXF writer not built yet: " + path);
}

} // namespace ostrel::cad
