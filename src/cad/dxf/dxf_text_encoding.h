#pragma once
// Windows-1252 to UTF-8, for the releases that store UTF-8 (R2007 on).
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel::cad::dxf {

// Writes the UTF-8 form of one Windows-1252 byte at p (1 to 3 bytes) and
// returns the end. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page
// leaves undefined, become U+0081 ... as Windows converts them.
char* AppendCp1252AsUtf8(unsigned char c, char* p);

// The Unicode code point of one Windows-1252 byte (the same mapping).
std::uint16_t Cp1252CodePoint(unsigned char c);

std::string Cp1252ToUtf8(std::string_view bytes);

} // namespace ostrel::cad::dxf
