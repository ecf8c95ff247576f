#pragma once
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// Writes the drawing as ASCII DXF of the release, atomically (a temporary
// file in the target folder renamed over path when complete). The drawing
// must be normalised (NormalizeForSave); it is left as it is, and writing it
// again gives the same bytes. Throws CadError.
void WriteDxf(const Drawing& d, Release release, const std::string& path);

// The save of a drawing its caller owns: normalises it in place, then
// writes it (WriteDxf).
void SaveDxf(Drawing& d, Release release, const std::string& path);

} // namespace ostrel::cad
