#pragma once
// The pseudo-random source of the R2007 (AC1021) container: a table of 0x270
// 32-bit words grown from one 64-bit seed. It hides the 10-bit CRC seeds of
// the file header among random bits ("encoded" seeds), gives the random words
// of the header's check data, and the filler bytes of pages and blocks.
#include <array>
#include <cstddef>
#include <cstdint>

namespace ostrel::cad::dwg::r2007 {

class CrcRandom {
public:
    explicit CrcRandom(std::uint64_t seed);

    // The next 64-bit word (two table words, the first one low).
    std::uint64_t Next();
    // Spreads the low 10 bits of value over fixed bit positions of a fresh
    // random word; Decode gives them back.
    std::uint64_t Encode(std::uint32_t value);
    static std::uint32_t Decode(std::uint64_t encoded);
    // Filler bytes, taken round from the first 0x80 table words (little-endian).
    void Fill(std::uint8_t* out, std::size_t n);

private:
    std::array<std::uint32_t, 0x270> table_{};
    unsigned index_ = 0;
    std::size_t fillAt_ = 0;
};

} // namespace ostrel::cad::dwg::r2007
