#pragma once
// The multileader style (MLEADERSTYLE) and table style (TABLESTYLE) a current
// drawing carries: their fields, in the order DXF and DWG store them (DWG up
// to R2007 for the table style), each with its DXF group code, its kind, the
// release that added it and the value of the standard style. An object holds
// one value per field of its kind's list; the codecs walk the list.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cad/release_traits.h"

namespace ostrel::cad {

using Handle = std::uint64_t;

enum class StyleFieldKind : std::uint8_t {
    Short,      // DWG BS
    Long,       // DWG BL
    Real,       // DWG BD
    Flag,       // DWG B
    Colour,     // DWG CMC; DXF the colour index (table style) or its 32-bit colour value (multileader style)
    Linetype,   // DWG hard pointer, DXF a handle: a linetype
    TextStyle,  // DWG hard pointer; DXF a handle (multileader style) or the style's name (table style, code 7)
    Block,      // DWG hard pointer, DXF a handle: a block record (none in the standard styles)
    Text,       // DWG TV
};

struct StyleField {
    std::int16_t code;
    StyleFieldKind kind;
    Release since;          // the first release whose files hold the field
    double standard;        // the standard style's number (colour index for colours)
    const char* text;       // the standard style's text (Text fields), else nullptr
};

// One field's value: a number, a handle (linetype, text style, block) or a text.
struct StyleValue {
    double number = 0;
    Handle handle = 0;
    std::string text;
};

std::span<const StyleField> MLeaderStyleFields();
// Before R2010 a multileader style gives its class version (2) as extended
// data (1070) of this application.
inline constexpr const char* kMLeaderVersionApp = "ACAD_MLEADERVER";
// The table style's fields: its own, then for each of the data, title and
// header rows the text style, height, alignment, colours, value format and
// six borders.
std::span<const StyleField> TableStyleFields();
inline constexpr int kTableStyleOwnFields = 8;
inline constexpr int kTableStyleRowFields = 27;

// The standard style's values for the list: handles point at the given
// ByBlock linetype and Standard text style.
std::vector<StyleValue> StandardStyleValues(std::span<const StyleField> fields, Handle byBlockLinetype,
                                            Handle standardTextStyle);

// A colour index as a 32-bit colour value (0xC1000000 ByBlock, 0xC0000000
// ByLayer, 0xC3 with the index) and back.
std::int32_t ColourValue(std::int16_t index);
std::int16_t ColourIndex(std::int32_t value);

} // namespace ostrel::cad
