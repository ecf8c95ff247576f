// The geometric kinds: POINT, LINE, CIRCLE, ARC and ELLIPSE by their tables
// of fields, SPLINE (R12 gets a polyline through its points), and 3DFACE
// and SOLID by their corners.
#include <cmath>
#include <numbers>

#include "cad/dxf/dxf_kind_fields.h"
#include "cad/entity_kinds.h"

namespace ostrel::cad::dxf {

namespace {

constexpr KindFields<PointGeom, 2> kPoint{
    &EntityGeom::point, PointGeom{}, {SubclassField<PointGeom>("AcDbPoint"), PointField(10, &PointGeom::pos)}};

constexpr KindFields<LineGeom, 3> kLine{&EntityGeom::line, LineGeom{},
                                        {SubclassField<LineGeom>("AcDbLine"), PointField(10, &LineGeom::start),
                                         PointField(11, &LineGeom::end)}};

constexpr KindFields<CircleGeom, 3> kCircle{&EntityGeom::circle, CircleGeom{{}, 0},
                                            {SubclassField<CircleGeom>("AcDbCircle"),
                                             PointField(10, &CircleGeom::center), RealField(40, &CircleGeom::radius)}};

// An arc without its angles runs a whole turn from 0.
constexpr KindFields<ArcGeom, 6> kArc{
    &EntityGeom::arc, ArcGeom{{}, 0, 0, 360 * kDegree},
    {SubclassField<ArcGeom>("AcDbCircle"), PointField(10, &ArcGeom::center), RealField(40, &ArcGeom::radius),
     SubclassField<ArcGeom>("AcDbArc"), AngleField(50, &ArcGeom::startAngle), AngleField(51, &ArcGeom::endAngle)}};

// A whole ellipse, a circle when the record has no ratio.
constexpr KindFields<EllipseGeom, 7> kEllipse{
    &EntityGeom::ellipse, EllipseGeom{{}, {}, 1, 0, 2 * std::numbers::pi, {0, 0, 1}},
    {SubclassField<EllipseGeom>("AcDbEllipse"), PointField(10, &EllipseGeom::center),
     PointField(11, &EllipseGeom::majorAxis), NormalField(210, &EllipseGeom::normal), RealField(40, &EllipseGeom::ratio),
     RealField(41, &EllipseGeom::startParam), RealField(42, &EllipseGeom::endParam)}};

void ReadFace(DxfReadContext& ctx, Entity& e) {
    FaceGeom g{};
    int axis;
    for (auto& t : ctx.record) {
        bool done = false;
        for (int k = 0; k < 4 && !done; ++k)
            if (PointCode(t.code, 10 + k, axis)) { SetAxis(g.corner[k], axis, t); done = true; }
        if (!done && t.code == 70) e.invisibleEdges = TagShort(t);
    }
    e.geom.face = g;
}

} // namespace

template <>
bool DxfKind<EntityType::Point>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFields(ctx, e, kPoint);
    return true;
}
template <>
void DxfKind<EntityType::Point>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    WriteFields(c, e, kPoint);
}
template <>
std::uint64_t DxfKind<EntityType::Point>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Line>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFields(ctx, e, kLine);
    return true;
}
template <>
void DxfKind<EntityType::Line>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    WriteFields(c, e, kLine);
}
template <>
std::uint64_t DxfKind<EntityType::Line>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Circle>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFields(ctx, e, kCircle);
    return true;
}
template <>
void DxfKind<EntityType::Circle>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    WriteFields(c, e, kCircle);
}
template <>
std::uint64_t DxfKind<EntityType::Circle>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Arc>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFields(ctx, e, kArc);
    return true;
}
template <>
void DxfKind<EntityType::Arc>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    WriteFields(c, e, kArc);
}
template <>
std::uint64_t DxfKind<EntityType::Arc>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Ellipse>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFields(ctx, e, kEllipse);
    return true;
}
// R12 has no ELLIPSE: a polyline through its points, closed when whole.
template <>
void DxfKind<EntityType::Ellipse>::Write(WriteContext& c, const Entity& e) {
    if (HasCurves(c)) {
        WriteCommon(c, e);
        WriteFields(c, e, kEllipse);
        return;
    }
    const auto& g = e.geom.ellipse;
    const bool whole = std::fabs(g.endParam - g.startParam - 2 * std::numbers::pi) < 1e-9;
    auto points = KindCurve(c.d, e);
    if (whole && points.size() > 1) points.pop_back();
    WritePointsAsPolyline(c, e, points, whole);
}
template <>
std::uint64_t DxfKind<EntityType::Ellipse>::ExtraHandles(const Drawing& d, const Entity& e, Release r) {
    return r == Release::R12 ? KindCurve(d, e).size() + 1 : 0;
}

template <>
bool DxfKind<EntityType::Face3D>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFace(ctx, e);
    return true;
}
template <>
void DxfKind<EntityType::Face3D>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& f = e.geom.face;
    WriteCommon(c, e);
    c.Subclass("AcDbFace");
    for (int i = 0; i < 4; ++i) w.Point3(10 + i, f.corner[i]);
    if (e.invisibleEdges & 0xF) w.Int(70, e.invisibleEdges & 0xF);
}
template <>
std::uint64_t DxfKind<EntityType::Face3D>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Solid>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadFace(ctx, e);
    return true;
}
template <>
void DxfKind<EntityType::Solid>::Write(WriteContext& c, const Entity& e) {
    WriteCommon(c, e);
    c.Subclass("AcDbTrace");
    for (int i = 0; i < 4; ++i) c.w.Point3(10 + i, e.geom.face.corner[i]);
}
template <>
std::uint64_t DxfKind<EntityType::Solid>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Spline>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    SplineData s;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) {
            if (axis == 0) s.controlPoints.emplace_back();
            if (!s.controlPoints.empty()) SetAxis(s.controlPoints.back(), axis, t);
        } else if (PointCode(t.code, 11, axis)) {
            if (axis == 0) s.fitPoints.emplace_back();
            if (!s.fitPoints.empty()) SetAxis(s.fitPoints.back(), axis, t);
        } else if (PointCode(t.code, 12, axis)) SetAxis(s.startTangent, axis, t);
        else if (PointCode(t.code, 13, axis)) SetAxis(s.endTangent, axis, t);
        else if (PointCode(t.code, 210, axis)) SetAxis(s.normal, axis, t);
        else switch (t.code) {
        case 70: s.flags = TagShort(t); break;
        case 71: s.degree = TagShort(t); break;
        case 40: s.knots.push_back(TagDouble(t)); break;
        case 41: s.weights.push_back(TagDouble(t)); break;
        case 42: s.knotTolerance = TagDouble(t); break;
        case 43: s.controlTolerance = TagDouble(t); break;
        case 44: s.fitTolerance = TagDouble(t); break;
        default: break;
        }
    }
    ctx.d.SetSpline(e, std::move(s));
    return true;
}
template <>
void DxfKind<EntityType::Spline>::Write(WriteContext& c, const Entity& e) {
    const auto& s = c.d.splines[e.geom.extra.index];
    if (!HasCurves(c)) {
        WritePointsAsPolyline(c, e, KindCurve(c.d, e), (s.flags & 1) != 0 && s.controlPoints.empty());
        return;
    }
    auto& w = c.w;
    WriteCommon(c, e);
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
template <>
std::uint64_t DxfKind<EntityType::Spline>::ExtraHandles(const Drawing& d, const Entity& e, Release r) {
    return r == Release::R12 ? KindCurve(d, e).size() + 1 : 0;
}

} // namespace ostrel::cad::dxf
