#include "cad/dwg/dwg_reader.h"

namespace ostrel::cad {

std::unique_ptr<Drawing> ReadDwg(const std::string& path) {
    throw CadError("DWG reader not built yet: " + path);
}

} // namespace ostrel::cad
