// The lenient leading-number scan of record fields and settings, and the
// rounding of numbers to 16- and 32-bit integers.
//
// The scan reads the longest number at the start of a text:
//   - blanks, tabs and line feeds are skipped wherever they occur ("1 000" is 1000);
//   - an optional sign, digits with at most one "." (always the decimal
//     separator), then optionally an exponent: E or D (either case) with its
//     own optional sign and digits ("1D3" is 1000, as in the system's own
//     number syntax);
//   - "&H" or "&O" (either case) introduce a hexadecimal or octal integer; as
//     in the system's integer literals, a value up to FFFF is a 16-bit integer
//     and one up to FFFFFFFF a 32-bit integer, taken as signed ("&HFFFF" is
//     -1), unless a trailing "&" asks for 32 bits ("&HFFFF&" is 65535);
//   - the scan stops at the first character that cannot continue the number;
//     no digits give 0, and a value beyond the range of a double gives 0.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "run/record_reader.h"
#include "ostrel/errors.h"

namespace ostrel {

namespace {

constexpr bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Reads characters of a text, skipping the blanks between them.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    // The next character, or -1 at the end.
    int Peek() {
        while (i_ < text_.size() && IsSkipped(text_[i_])) ++i_;
        return i_ < text_.size() ? static_cast<unsigned char>(text_[i_]) : -1;
    }
    void Take() { ++i_; }

private:
    std::string_view text_;
    std::size_t i_ = 0;
};

constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int DigitValue(int c, int radix) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    return v >= 0 && v < radix ? v : -1;
}

// The integer after "&H" or "&O".
double RadixInteger(Cursor& in, int radix) {
    std::uint64_t value = 0;
    bool any = false, overflow = false;
    for (int c = in.Peek(); DigitValue(c, radix) >= 0; c = in.Peek()) {
        in.Take();
        any = true;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(DigitValue(c, radix));
        if (value > 0xFFFFFFFFull) overflow = true;
        if (overflow) value = 0x100000000ull;   // keeps the product in range
    }
    if (!any || overflow) return 0;
    const bool long32 = in.Peek() == '&';
    if (!long32 && value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Significant digits of a decimal number and the power of ten that scales
// them. Digits beyond what a double can tell apart are summed up in one
// sticky digit, so rounding stays right without a buffer per number.
class Mantissa {
public:
    void AddDigit(int c, bool afterPoint) {
        any_ = true;
        if (count_ == 0 && c == '0') {
            if (afterPoint) --exponent_;   // leading zeros only move the point
            return;
        }
        if (count_ < kKept) {
            digits_[count_++] = static_cast<char>(c);
            if (afterPoint) --exponent_;
        } else {
            if (c != '0') sticky_ = true;
            if (!afterPoint) ++exponent_;
        }
    }
    bool any() const { return any_; }

    // The value with the exponent written after the digits; 0 when it is
    // beyond the range of a double.
    double Value(bool negative, long long writtenExponent) const {
        if (count_ == 0) return 0;
        const long long e = exponent_ + writtenExponent;
        // Magnitude is about 10^(e + count - 1).
        if (e + count_ - 1 > 400) return 0;
        if (e + count_ - 1 < -400) return 0;
        char buf[kKept + 2 + 24];
        std::size_t n = 0;
        for (int i = 0; i < count_; ++i) buf[n++] = digits_[i];
        long long exp = e;
        if (sticky_) {
            buf[n++] = '1';
            --exp;
        }
        buf[n++] = 'e';
        const auto r = std::to_chars(buf + n, buf + sizeof buf, exp);
        n = static_cast<std::size_t>(r.ptr - buf);
        double v = 0;
        const auto parsed = std::from_chars(buf, buf + n, v);
        if (parsed.ec != std::errc() || !std::isfinite(v)) return 0;
        return negative ? -v : v;
    }

private:
    static constexpr int kKept = 40;
    char digits_[kKept]{};
    int count_ = 0;
    long long exponent_ = 0;
    bool sticky_ = false;
    bool any_ = false;
};

// The common shape of a record field, read in one pass: an optional sign,
// at most 15 digits with at most one ".", then the end of the text or a
// character that ends the scan. Such a value is an exact integer scaled by
// an exact power of ten, so one division gives the correctly rounded double,
// the same value the general scan gives. Anything else (blanks, an
// exponent, "&", more digits) is left to the general scan: false.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool PlainDecimal(std::string_view text, double& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    bool point = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return false;
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            fraction += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            if (IsSkipped(c) || c == 'E' || c == 'e' || c == 'D' || c == 'd') return false;
            break;
        }
    }
    if (digits == 0) return false;
    const double v = static_cast<double>(mantissa) / kPowersOfTen[fraction];
    value = v == 0 ? 0.0 : negative ? -v : v;   // no negative zero
    return true;
}

} // namespace

double LeadingNumber(std::string_view text) {
    if (double v; PlainDecimal(text, v)) return v;
    Cursor in(text);
    int c = in.Peek();
    if (c == '&') {
        in.Take();
        c = in.Peek();
        if (c == 'H' || c == 'h') {
            in.Take();
            return RadixInteger(in, 16);
        }
        if (c == 'O' || c == 'o') {
            in.Take();
            return RadixInteger(in, 8);
        }
        return 0;
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        in.Take();
        c = in.Peek();
    }
    Mantissa m;
    bool point = false;
    for (;; c = in.Peek()) {
        if (IsDigit(c)) {
            m.AddDigit(c, point);
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        in.Take();
    }
    if (!m.any()) return 0;
    long long exponent = 0;
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
        in.Take();
        c = in.Peek();
        bool negativeExponent = false;
        if (c == '+' || c == '-') {
            negativeExponent = c == '-';
            in.Take();
            c = in.Peek();
        }
        for (; IsDigit(c); c = in.Peek()) {
            in.Take();
            if (exponent < 100000) exponent = exponent * 10 + (c - '0');
        }
        if (negativeExponent) exponent = -exponent;
    }
    const double v = m.Value(negative, exponent);
    return v == 0 ? 0.0 : v;   // no negative zero
}

namespace {

// Nearest whole number, halves to the even neighbour, whatever the
// floating-point rounding mode.
double RoundHalfEven(double v) {
    const double lower = std::floor(v);
    const double diff = v - lower;
    if (diff > 0.5) return lower + 1;
    if (diff < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

[[noreturn]] void ThrowOverflow(double v, const char* type) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    throw ConversionError(ErrorCode::Overflow, std::string("Overflow: ") + text + " does not fit a " + type);
}

} // namespace

std::int16_t RoundToInt16(double v) {
    if (std::isnan(v)) ThrowOverflow(v, "16-bit integer");
    const double r = RoundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) ThrowOverflow(v, "16-bit integer");
    return static_cast<std::int16_t>(r);
}

std::int32_t RoundToInt32(double v) {
    if (std::isnan(v)) ThrowOverflow(v, "32-bit integer");
    const double r = RoundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) ThrowOverflow(v, "32-bit integer");
    return static_cast<std::int32_t>(r);
}

std::int16_t NarrowColourIndex(std::int32_t index) {
    if (index < -32768 || index > 32767)
        throw ConversionError(ErrorCode::Overflow,
                              std::string("Overflow: colour index ") + std::to_string(index) + " does not fit in 16 bits");
    return static_cast<std::int16_t>(index);
}

} // namespace ostrel
