#include "cad/dwg/lz77_r21.h"

#include <algorithm>
#include <array>
#include <string>

#include "cad/drawing.h"

namespace ostrel::cad::dwg::lz77r21 {

namespace {

// ---- literal byte order -------------------------------------------------
// A run of n bytes (1-32) is built from pieces (size, source offset); pieces
// of 2 and 3 bytes are stored reversed, pieces of 16 as their two 8-byte
// halves swapped, pieces of 1, 4 and 8 as they are.
struct Piece {
    std::uint8_t size, at;
};
constexpr Piece kPieces[33][5] = {
    {},
    {{1, 0}},
    {{2, 0}},
    {{3, 0}},
    {{4, 0}},
    {{1, 4}, {4, 0}},
    {{1, 5}, {4, 1}, {1, 0}},
    {{2, 5}, {4, 1}, {1, 0}},
    {{8, 0}},
    {{1, 8}, {8, 0}},
    {{1, 9}, {8, 1}, {1, 0}},
    {{2, 9}, {8, 1}, {1, 0}},
    {{4, 8}, {8, 0}},
    {{1, 12}, {4, 8}, {8, 0}},
    {{1, 13}, {4, 9}, {8, 1}, {1, 0}},
    {{2, 13}, {4, 9}, {8, 1}, {1, 0}},
    {{16, 0}},
    {{8, 9}, {1, 8}, {8, 0}},
    {{1, 17}, {16, 1}, {1, 0}},
    {{3, 16}, {16, 0}},
    {{4, 16}, {16, 0}},
    {{1, 20}, {4, 16}, {16, 0}},
    {{2, 20}, {4, 16}, {16, 0}},
    {{3, 20}, {4, 16}, {16, 0}},
    {{8, 16}, {16, 0}},
    {{8, 17}, {1, 16}, {16, 0}},
    {{1, 25}, {8, 17}, {1, 16}, {16, 0}},
    {{2, 25}, {8, 17}, {1, 16}, {16, 0}},
    {{4, 24}, {8, 16}, {16, 0}},
    {{1, 28}, {4, 24}, {8, 16}, {16, 0}},
    {{2, 28}, {4, 24}, {8, 16}, {16, 0}},
    {{1, 30}, {4, 26}, {8, 18}, {16, 2}, {2, 0}},
    {{16, 16}, {16, 0}},
};

// order[n][i]: the stored byte that becomes output byte i of a run of n.
using Orders = std::array<std::array<std::uint8_t, 32>, 33>;

constexpr Orders MakeOrders() {
    Orders o{};
    for (unsigned n = 1; n <= 32; ++n) {
        unsigned out = 0;
        for (const Piece& p : kPieces[n]) {
            if (p.size == 0) break;
            for (unsigned i = 0; i < p.size; ++i) {
                unsigned from = p.at + i;
                if (p.size == 2 || p.size == 3) from = p.at + (p.size - 1 - i);
                if (p.size == 16) from = p.at + (i < 8 ? i + 8 : i - 8);
                o[n][out++] = static_cast<std::uint8_t>(from);
            }
        }
    }
    return o;
}

constexpr Orders kOrders = MakeOrders();

// Stored bytes -> output bytes for a whole literal run.
void Unshuffle(const std::uint8_t* src, std::size_t n, std::uint8_t* dst) {
    while (n >= 32) {
        for (unsigned i = 0; i < 32; ++i) dst[i] = src[kOrders[32][i]];
        src += 32;
        dst += 32;
        n -= 32;
    }
    for (unsigned i = 0; i < n; ++i) dst[i] = src[kOrders[n][i]];
}

void Shuffle(const std::uint8_t* data, std::size_t n, std::vector<std::uint8_t>& out) {
    const std::size_t base = out.size();
    out.resize(base + n);
    std::uint8_t* dst = out.data() + base;
    while (n >= 32) {
        for (unsigned i = 0; i < 32; ++i) dst[kOrders[32][i]] = data[i];
        data += 32;
        dst += 32;
        n -= 32;
    }
    for (unsigned i = 0; i < n; ++i) dst[kOrders[n][i]] = data[i];
}

// ---- compressor ---------------------------------------------------------
constexpr unsigned kHashBits = 15;
constexpr std::size_t kWindow = 0xFFFF;
constexpr std::size_t kMaxMatch = 0x100 + 0xFFFF;
constexpr int kChainDepth = 8;

inline unsigned Hash3(const std::uint8_t* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

// Cost in bytes of the cheapest instruction for a match, 0 when none fits.
unsigned MatchCost(std::size_t len, std::size_t off) {
    if (len >= 3 && len <= 14 && off <= 512) return 2;
    if (len >= 3 && len <= 18 && off <= 0x2000) return 3;
    if (len >= 19 && len <= 34 && off <= 0x1000) return 3;
    if (len <= 0xFF && off <= 0xFFFF) return 4;
    if (len >= 0x100 && off <= 0x10000) return 5;
    return 0;
}

bool Worthwhile(std::size_t len, std::size_t off) {
    const unsigned cost = MatchCost(len, off);
    return cost != 0 && len > cost;
}

void PutLiteralLength(std::size_t len, std::vector<std::uint8_t>& out) {
    // len >= 8
    if (len < 0x17) {
        out.push_back(static_cast<std::uint8_t>(len - 8));
        return;
    }
    out.push_back(0x0F);
    std::size_t rest = len - 0x17;
    if (rest < 0xFF) {
        out.push_back(static_cast<std::uint8_t>(rest));
        return;
    }
    out.push_back(0xFF);
    rest -= 0xFF;
    while (rest >= 0xFFFF) {
        out.push_back(0xFF);
        out.push_back(0xFF);
        rest -= 0xFFFF;
    }
    out.push_back(static_cast<std::uint8_t>(rest & 0xFF));
    out.push_back(static_cast<std::uint8_t>(rest >> 8));
}

// One back-reference. afterLiteral: the instruction directly follows a
// literal run (a first byte 0x0N then means a 19-34 byte match; inside a
// chain of instructions it would mean a literal run, so 0xFN is used).
// nextLiteral: 1-7 for a short literal run to follow, else 0.
void PutMatch(std::size_t len, std::size_t off, bool afterLiteral, unsigned nextLiteral,
              std::vector<std::uint8_t>& out) {
    const auto b = [&](std::size_t v) { out.push_back(static_cast<std::uint8_t>(v)); };
    if (len >= 3 && len <= 14 && off <= 512) {
        b((len << 4) | ((off - 1) & 0xF));
        b((((off - 1) >> 4) << 3) | nextLiteral);
    } else if (len >= 3 && len <= 18 && off <= 0x2000) {
        b(0x10 | (len - 3));
        b((off - 1) & 0xFF);
        b((((off - 1) >> 8) << 3) | nextLiteral);
    } else if (len >= 19 && len <= 34 && off <= 0x1000) {
        b((afterLiteral ? 0x00 : 0xF0) | ((len - 19) & 0xF));
        b((off - 1) & 0xFF);
        b((((len - 19) >> 4) << 7) | (((off - 1) >> 8) << 3) | nextLiteral);
    } else if (len <= 0xFF) {
        b(0x20 | (len & 7));
        b(off & 0xFF);
        b(off >> 8);
        b((len & 0xF8) | nextLiteral);
    } else {
        const std::size_t l = len - 0x100;
        b(0x28 | (l & 7));
        b((off - 1) & 0xFF);
        b((off - 1) >> 8);
        b((l >> 3) & 0xFF);
        b(((l >> 11) << 3) | nextLiteral);
    }
}

struct Match {
    std::size_t len = 0, off = 0;
};

class Matcher {
public:
    Matcher(const std::uint8_t* data, std::size_t n) : data_(data), n_(n), head_(std::size_t{1} << kHashBits, kNone), prev_(n, kNone) {}

    void Insert(std::size_t pos) {
        if (pos + 3 > n_) return;
        const unsigned h = Hash3(data_ + pos);
        prev_[pos] = head_[h];
        head_[h] = static_cast<std::uint32_t>(pos);
    }

    Match Find(std::size_t pos) const {
        Match best;
        if (pos + 3 > n_) return best;
        const std::size_t limit = std::min(kMaxMatch, n_ - pos);
        std::uint32_t cand = head_[Hash3(data_ + pos)];
        for (int depth = 0; cand != kNone && depth < kChainDepth; ++depth, cand = prev_[cand]) {
            const std::size_t off = pos - cand;
            if (off > kWindow) break;
            if (data_[cand + best.len] != data_[pos + best.len]) continue;
            std::size_t len = 0;
            while (len < limit && data_[cand + len] == data_[pos + len]) ++len;
            if (len > best.len && Worthwhile(len, off)) {
                best = {len, off};
                if (len == limit) break;
            }
        }
        return best;
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    const std::uint8_t* data_;
    std::size_t n_;
    std::vector<std::uint32_t> head_, prev_;
};

// ---- decompressor -------------------------------------------------------
[[noreturn]] void Fail(const std::string& what) { throw CadError("R2007 page data: " + what); }

struct Reader {
    const std::uint8_t* src;
    std::size_t n, pos = 0;
    std::uint8_t Byte() {
        if (pos >= n) Fail("the compressed stream ends inside an instruction");
        return src[pos++];
    }
};

std::size_t LiteralLength(Reader& r, std::uint8_t op) {
    std::size_t len = static_cast<std::size_t>(op) + 8;
    if (len == 0x17) {
        std::size_t more = r.Byte();
        len += more;
        if (more == 0xFF) {
            do {
                more = r.Byte();
                more |= static_cast<std::size_t>(r.Byte()) << 8;
                len += more;
            } while (more == 0xFFFF);
        }
    }
    return len;
}

// Reads one back-reference; op is its first byte and becomes its last.
void Instruction(Reader& r, std::uint8_t& op, std::size_t& off, std::size_t& len) {
    switch (op >> 4) {
    case 0:
        len = (op & 0xF) + 0x13u;
        off = r.Byte();
        op = r.Byte();
        len += (op >> 3) & 0x10;
        off += ((op & 0x78u) << 5) + 1;
        break;
    case 1:
        len = (op & 0xF) + 3u;
        off = r.Byte();
        op = r.Byte();
        off += ((op & 0xF8u) << 5) + 1;
        break;
    case 2:
        off = r.Byte();
        off |= static_cast<std::size_t>(r.Byte()) << 8;
        len = op & 7u;
        if ((op & 8) == 0) {
            op = r.Byte();
            len += op & 0xF8u;
        } else {
            ++off;
            len += static_cast<std::size_t>(r.Byte()) << 3;
            op = r.Byte();
            len += (static_cast<std::size_t>(op & 0xF8u) << 8) + 0x100;
        }
        break;
    default:
        len = op >> 4;
        off = op & 0xFu;
        op = r.Byte();
        off += ((op & 0xF8u) << 1) + 1;
        break;
    }
}

// The stream as it is written: the back-reference found last waits for the
// length of the literal run after it, which its opcode carries.
struct Emitter {
    std::vector<std::uint8_t>& out;
    bool first = true;
    bool afterLiteral = true;
    bool pending = false;
    Match pend;

    // The literal run [start, end), after the pending back-reference (or
    // opening the stream).
    void Literals(const std::uint8_t* data, std::size_t start, std::size_t end) {
        const std::size_t run = end - start;
        if (first) {
            if (run < 8) out.insert(out.end(), {0x20, 0x00, 0x00, static_cast<std::uint8_t>(run)});
            else PutLiteralLength(run, out);
            first = false;
        } else {
            PutMatch(pend.len, pend.off, afterLiteral, run < 8 ? static_cast<unsigned>(run) : 0, out);
            if (run >= 8) PutLiteralLength(run, out);
            pending = false;
        }
        Shuffle(data + start, run, out);
        afterLiteral = true;
    }
    // The pending back-reference, with no literals after it.
    void Reference() {
        PutMatch(pend.len, pend.off, afterLiteral, 0, out);
        afterLiteral = false;
    }
};

} // namespace

std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t n) {
    std::vector<std::uint8_t> out;
    out.reserve(n / 2 + 16);
    if (n == 0) return out;
    Matcher matcher(data, n);
    Emitter emit{out, true, true, false, {}};
    std::size_t literalStart = 0;
    std::size_t pos = 1;  // the stream starts with at least one literal
    matcher.Insert(0);
    while (pos < n) {
        const Match m = matcher.Find(pos);
        if (m.len == 0) {
            matcher.Insert(pos);
            ++pos;
            continue;
        }
        // Close what came before this match.
        if (pos > literalStart) emit.Literals(data, literalStart, pos);
        else if (emit.pending) emit.Reference();   // two back-references in a row
        emit.pend = m;
        emit.pending = true;
        for (std::size_t i = 0; i < m.len; ++i) matcher.Insert(pos + i);
        pos += m.len;
        literalStart = pos;
    }
    if (n > literalStart) emit.Literals(data, literalStart, n);
    else if (emit.pending) emit.Reference();
    return out;
}

void Decompress(const std::uint8_t* src, std::size_t n, std::uint8_t* dst, std::size_t size) {
    if (n == 0) Fail("empty compressed stream");
    Reader r{src, n};
    std::size_t out = 0;
    std::uint8_t op = r.Byte();
    std::size_t literal = 0;
    if ((op & 0xF0) == 0x20) {
        r.Byte();
        r.Byte();
        literal = r.Byte() & 7u;
        if (literal == 0) Fail("the stream opens with an empty literal run");
    }
    while (r.pos < n) {
        if (literal == 0) literal = LiteralLength(r, op);
        if (literal > n - r.pos) Fail("a literal run reaches past the end of the stream");
        if (literal > size - out) Fail("the data is longer than the page says");
        Unshuffle(src + r.pos, literal, dst + out);
        r.pos += literal;
        out += literal;
        literal = 0;
        if (r.pos >= n) break;
        op = r.Byte();
        std::size_t off = 0, len = 0;
        Instruction(r, op, off, len);
        for (;;) {
            if (off == 0 || off > out) Fail("a back-reference points before the start of the data");
            if (len > size - out) Fail("the data is longer than the page says");
            for (std::size_t i = 0; i < len; ++i, ++out) dst[out] = dst[out - off];
            literal = op & 7u;
            if (literal != 0) {
                if (r.pos >= n) Fail("a literal run is missing at the end of the stream");
                break;
            }
            if (r.pos >= n) break;
            op = r.Byte();
            if ((op >> 4) == 0) break;
            if ((op >> 4) == 0xF) op &= 0xF;
            Instruction(r, op, off, len);
        }
    }
    if (out != size) Fail("the data is " + std::to_string(out) + " bytes, the page says " + std::to_string(size));
}

} // namespace ostrel::cad::dwg::lz77r21
