#include "cad/annotation_styles.h"

#include <array>

namespace ostrel::cad {

namespace {

using K = StyleFieldKind;
constexpr Release kAll = Release::R2000;

// Values of the standard style as the leading program's drawings hold them.
constexpr StyleField kMLeaderStyle[] = {
    {179, K::Short, Release::R2010, 2, nullptr},        // class version
    {170, K::Short, kAll, 2, nullptr},                  // content: multiline text
    {171, K::Short, kAll, 1, nullptr},                  // draw the leader first
    {172, K::Short, kAll, 0, nullptr},                  // leader head first
    {90, K::Long, kAll, 2, nullptr},                    // points per leader
    {40, K::Real, kAll, 0, nullptr},
    {41, K::Real, kAll, 0, nullptr},                    // segment angle constraints
    {173, K::Short, kAll, 1, nullptr},                  // straight leaders
    {91, K::Colour, kAll, 0, nullptr},                  // leader colour ByBlock
    {340, K::Linetype, kAll, 0, nullptr},               // leader linetype ByBlock
    {92, K::Long, kAll, -2, nullptr},                   // leader lineweight ByBlock
    {290, K::Flag, kAll, 1, nullptr},
    {42, K::Real, kAll, 2, nullptr},                    // landing gap
    {291, K::Flag, kAll, 1, nullptr},
    {43, K::Real, kAll, 0.36, nullptr},                 // dogleg length
    {3, K::Text, kAll, 0, "Standard"},                  // description
    {341, K::Block, kAll, 0, nullptr},                  // arrow head: the default
    {44, K::Real, kAll, 4, nullptr},                    // arrow size
    {300, K::Text, kAll, 0, ""},                        // default text
    {342, K::TextStyle, kAll, 0, nullptr},
    {174, K::Short, kAll, 1, nullptr},
    {178, K::Short, kAll, 6, nullptr},                  // left and right attachment
    {175, K::Short, kAll, 1, nullptr},                  // text angle
    {176, K::Short, kAll, 0, nullptr},                  // text alignment
    {93, K::Colour, kAll, 0, nullptr},                  // text colour ByBlock
    {45, K::Real, kAll, 4, nullptr},                    // text height
    {292, K::Flag, kAll, 0, nullptr},                   // text frame
    {297, K::Flag, kAll, 0, nullptr},                   // always left
    {46, K::Real, kAll, 4, nullptr},                    // align space
    {343, K::Block, kAll, 0, nullptr},                  // block content
    {94, K::Colour, kAll, 0, nullptr},                  // block colour ByBlock
    {47, K::Real, kAll, 1, nullptr},
    {49, K::Real, kAll, 1, nullptr},
    {140, K::Real, kAll, 1, nullptr},                   // block scale
    {293, K::Flag, kAll, 1, nullptr},
    {141, K::Real, kAll, 0, nullptr},                   // block rotation
    {294, K::Flag, kAll, 1, nullptr},
    {177, K::Short, kAll, 0, nullptr},                  // block connection
    {142, K::Real, kAll, 1, nullptr},                   // scale
    {295, K::Flag, kAll, 0, nullptr},                   // properties changed
    {296, K::Flag, kAll, 0, nullptr},                   // annotative
    {143, K::Real, kAll, 0.125, nullptr},               // break gap
    {271, K::Short, Release::R2010, 0, nullptr},        // attachment direction
    {273, K::Short, Release::R2010, 9, nullptr},
    {272, K::Short, Release::R2010, 9, nullptr},        // top and bottom attachment
    {298, K::Flag, Release::R2013, 1, nullptr},         // text extended to the landing
};

constexpr StyleField kTableOwn[kTableStyleOwnFields] = {
    {280, K::Short, Release::R2010, 0, nullptr},        // version (DXF; DWG holds cell styles from R2010)
    {3, K::Text, kAll, 0, "Standard"},                  // description
    {70, K::Short, kAll, 0, nullptr},                   // flow down
    {71, K::Short, kAll, 0, nullptr},                   // flags
    {40, K::Real, kAll, 1.5, nullptr},
    {41, K::Real, kAll, 1.5, nullptr},                  // horizontal and vertical cell margins
    {280, K::Flag, kAll, 0, nullptr},
    {281, K::Flag, kAll, 0, nullptr},                   // title and header shown
};

// A row of the data, title and header rows: text style, height, alignment,
// text and fill colour, whether filled, the cell value's format, then six borders (top, inside
// horizontal, bottom, left, inside vertical, right): lineweight, shown, colour.
constexpr std::array<StyleField, kTableStyleRowFields> Row(double height, double alignment) {
    std::array<StyleField, kTableStyleRowFields> row{{
        {7, K::TextStyle, kAll, 0, nullptr},
        {140, K::Real, kAll, height, nullptr},
        {170, K::Short, kAll, alignment, nullptr},
        {62, K::Colour, kAll, 0, nullptr},
        {63, K::Colour, kAll, 7, nullptr},
        {283, K::Flag, kAll, 0, nullptr},
        {90, K::Long, Release::R2007, 512, nullptr},    // value type: general
        {91, K::Long, Release::R2007, 0, nullptr},      // unit type
        {1, K::Text, Release::R2007, 0, ""},            // format
    }};
    for (int i = 0; i < 6; ++i) {
        row[static_cast<std::size_t>(9 + 3 * i)] = {static_cast<std::int16_t>(274 + i), K::Short, kAll, -2, nullptr};
        row[static_cast<std::size_t>(10 + 3 * i)] = {static_cast<std::int16_t>(284 + i), K::Flag, kAll, 1, nullptr};
        row[static_cast<std::size_t>(11 + 3 * i)] = {static_cast<std::int16_t>(64 + i), K::Colour, kAll, 0, nullptr};
    }
    return row;
}

constexpr auto kTableStyle = [] {
    std::array<StyleField, kTableStyleOwnFields + 3 * kTableStyleRowFields> all{};
    for (int i = 0; i < kTableStyleOwnFields; ++i) all[static_cast<std::size_t>(i)] = kTableOwn[i];
    const std::array<StyleField, kTableStyleRowFields> rows[3] = {Row(4.5, 2), Row(6, 5), Row(4.5, 5)};
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < kTableStyleRowFields; ++i)
            all[static_cast<std::size_t>(kTableStyleOwnFields + r * kTableStyleRowFields + i)] =
                rows[r][static_cast<std::size_t>(i)];
    return all;
}();

} // namespace

