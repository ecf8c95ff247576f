#pragma once
// Symbol names (layers, linetypes, blocks, text styles) as a release can
// hold them. The database keeps the names it was given; the writer uses
// these per-save tables, so references by index always meet the same name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad::dxf {

enum class SymbolKind : std::uint8_t { Layer, Linetype, Block, Style, Other };

// The rules, by release:
// - R12, R13, R14: at most 31 characters from A-Z, 0-9, "$", "-" and "_";
//   letters are upper-cased and any other character becomes "_".
// - R2000 on: at most 255 characters; control characters and
//   < > / \ " : ; ? * | = ` , become "_".
// - A leading "*" is kept for block names (*Model_Space, anonymous blocks)
//   and the "*Active" viewport; elsewhere it is replaced like the rest.
// - An empty name becomes "_".
// - From R2007 the bytes (Windows-1252) are converted to UTF-8.
std::string ValidSymbolName(std::string_view name, Release release, SymbolKind kind);

struct ReleaseNames {
    std::vector<std::string> layers, linetypes, blocks, styles;
};

// Valid names for every record of the drawing; names that become equal
// (case-insensitively) get "_2", "_3", ... in table order.
ReleaseNames MakeReleaseNames(const Drawing& d, Release release);

} // namespace ostrel::cad::dxf
