// JSON strings and numbers.
#include "tools/convert/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cad/dxf/dxf_text_encoding.h"

namespace ostrel::cli {

namespace {

// True when the bytes are well-formed UTF-8 (paths on POSIX are; texts of
// exports and drawings are Windows-1252).
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + static_cast<std::size_t>(more) >= s.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

} // namespace

std::string JsonString(std::string_view s) {
    const std::string text = IsUtf8(s) ? std::string(s) : cad::dxf::Cp1252ToUtf8(s);
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string JsonNumber(double v) {
    if (!std::isfinite(v)) return "null";
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

} // namespace ostrel::cli
