#pragma once
// The LZ77 variant of R2004 pages: a literal run, then opcodes that copy
// earlier output (offset, length) followed by literal bytes, ended by 0x11.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel::cad::dwg {

// Appends the compressed form of n bytes (n >= 4): stored as one literal
// run, which every reader expands and costs no search.
void CompressR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out);

// Appends the literal-length bytes that open a stream of one literal run of
// n bytes (n >= 4); CompressR2004 is these, the bytes and 0x11.
void LiteralRunStart(std::size_t n, std::vector<std::uint8_t>& out);

// Expands [data, data + n) into out[0, capacity); returns the bytes made.
// Throws CadError on a stream that is damaged or expands past `capacity`.
std::size_t DecompressR2004(const std::uint8_t* data, std::size_t n, std::uint8_t* out, std::size_t capacity);

} // namespace ostrel::cad::dwg
