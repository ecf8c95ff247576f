#pragma once
// The LZ77 variant of R2004 pages: a literal run, then opcodes that copy
// earlier output (offset, length) followed by literal bytes, ended by 0x11.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel::cad::dwg {

// Appends the compressed form of n bytes (n >= 4): literal runs and copies
// of earlier bytes (at most 0x7FFF back) found by a greedy search of one
// candidate per four-byte prefix, ended by 0x11.
void CompressR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out);

// Appends n bytes (n >= 4) as one literal run: a stream whose size follows
// from n alone (the page map's own page, whose size is known before it is made).
void StoreR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out);

// Expands [data, data + n) into out[0, capacity); returns the bytes made.
// Throws CadError on a stream that is damaged or expands past `capacity`.
std::size_t DecompressR2004(const std::uint8_t* data, std::size_t n, std::uint8_t* out, std::size_t capacity);

} // namespace ostrel::cad::dwg