std::span<const StyleField> MLeaderStyleFields() { return kMLeaderStyle; }
std::span<const StyleField> TableStyleFields() { return kTableStyle; }

std::vector<StyleValue> StandardStyleValues(std::span<const StyleField> fields, Handle byBlockLinetype,
                                            Handle standardTextStyle) {
    std::vector<StyleValue> values(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        values[i].number = fields[i].standard;
        if (fields[i].text) values[i].text = fields[i].text;
        if (fields[i].kind == K::Linetype) values[i].handle = byBlockLinetype;
        if (fields[i].kind == K::TextStyle) values[i].handle = standardTextStyle;
    }
    return values;
}

std::int32_t ColourValue(std::int16_t index) {
    const std::uint32_t method = index == 256 ? 0xC0u : index == 0 ? 0xC1u : 0xC3u;
    return static_cast<std::int32_t>((method << 24) | (method == 0xC3u ? static_cast<std::uint32_t>(index & 0xFF) : 0u));
}

std::int16_t ColourIndex(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    switch (v >> 24) {
    case 0xC0: return 256;
    case 0xC1: return 0;
    case 0xC3: return static_cast<std::int16_t>(v & 0xFF);
    default: return static_cast<std::int16_t>(value >= 0 && value <= 256 ? value : 256);
    }
}

} // namespace ostrel::cad
