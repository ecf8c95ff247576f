#include "cad/dxf/dxf_write_kinds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/curve_points.h"
#include "cad/mtext_lines.h"

namespace ostrel::cad::dxf {

namespace {

constexpr std::size_t kTextChunk = 250;   // MTEXT text travels in pieces of this many bytes

bool NormalIsUp(const Vec3& n) { return n.x == 0 && n.y == 0 && (n.z == 1 || n.z == 0); }

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

// Points as a polyline: 2D at their common height, else 3D.
void WritePointsAsPolyline(WriteContext& c, const Entity& e, const std::vector<Vec3>& points, bool closed) {
    const bool flat = std::all_of(points.begin(), points.end(), [&](const Vec3& p) { return p.z == points[0].z; });
    std::vector<VertexGeom> v(points.size(), VertexGeom{});
    for (std::size_t i = 0; i < points.size(); ++i) v[i].pos = points[i];
    WriteHeavy(c, e, static_cast<std::int16_t>((closed ? 1 : 0) | (flat ? 0 : 8)), points.empty() ? 0 : points[0].z, v);
}

bool WritesLightweightKind(Release r) { return Traits(r).lightweightPolylines; }
bool HasCurves(const WriteContext& c) { return !c.r12; }   // ELLIPSE, SPLINE, MTEXT from R13

} // namespace

void WriteTextGroups(WriteContext& c, const TextGeom& t, std::string_view value) {
    auto& w = c.w;
    c.Subclass("AcDbText");
    w.Point3(10, t.pos);
    w.Real(40, t.height);
    w.Text(1, value, c.utf8);
    if (t.rotation != 0) w.Real(50, t.rotation * kDegrees);
    if (t.widthFactor != 1 && t.widthFactor > 0) w.Real(41, t.widthFactor);
    if (t.oblique != 0) w.Real(51, t.oblique * kDegrees);
    if (t.style != 0 && t.style < c.names.styles.size()) w.Name(7, c.names.styles[t.style]);
    if (t.hAlign != 0) w.Int(72, t.hAlign);
    if (t.hAlign != 0 || t.vAlign != 0) w.Point3(11, t.align);
}

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

void WriteLwPolyline(WriteContext& c, const Entity& e) {
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

void WriteEllipse(WriteContext& c, const Entity& e) {
    const auto& g = e.geom.ellipse;
    if (!HasCurves(c)) {
        const bool whole = std::fabs(g.endParam - g.startParam - 2 * std::numbers::pi) < 1e-9;
        auto points = EllipsePoints(g);
        if (whole && points.size() > 1) points.pop_back();
        WritePointsAsPolyline(c, e, points, whole);
        return;
    }
    auto& w = c.w;
    WriteCommonGroups(c, e, "ELLIPSE", e.handle, c.OwnerOf(e));
    c.Subclass("AcDbEllipse");
    w.Point3(10, g.center);
    w.Point3(11, g.majorAxis);
    if (!NormalIsUp(g.normal)) w.Point3(210, g.normal);
    w.Real(40, g.ratio);
    w.Real(41, g.startParam);
    w.Real(42, g.endParam);
}

void WriteSpline(WriteContext& c, const Entity& e) {
    const auto& s = c.d.splines[e.geom.extra.index];
    if (!HasCurves(c)) {
        WritePointsAsPolyline(c, e, SplinePoints(s), (s.flags & 1) != 0 && s.controlPoints.empty());
        return;
    }
    auto& w = c.w;
    WriteCommonGroups(c, e, "SPLINE", e.handle, c.OwnerOf(e));
    c.Subclass("AcDbSpline");
    if (!NormalIsUp(s.normal)) w.Point3(210, s.normal);
    w.Int(70, s.flags);
    w.Int(71, s.degree);
    w.Int(72, static_cast<std::int64_t>(s.knots.size()));
    w.Int(73, static_cast<std::int64_t>(s.controlPoints.size()));
    w.Int(74, static_cast<std::int64_t>(s.fitPoints.size()));
    w.Real(42, s.knotTolerance);
    w.Real(43, s.controlTolerance);
    if (!s.fitPoints.empty()) w.Real(44, s.fitTolerance);
    if (s.startTangent != Vec3{}) w.Point3(12, s.startTangent);
    if (s.endTangent != Vec3{}) w.Point3(13, s.endTangent);
    for (double k : s.knots) w.Real(40, k);
    if (s.weights.size() == s.controlPoints.size())
        for (double k : s.weights) w.Real(41, k);
    for (const auto& p : s.controlPoints) w.Point3(10, p);
    for (const auto& p : s.fitPoints) w.Point3(11, p);
}

void WriteMText(WriteContext& c, const Entity& e) {
    const auto& g = e.geom.mtext;
    const auto text = c.d.Text(g);
    const Vec3 dir = g.direction == Vec3{} ? Vec3{1, 0, 0} : g.direction;
    auto& w = c.w;
    if (!HasCurves(c)) {
        // One TEXT a line, top line at the insertion point, lines going down.
        const double rot = std::atan2(dir.y, dir.x), step = g.height * 5.0 / 3.0 * (g.lineSpacing > 0 ? g.lineSpacing : 1);
        const auto lines = MTextLines(text);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            TextGeom t{};
            t.pos = {g.pos.x + std::sin(rot) * step * i, g.pos.y - std::cos(rot) * step * i - g.height, g.pos.z};
            t.height = g.height;
            t.rotation = rot;
            t.widthFactor = 1;
            t.style = g.style;
            WriteCommonGroups(c, e, "TEXT", i == 0 ? e.handle : c.nextExtraHandle++, c.OwnerOf(e));
            WriteTextGroups(c, t, lines[i]);
        }
        return;
    }
    WriteCommonGroups(c, e, "MTEXT", e.handle, c.OwnerOf(e));
    c.Subclass("AcDbMText");
    w.Point3(10, g.pos);
    w.Real(40, g.height);
    w.Real(41, g.width);
    w.Int(71, g.attachment);
    w.Int(72, g.drawingDirection);
    std::size_t at = 0;
    for (; text.size() - at > kTextChunk; at += kTextChunk) w.Text(3, text.substr(at, kTextChunk), c.utf8);
    w.Text(1, text.substr(at), c.utf8);
    if (g.style != 0 && g.style < c.names.styles.size()) w.Name(7, c.names.styles[g.style]);
    w.Point3(11, dir);
    w.Int(73, g.lineSpacingStyle);
    w.Real(44, g.lineSpacing > 0 ? g.lineSpacing : 1);
}

void WriteSolid(WriteContext& c, const Entity& e) {
    WriteCommonGroups(c, e, "SOLID", e.handle, c.OwnerOf(e));
    c.Subclass("AcDbTrace");
    for (int i = 0; i < 4; ++i) c.w.Point3(10 + i, e.geom.face.corner[i]);
}

void WriteAttribute(WriteContext& c, const Entity& e) {
    const auto& a = c.d.attributes[e.geom.extra.index];
    const bool def = e.type == EntityType::AttDef;
    auto& w = c.w;
    WriteCommonGroups(c, e, def ? "ATTDEF" : "ATTRIB", e.handle, c.OwnerOf(e));
    WriteTextGroups(c, a.text, c.d.Text(a.text));
    c.Subclass(def ? "AcDbAttributeDefinition" : "AcDbAttribute");
    if (def) w.Text(3, a.prompt, c.utf8);
    w.Text(2, a.tag, c.utf8);
    w.Int(70, a.flags);
    if (a.fieldLength != 0) w.Int(73, a.fieldLength);
    if (a.text.vAlign != 0) w.Int(74, a.text.vAlign);
}

void WriteDimension(WriteContext& c, const Entity& e) {
    const auto& m = c.d.dimensions[e.geom.extra.index];
    auto& w = c.w;
    WriteCommonGroups(c, e, "DIMENSION", e.handle, c.OwnerOf(e));
    c.Subclass("AcDbDimension");
    if (m.block < c.names.blocks.size()) w.Name(2, c.names.blocks[m.block]);
    w.Point3(10, m.defPoint);
    w.Point3(11, m.textMidpoint);
    if (m.insertPoint != Vec3{}) w.Point3(12, m.insertPoint);
    w.Int(70, m.type);
    if (!c.r12) w.Int(71, m.attachment);
    if (c.release >= Release::R2000) w.Real(42, m.measurement);
    if (!m.text.empty()) w.Text(1, m.text, c.utf8);
    if (m.textRotation != 0) w.Real(53, m.textRotation * kDegrees);
    if (m.horizontalDirection != 0) w.Real(51, m.horizontalDirection * kDegrees);
    const std::string style = ValidSymbolName(
        m.dimstyle < c.d.dimstyles.size() ? c.d.dimstyles[m.dimstyle].name : "Standard", c.release, SymbolKind::Other);
    w.Name(3, style);
    if (!NormalIsUp(m.normal)) w.Point3(210, m.normal);
    switch (m.type & 0x0F) {
    case 0:
    case 1:
        c.Subclass("AcDbAlignedDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        if ((m.type & 0x0F) == 0) {
            if (m.rotation != 0) w.Real(50, m.rotation * kDegrees);
            if (m.oblique != 0) w.Real(52, m.oblique * kDegrees);
            c.Subclass("AcDbRotatedDimension");
        }
        break;
    case 2:
    case 5:
        c.Subclass((m.type & 0x0F) == 2 ? "AcDb2LineAngularDimension" : "AcDb3PointAngularDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        w.Point3(15, m.defPoint4);
        if ((m.type & 0x0F) == 2) w.Point3(16, m.arcPoint);
        break;
    case 3:
    case 4:
        c.Subclass((m.type & 0x0F) == 3 ? "AcDbDiametricDimension" : "AcDbRadialDimension");
        w.Point3(15, m.defPoint4);
        w.Real(40, m.leaderLength);
        break;
    default:
        c.Subclass("AcDbOrdinateDimension");
        w.Point3(13, m.defPoint2);
        w.Point3(14, m.defPoint3);
        break;
    }
}

std::uint64_t ExtraHandlesOf(const Drawing& d, const Entity& e, Release r) {
    const bool r12 = r == Release::R12;
    switch (e.type) {
    case EntityType::Hatch: {
        if (r >= Release::R2000 || e.geom.extra.index >= d.hatches.size()) return 0;
        return d.hatches[e.geom.extra.index].boundary.size() + 2;
    }
    case EntityType::LwPolyline:
        return WritesLightweightKind(r) ? 0 : d.lwpolylines[e.geom.extra.index].vertices.size() + 1;
    case EntityType::Ellipse: return r12 ? EllipsePoints(e.geom.ellipse).size() + 1 : 0;
    case EntityType::Spline: return r12 ? SplinePoints(d.splines[e.geom.extra.index]).size() + 1 : 0;
    case EntityType::MText: return r12 ? MTextLines(d.Text(e.geom.mtext)).size() : 0;
    case EntityType::Point:
    case EntityType::Line:
    case EntityType::Circle:
    case EntityType::Arc:
    case EntityType::Text:
    case EntityType::Insert:
    case EntityType::Polyline:
    case EntityType::Vertex:
    case EntityType::SeqEnd:
    case EntityType::Face3D:
    case EntityType::Block:
    case EntityType::EndBlk:
    case EntityType::Viewport:
    case EntityType::Solid:
    case EntityType::AttDef:
    case EntityType::Attrib:
    case EntityType::Dimension: return 0;
    }
    return 0;
}

} // namespace ostrel::cad::dxf
