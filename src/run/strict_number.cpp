// The strict number conversion of a whole field.
#include "run/strict_number.h"

#include <charconv>
#include <string>
#include <system_error>

#include "ostrel/errors.h"

namespace ostrel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void Mismatch(std::string_view text, std::string_view what) {
    throw ConversionError(ErrorCode::TypeMismatch,
                          "type mismatch: " + std::string(what) + " is not a number ('" + std::string(text) + "')");
}

// The exponent at body[i], if any ("E", "e", "D" or "d", a sign, digits),
// copied to plain as from_chars reads it ("e"); i moves past it. False for a
// letter without digits. A huge exponent is held at 100000 or so.
bool ReadExponent(std::string_view body, std::size_t& i, std::string& plain, long long& exponent) {
    exponent = 0;
    if (i >= body.size() || !(body[i] == 'E' || body[i] == 'e' || body[i] == 'D' || body[i] == 'd')) return true;
    plain += 'e';
    ++i;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        negative = body[i] == '-';
        plain += body[i];
        ++i;
    }
    int digits = 0;
    for (; i < body.size() && IsDigit(body[i]); ++i, ++digits) {
        plain += body[i];
        if (exponent < 100000) exponent = exponent * 10 + (body[i] - '0');
    }
    if (negative) exponent = -exponent;
    return digits > 0;
}

} // namespace

double StrictNumber(std::string_view text, std::string_view what) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    const std::string_view body = text.substr(b, e - b);

    // Parse into a plain form from_chars reads: no "+", exponent letter "e".
    std::string plain;
    plain.reserve(body.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        negative = body[i] == '-';
        if (negative) plain += '-';
        ++i;
    }
    int digits = 0, leadingDigits = 0, fractionZeros = 0;
    bool seenPoint = false, seenNonZero = false;
    for (; i < body.size(); ++i) {
        const char c = body[i];
        if (IsDigit(c)) {
            ++digits;
            if (c != '0') seenNonZero = true;
            if (!seenPoint && seenNonZero) ++leadingDigits;
            if (seenPoint && !seenNonZero) ++fractionZeros;
            plain += c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            plain += c;
        } else {
            break;
        }
    }
    if (digits == 0) Mismatch(text, what);
    long long exponent = 0;
    if (!ReadExponent(body, i, plain, exponent) || i != body.size()) Mismatch(text, what);
    if (!seenNonZero) return negative ? -0.0 : 0.0;

    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // The decimal exponent of the leading digit tells overflow from underflow.
        const long long magnitude = (leadingDigits > 0 ? leadingDigits - 1 : -(fractionZeros + 1)) + exponent;
        if (magnitude > 0)
            throw ConversionError(ErrorCode::Overflow, "overflow: " + std::string(what) + " is too large ('" +
                                                           std::string(text) + "')");
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc() || end != plain.data() + plain.size()) Mismatch(text, what);
    return value;
}

} // namespace ostrel
