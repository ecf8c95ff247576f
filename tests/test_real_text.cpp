// The fast spelling of doubles must agree with std::to_chars character for
// character (the DXF writer's numbers were defined by it), on the values a
// survey produces and on arbitrary bit patterns.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "cad/real_text.h"

using ostrel::cad::kRealTextRoom;
using ostrel::cad::WriteShortestReal;

namespace {

std::string Fast(double v) {
    char buf[kRealTextRoom + 8];
    std::fill(std::begin(buf), std::end(buf), '#');
    char* end = WriteShortestReal(buf, v);
    EXPECT_LE(end - buf, static_cast<std::ptrdiff_t>(kRealTextRoom));
    return std::string(buf, end);
}

std::string Reference(double v) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

} // namespace

// The spellings are std::to_chars's (the shortest exact text; plain wins a
// tie with scientific); survey values take the fast path.
TEST(RealText, KnownSpellings) {
    const std::pair<double, const char*> cases[] = {{0.0, "0"}, {-0.0, "-0"}, {10000, "10000"}, {100000, "1e+05"},
                                                    {0.0001, "1e-04"}, {512345.678, "512345.678"}};
    for (auto [v, text] : cases) EXPECT_EQ(Fast(v), text);
}

TEST(RealText, EdgesOfTheFastPathAgreeWithToChars) {
    const double edges[] = {
        std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::max(), std::numeric_limits<double>::epsilon(),
        std::ldexp(1.0, 49), std::ldexp(1.0, 49) - 0.5, std::ldexp(1.0, 49) - 1, std::ldexp(1.0, 48) + 0.25,
        std::ldexp(1.0, 52), std::ldexp(1.0, 53) + 2, std::ldexp(1.0, -60), std::ldexp(3.0, -100),
        0.5, 0.25, 0.125, 1.0 / 3, 2.0 / 3, 1e-3, 9.999999999999999e-4, 1e-7, 1.0000001e-7, 9.99e-8,
        1e15, 1e16, 1e17, 1e22, 1e23, 0.1, 0.7, 1.1, 100.0 / 3, 999999999999999.0, 99999999999999.9,
        562949953421311.9, 123456789012345.0, 12345678901234.5,
        std::nextafter(1.0, 0.0), std::nextafter(1.0, 2.0), std::nextafter(0.001, 0.0),
        std::nextafter(1000.0, 0.0), std::nextafter(1e-3, 1.0), std::nextafter(512345.678, 0.0),
    };
    for (double v : edges) {
        EXPECT_EQ(Fast(v), Reference(v)) << v;
        EXPECT_EQ(Fast(-v), Reference(-v)) << -v;
    }
    for (double v : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(Fast(v), Reference(v));
}

TEST(RealText, SurveyShapedValuesAgreeWithToChars) {
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<std::int64_t> whole(-999999999999, 999999999999);
    const double scales[] = {1, 10, 100, 1000, 10000, 100000, 1e6, 1e7, 1e9};
    for (int i = 0; i < 400000; ++i) {
        const double v = static_cast<double>(whole(rng)) / scales[i % 9];
        ASSERT_EQ(Fast(v), Reference(v)) << v;
        // The results of arithmetic (rotations, clipping) have many digits.
        const double w = v * 0.7071067811865476 + 0.1;
        ASSERT_EQ(Fast(w), Reference(w)) << w;
    }
}

TEST(RealText, ArbitraryBitPatternsAgreeWithToChars) {
    std::mt19937_64 rng(5);
    int checked = 0;
    for (int i = 0; i < 1000000; ++i) {
        std::uint64_t bits = rng();
        // Half of them with exponents in the range drawings use.
        if (i % 2) bits = (bits & 0x800FFFFFFFFFFFFFull) | (static_cast<std::uint64_t>(1023 - 40 + rng() % 90) << 52);
        // A quarter with short mantissas (few significant digits).
        if (i % 4 == 1) bits &= ~((std::uint64_t{1} << (20 + rng() % 30)) - 1);
        const double v = std::bit_cast<double>(bits);
        if (!std::isfinite(v)) continue;
        ++checked;
        ASSERT_EQ(Fast(v), Reference(v)) << std::hex << bits;
    }
    EXPECT_GT(checked, 990000);
}

TEST(RealText, TextsReadBackAsTheSameValue) {
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> coord(-1e7, 1e7);
    for (int i = 0; i < 200000; ++i) {
        const double v = i % 2 ? coord(rng) : std::round(coord(rng) * 1000) / 1000;
        const std::string text = Fast(v);
        double back = 0;
        ASSERT_EQ(std::from_chars(text.data(), text.data() + text.size(), back).ec, std::errc());
        ASSERT_EQ(back, v) << text;
    }
}
