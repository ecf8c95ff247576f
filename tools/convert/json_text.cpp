// JSON strings and numbers.
#include "tools/convert/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "cad/dxf/dxf_text_encoding.h"

namespace ostrel::cli {

std::string JsonString(std::string_view s) {
    const std::string text = cad::dxf::Cp1252ToUtf8(s);
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
