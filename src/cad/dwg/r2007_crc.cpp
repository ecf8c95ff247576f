#include "cad/dwg/r2007_crc.h"

#include <algorithm>
#include <array>

namespace ostrel::cad::dwg::r2007 {

namespace {

using Table = std::array<std::uint64_t, 256>;

constexpr Table MakeNormalTable() {
    Table t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint64_t c = static_cast<std::uint64_t>(i) << 56;
        for (int k = 0; k < 8; ++k) c = (c & (std::uint64_t{1} << 63)) ? (c << 1) ^ 0x42F0E1EBA9EA3693ULL : c << 1;
        t[i] = c;
    }
    return t;
}

constexpr Table MakeMirroredTable() {
    Table t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint64_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0x95AC9329AC4BC9B5ULL : c >> 1;
        t[i] = c;
    }
    return t;
}

constexpr Table kNormal = MakeNormalTable();
constexpr Table kMirrored = MakeMirroredTable();

inline std::uint64_t NormalStep(std::uint64_t crc, std::uint8_t b) { return kNormal[(b ^ (crc >> 56)) & 0xFF] ^ (crc << 8); }
inline std::uint64_t MirroredStep(std::uint64_t crc, std::uint8_t b) { return kMirrored[(crc ^ b) & 0xFF] ^ (crc >> 8); }

// Byte order inside a tail of 1-7 bytes.
constexpr std::uint8_t kTailOrder[8][7] = {{},           {0},           {0, 1},           {0, 1, 2},
                                           {2, 3, 0, 1}, {2, 3, 0, 1, 4}, {2, 3, 0, 1, 4, 5}, {2, 3, 0, 1, 4, 5, 6}};
constexpr std::uint8_t kBlockOrder[8] = {6, 7, 4, 5, 2, 3, 0, 1};

template <class Visit>
void InBlockOrder(const std::uint8_t* data, std::size_t n, Visit&& visit) {
    while (n >= 8) {
        for (std::uint8_t i : kBlockOrder) visit(data[i]);
        data += 8;
        n -= 8;
    }
    for (std::size_t i = 0; i < n; ++i) visit(data[kTailOrder[n][i]]);
}

} // namespace

std::uint64_t Crc64NormalPlain(std::uint64_t crc, const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) crc = NormalStep(crc, data[i]);
    return crc;
}

std::uint64_t Crc64MirroredPlain(std::uint64_t crc, const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) crc = MirroredStep(crc, data[i]);
    return crc;
}

std::uint64_t Crc64Normal(std::uint64_t seed, const std::uint8_t* data, std::size_t n) {
    std::uint64_t crc = seed;
    InBlockOrder(data, n, [&](std::uint8_t b) { crc = NormalStep(crc, b); });
    return ~crc;
}

std::uint64_t Crc64Mirrored(std::uint64_t seed, const std::uint8_t* data, std::size_t n) {
    std::uint64_t crc = seed;
    InBlockOrder(data, n, [&](std::uint8_t b) { crc = MirroredStep(crc, b); });
    return crc;
}

std::uint64_t UpdateSeed1(std::uint64_t seed, std::uint64_t length) {
    seed = (seed + length) * 0x343FDULL + 0x269EC3ULL;
    seed |= seed * (0x343FDULL << 32) + (0x269EC3ULL << 32);
    return ~seed;
}

std::uint64_t UpdateSeed2(std::uint64_t seed, std::uint64_t length) {
    seed = (seed + length) * 0x343FDULL + 0x269EC3ULL;
    seed = seed * ((std::uint64_t{1} << 32) + 0x343FDULL) + (length + 0x269EC3ULL);
    return ~seed;
}

std::uint32_t PageChecksum(std::uint64_t seed, const std::uint8_t* data, std::size_t n) {
    seed = (seed + n) * 0x343FDULL + 0x269EC3ULL;
    std::uint32_t sum1 = static_cast<std::uint32_t>(seed & 0xFFFF);
    std::uint32_t sum2 = static_cast<std::uint32_t>((seed >> 16) & 0xFFFF);
    // 0x15B0 bytes keep both sums inside 32 bits before they are reduced.
    while (n != 0) {
        const std::size_t chunk = std::min<std::size_t>(0x15B0, n);
        InBlockOrder(data, chunk, [&](std::uint8_t b) {
            sum1 += b;
            sum2 += sum1;
        });
        data += chunk;
        n -= chunk;
        sum1 %= 0xFFF1;
        sum2 %= 0xFFF1;
    }
    return (sum2 << 16) | (sum1 & 0xFFFF);
}

} // namespace ostrel::cad::dwg::r2007
