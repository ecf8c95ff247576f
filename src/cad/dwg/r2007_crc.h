#pragma once
// The check sums of the R2007 (AC1021) container.
//
// Both 64-bit CRCs and the 32-bit page checksum walk their bytes in the
// format's own block order, not front to back: eight bytes at a time as
// 6,7,4,5,2,3,0,1; a tail of 1-7 bytes as 0 | 0,1 | 0,1,2 | 2,3,0,1 |
// 2,3,0,1,4 | 2,3,0,1,4,5 | 2,3,0,1,4,5,6.
//  - "normal" CRC-64: ECMA-182 polynomial, most significant bit first, the
//    result complemented;
//  - "mirrored" CRC-64: the reflected form with the Jones polynomial
//    (0x95AC9329AC4BC9B5), not complemented;
//  - the page checksum: the Adler-32 variant seeded through the same linear
//    congruential step the seed updates use.
#include <cstddef>
#include <cstdint>

namespace ostrel::cad::dwg::r2007 {

// Plain byte-order cores (front to back), for known-answer checks.
std::uint64_t Crc64NormalPlain(std::uint64_t crc, const std::uint8_t* data, std::size_t n);
std::uint64_t Crc64MirroredPlain(std::uint64_t crc, const std::uint8_t* data, std::size_t n);

// The container's sums (block order; the normal one complemented at the end).
std::uint64_t Crc64Normal(std::uint64_t seed, const std::uint8_t* data, std::size_t n);
std::uint64_t Crc64Mirrored(std::uint64_t seed, const std::uint8_t* data, std::size_t n);

// The two seed preparations, run on the seed and the length of the data.
std::uint64_t UpdateSeed1(std::uint64_t seed, std::uint64_t length);
std::uint64_t UpdateSeed2(std::uint64_t seed, std::uint64_t length);

// The checksum of a data page's uncompressed bytes.
std::uint32_t PageChecksum(std::uint64_t seed, const std::uint8_t* data, std::size_t n);

} // namespace ostrel::cad::dwg::r2007
