#include "cad/dxf/dxf_read_text.h"

namespace ostrel::cad {

namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F (0 where the byte is unused).
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Length of the UTF-8 sequence at s[i] and its code point; 0 when invalid.
int DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    auto b0 = static_cast<unsigned char>(s[i]);
    int len;
    std::uint32_t min;
    if (b0 < 0x80) { cp = b0; return 1; }
    if ((b0 & 0xE0) == 0xC0) { len = 2; cp = b0 & 0x1F; min = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; cp = b0 & 0x0F; min = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; cp = b0 & 0x07; min = 0x10000; }
    else return 0;
    if (i + static_cast<std::size_t>(len) > s.size()) return 0;
    for (int k = 1; k < len; ++k) {
        auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

} // namespace

int Cp1252FromCodePoint(std::uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHighControls[k] != 0 && kHighControls[k] == cp) return 0x80 + k;
    return -1;
}

void AppendUtf8AsCp1252(std::string_view utf8, std::string& out) {
    static const char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        int len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {              // not UTF-8: keep the byte
            out.push_back(utf8[i]);
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(len);
        int b = Cp1252FromCodePoint(cp);
        if (b >= 0) {
            out.push_back(static_cast<char>(b));
        } else {
            out += "\\U+";
            if (cp > 0xFFFF) {       // beyond the escape's four digits: two surrogates
                std::uint32_t v = cp - 0x10000;
                std::uint32_t hi = 0xD800 + (v >> 10), lo = 0xDC00 + (v & 0x3FF);
                for (int sh = 12; sh >= 0; sh -= 4) out.push_back(hex[(hi >> sh) & 0xF]);
                out += "\\U+";
                for (int sh = 12; sh >= 0; sh -= 4) out.push_back(hex[(lo >> sh) & 0xF]);
            } else {
                for (int sh = 12; sh >= 0; sh -= 4) out.push_back(hex[(cp >> sh) & 0xF]);
            }
        }
    }
}

void AppendCaretDecoded(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '^' || i + 1 == text.size()) {
            out.push_back(c);
            continue;
        }
        const char next = text[i + 1];
        if (next == ' ') out.push_back('^');
        else if (next >= '@' && next <= '_') out.push_back(static_cast<char>(next - 64));
        else if (next == '?') out.push_back('\x7F');
        else {
            out.push_back(c);
            continue;
        }
        ++i;
    }
}

} // namespace ostrel::cad
