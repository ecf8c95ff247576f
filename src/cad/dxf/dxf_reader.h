#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "cad/drawing.h"

namespace ostrel::cad {

// Reads a DXF file, ASCII or binary, into a drawing. Throws CadError (with
// the line) on anything it cannot read.
std::unique_ptr<Drawing> ReadDxf(const std::string& path);
// The same for the text of a DXF file held in memory.
std::unique_ptr<Drawing> ReadDxfText(std::string_view text);

} // namespace ostrel::cad
