#include "cad/dwg/dwg_lz77_r2004.h"

#include <cstring>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

namespace {

// A count above what the opcode holds: a zero byte for each 255, then the rest.
void PutLongCount(std::size_t v, std::vector<std::uint8_t>& out) {
    for (; v > 255; v -= 255) out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(v));
}

// The literal-length bytes of a run of n bytes (n >= 4): 1..15 stand for
// 4..18; 0 starts a long count from 15 (each further 0 adds 255, the first
// non-zero byte adds itself); then 3 more.
void LiteralRunStart(std::size_t n, std::vector<std::uint8_t>& out) {
    if (n <= 18) out.push_back(static_cast<std::uint8_t>(n - 3));
    else {
        out.push_back(0);
        PutLongCount(n - 3 - 15, out);
    }
}

// A copy of `length` bytes from `distance` back. Returns the index of the
// byte whose low two bits say how many literal bytes (1-3) follow.
std::size_t PutCopy(std::size_t length, std::size_t distance, std::vector<std::uint8_t>& out) {
    const std::size_t o = distance - 1;
    if (o <= 0x3FF && length <= 14) {
        out.push_back(static_cast<std::uint8_t>(((length + 1) << 4) | ((o & 3) << 2)));
        out.push_back(static_cast<std::uint8_t>(o >> 2));
        return out.size() - 2;
    }
    std::size_t twoByte = o;
    if (o <= 0x3FFF) {
        if (length <= 33) out.push_back(static_cast<std::uint8_t>(0x1E + length));
        else {
            out.push_back(0x20);
            PutLongCount(length - 0x21, out);
        }
    } else {                                    // 0x4000 and more back: lengths from 4 (0x11 ends the stream)
        twoByte = distance - 0x4000;
        if (length <= 9) out.push_back(static_cast<std::uint8_t>(0x10 | (length - 2)));
        else {
            out.push_back(0x10);
            PutLongCount(length - 9, out);
        }
    }
    out.push_back(static_cast<std::uint8_t>((twoByte & 0x3F) << 2));
    out.push_back(static_cast<std::uint8_t>(twoByte >> 6));
    return out.size() - 2;
}

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

constexpr int kHashBits = 14;
constexpr std::size_t kMaxDistance = 0x7FFF;  // the farthest copy the opcodes reach (bit 3 of 0x10-0x1F unused)

} // namespace

void StoreR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) {
    if (n < 4) throw CadError("cannot write DWG: a compressed page needs at least four bytes");
    LiteralRunStart(n, out);
    out.insert(out.end(), data, data + n);
    out.push_back(0x11);
}

void CompressR2004(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) {
    if (n < 4) throw CadError("cannot write DWG: a compressed page needs at least four bytes");
    // Positions + 1 by hash of the four bytes there (0: none yet), kept to
    // 16 bits: a data page is shorter, and in a longer input an entry from
    // further back fails the distance or byte check like any other.
    std::uint16_t last[1u << kHashBits] = {};
    auto slot = [data](std::size_t i) { return (Load32(data + i) * 2654435761u) >> (32 - kHashBits); };
    std::size_t pending = 0;                    // first literal byte not yet written
    std::size_t litBits = 0;                    // the byte of the last copy that counts short literal runs
    bool copied = false;
    auto flushLiterals = [&](std::size_t end) {
        const std::size_t count = end - pending;
        if (count == 0) return;
        if (copied && count <= 3) out[litBits] |= static_cast<std::uint8_t>(count);
        else LiteralRunStart(count, out);       // the opening run is at least four bytes: copies start from 4
        out.insert(out.end(), data + pending, data + end);
    };
    std::size_t i = 0;
    while (i + 4 <= n) {
        const std::uint32_t h = slot(i);
        const std::size_t candidate = last[h];
        last[h] = static_cast<std::uint16_t>(i + 1);
        if (i < 4 || candidate == 0 || i - (candidate - 1) > kMaxDistance ||
            Load32(data + candidate - 1) != Load32(data + i)) {
            i += 1 + ((i - pending) >> 8);      // step faster through bytes that do not repeat
            continue;
        }
        const std::size_t from = candidate - 1;
        std::size_t length = 4;
        for (std::uint64_t a, b; i + length + 8 <= n; length += 8) {     // eight bytes at a time, then the rest
            std::memcpy(&a, data + from + length, 8);
            std::memcpy(&b, data + i + length, 8);
            if (a != b) break;
        }
        while (i + length < n && data[from + length] == data[i + length]) ++length;
        flushLiterals(i);
        litBits = PutCopy(length, i - from, out);
        copied = true;
        i += length;
        pending = i;
        if (i + 4 <= n) last[slot(i - 2)] = static_cast<std::uint16_t>(i - 1);
    }
    flushLiterals(n);
    out.push_back(0x11);
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
            if (op < 0x20) length = (op & 7) == 0 ? LongCount(in) + 9 : (op & 7) + 2u;
            else if (op == 0x20) length = LongCount(in) + 0x21;
            else length = op - 0x1Eu;
            const std::uint8_t a = in.Next(), b = in.Next();
            offset = (a >> 2) | (static_cast<std::size_t>(b) << 6);
            lit = a & 0x03;
            if (op < 0x20) offset += 0x3FFF + (static_cast<std::size_t>(op & 8) << 11);   // bit 3: 0x4000 further
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
