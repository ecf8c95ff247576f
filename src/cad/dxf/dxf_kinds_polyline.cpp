// The polyline kinds: POLYLINE with its VERTEX and SEQEND records, and
// LWPOLYLINE. A 2D polyline the drawing asks for as LWPOLYLINE is held back
// until its vertices are met; a release without LWPOLYLINE gets the heavy
// form.
#include <algorithm>

#include "cad/dxf/dxf_kinds.h"
#include "cad/lightweight_polyline.h"

namespace ostrel::cad::dxf {

namespace {

bool WritesLightweightKind(Release r) { return Traits(r).lightweightPolylines; }

LightweightPolyline LightweightForm(const LwPolylineData& p, std::int16_t colour) {
    LightweightPolyline lw;
    lw.closed = (p.flags & 1) != 0;
    lw.continuousPattern = (p.flags & 128) != 0;
    lw.elevation = p.elevation;
    lw.colour = colour;
    lw.width = p.constantWidth;
    lw.constantWidth = true;
    for (const auto& v : p.vertices) {
        lw.vertices.push_back({v.x, v.y, v.startWidth, v.endWidth, v.bulge});
        if (v.startWidth != 0 || v.endWidth != 0) lw.constantWidth = false;
        if (v.bulge != 0) lw.hasBulges = true;
    }
    return lw;
}

// A polyline the release spells with POLYLINE, VERTEX and SEQEND: the head
// keeps the entity's handle, the rest take writer-made ones.
void WriteHeavy(WriteContext& c, const Entity& e, std::int16_t flags, double elevation,
                const std::vector<VertexGeom>& vertices) {
    auto& w = c.w;
    const bool is3d = (flags & 8) != 0;
    WriteCommonGroups(c, e, "POLYLINE", e.handle, c.OwnerOf(e));
    c.Subclass(is3d ? "AcDb3dPolyline" : "AcDb2dPolyline");
    w.Int(66, 1);
    w.Point3(10, Vec3{0, 0, is3d ? 0.0 : elevation});
    w.Int(70, flags);
    for (const auto& v : vertices) {
        WriteCommonGroups(c, e, "VERTEX", c.nextExtraHandle++, e.handle);
        c.Subclass("AcDbVertex");
        c.Subclass(is3d ? "AcDb3dPolylineVertex" : "AcDb2dVertex");
        w.Point3(10, is3d ? v.pos : Vec3{v.pos.x, v.pos.y, 0});
        if (!is3d && (v.startWidth != 0 || v.endWidth != 0)) {
            w.Real(40, v.startWidth);
            w.Real(41, v.endWidth);
        }
        if (!is3d && v.bulge != 0) w.Real(42, v.bulge);
        w.Int(70, is3d ? 32 : 0);
    }
    WriteCommonGroups(c, e, "SEQEND", c.nextExtraHandle++, e.handle);
}

// A LWPOLYLINE's own groups after its common ones.
void WriteLightweightGroups(WriteContext& c, const LightweightPolyline& lw, double thickness, const Vec3& normal) {
    auto& w = c.w;
    c.Subclass("AcDbPolyline");
    w.Int(90, static_cast<std::int64_t>(lw.vertices.size()));
    w.Int(70, (lw.closed ? 1 : 0) | (lw.continuousPattern ? 128 : 0));
    if (lw.constantWidth && lw.width != 0) w.Real(43, lw.width);
    if (lw.elevation != 0) w.Real(38, lw.elevation);
    if (thickness != 0) w.Real(39, thickness);
    for (const auto& v : lw.vertices) {
        w.Point2(10, v.x, v.y);
        if (!lw.constantWidth) {
            w.Real(40, v.startWidth);
            w.Real(41, v.endWidth);
        }
        if (v.bulge != 0) w.Real(42, v.bulge);
    }
    if (!NormalIsUp(normal)) w.Point3(210, normal);
}

void WriteLightweight(WriteContext& c, const Entity& head, const std::vector<const Entity*>& vertices) {
    const LightweightPolyline lw = LightweightOf(head, vertices);
    Entity shown = head;
    shown.colour = lw.colour;
    WriteCommonGroups(c, shown, "LWPOLYLINE", head.handle, c.OwnerOf(head));
    WriteLightweightGroups(c, lw, 0, Vec3{0, 0, 1});
}

} // namespace

void WritePointsAsPolyline(WriteContext& c, const Entity& e, const std::vector<Vec3>& points, bool closed) {
    const bool flat = std::all_of(points.begin(), points.end(), [&](const Vec3& p) { return p.z == points[0].z; });
    std::vector<VertexGeom> v(points.size(), VertexGeom{});
    for (std::size_t i = 0; i < points.size(); ++i) v[i].pos = points[i];
    WriteHeavy(c, e, static_cast<std::int16_t>((closed ? 1 : 0) | (flat ? 0 : 8)), points.empty() ? 0 : points[0].z, v);
}

bool HeldBack(WriteContext& c, const Entity& e) {
    if (c.lightweightHead) {
        if (e.type == EntityType::Vertex) {
            c.lightweightVertices.push_back(&e);
            return true;
        }
        const Entity& head = *c.lightweightHead;
        c.lightweightHead = nullptr;
        if (WritesLightweight(c.d, c.release, head, c.lightweightVertices.size())) {
            WriteLightweight(c, head, c.lightweightVertices);
        } else {
            DxfKind<EntityType::Polyline>::Write(c, head);
            for (const Entity* v : c.lightweightVertices) DxfKind<EntityType::Vertex>::Write(c, *v);
            if (e.type == EntityType::SeqEnd) WriteCommon(c, e);
        }
        if (e.type == EntityType::SeqEnd) return true;
    }
    if (e.type == EntityType::Polyline && WritesLightweight(c.d, c.release, e, 2)) {
        c.runOwner = e.handle;
        c.lightweightHead = &e;
        c.lightweightVertices.clear();
        return true;
    }
    return false;
}

// ------------------------------------------------------------ POLYLINE

// Polygon and polyface meshes are not held: the record and its vertices
// are skipped.
template <>
bool DxfKind<EntityType::Polyline>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t block) {
    using Seq = DxfReadContext::Sequence;
    PolylineGeom g{};
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 30: g.elevation = TagDouble(t); break;
        case 70: g.flags = TagShort(t); break;
        case 40: g.startWidth = TagDouble(t); break;
        case 41: g.endWidth = TagDouble(t); break;
        default: break;
        }
    }
    e.geom.polyline = g;
    if (g.flags & (16 | 64)) {
        ctx.d.CountNotRead(g.flags & 64 ? "POLYLINE (polyface mesh)" : "POLYLINE (polygon mesh)");
        ctx.sequence = Seq::SkippedPolyline;
        return false;
    }
    ctx.sequence = Seq::Polyline;
    ctx.sequenceBlock = block;
    return true;
}
template <>
void DxfKind<EntityType::Polyline>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& p = e.geom.polyline;
    WriteCommon(c, e);
    const bool is3d = (p.flags & 8) != 0;
    c.polyline3d = is3d;
    c.Subclass(is3d ? "AcDb3dPolyline" : "AcDb2dPolyline");
    w.Int(66, 1);
    w.Point3(10, Vec3{0, 0, is3d ? 0.0 : p.elevation});
    // 3D polylines have no widths and no linetype-generation flag.
    w.Int(70, is3d ? (p.flags & ~128) : (p.flags & ~(8 | 16 | 32 | 64)));
    if (!is3d && p.startWidth != 0) w.Real(40, p.startWidth);
    if (!is3d && p.endWidth != 0) w.Real(41, p.endWidth);
}
template <>
std::uint64_t DxfKind<EntityType::Polyline>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Vertex>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    VertexGeom g{};
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(g.pos, axis, t);
        else switch (t.code) {
        case 40: g.startWidth = TagDouble(t); g.widthFlags |= 1; break;
        case 41: g.endWidth = TagDouble(t); g.widthFlags |= 2; break;
        case 42: g.bulge = TagDouble(t); break;
        case 70: g.flags = TagShort(t); break;
        default: break;
        }
    }
    e.geom.vertex = g;
    return true;
}
template <>
void DxfKind<EntityType::Vertex>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& v = e.geom.vertex;
    WriteCommon(c, e);
    c.Subclass("AcDbVertex");
    c.Subclass(c.polyline3d ? "AcDb3dPolylineVertex" : "AcDb2dVertex");
    w.Point3(10, v.pos);
    if (!c.polyline3d) {
        // Widths only when set: a vertex without them takes the polyline's.
        if ((v.widthFlags & 1) || v.startWidth != 0) w.Real(40, v.startWidth);
        if ((v.widthFlags & 2) || v.endWidth != 0) w.Real(41, v.endWidth);
        if (v.bulge != 0) w.Real(42, v.bulge);
    }
    // A 3D polyline's vertices carry flag 32; a 2D polyline's never do.
    w.Int(70, c.polyline3d ? (v.flags | 32) : (v.flags & ~(32 | 64 | 128)));
}
template <>
std::uint64_t DxfKind<EntityType::Vertex>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::SeqEnd>::Read(DxfReadContext&, Entity&, std::uint32_t) { return true; }
template <>
void DxfKind<EntityType::SeqEnd>::Write(WriteContext& c, const Entity& e) { WriteCommon(c, e); }
template <>
std::uint64_t DxfKind<EntityType::SeqEnd>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

