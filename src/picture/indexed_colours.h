#pragma once
// The 255 indexed colours of CAD drawings as red, green, blue (0..255),
// for a white sheet: index 7 is drawn black.
#include <array>
#include <cstdint>

namespace ostrel::picture {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

Rgb IndexedColour(int index);

} // namespace ostrel::picture
