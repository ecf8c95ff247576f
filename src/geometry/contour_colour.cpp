// Placeholder: contour colours arrive with their own change.
#include "geometry/contour_colour.h"

namespace ostrel {
std::int32_t ContourColour(std::string_view, std::int32_t code) { return code; }
} // namespace ostrel
