#include "cad/dwg/dwg_writer.h"

namespace ostrel::cad {

void SaveDwg(Drawing&, Release release, const std::string&) {
    throw CadError(std::string("DWG ") + ReleaseName(release) + " cannot be written yet");
}

} // namespace ostrel::cad
