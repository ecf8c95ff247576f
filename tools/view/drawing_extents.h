#pragma once
// The extents of a block's entities, measured from their geometry (inserts
// through their blocks, texts by their insertion point and height).
#include <cstdint>

#include "cad/drawing.h"

namespace ostrel::cli {

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

Box ExtentsOf(const cad::Drawing& d, std::uint32_t block);

} // namespace ostrel::cli
