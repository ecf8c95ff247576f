#pragma once
// Letter case of Windows-1252 (ANSI) text, as the system's upper-casing
// treats it: a-z, the accented letters 0xE0-0xFE (but not 0xF7), and the
// four letters of 0x80-0x9F that have capitals (š œ ž ÿ).
#include <array>
#include <cstddef>
#include <string_view>

namespace ostrel::platform {

namespace detail {
constexpr std::array<unsigned char, 256> MakeAnsiUpperTable() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 0x20);
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 0x20);
    t[0x9A] = 0x8A;   // š
    t[0x9C] = 0x8C;   // œ
    t[0x9E] = 0x8E;   // ž
    t[0xFF] = 0x9F;   // ÿ
    return t;
}
inline constexpr std::array<unsigned char, 256> kAnsiUpper = MakeAnsiUpperTable();
} // namespace detail

constexpr char AnsiUpper(char c) {
    return static_cast<char>(detail::kAnsiUpper[static_cast<unsigned char>(c)]);
}

// Equal when both are upper-cased.
constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AnsiUpper(a[i]) != AnsiUpper(b[i])) return false;
    return true;
}

} // namespace ostrel::platform
