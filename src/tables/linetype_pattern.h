#pragma once
// The dash pattern of a four-digit line style code.
#include <array>
#include <cstdint>

namespace ostrel {

// The code written with at least four digits; its first four digits, each
// divided by 10 in single precision: dash, gap, dash, gap. Digits beyond the
// fourth are ignored; a character that is not a digit (the sign of a negative
// code) counts as 0.
std::array<float, 4> LinetypeElements(std::int32_t code);

// The pattern's total length: the four elements summed in double precision.
double LinetypePatternLength(const std::array<float, 4>& elements);

} // namespace ostrel
