#pragma once
// The LZ77 variant of R2007 (AC1021) pages and of the file header.
//
// A stream starts with a literal run, then alternates back-references and
// literal runs. Each back-reference instruction ends in a byte whose low
// three bits give the length (1-7) of the literal run after it; 0 there means
// another instruction follows, or a byte 0x00-0x0F giving a longer run
// (8-22, 0x0F extended by a byte and 16-bit words). Literal bytes are stored
// shuffled: runs of 32 as four 8-byte groups in reverse order, and each
// shorter tail in a fixed order of its own.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel::cad::dwg::lz77r21 {

// Compresses n bytes (n > 0). The result may be longer than the input:
// callers store the input instead when it is not shorter.
std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t n);

// Expands a stream into exactly `size` bytes at dst. Throws CadError when
// the stream is malformed, reaches outside its bounds or gives another size.
void Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst, std::size_t size);

} // namespace ostrel::cad::dwg::lz77r21
