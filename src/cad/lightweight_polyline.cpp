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

namespace ostrel::cad {

namespace {

// The POLYLINE takes the LWPOLYLINE's place in the entity vector.
void AppendHeavy(Drawing& d, std::uint32_t at, const Entity& lw, std::vector<std::uint32_t>& list) {
    const auto& p = d.lwpolylines[lw.geom.extra.index];
    Entity head = lw;
    head.type = EntityType::Polyline;
    head.geom.polyline = PolylineGeom{p.constantWidth, p.constantWidth, p.elevation, static_cast<std::int16_t>(p.flags & (1 | 128))};
    d.entities[at] = head;
    list.push_back(at);
    Entity v = lw;
    v.handle = 0;
    v.type = EntityType::Vertex;
    for (const auto& x : p.vertices) {
        v.geom.vertex = VertexGeom{};
        v.geom.vertex.pos = {x.x, x.y, p.elevation};
        v.geom.vertex.startWidth = x.startWidth;
        v.geom.vertex.endWidth = x.endWidth;
        v.geom.vertex.widthFlags = static_cast<std::uint8_t>(x.startWidth != 0 || x.endWidth != 0 ? 3 : 0);
        v.geom.vertex.bulge = x.bulge;
        list.push_back(static_cast<std::uint32_t>(d.entities.size()));
        d.entities.push_back(v);
    }
    v.type = EntityType::SeqEnd;
    v.colour = kColourByLayer;
    v.linetype = kNone;
    v.geom = EntityGeom{};
    list.push_back(static_cast<std::uint32_t>(d.entities.size()));
    d.entities.push_back(v);
}

} // namespace

void MakePolylinesHeavy(Drawing& d) {
    for (auto& b : d.blocks) {
        std::vector<std::uint32_t> list;
        bool changed = false;
        for (std::uint32_t i : b.entities) {
            const Entity e = d.entities[i];   // a copy: appending moves the vector
            if (e.type != EntityType::LwPolyline || e.geom.extra.index >= d.lwpolylines.size()) {
                list.push_back(i);
                continue;
            }
            AppendHeavy(d, i, e, list);
            changed = true;
        }
        if (!changed) continue;
        b.entities = std::move(list);
        d.lightweightPolylines = true;
    }
}

} // namespace ostrel::cad
