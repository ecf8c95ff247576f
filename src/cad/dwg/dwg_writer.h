#pragma once
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// True for the releases SaveDwg writes.
bool DwgWrites(Release release);

// Writes the drawing as DWG of the release, atomically. The drawing must be
// normalised (NormalizeForSave); it is left as it is, and writing it again
// gives the same bytes but for the time stamps. Throws CadError (for a
// release it cannot write, too).
void WriteDwg(const Drawing& d, Release release, const std::string& path);

// The save of a drawing its caller owns: normalises it in place, then
// writes it (WriteDwg).
void SaveDwg(Drawing& d, Release release, const std::string& path);

} // namespace ostrel::cad
