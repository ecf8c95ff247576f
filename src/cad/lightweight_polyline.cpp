#include "cad/lightweight_polyline.h"

#include "cad/release_traits.h"

namespace ostrel::cad {

bool WritesLightweight(const Drawing& d, Release r, const Entity& polyline, std::size_t vertexCount) {
    return d.lightweightPolylines && Traits(r).lightweightPolylines && polyline.type == EntityType::Polyline &&
           (polyline.geom.polyline.flags & (8 | 16 | 64)) == 0 && vertexCount >= 2;
}

LightweightPolyline LightweightOf(const Entity& polyline, const std::vector<const Entity*>& vertices) {
    const auto& p = polyline.geom.polyline;
    LightweightPolyline lw;
    lw.closed = (p.flags & 1) != 0;
    lw.continuousPattern = (p.flags & 128) != 0;
    lw.elevation = p.elevation;
    lw.colour = polyline.colour;
    lw.vertices.reserve(vertices.size());
    for (const Entity* e : vertices) {
        const auto& v = e->geom.vertex;
        LightweightVertex out;
        out.x = v.pos.x;
        out.y = v.pos.y;
        out.startWidth = (v.widthFlags & 1) || v.startWidth != 0 ? v.startWidth : p.startWidth;
        out.endWidth = (v.widthFlags & 2) || v.endWidth != 0 ? v.endWidth : p.endWidth;
        out.bulge = v.bulge;
        if (v.bulge != 0) lw.hasBulges = true;
        if (lw.colour == kColourByLayer && e->colour != kColourByLayer) lw.colour = e->colour;
        lw.vertices.push_back(out);
    }
    lw.constantWidth = true;
    lw.width = lw.vertices.empty() ? 0 : lw.vertices.front().startWidth;
    for (const auto& v : lw.vertices)
        if (v.startWidth != lw.width || v.endWidth != lw.width) lw.constantWidth = false;
    return lw;
}

} // namespace ostrel::cad
