#pragma once
// The extents of a block's entities, measured from their geometry through
// each kind's own points (entity_kinds.h): texts by their insertion point
// and height, viewports by their frame, fills by their boundary. What
// `info` reports, `plot` frames and the sheet pass zooms to; the header's
// $EXTMIN/$EXTMAX are the conversion's own.
#include <cstdint>

#include "cad/drawing.h"
#include "cad/entity_kinds.h"

namespace ostrel::cad {

enum class ExtentsReach : std::uint8_t {
    // Inserts and dimensions through their blocks, as they are drawn.
    Drawn,
    // Inserts by their insertion point, dimensions by their first point,
    // and a paper layout's own overall viewport left out: a view zoomed to
    // these stays where it is wherever a symbol reaches past the rest.
    Anchors,
};

Box ExtentsOf(const Drawing& d, std::uint32_t block, ExtentsReach reach = ExtentsReach::Drawn);

} // namespace ostrel::cad
