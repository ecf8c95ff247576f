#pragma once
// Drawing colour indexes as the toolkit takes them.
#include <cstdint>
#include <string_view>

#include "run/record_reader.h"   // NarrowColourIndex

namespace ostrel {

// The colour code of a record field: its number taken to the nearest 32-bit
// whole number, halves to the even neighbour (Overflow when it does not fit).
std::int32_t ColourCodeField(int n, std::string_view line);

} // namespace ostrel
