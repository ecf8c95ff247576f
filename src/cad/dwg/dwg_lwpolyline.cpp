#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

namespace {

// Flag bits of the object (not the DXF 70 group's).
constexpr std::int16_t kConstantWidth = 4, kElevation = 8, kBulges = 16, kWidths = 32;
constexpr std::int16_t kContinuousPattern = 256, kClosed = 512;

} // namespace

void EncodeLwPolyline(ObjectStream& s, const EncodeContext& c, const Entity& polyline,
                      const std::vector<const Entity*>& vertices, const EntityLinks& links) {
    const LightweightPolyline lw = LightweightOf(polyline, vertices);
    Entity shown = polyline;
    shown.colour = lw.colour;
    EntityStart st = BeginEntity(s, c, kTypeLwPolyline, shown, links);
    BitWriter& w = st.w;
    const bool widths = !lw.constantWidth;
    std::int16_t flags = 0;
    if (lw.constantWidth && lw.width != 0) flags |= kConstantWidth;
    if (lw.elevation != 0) flags |= kElevation;
    if (lw.hasBulges) flags |= kBulges;
    if (widths) flags |= kWidths;
    if (lw.continuousPattern) flags |= kContinuousPattern;
    if (lw.closed) flags |= kClosed;
    w.BS(flags);
    if (flags & kConstantWidth) w.BD(lw.width);
    if (flags & kElevation) w.BD(lw.elevation);
    const auto n = static_cast<std::int32_t>(lw.vertices.size());
    w.BL(n);
    if (lw.hasBulges) w.BL(n);
    if (widths) w.BL(n);
    for (std::size_t i = 0; i < lw.vertices.size(); ++i) {
        if (i == 0) {
            w.RD2(lw.vertices[0].x, lw.vertices[0].y);
        } else {
            w.DD(lw.vertices[i].x, lw.vertices[i - 1].x);
            w.DD(lw.vertices[i].y, lw.vertices[i - 1].y);
        }
    }
    if (lw.hasBulges)
        for (const auto& v : lw.vertices) w.BD(v.bulge);
    if (widths)
        for (const auto& v : lw.vertices) {
            w.BD(v.startWidth);
            w.BD(v.endWidth);
        }
    EntityHandles(s, c, st, shown, links);
    s.End();
}

LightweightPolyline DecodeLwPolylineData(BitReader& r) {
    LightweightPolyline lw;
    const std::int16_t flags = r.BS();
    if (flags & kConstantWidth) {
        lw.width = r.BD();
        lw.constantWidth = true;
    }
    if (flags & kElevation) lw.elevation = r.BD();
    if (flags & 2) r.BD();              // thickness
    if (flags & 1) r.BD3();             // extrusion
    const std::int32_t points = r.BL();
    const std::int32_t bulges = (flags & kBulges) ? r.BL() : 0;
    const std::int32_t widths = (flags & kWidths) ? r.BL() : 0;
    if (points < 0 || bulges < 0 || widths < 0) r.Fail("LWPOLYLINE with a negative count");
    r.RequireItems(static_cast<std::uint64_t>(points), 4, "LWPOLYLINE points");
    lw.closed = (flags & kClosed) != 0;
    lw.continuousPattern = (flags & kContinuousPattern) != 0;
    lw.vertices.resize(static_cast<std::size_t>(points));
    for (std::int32_t i = 0; i < points; ++i) {
        auto& v = lw.vertices[static_cast<std::size_t>(i)];
        if (i == 0) {
            v.x = r.RD();
            v.y = r.RD();
        } else {
            v.x = r.DD(lw.vertices[static_cast<std::size_t>(i - 1)].x);
            v.y = r.DD(lw.vertices[static_cast<std::size_t>(i - 1)].y);
        }
        v.startWidth = v.endWidth = lw.width;
    }
    r.RequireItems(static_cast<std::uint64_t>(bulges), 2, "LWPOLYLINE bulges");
    for (std::int32_t i = 0; i < bulges; ++i) {
        double b = r.BD();
        if (i < points) lw.vertices[static_cast<std::size_t>(i)].bulge = b;
        if (b != 0) lw.hasBulges = true;
    }
    r.RequireItems(static_cast<std::uint64_t>(widths), 4, "LWPOLYLINE widths");
    for (std::int32_t i = 0; i < widths; ++i) {
        double sw = r.BD(), ew = r.BD();
        if (i < points) {
            lw.vertices[static_cast<std::size_t>(i)].startWidth = sw;
            lw.vertices[static_cast<std::size_t>(i)].endWidth = ew;
        }
    }
    return lw;
}

void AppendLwPolyline(DecodedObjects& out, const DecodedEntity& head, const LightweightPolyline& lw) {
    DecodedEntity p = head;
    p.e.type = EntityType::Polyline;
    p.e.geom.polyline = PolylineGeom{lw.width, lw.width, lw.elevation,
                                     static_cast<std::int16_t>((lw.closed ? 1 : 0) | (lw.continuousPattern ? 128 : 0))};
    out.entities.push_back(p);
    // Vertices and the sequence end have no handles in the file: the drawing
    // gives them new ones when it is saved.
    DecodedEntity member = head;
    member.mode = 0;
    member.owner = head.e.handle;
    member.e.handle = 0;
    for (const auto& v : lw.vertices) {
        member.e.type = EntityType::Vertex;
        member.e.geom.vertex = VertexGeom{{v.x, v.y, lw.elevation}, v.startWidth, v.endWidth, v.bulge, 0,
                                          static_cast<std::uint8_t>(lw.constantWidth ? 0 : 3)};
        out.entities.push_back(member);
    }
    member.e.type = EntityType::SeqEnd;
    member.e.geom = EntityGeom{};
    out.entities.push_back(member);
    out.lightweightPolylines = true;
}

} // namespace ostrel::cad::dwg
