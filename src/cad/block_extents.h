#pragma once
// The extents of a block's entities, measured from their geometry: inserts
// through their blocks, texts by their insertion point and height, viewports
// by their frame, fills by their boundary. What `info` reports and `plot`
// frames; the header's $EXTMIN/$EXTMAX are the conversion's own.
#include <cstdint>

#include "cad/drawing.h"

namespace ostrel::cad {

struct Box {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    bool empty() const { return minX > maxX; }
    void Add(double x, double y) {
        if (x < minX) minX = x;
        if (y < minY) minY = y;
        if (x > maxX) maxX = x;
        if (y > maxY) maxY = y;
    }
};

Box ExtentsOf(const Drawing& d, std::uint32_t block);

} // namespace ostrel::cad
