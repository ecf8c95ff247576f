#pragma once
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// True for the releases SaveDwg writes.
bool DwgWrites(Release release);

// Writes the drawing as DWG of the release, atomically. Throws CadError
// (for a release it cannot write, too).
void SaveDwg(Drawing& d, Release release, const std::string& path);

} // namespace ostrel::cad
