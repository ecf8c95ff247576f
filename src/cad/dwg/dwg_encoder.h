#pragma once
// Builds the complete image of an R2000 (AC1015) DWG file from a drawing.
#include <cstdint>
#include <functional>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

// The drawing must be normalised (NormalizeForSave). It gains a handle for
// the VX record of each VIEWPORT entity. Throws CadError on references the
// format cannot hold.
std::vector<std::uint8_t> EncodeDwg(Drawing& d);
// The same bytes, handed to `write` piece by piece in file order.
void EncodeDwg(Drawing& d, const std::function<void(const std::uint8_t*, std::size_t)>& write);

} // namespace ostrel::cad::dwg
