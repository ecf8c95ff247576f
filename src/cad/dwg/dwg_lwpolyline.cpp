#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

namespace {

// Flag bits of the object (not the DXF 70 group's).
constexpr std::int16_t kNormal = 1, kThickness = 2, kConstantWidth = 4, kElevation = 8, kBulges = 16, kWidths = 32;
constexpr std::int16_t kContinuousPattern = 256, kClosed = 512, kVertexIds = 1024;

} // namespace

namespace {

// The flags said, the fields they announce, the vertices, and the bulges
// and widths the flags announce.
void WriteBody(BitWriter& w, std::int16_t flags, const LwPolylineData& p) {
    w.BS(flags);
    if (flags & kConstantWidth) w.BD(p.constantWidth);
    if (flags & kElevation) w.BD(p.elevation);
    if (flags & kThickness) w.BD(p.thickness);
    if (flags & kNormal) w.BD3(p.normal);
    const auto n = static_cast<std::int32_t>(p.vertices.size());
    w.BL(n);
    if (flags & kBulges) w.BL(n);
    if (flags & kWidths) w.BL(n);
    for (std::size_t i = 0; i < p.vertices.size(); ++i) {
        if (i == 0) {
            w.RD2(p.vertices[0].x, p.vertices[0].y);
        } else {
            w.DD(p.vertices[i].x, p.vertices[i - 1].x);
            w.DD(p.vertices[i].y, p.vertices[i - 1].y);
        }
    }
    if (flags & kBulges)
        for (const auto& v : p.vertices) w.BD(v.bulge);
    if (flags & kWidths)
        for (const auto& v : p.vertices) {
            w.BD(v.startWidth);
            w.BD(v.endWidth);
        }
}

} // namespace

void EncodeLwPolyline(ObjectStream& s, const EncodeContext& c, const Entity& polyline,
                      const std::vector<const Entity*>& vertices, const EntityLinks& links) {
    const LightweightPolyline lw = LightweightOf(polyline, vertices);
    Entity shown = polyline;
    shown.colour = lw.colour;
    EntityStart st = BeginEntity(s, c, kTypeLwPolyline, shown, links);
    std::int16_t flags = 0;
    if (lw.constantWidth && lw.width != 0) flags |= kConstantWidth;
    if (lw.elevation != 0) flags |= kElevation;
    if (lw.hasBulges) flags |= kBulges;
    if (!lw.constantWidth) flags |= kWidths;
    if (lw.continuousPattern) flags |= kContinuousPattern;
    if (lw.closed) flags |= kClosed;
    LwPolylineData p;
    p.constantWidth = lw.width;
    p.elevation = lw.elevation;
    p.vertices.reserve(lw.vertices.size());
    for (const auto& v : lw.vertices) p.vertices.push_back({v.x, v.y, v.startWidth, v.endWidth, v.bulge});
    WriteBody(st.w, flags, p);
    EntityHandles(s, c, st, shown, links);
    s.End();
}

void WriteLwPolylineData(BitWriter& w, const LwPolylineData& p) {
    std::int16_t flags = 0;
    if (p.constantWidth != 0) flags |= kConstantWidth;
    if (p.elevation != 0) flags |= kElevation;
    if (p.thickness != 0) flags |= kThickness;
    if (p.normal.x != 0 || p.normal.y != 0 || p.normal.z != 1) flags |= kNormal;
    for (const auto& v : p.vertices) {
        if (v.bulge != 0) flags |= kBulges;
        if (v.startWidth != 0 || v.endWidth != 0) flags |= kWidths;
    }
    if (p.flags & 128) flags |= kContinuousPattern;
    if (p.flags & 1) flags |= kClosed;
    WriteBody(w, flags, p);
}

namespace {

std::int32_t Count(BitReader& r, bool present) {
    const std::int32_t n = present ? r.BL() : 0;
    if (n < 0) r.Fail("LWPOLYLINE with a negative count");
    return n;
}

} // namespace

LwPolylineData ReadLwPolylineData(BitReader& r, Release release) {
    LwPolylineData p;
    const std::int16_t flags = r.BS();
    if (flags & kConstantWidth) p.constantWidth = r.BD();
    if (flags & kElevation) p.elevation = r.BD();
    if (flags & kThickness) p.thickness = r.BD();
    if (flags & kNormal) p.normal = r.BD3();
    p.flags = static_cast<std::int16_t>(((flags & kClosed) ? 1 : 0) | ((flags & kContinuousPattern) ? 128 : 0));
    const std::int32_t points = Count(r, true);
    const std::int32_t bulges = Count(r, flags & kBulges);
    const std::int32_t ids = Count(r, release >= Release::R2010 && (flags & kVertexIds));
    const std::int32_t widths = Count(r, flags & kWidths);
    r.RequireItems(static_cast<std::uint64_t>(points), 4, "LWPOLYLINE points");
    p.vertices.resize(static_cast<std::size_t>(points));
    for (std::size_t i = 0; i < p.vertices.size(); ++i) {
        auto& v = p.vertices[i];
        v.x = i == 0 ? r.RD() : r.DD(p.vertices[i - 1].x);
        v.y = i == 0 ? r.RD() : r.DD(p.vertices[i - 1].y);
    }
    r.RequireItems(static_cast<std::uint64_t>(bulges), 2, "LWPOLYLINE bulges");
    for (std::int32_t i = 0; i < bulges; ++i) {
        const double b = r.BD();
        if (i < points) p.vertices[static_cast<std::size_t>(i)].bulge = b;
    }
    r.RequireItems(static_cast<std::uint64_t>(ids), 2, "LWPOLYLINE vertex ids");
    for (std::int32_t i = 0; i < ids; ++i) r.BL();
    r.RequireItems(static_cast<std::uint64_t>(widths), 4, "LWPOLYLINE widths");
    for (std::int32_t i = 0; i < widths; ++i) {
        const double sw = r.BD(), ew = r.BD();
        if (i >= points) continue;
        p.vertices[static_cast<std::size_t>(i)].startWidth = sw;
        p.vertices[static_cast<std::size_t>(i)].endWidth = ew;
    }
    return p;
}

} // namespace ostrel::cad::dwg
