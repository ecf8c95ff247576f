// The fast path for values of up to 15 significant digits. For such a
// value v, K is the most decimals with |v| * 10^K below 2^49; then the
// rounding interval of v spans less than a quarter unit at scale 10^K, so
// at most one whole number m lies in it, and the floating-point product
// |v| * 10^K is close enough to find it by rounding. m / 10^K reads back as
// v exactly when the division (correctly rounded, both operands exact)
// gives v. Every shorter spelling with k < K decimals is that same m with
// K - k trailing zeros, so stripping m's trailing zeros gives the fewest
// digits: the digits std::to_chars picks. Values needing more digits, and
// those whose scientific spelling is shorter, go to std::to_chars itself.
// K = 3 is tried first, as most values are in millimetres; when it holds,
// the same argument applies with K = 3.
#include "cad/real_text.h"

#include <bit>
#include <charconv>
#include <initializer_list>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ostrel::cad {

namespace {

constexpr double kLimit = 562949953421312.0;            // 2^49
constexpr double kRoundMagic = 6755399441055744.0;      // 1.5 * 2^52

constexpr double kPow10d[18] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                                1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the n decimal digits of a 32-bit m (leading zeros included) ending at end.
inline void WriteDigits32(char* end, std::uint32_t m, int n) {
    while (n >= 2) {
        const std::uint32_t pair = m % 100;
        m /= 100;
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * pair, 2);
        n -= 2;
    }
    if (n == 1) *--end = static_cast<char>('0' + m % 10);
}

// The same for m below 10^16: two independent 8-digit halves.
inline void WriteDigits(char* end, std::uint64_t m, int n) {
    if (n <= 8) {
        WriteDigits32(end, static_cast<std::uint32_t>(m), n);
        return;
    }
    WriteDigits32(end, static_cast<std::uint32_t>(m % 100000000), 8);
    WriteDigits32(end - 8, static_cast<std::uint32_t>(m / 100000000), n - 8);
}

constexpr std::uint64_t kPow10[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
                                      100000000ull, 1000000000ull, 10000000000ull, 100000000000ull,
                                      1000000000000ull, 10000000000000ull, 100000000000000ull,
                                      1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
                                      1000000000000000000ull, 10000000000000000000ull};

// Decimal digits of m (m < 2^50 here): bit width times log10(2), then one
// comparison.
inline int DigitCount(std::uint64_t m) {
    const int guess = (static_cast<int>(std::bit_width(m | 1)) * 1233) >> 12;   // digits - 1 or digits
    return guess + (m >= kPow10[guess] ? 1 : 0);
}

// Removes up to `most` trailing zeros of m, halving the search: m is a
// multiple of 10^8, 10^4, 10^2, 10 in turn or not. Returns how many went.
inline int StripZeros(std::uint64_t& m, int most) {
    int removed = 0;
    for (int step : {8, 4, 2, 1}) {
        if (most - removed >= step && m % kPow10[step] == 0) {
            m /= kPow10[step];
            removed += step;
        }
    }
    // 8 + 4 + 2 + 1 covers up to 15; K can be 17.
    while (removed < most && m % 10 == 0) {
        m /= 10;
        ++removed;
    }
    return removed;
}

char* Fallback(char* out, double value) noexcept { return std::to_chars(out, out + kRealTextRoom, value).ptr; }

// a (1e-7 <= a < kLimit) as m / 10^k with the fewest decimals k that give a
// back exactly; false when no k up to 17 does.
inline bool ExactDecimal(double a, std::uint64_t& m, int& k) noexcept {
    // Most drawing values have three decimals or fewer (millimetres): try
    // K = 3 first, where the zeros to strip are few.
    const double milli = a * 1000.0;
    const double milliRounded = (milli + kRoundMagic) - kRoundMagic;
    if (milli < kLimit && milliRounded / 1000.0 == a) {
        m = static_cast<std::uint64_t>(milliRounded);
        k = 3;
        while (k > 0 && m % 10 == 0) {
            m /= 10;
            --k;
        }
        return true;
    }
    // The most decimals K with a * 10^K < 2^49, from the binary exponent
    // (a guess one too high at most, corrected by one comparison).
    // a in [2^(e2-1), 2^e2); a is normal here (a >= 1e-7).
    const int e2 = static_cast<int>((std::bit_cast<std::uint64_t>(a) >> 52) & 0x7FF) - 1022;
    int K = static_cast<int>((49 - e2 + 1) * 0.30103);
    if (K > 17) K = 17;
    while (K > 0 && a * kPow10d[K] >= kLimit) --K;
    const double scaled = a * kPow10d[K];
    const double rounded = (scaled + kRoundMagic) - kRoundMagic;
    if (rounded / kPow10d[K] != a) return false;
    m = static_cast<std::uint64_t>(rounded);
    k = K - StripZeros(m, K);
    return true;
}

// m / 10^k in plain notation: the integer digits, then k decimals after the point.
inline char* WritePlain(char* out, std::uint64_t m, int k, int digits) noexcept {
    if (k == 0) {
        WriteDigits(out + digits, m, digits);
        return out + digits;
    }
    char all[24];
    const int width = digits > k ? digits : k + 1;
    const int intDigits = width - k;
    WriteDigits(all + width, m, width);
    std::memcpy(out, all, static_cast<std::size_t>(intDigits));
    out += intDigits;
    *out++ = '.';
    std::memcpy(out, all + intDigits, static_cast<std::size_t>(k));
    return out + k;
}

} // namespace

char* WriteShortestReal(char* out, double value) noexcept {
    const double a = std::fabs(value);
    if (!(a < kLimit) || a < 1e-7 || a == 0) {
        if (value == 0) {
            if (std::signbit(value)) *out++ = '-';
            *out++ = '0';
            return out;
        }
        return Fallback(out, value);
    }
    std::uint64_t m = 0;
    int k = 0;
    if (!ExactDecimal(a, m, k)) return Fallback(out, value);
    const int digits = DigitCount(m);
    int significant = digits;
    if (k == 0) {
        std::uint64_t t = m;
        significant -= StripZeros(t, digits - 1);
    }
    // Plain notation only where it is no longer than the scientific form.
    const int exponent = digits - 1 - k;
    const int absExponent = exponent < 0 ? -exponent : exponent;
    const int scientificLength = significant + (significant > 1 ? 1 : 0) + 2 + (absExponent >= 100 ? 3 : 2);
    const int intDigits = digits > k ? digits - k : 1;
    const int plainLength = intDigits + (k > 0 ? 1 + k : 0);
    if (plainLength > scientificLength) return Fallback(out, value);

    if (std::signbit(value)) *out++ = '-';
    return WritePlain(out, m, k, digits);
}

} // namespace ostrel::cad