// ------------------------------------------------------------ LWPOLYLINE

template <>
bool DxfKind<EntityType::LwPolyline>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    LwPolylineData p;
    bool open = false;
    LwVertex v;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 210, axis)) { SetAxis(p.normal, axis, t); continue; }
        switch (t.code) {
        case 70: p.flags = static_cast<std::int16_t>(TagShort(t) & (1 | 128)); break;
        case 43: p.constantWidth = TagDouble(t); break;
        case 38: p.elevation = TagDouble(t); break;
        case 39: p.thickness = TagDouble(t); break;
        case 10:
            if (open) p.vertices.push_back(v);
            v = LwVertex{};
            v.x = TagDouble(t);
            open = true;
            break;
        case 20: if (open) v.y = TagDouble(t); break;
        case 40: if (open) v.startWidth = TagDouble(t); break;
        case 41: if (open) v.endWidth = TagDouble(t); break;
        case 42: if (open) v.bulge = TagDouble(t); break;
        default: break;
        }
    }
    if (open) p.vertices.push_back(v);
    ctx.d.SetLwPolyline(e, std::move(p));
    return true;
}
template <>
void DxfKind<EntityType::LwPolyline>::Write(WriteContext& c, const Entity& e) {
    const auto& p = c.d.lwpolylines[e.geom.extra.index];
    if (!WritesLightweightKind(c.release)) {
        std::vector<VertexGeom> v(p.vertices.size(), VertexGeom{});
        for (std::size_t i = 0; i < v.size(); ++i) {
            const auto& x = p.vertices[i];
            const bool own = x.startWidth != 0 || x.endWidth != 0;
            v[i].pos = {x.x, x.y, 0};
            v[i].startWidth = own ? x.startWidth : p.constantWidth;
            v[i].endWidth = own ? x.endWidth : p.constantWidth;
            v[i].bulge = x.bulge;
        }
        WriteHeavy(c, e, static_cast<std::int16_t>(p.flags & (1 | 128)), p.elevation, v);
        return;
    }
    WriteCommonGroups(c, e, "LWPOLYLINE", e.handle, c.OwnerOf(e));
    WriteLightweightGroups(c, LightweightForm(p, e.colour), p.thickness, p.normal);
}
template <>
std::uint64_t DxfKind<EntityType::LwPolyline>::ExtraHandles(const Drawing& d, const Entity& e, Release r) {
    return WritesLightweightKind(r) ? 0 : d.lwpolylines[e.geom.extra.index].vertices.size() + 1;
}

} // namespace ostrel::cad::dxf
