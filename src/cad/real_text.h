#pragma once
// Doubles as the shortest decimal text that reads back as the same value,
// spelled exactly as std::to_chars(first, last, value) spells it (plain
// notation where it is not longer than scientific, "-0" for negative zero),
// but faster for the values drawings are mostly made of: numbers of up to
// 15 significant digits, such as survey coordinates.
#include <cstddef>

namespace ostrel::cad {

// Room WriteShortestReal may use.
constexpr std::size_t kRealTextRoom = 32;

// Writes the text of the value at out (kRealTextRoom bytes of room) and
// returns the end. Infinities and NaN are written as std::to_chars writes them.
char* WriteShortestReal(char* out, double value) noexcept;

} // namespace ostrel::cad
