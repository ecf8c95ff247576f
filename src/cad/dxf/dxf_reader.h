#pragma once
#include <memory>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// Reads an ASCII DXF file into a drawing. Throws CadError (with the line) on
// anything it cannot read.
std::unique_ptr<Drawing> ReadDxf(const std::string& path);

} // namespace ostrel::cad
