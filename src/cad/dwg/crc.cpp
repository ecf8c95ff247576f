#include "cad/dwg/crc.h"

#include <array>

namespace ostrel::cad::dwg {

namespace {

// Eight tables: table[0] is the usual byte table; table[k] advances a sum
// over a byte followed by k zero bytes, so eight bytes take eight lookups
// and no dependency chain between them.
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t c = static_cast<std::uint16_t>(i);
        for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001) : static_cast<std::uint16_t>(c >> 1);
        t[0][i] = c;
    }
    for (unsigned i = 0; i < 256; ++i)
        for (unsigned k = 1; k < 8; ++k)
            t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr Tables kTables = MakeTables();

} // namespace

std::uint16_t Crc16(std::uint16_t seed, const std::uint8_t* data, std::size_t n) {
    std::uint16_t crc = seed;
    while (n >= 8) {
        const std::uint8_t b0 = static_cast<std::uint8_t>(data[0] ^ (crc & 0xFF));
        const std::uint8_t b1 = static_cast<std::uint8_t>(data[1] ^ (crc >> 8));
        crc = static_cast<std::uint16_t>(kTables[7][b0] ^ kTables[6][b1] ^ kTables[5][data[2]] ^ kTables[4][data[3]] ^
                                         kTables[3][data[4]] ^ kTables[2][data[5]] ^ kTables[1][data[6]] ^
                                         kTables[0][data[7]]);
        data += 8;
        n -= 8;
    }
    for (std::size_t i = 0; i < n; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTables[0][(crc ^ data[i]) & 0xFF]);
    return crc;
}

} // namespace ostrel::cad::dwg
