#pragma once
#include <memory>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad {

// Reads a DWG file into a drawing. Throws CadError on anything it cannot read.
std::unique_ptr<Drawing> ReadDwg(const std::string& path);

} // namespace ostrel::cad
