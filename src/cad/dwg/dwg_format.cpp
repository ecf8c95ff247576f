#include "cad/dwg/dwg_format.h"

namespace ostrel::cad::dwg {

std::uint8_t LineweightIndex(std::int16_t lw) {
    switch (lw) {
    case -1: return 29;
    case -2: return 30;
    case -3: return 31;
    default: break;
    }
    for (std::uint8_t i = 0; i < 24; ++i)
        if (kLineweights[i] == lw) return i;
    // Not a standard weight: the nearest one above it.
    for (std::uint8_t i = 0; i < 24; ++i)
        if (kLineweights[i] > lw) return i;
    return 23;
}

std::int16_t LineweightFromIndex(unsigned index) {
    if (index < 24) return kLineweights[index];
    switch (index) {
    case 29: return -1;
    case 30: return -2;
    default: return -3;
    }
}

namespace {
struct CodePage {
    std::uint16_t number;
    const char* name;
};
constexpr CodePage kCodePages[] = {
    {28, "ANSI_1250"}, {29, "ANSI_1251"}, {30, "ANSI_1252"}, {32, "ANSI_1253"}, {33, "ANSI_1254"},
    {34, "ANSI_1255"}, {35, "ANSI_1256"}, {36, "ANSI_1257"}, {37, "ANSI_874"},  {38, "ANSI_932"},
    {39, "ANSI_936"},  {40, "ANSI_949"},  {41, "ANSI_950"},  {42, "ANSI_1361"}, {44, "ANSI_1258"},
};
} // namespace

std::uint16_t CodePageNumber(std::string_view name) {
    for (auto& cp : kCodePages) {
        std::string_view n(cp.name);
        if (n.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < n.size() && same; ++i) {
            char a = n[i], b = name[i];
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
            same = a == b;
        }
        if (same) return cp.number;
    }
    return kCodePageAnsi1252;
}

const char* CodePageName(std::uint16_t number) {
    for (auto& cp : kCodePages)
        if (cp.number == number) return cp.name;
    return "ANSI_1252";
}

} // namespace ostrel::cad::dwg
