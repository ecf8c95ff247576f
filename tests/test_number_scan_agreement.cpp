// The leading-number scan on the numbers exports are made of: every value is
// the correctly rounded double of its digits, whichever way the scan takes
// (the scan's other rules: test_record_reader).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "run/record_reader.h"

using ostrel::LeadingNumber;

namespace {

// The double nearest the written decimal, as the C++ library reads it.
double Nearest(const std::string& text) {
    double v = 0;
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    auto r = std::from_chars(first, text.data() + text.size(), v);
    EXPECT_EQ(r.ec, std::errc()) << text;
    return v;
}

std::uint64_t Bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

} // namespace

TEST(NumberScanAgreement, SurveyCoordinatesReadAsTheNearestDouble) {
    std::mt19937_64 rng(20240607);
    for (int i = 0; i < 200000; ++i) {
        int intDigits = 1 + static_cast<int>(rng() % 9);
        int fracDigits = static_cast<int>(rng() % 9);
        std::string t = (rng() % 4 == 0) ? "-" : "";
        for (int d = 0; d < intDigits; ++d) t += static_cast<char>('0' + rng() % 10);
        if (fracDigits || rng() % 2) t += '.';
        for (int d = 0; d < fracDigits; ++d) t += static_cast<char>('0' + rng() % 10);
        double want = Nearest(t);
        if (want == 0) want = 0.0;
        ASSERT_EQ(Bits(LeadingNumber(t)), Bits(want)) << t;
    }
}

TEST(NumberScanAgreement, FifteenAndMoreDigitsAndHardRoundingCasesStayExact) {
    for (const char* t : {"123456789012345", "1234567890123456", "12345678901234567890", "0.1", "0.3",
                          "9007199254740993", "0.000000000000000000001", "1.00000000000000011102230246251565",
                          "512537.48800000001", "-184707.511", "4.35", "2.675", "1.005", "100000000000000.5"}) {
        EXPECT_EQ(Bits(LeadingNumber(t)), Bits(Nearest(t))) << t;
    }
}
