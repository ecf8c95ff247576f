#pragma once
#include <cstdint>
#include <string_view>

namespace ostrel {

// The colour code of a contour entity from its layer name and record colour
// code, through COLORTABLE's own entry, MajorContour and MinorContour.
std::int32_t ContourColour(std::string_view name, std::int32_t colourCode);

} // namespace ostrel
