#include "cad/dwg/dwg_lz77_r2004.h"

#include <cstring>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

void CompressR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) {
    LiteralRunStart(n, out);
    out.insert(out.end(), data, data + n);
    out.push_back(0x11);
}

void LiteralRunStart(std::size_t n, std::vector<std::uint8_t>& out) {
    if (n < 4) throw CadError("cannot write DWG: a compressed page needs at least four bytes");
    // Literal length: 1..15 stands for 4..18; 0 starts a long count from 15
    // (each further 0 adds 255, the first non-zero byte adds itself); then 3 more.
    if (n <= 18) {
        out.push_back(static_cast<std::uint8_t>(n - 3));
    } else {
        std::size_t rest = n - 3 - 15;
        out.push_back(0);
        for (; rest > 255; rest -= 255) out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(rest));
    }
}

namespace {

struct Input {
    const std::uint8_t* p;
    const std::uint8_t* end;
    std::uint8_t Next() {
        if (p == end) throw CadError("DWG page: the compressed data ends early");
        return *p++;
    }
};

std::size_t LiteralLength(Input& in, std::uint8_t first) {
    if (first >= 0x01 && first <= 0x0F) return first + 3u;
    std::size_t total = 0x0F;
    for (std::uint8_t b = in.Next();; b = in.Next()) {
        if (b != 0) { total += b; break; }
        total += 0xFF;
    }
    return total + 3;
}

std::size_t LongCount(Input& in) {
    std::size_t total = 0;
    for (std::uint8_t b = in.Next();; b = in.Next()) {
        if (b != 0) return total + b;
        total += 0xFF;
    }
}

} // namespace

std::size_t DecompressR2004(const std::uint8_t* data, std::size_t n, std::uint8_t* out, std::size_t capacity) {
    Input in{data, data + n};
    std::size_t pos = 0;
    auto literal = [&](std::size_t count) {
        if (count > capacity - pos || count > static_cast<std::size_t>(in.end - in.p))
            throw CadError("DWG page: a literal run reaches past the page");
        std::memcpy(out + pos, in.p, count);
        in.p += count;
        pos += count;
    };
    std::uint8_t op = in.Next();
    if ((op & 0xF0) == 0) {
        literal(LiteralLength(in, op));
        op = in.Next();
    }
    for (;;) {
        if (op == 0x11) return pos;
        std::size_t length = 0, offset = 0, lit = 0;
        if (op >= 0x40) {
            length = ((op & 0xF0) >> 4) - 1;
            const std::uint8_t op2 = in.Next();
            offset = (static_cast<std::size_t>(op2) << 2) | ((op & 0x0C) >> 2);
            lit = op & 0x03;
        } else if (op >= 0x10) {
            if (op == 0x10) length = LongCount(in) + 9;
            else if (op < 0x20) length = (op & 0x0F) + 2;
            else if (op == 0x20) length = LongCount(in) + 0x21;
            else length = op - 0x1Eu;
            const std::uint8_t a = in.Next(), b = in.Next();
            offset = (a >> 2) | (static_cast<std::size_t>(b) << 6);
            lit = a & 0x03;
            if (op < 0x20) offset += 0x3FFF;
        } else {
            throw CadError("DWG page: an unknown compression code");
        }
        offset += 1;
        if (offset > pos || length > capacity - pos) throw CadError("DWG page: a copy reaches outside the page");
        for (std::size_t i = 0; i < length; ++i, ++pos) out[pos] = out[pos - offset];
        if (lit == 0) {
            op = in.Next();
            if ((op & 0xF0) == 0) {
                literal(LiteralLength(in, op));
                op = in.Next();
            }
        } else {
            literal(lit);
            op = in.Next();
        }
    }
}

} // namespace ostrel::cad::dwg
