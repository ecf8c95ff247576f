#pragma once
// The 16-bit cyclic redundancy check of DWG files: the reflected CRC-16 with
// polynomial 0xA001, run from a seed. Every R2000 section and object uses
// the seed kDwgCrcSeed; the object map stores its sums big-endian, all
// others little-endian.
#include <cstddef>
#include <cstdint>

namespace ostrel::cad::dwg {

constexpr std::uint16_t kDwgCrcSeed = 0xC0C1;

// Continues a sum over n bytes; start with the seed.
std::uint16_t Crc16(std::uint16_t seed, const std::uint8_t* data, std::size_t n);

} // namespace ostrel::cad::dwg
