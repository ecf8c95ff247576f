#include "cad/dwg/bit_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "cad/dxf/dxf_text_encoding.h"

namespace ostrel::cad::dwg {

void BitWriter::Clear() {
    std::fill(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(std::min(buf_.size(), ByteSize() + 8)), 0);
    bits_ = 0;
}

void BitWriter::OpenBytes(std::size_t at, std::size_t n) {
    const std::size_t end = ByteSize();
    Reserve(static_cast<unsigned>(n * 8));
    std::memmove(buf_.data() + at + n, buf_.data() + at, end - at);
    std::memset(buf_.data() + at, 0, n);
    bits_ += n * 8;
}

std::vector<std::uint8_t> BitWriter::Release() {
    buf_.resize(ByteSize());
    std::vector<std::uint8_t> out = std::move(buf_);
    buf_ = {};
    bits_ = 0;
    return out;
}

void BitWriter::Grow(unsigned n) {
    // Double the zeroed part, but within the reserved capacity while it lasts.
    const std::size_t need = ((bits_ + n) >> 3) + 8;
    std::size_t size = std::max<std::size_t>(64, buf_.size() * 2);
    if (buf_.capacity() >= need) size = std::min(size, buf_.capacity());
    buf_.resize(std::max(size, need), 0);
}

void BitWriter::PatchBits(std::size_t bitPos, std::uint32_t value, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
        std::size_t p = bitPos + i;
        std::uint8_t mask = static_cast<std::uint8_t>(0x80u >> (p & 7));
        bool bit = (value >> (n - 1 - i)) & 1u;
        if (bit) buf_[p >> 3] = static_cast<std::uint8_t>(buf_[p >> 3] | mask);
        else buf_[p >> 3] = static_cast<std::uint8_t>(buf_[p >> 3] & ~mask);
    }
}

void BitWriter::PatchRL(std::size_t bitPos, std::uint32_t value) {
    // Clear the 32 bits, then lay the little-endian bytes over them.
    const std::size_t byte = bitPos >> 3;
    const unsigned offset = static_cast<unsigned>(bitPos & 7);
    const std::uint64_t mask = std::uint64_t{0xFFFFFFFFu} << (32 - offset);
    const std::uint64_t bits = static_cast<std::uint64_t>(__builtin_bswap32(value)) << (32 - offset);
    for (unsigned k = 0; k < 5; ++k) {
        const auto m = static_cast<std::uint8_t>(mask >> (56 - 8 * k));
        const auto b = static_cast<std::uint8_t>(bits >> (56 - 8 * k));
        buf_[byte + k] = static_cast<std::uint8_t>((buf_[byte + k] & ~m) | b);
    }
}

void BitWriter::B3(unsigned v) {
    switch (v) {
    case 0: Bits(0, 1); break;
    case 2: Bits(2, 2); break;
    case 6: Bits(6, 3); break;
    default: Bits(7, 3); break;
    }
}

void BitWriter::TV8(std::string_view s) {
    std::size_t n = s.size() > 0x7FFF ? 0x7FFF : s.size();
    BS(static_cast<std::int16_t>(n));
    for (std::size_t i = 0; i < n; ++i) Bits(static_cast<std::uint8_t>(s[i]), 8);
}

void BitWriter::TU(std::string_view s) {
    std::size_t n = s.size() > 0x7FFF ? 0x7FFF : s.size();
    BS(static_cast<std::int16_t>(n));
    for (std::size_t i = 0; i < n; ++i) RS(dxf::Cp1252CodePoint(static_cast<unsigned char>(s[i])));
}

void BitWriter::BLL(std::uint64_t v) {
    unsigned n = 0;
    while (n < 8 && (v >> (8 * n)) != 0) ++n;
    Bits(n, 3);
    for (unsigned k = 0; k < n; ++k) Bits(static_cast<std::uint32_t>((v >> (8 * k)) & 0xFF), 8);
}

void BitWriter::EndStrings(const BitWriter& strings) {
    const std::size_t bits = strings.BitPosition();
    if (bits > 0x3FFFFFFF) throw CadError("cannot write DWG: the texts of an object are too long");
    if (bits > 0) {
        AppendBits(strings, bits);
        if (bits >= 0x8000) {
            RS(static_cast<std::uint16_t>(bits >> 15));
            RS(static_cast<std::uint16_t>(0x8000 | (bits & 0x7FFF)));
        } else {
            RS(static_cast<std::uint16_t>(bits));
        }
    }
    B(bits > 0);
}

void BitWriter::AppendBits(const BitWriter& other, std::size_t bits) {
    const std::uint8_t* p = other.Data();
    std::size_t whole = bits / 8;
    for (std::size_t i = 0; i < whole; ++i) Bits(p[i], 8);
    if (const unsigned rest = static_cast<unsigned>(bits % 8)) Bits(static_cast<std::uint32_t>(p[whole] >> (8 - rest)), rest);
}

void BitWriter::BE(const Vec3& e) {
    if (e.x == 0 && e.y == 0 && e.z == 1) { B(true); return; }
    B(false);
    BD3(e);
}

void BitWriter::BT(double t) {
    if (DoubleBits(t) == 0) { B(true); return; }
    B(false);
    BD(t);
}

void BitWriter::DD(double v, double def) {
    const std::uint64_t u = DoubleBits(v), d = DoubleBits(def);
    const auto low = static_cast<std::uint32_t>(u);
    if (u == d) {
        Bits(0, 2);
    } else if ((u >> 32) == (d >> 32)) {       // only the low four bytes differ
        Bits(1, 2);
        Bits(__builtin_bswap32(low), 32);
    } else if ((u >> 48) == (d >> 48)) {       // bytes 5 and 6, then the low four
        Bits(2, 2);
        Bits(static_cast<std::uint32_t>(((u >> 24) & 0xFF00u) | ((u >> 40) & 0xFFu)), 16);
        Bits(__builtin_bswap32(low), 32);
    } else {
        Bits(3, 2);
        RD(v);
    }
}

void BitWriter::Raw(const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) Bits(data[i], 8);
}

void AppendModularChar(std::vector<std::uint8_t>& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(value));
}

void AppendSignedModularChar(std::vector<std::uint8_t>& out, std::int64_t value) {
    bool negative = value < 0;
    std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    while (m >= 0x40) {
        out.push_back(static_cast<std::uint8_t>(0x80 | (m & 0x7F)));
        m >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(m | (negative ? 0x40 : 0)));
}

void AppendModularShort(std::vector<std::uint8_t>& out, std::uint32_t value) {
    while (value >= 0x8000) {
        std::uint32_t word = 0x8000 | (value & 0x7FFF);
        out.push_back(static_cast<std::uint8_t>(word & 0xFF));
        out.push_back(static_cast<std::uint8_t>(word >> 8));
        value >>= 15;
    }
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace ostrel::cad::dwg
