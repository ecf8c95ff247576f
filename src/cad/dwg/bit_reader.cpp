#include "cad/dwg/bit_reader.h"

#include <cstring>

#include "cad/dxf/dxf_read_text.h"

namespace ostrel::cad::dwg {

Handle HandleRef::Resolve(Handle self) const {
    switch (code) {
    case 0x6: return self + 1;
    case 0x8: return self - 1;
    case 0xA: return self + value;
    case 0xC: return self - value;
    default: return value;
    }
}

BitReader::BitReader(const std::uint8_t* data, std::size_t size, const char* what)
    : data_(data), limit_(size * 8), what_(what) {}

void BitReader::Fail(const std::string& message) const {
    throw CadError(std::string("DWG ") + what_ + ": " + message);
}

void BitReader::SetBitPosition(std::size_t pos) {
    if (pos > limit_) Fail("a position lies beyond the end of the data");
    pos_ = pos;
}

void BitReader::SetBitLimit(std::size_t bits) {
    if (bits > limit_) Fail("a size reaches beyond the end of the data");
    limit_ = bits;
    if (pos_ > limit_) pos_ = limit_;
}

void BitReader::SetStrings(std::size_t endBit) {
    if (endBit == 0 || endBit > limit_) Fail("its data size reaches beyond its end");
    pos_ = endBit - 1;
    if (!B()) {
        limit_ = pos_ = endBit - 1;
        return;
    }
    if (endBit < 17) Fail("its texts' size is missing");
    std::size_t at = endBit - 17;
    pos_ = at;
    std::uint32_t size = RS();
    if (size & 0x8000) {
        if (at < 16) Fail("its texts' size is missing");
        at -= 16;
        pos_ = at;
        size = (size & 0x7FFF) | (static_cast<std::uint32_t>(RS()) << 15);
    }
    if (size > at) Fail("its texts reach before its start");
    pos_ = at - size;
    limit_ = at;
}

void BitReader::Skip(std::size_t bits) {
    if (bits > BitsLeft()) Fail("the data ends early (truncated or damaged)");
    pos_ += bits;
}

void BitReader::RequireItems(std::uint64_t count, unsigned minBits, const char* what) const {
    if (count > BitsLeft() / (minBits ? minBits : 1))
        Fail(std::string("a count of ") + std::to_string(count) + " " + what + " does not fit in the data");
}

std::uint32_t BitReader::Bits(unsigned n) {
    if (n > BitsLeft()) Fail("the data ends early (truncated or damaged)");
    std::uint32_t v = 0;
    while (n > 0) {
        unsigned offset = pos_ & 7;
        unsigned avail = 8 - offset;
        unsigned take = n < avail ? n : avail;
        std::uint32_t byte = data_[pos_ >> 3];
        std::uint32_t chunk = (byte >> (avail - take)) & ((1u << take) - 1u);
        v = (v << take) | chunk;
        pos_ += take;
        n -= take;
    }
    return v;
}

unsigned BitReader::B3() {
    unsigned v = 0;
    for (int i = 0; i < 3; ++i) {
        unsigned b = Bits(1);
        v = (v << 1) | b;
        if (!b) break;
    }
    return v;
}

std::int16_t BitReader::BS() {
    switch (Bits(2)) {
    case 0: return static_cast<std::int16_t>(RS());
    case 1: return static_cast<std::int16_t>(Bits(8));
    case 2: return 0;
    default: return 256;
    }
}

std::int32_t BitReader::BL() {
    switch (Bits(2)) {
    case 0: return static_cast<std::int32_t>(RL());
    case 1: return static_cast<std::int32_t>(Bits(8));
    case 2: return 0;
    default: Fail("a bit-long uses the unused code 11");
    }
}

double BitReader::BD() {
    switch (Bits(2)) {
    case 0: return RD();
    case 1: return 1.0;
    case 2: return 0.0;
    default: Fail("a bit-double uses the unused code 11");
    }
}

std::uint16_t BitReader::RS() {
    std::uint32_t lo = Bits(8);
    std::uint32_t hi = Bits(8);
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::uint32_t BitReader::RL() {
    std::uint32_t v = 0;
    for (unsigned k = 0; k < 4; ++k) v |= Bits(8) << (8 * k);
    return v;
}

double BitReader::RD() {
    std::uint64_t u = 0;
    for (unsigned k = 0; k < 8; ++k) u |= static_cast<std::uint64_t>(Bits(8)) << (8 * k);
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

HandleRef BitReader::H() {
    if (handles) return handles->H();
    HandleRef r;
    std::uint32_t head = Bits(8);
    r.code = static_cast<std::uint8_t>(head >> 4);
    unsigned count = head & 0xF;
    if (count > 8) Fail("a handle is longer than eight bytes");
    for (unsigned k = 0; k < count; ++k) r.value = (r.value << 8) | Bits(8);
    return r;
}

std::int16_t BitReader::CMC() {
    std::int16_t index = BS();
    if (!fullColour) return index;
    const std::uint32_t value = static_cast<std::uint32_t>(BL());
    const std::uint8_t flags = RC();
    if (flags & 1) TV();
    if (flags & 2) TV();
    if (index == 0 && (value >> 24) == 0xC3) index = static_cast<std::int16_t>(value & 0xFF);
    if (index == 0 && (value >> 24) == 0xC0) index = 256;
    return index;
}

std::string BitReader::TU() {
    static const char hex[] = "0123456789ABCDEF";
    std::int16_t n = BS();
    if (n < 0) Fail("a text has a negative length");
    RequireItems(static_cast<std::uint64_t>(n), 16, "text characters");
    std::string s;
    s.reserve(static_cast<std::size_t>(n));
    for (std::int16_t i = 0; i < n; ++i) {
        const std::uint16_t unit = RS();
        const int b = Cp1252FromCodePoint(unit);
        if (b >= 0) {
            s.push_back(static_cast<char>(b));
        } else {
            s += "\\U+";
            for (int sh = 12; sh >= 0; sh -= 4) s.push_back(hex[(unit >> sh) & 0xF]);
        }
    }
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

std::uint64_t BitReader::BLL() {
    const unsigned n = Bits(3);
    std::uint64_t v = 0;
    for (unsigned k = 0; k < n; ++k) v |= static_cast<std::uint64_t>(Bits(8)) << (8 * k);
    return v;
}

std::string BitReader::TV() {
    if (text) return text->TU();
    std::int16_t n = BS();
    if (n < 0) Fail("a text has a negative length");
    RequireItems(static_cast<std::uint64_t>(n), 8, "text bytes");
    std::string s;
    s.resize(static_cast<std::size_t>(n));
    for (std::int16_t i = 0; i < n; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(Bits(8));
    while (!s.empty() && s.back() == '\0') s.pop_back();    // some writers count a final NUL
    return s;
}

Vec3 BitReader::BE() {
    if (B()) return {0, 0, 1};
    return BD3();
}

double BitReader::BT() {
    if (B()) return 0.0;
    return BD();
}

double BitReader::DD(double def) {
    std::uint64_t d;
    std::memcpy(&d, &def, sizeof d);
    switch (Bits(2)) {
    case 0: return def;
    case 1: {
        std::uint64_t low = 0;
        for (unsigned k = 0; k < 4; ++k) low |= static_cast<std::uint64_t>(Bits(8)) << (8 * k);
        d = (d & 0xFFFFFFFF00000000ull) | low;
        break;
    }
    case 2: {
        std::uint64_t b4 = Bits(8), b5 = Bits(8);
        std::uint64_t low = 0;
        for (unsigned k = 0; k < 4; ++k) low |= static_cast<std::uint64_t>(Bits(8)) << (8 * k);
        d = (d & 0xFFFF000000000000ull) | (b5 << 40) | (b4 << 32) | low;
        break;
    }
    default: return RD();
    }
    double v;
    std::memcpy(&v, &d, sizeof v);
    return v;
}

std::uint64_t ReadModularChar(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (pos >= size) throw CadError("DWG object map: a number runs past the end of its section");
        if (shift > 63) throw CadError("DWG object map: a number is too long");
        std::uint8_t b = data[pos++];
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
}

std::int64_t ReadSignedModularChar(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (pos >= size) throw CadError("DWG object map: a number runs past the end of its section");
        if (shift > 56) throw CadError("DWG object map: a number is too long");
        std::uint8_t b = data[pos++];
        if (b & 0x80) {
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            continue;
        }
        v |= static_cast<std::uint64_t>(b & 0x3F) << shift;
        std::int64_t s = static_cast<std::int64_t>(v);
        return (b & 0x40) ? -s : s;
    }
}

std::uint32_t ReadModularShort(const std::uint8_t* data, std::size_t size, std::size_t& pos) {
    std::uint32_t v = 0;
    for (unsigned shift = 0;; shift += 15) {
        if (pos + 2 > size) throw CadError("DWG object: its size runs past the end of the file");
        if (shift > 15) throw CadError("DWG object: its size is too large");
        std::uint32_t word = static_cast<std::uint32_t>(data[pos]) | (static_cast<std::uint32_t>(data[pos + 1]) << 8);
        pos += 2;
        v |= (word & 0x7FFF) << shift;
        if (!(word & 0x8000)) return v;
    }
}

} // namespace ostrel::cad::dwg
