#include "cad/dxf/dxf_text_encoding.h"

#include <cstdint>

namespace ostrel::cad::dxf {

namespace {

// Code points of bytes 0x80..0x9F; the rest of the upper half is Latin-1.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::uint16_t Cp1252CodePoint(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c; }

char* AppendCp1252AsUtf8(unsigned char c, char* p) {
    if (c < 0x80) {
        *p++ = static_cast<char>(c);
        return p;
    }
    std::uint32_t cp = Cp1252CodePoint(c);
    if (cp < 0x800) {
        *p++ = static_cast<char>(0xC0 | (cp >> 6));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *p++ = static_cast<char>(0xE0 | (cp >> 12));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return p;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    char buf[4];
    for (unsigned char c : bytes) {
        char* end = AppendCp1252AsUtf8(c, buf);
        out.append(buf, end);
    }
    return out;
}

} // namespace ostrel::cad::dxf
