// Bit codes, modular numbers and the CRC of the DWG format, checked against
// the worked values of the format reference and sums of sample files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"
#include "cad/dwg/crc.h"
#include "cad/dwg/dwg_lz77_r2004.h"

using namespace ostrel::cad;
using namespace ostrel::cad::dwg;

namespace {

// "0100 1..." -> bytes, padded with zero bits.
std::vector<std::uint8_t> FromBitText(const std::string& bits) {
    std::vector<std::uint8_t> out((bits.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1') out[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return out;
}

std::string ToBitText(const BitWriter& w) {
    std::string s;
    for (std::size_t i = 0; i < w.BitPosition(); ++i)
        s += (w.Data()[i / 8] & (0x80 >> (i % 8))) ? '1' : '0';
    return s;
}

std::vector<std::uint8_t> Hex(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ' ') digits += c;
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

} // namespace

// The reference's worked streams read and written back; a negative short
// takes the full form.
TEST(BitShortAndLong, WorkedExampleStreamsReadAndWriteBack) {
    const std::string shorts = "0000000001000000011011010000111110", minusOne = "00" "11111111" "11111111";
    const std::string longs = "000000000100000001000000000000000010010000111110";
    const std::tuple<std::string, bool, std::vector<int>> cases[] = {
        {shorts, true, {257, 0, 256, 15, 0}}, {minusOne, true, {-1}}, {longs, false, {257, 0, 15, 0}}};
    for (const auto& [stream, isShort, values] : cases) {
        auto bytes = FromBitText(stream);
        BitReader r(bytes.data(), bytes.size(), "test");
        BitWriter w;
        for (int v : values) {
            EXPECT_EQ(isShort ? r.BS() : r.BL(), v);
            if (isShort) w.BS(static_cast<std::int16_t>(v));
            else w.BL(v);
        }
        EXPECT_EQ(ToBitText(w), stream.substr(0, w.BitPosition()));
        EXPECT_EQ(w.BitPosition(), stream.size());
    }
}

// 1.0 and 0.0 take two bits, the default extrusion and zero thickness one;
// text is its length, then its code-page bytes.
TEST(ShortForms, CommonDoublesDefaultExtrusionThicknessAndText) {
    BitWriter w;
    w.BD(1.0);
    w.BD(0.0);
    w.BE({0, 0, 1});
    w.BT(0.0);
    EXPECT_EQ(ToBitText(w), "011011");
    w.BD(-0.0);                 // keeps its sign: full form
    w.BD(2.5);
    w.BE({0, 1, 0});
    w.BT(3.0);
    const std::size_t before = w.BitPosition();
    w.TV("DEFPOINTS");
    w.TV("");
    EXPECT_EQ(w.BitPosition() - before, 10u + 72u + 2u);
    BitReader r(w.Data(), w.ByteSize(), "test");
    EXPECT_EQ(r.BD(), 1.0);
    EXPECT_EQ(r.BD(), 0.0);
    EXPECT_EQ(r.BE(), (Vec3{0, 0, 1}));
    EXPECT_EQ(r.BT(), 0.0);
    double neg = r.BD();
    EXPECT_EQ(neg, 0.0);
    EXPECT_TRUE(std::signbit(neg));
    EXPECT_EQ(r.BD(), 2.5);
    EXPECT_EQ(r.BE(), (Vec3{0, 1, 0}));
    EXPECT_EQ(r.BT(), 3.0);
    EXPECT_EQ(r.TV(), "DEFPOINTS");
    EXPECT_EQ(r.TV(), "");
}

TEST(BitDoubleWithDefault, PicksTheShortestPatchAndReadsBack) {
    struct Case { double value, def; unsigned bits; };
    double a = 1234.5678;
    double lowChanged = a, sixChanged = a;
    std::uint64_t u;
    std::memcpy(&u, &a, 8);
    std::uint64_t u1 = u ^ 0x00000000DEADBEEFull;   // only the low four bytes differ
    std::uint64_t u2 = u ^ 0x00001234DEADBEEFull;   // bytes 5 and 6 differ too
    std::memcpy(&lowChanged, &u1, 8);
    std::memcpy(&sixChanged, &u2, 8);
    const Case cases[] = {
        {a, a, 2}, {lowChanged, a, 2 + 32}, {sixChanged, a, 2 + 48}, {-7.0, a, 2 + 64},
    };
    for (auto& c : cases) {
        BitWriter w;
        w.DD(c.value, c.def);
        EXPECT_EQ(w.BitPosition(), c.bits) << c.value;
        BitReader r(w.Data(), w.ByteSize(), "test");
        EXPECT_EQ(r.DD(c.def), c.value);
    }
}

TEST(BitTriplet, ReadsUntilAZeroOrThreeBits) {
    BitWriter w;
    for (unsigned v : {0u, 2u, 6u, 7u}) w.B3(v);
    EXPECT_EQ(ToBitText(w), "0" "10" "110" "111");
    BitReader r(w.Data(), w.ByteSize(), "test");
    for (unsigned v : {0u, 2u, 6u, 7u}) EXPECT_EQ(r.B3(), v);
}

TEST(Handle, WorkedExampleLayerReferenceAndAnR14ObjectsOwnHandle) {
    BitWriter w;
    w.H(5, 0x5E7);
    EXPECT_EQ(w.Bytes(), Hex("52 05 E7"));
    w.H(4, 0);                  // null reference: code and an empty counter
    EXPECT_EQ(w.Bytes(), Hex("52 05 E7 40"));
    BitReader r(w.Data(), w.ByteSize(), "test");
    auto h = r.H();
    EXPECT_EQ(h.code, 5);
    EXPECT_EQ(h.value, 0x5E7u);
    EXPECT_EQ(r.H().value, 0u);
    // A POINT of the reference's R14 sample: size 0x23, type 0x1B, handle D2.
    auto bytes = Hex("230046C074A6C80000013309FE67997ED403A801FFF9D1853CD8FA05536084182 8CCA88986");
    std::size_t pos = 0;
    EXPECT_EQ(ReadModularShort(bytes.data(), bytes.size(), pos), 0x23u);
    BitReader object(bytes.data() + pos, bytes.size() - pos, "test");
    EXPECT_EQ(object.BS(), 0x1B);
    EXPECT_EQ(object.H().value, 0xD2u);
}

TEST(Handle, RelativeCodesResolveAgainstTheOwnHandle) {
    EXPECT_EQ((HandleRef{0x6, 0}).Resolve(0x40), 0x41u);
    EXPECT_EQ((HandleRef{0x8, 0}).Resolve(0x40), 0x3Fu);
    EXPECT_EQ((HandleRef{0xA, 5}).Resolve(0x40), 0x45u);
    EXPECT_EQ((HandleRef{0xC, 5}).Resolve(0x40), 0x3Bu);
    EXPECT_EQ((HandleRef{0x5, 0x99}).Resolve(0x40), 0x99u);
}

TEST(ModularNumbers, WorkedExamplesAndRoundTrips) {
    struct Case { const char* hex; std::int64_t value; };
    for (auto c : {Case{"82 24", 4610}, Case{"E9 97 E6 35", 112823273}, Case{"85 4B", -1413}}) {
        auto bytes = Hex(c.hex);
        std::size_t pos = 0;
        EXPECT_EQ(ReadSignedModularChar(bytes.data(), bytes.size(), pos), c.value) << c.hex;
        EXPECT_EQ(pos, bytes.size());
        std::vector<std::uint8_t> out;
        AppendSignedModularChar(out, c.value);
        EXPECT_EQ(out, bytes) << c.hex;
    }
    // The unsigned form uses all seven bits of the last byte; the signed one would need two.
    std::vector<std::uint8_t> u, s;
    AppendModularChar(u, 0x7F);
    AppendSignedModularChar(s, 0x7F);
    EXPECT_EQ(u, Hex("7F"));
    EXPECT_EQ(s, Hex("FF 00"));
    for (std::uint64_t v : {0ull, 1ull, 127ull, 128ull, 300000ull, 0xFFFFFFFFFFull}) {
        std::vector<std::uint8_t> b;
        AppendModularChar(b, v);
        std::size_t pos = 0;
        EXPECT_EQ(ReadModularChar(b.data(), b.size(), pos), v);
    }
    for (auto [hex, value] : {std::pair{"31 F4 8D 00", 4650033u}, {"23 00", 0x23u}}) {
        auto bytes = Hex(hex);
        std::size_t pos = 0;
        EXPECT_EQ(ReadModularShort(bytes.data(), bytes.size(), pos), value);
        std::vector<std::uint8_t> out;
        AppendModularShort(out, value);
        EXPECT_EQ(out, bytes);
    }
}

TEST(Crc, StandardCheckValueAndSampleSums) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16(0, reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xBB3D);
    // The reference's R14 file header: five locators, stored sum 2D 5C.
    auto header = Hex("414331303134000000000000013F0C000000001E0005000000"
                      "0058000000ED01000001450200002600000002270B000050000000"
                      "03770B000035000000043B0C000004000000");
    EXPECT_EQ(Crc16(kDwgCrcSeed, header.data(), header.size()), 0x5C2D);
    // Objects of the R14 sample (size bytes included): a SEQEND and a POINT.
    auto seqend = Hex("1100418054E248000001 5B60811828 87A02008");
    EXPECT_EQ(Crc16(kDwgCrcSeed, seqend.data(), seqend.size()), 0xC788);
    auto point = Hex("230046C074A6C80000013309FE67997ED403A801FFF9D1853CD8FA05536084182 8CCA88986");
    EXPECT_EQ(Crc16(kDwgCrcSeed, point.data(), point.size()), 0xDF09);
    // Continuing a sum equals summing at once.
    auto part = Crc16(kDwgCrcSeed, point.data(), 10);
    EXPECT_EQ(Crc16(part, point.data() + 10, point.size() - 10), 0xDF09);
}

TEST(Writer, PatchesAFieldAtAnUnalignedPosition) {
    BitWriter w;
    w.BS(49);                   // 10 bits
    auto at = w.BitPosition();
    w.RL(0);
    w.B(true);
    w.PatchRL(at, 0x12345678);
    BitReader r(w.Data(), w.ByteSize(), "test");
    EXPECT_EQ(r.BS(), 49);
    EXPECT_EQ(r.RL(), 0x12345678u);
    EXPECT_TRUE(r.B());
}

TEST(Reader, RunningPastTheEndThrowsAClearError) {
    std::vector<std::uint8_t> bytes = {0x00};   // BS prefix 00 asks for two more bytes
    BitReader r(bytes.data(), bytes.size(), "test stream");
    try {
        r.BS();
        FAIL() << "no error";
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("test stream"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("ends early"), std::string::npos);
    }
    BitReader big(bytes.data(), bytes.size(), "test");
    EXPECT_THROW(big.RequireItems(1000000, 8, "entries"), CadError);
    std::vector<std::uint8_t> mc = {0x80, 0x80};
    std::size_t pos = 0;
    EXPECT_THROW(ReadModularChar(mc.data(), mc.size(), pos), CadError);
}

// R2004 pages expand back to what was compressed through every form of copy
// (near, up to 0x3FFF and beyond 0x4000 back; short, long and overlapping
// runs; one to three literals after a copy), and repeats shrink.
TEST(R2004Compression, PagesExpandBackAndRepeatsShrink) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> noise(0x7400), far(noise.begin(), noise.begin() + 0x200), mid, records;
    for (auto& b : noise) b = static_cast<std::uint8_t>(rng());
    far.resize(0x4200, 0);
    far.insert(far.end(), noise.begin(), noise.begin() + 0x200);
    for (int k = 0; k < 4; ++k) mid.insert(mid.end(), noise.begin(), noise.begin() + 0x1000);
    for (int k = 0; records.size() < 0x7000; ++k) {     // records that differ in one to three bytes
        for (std::uint8_t b = 1; b < 12 - k % 3; ++b) records.push_back(b);
        records.insert(records.end(), noise.begin() + k, noise.begin() + k + 1 + k % 3);
    }
    for (const auto& page : {std::vector<std::uint8_t>(noise.begin(), noise.begin() + 4), noise,
                             std::vector<std::uint8_t>(0x7400, 0xAB), far, mid, records}) {
        std::vector<std::uint8_t> packed, back(page.size() + 16);
        CompressR2004(page.data(), page.size(), packed);
        ASSERT_EQ(DecompressR2004(packed.data(), packed.size(), back.data(), back.size()), page.size());
        EXPECT_TRUE(std::equal(page.begin(), page.end(), back.begin())) << page.size();
        if (page.size() > 4 && page != noise) EXPECT_LT(packed.size(), page.size() * 6 / 10) << page.size();
    }
}
