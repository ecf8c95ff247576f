#pragma once
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// Writes the drawing as ASCII DXF of the release, atomically (a temporary
// file in the target folder renamed over path when complete). Throws CadError.
void SaveDxf(Drawing& d, Release release, const std::string& path);

} // namespace ostrel::cad
