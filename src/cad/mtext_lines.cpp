#include "cad/mtext_lines.h"

namespace ostrel::cad {

namespace {

// Codes followed by a value that ends at ';'.
bool TakesValue(char c) {
    switch (c) {
    case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
    case 'T': case 't': case 'W': case 'w': case 'p':
        return true;
    default:
        return false;
    }
}

// The stacked fraction after \S up to ';', its separator (^, /, #) as '/'.
std::size_t Stacked(std::string_view raw, std::size_t i, std::string& line) {
    for (; i < raw.size() && raw[i] != ';'; ++i)
        line += raw[i] == '^' || raw[i] == '#' ? '/' : raw[i];
    return i;
}

} // namespace

std::vector<std::string> MTextLines(std::string_view raw) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '{' || c == '}') continue;
        if (c == '\n') { lines.emplace_back(); continue; }
        if (c == '\t') { lines.back() += ' '; continue; }
        if (c != '\\' || i + 1 >= raw.size()) { lines.back() += c; continue; }
        const char code = raw[++i];
        if (code == 'P' || code == 'N') lines.emplace_back();
        else if (code == '~') lines.back() += ' ';
        else if (code == '\\' || code == '{' || code == '}') lines.back() += code;
        else if (code == 'S') i = Stacked(raw, i + 1, lines.back());
        else if (TakesValue(code)) {
            while (i < raw.size() && raw[i] != ';') ++i;
        }
        // Other codes (\L \l \O \o \K \k \X ...) switch a style: nothing shown.
    }
    return lines;
}

} // namespace ostrel::cad
