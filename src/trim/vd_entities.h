#pragma once
// An entity list of the trim pass's drawing engine: a block's entities
// (model space or a layout) with the cursor the viewer keeps per list.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "trim/vd_entity.h"

namespace ostrel::trim {

class vdEntities {
public:
    vdEntities(EntityStore* store, std::uint32_t block) : store_(store), block_(block) {}

    // Entities in the list (vertices, sequence ends, fills and a layout's
    // own overall viewport are parts of others and not counted).
    std::int32_t Count() const;
    // The cursor: First restarts it, Next moves on; nothing at the end. A walk
    // visits each entity that was in the list when First was called once;
    // entities deleted before the cursor reaches them are passed over, and
    // entities added during the walk are not visited by it.
    vdEntity First();
    vdEntity Next();

    // Puts an entity into this list: a free copy is moved in, an entity that
    // is already in a list is copied. Returns 1.
    std::int32_t AddEntity(const vdEntity& e);
    // A new polyline through a flat x, y, z array of at least two points: a
    // 2D polyline at the points' elevation when all z are equal, else a 3D one.
    vdEntity AddPolyline(const std::vector<double>& xyz);
    // A new viewport centred at (x, y) of the given sheet size; it shows the
    // same region until its view is set.
    vdEntity AddViewport(const std::array<double, 2>& centre, double width, double height);
    // A single-line TEXT of the string at the point. size is in the viewer's
    // string units, a hundredth of the height times 1.6: height = size / 160.
    vdEntity PlaceString(std::string_view text, const std::array<double, 3>& point, double size);

    std::uint32_t Block() const { return block_; }

private:
    EntityStore* store_;
    std::uint32_t block_;
};

// PlaceString's size for a text height, and back.
constexpr double kStringUnitsPerHeight = 100.0 * 1.6;

} // namespace ostrel::trim
