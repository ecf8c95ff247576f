#include "cad/dwg/r2007_random.h"

namespace ostrel::cad::dwg::r2007 {

namespace {
constexpr unsigned kTableSize = 0x270;
constexpr unsigned kFillWords = 0x80;

// Value bit -> position in the encoded word (bits 0-4 in the high half).
constexpr struct {
    std::uint32_t valueBit;
    std::uint64_t wordBit;
} kSpread[] = {
    {0x200, 0x20},
    {0x100, 0x800},
    {0x80, 0x20000},
    {0x40, 0x800000},
    {0x20, 0x20000000},
    {0x10, std::uint64_t{0x08} << 32},
    {0x8, std::uint64_t{0x200} << 32},
    {0x4, std::uint64_t{0x8000} << 32},
    {0x2, std::uint64_t{0x200000} << 32},
    {0x1, std::uint64_t{0x8000000} << 32},
};
} // namespace

CrcRandom::CrcRandom(std::uint64_t seed) {
    table_[0] = static_cast<std::uint32_t>(seed) * 0x343FDu + 0x269EC3u;
    table_[1] = static_cast<std::uint32_t>(seed >> 32) * 0x343FDu + 0x269EC3u;
    std::uint32_t value = table_[1];
    for (unsigned i = 2; i < kTableSize; ++i) {
        value = ((value >> 30) ^ value) * 0x6C078965u + i;
        table_[i] = value;
    }
    // The filler words are the first 0x80 table words; the word stream
    // continues after them.
    index_ = kFillWords;
}

std::uint64_t CrcRandom::Next() {
    index_ += 2;
    if (index_ >= kTableSize) index_ = 0;
    return static_cast<std::uint64_t>(table_[index_]) | (static_cast<std::uint64_t>(table_[index_ + 1]) << 32);
}

std::uint64_t CrcRandom::Encode(std::uint32_t value) {
    std::uint64_t word = Next() & ((std::uint64_t{0xF7DF7DF7} << 32) | 0xDF7DF7DFu);
    for (const auto& s : kSpread)
        if (value & s.valueBit) word |= s.wordBit;
    return word;
}

std::uint32_t CrcRandom::Decode(std::uint64_t encoded) {
    std::uint32_t value = 0;
    for (const auto& s : kSpread)
        if (encoded & s.wordBit) value |= s.valueBit;
    return value;
}

void CrcRandom::Fill(std::uint8_t* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t word = table_[(fillAt_ / 4) % kFillWords];
        out[i] = static_cast<std::uint8_t>(word >> (8 * (fillAt_ % 4)));
        fillAt_ = (fillAt_ + 1) % (kFillWords * 4);
    }
}

} // namespace ostrel::cad::dwg::r2007
