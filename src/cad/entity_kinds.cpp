// Each entity kind's entry: a ModelKind specialisation, reached through
// WithModelKind, whose switch is made from the list of kinds.
#include "cad/entity_kinds.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "cad/curve_points.h"
#include "cad/mtext_lines.h"

namespace ostrel::cad {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

bool Positive(double v) { return std::isfinite(v) && v > 0; }

// The side record an entity points at, or null when its index names none.
template <class Side>
Side* SideOf(std::vector<Side>& side, const Entity& e) {
    return e.geom.extra.index < side.size() ? &side[e.geom.extra.index] : nullptr;
}
template <class Side>
const Side* SideOf(const std::vector<Side>& side, const Entity& e) {
    return e.geom.extra.index < side.size() ? &side[e.geom.extra.index] : nullptr;
}

template <class Side>
void CopySide(std::vector<Side>& side, Entity& e) {
    Side copy = side.at(e.geom.extra.index);
    e.geom.extra.index = static_cast<std::uint32_t>(side.size());
    side.push_back(std::move(copy));
}

void AddText(const TextGeom& t, ExtentsOut& out) {
    out.Add(t.pos.x, t.pos.y);
    out.Add(t.pos.x, t.pos.y + t.height);
}

void TurnText(TextGeom& t, const Turn& turn) {
    turn.Point(t.pos);
    turn.Point(t.align);
    t.rotation += turn.angle;
}

// A style that names no record becomes the first, text outside the pool none.
void RepairText(const Drawing& d, TextGeom& t) {
    if (t.style >= d.styles.size()) t.style = 0;
    if (!TextInPool(d, t.textOffset, t.textLength)) t.textOffset = t.textLength = 0;
}

// Points along a circle (or an arc from its start to its end angle), 128 to
// a whole turn.
std::vector<Vec3> RoundPoints(const Vec3& c, double r, double a0, double a1) {
    while (a1 <= a0) a1 += kTurn;
    const int n = std::max(8, static_cast<int>((a1 - a0) / kTurn * 128));
    std::vector<Vec3> out;
    out.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const double t = a0 + (a1 - a0) * i / n;
        out.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t), c.z});
    }
    return out;
}

// Points along an ellipse from its start to its end parameter, at most
// `perTurn` segments to a whole turn (the first and last points included).
std::vector<Vec3> EllipsePoints(const EllipseGeom& e, int perTurn) {
    Vec3 n = e.normal;
    if (n.x == 0 && n.y == 0 && n.z == 0) n = {0, 0, 1};
    const double nl = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    n = {n.x / nl, n.y / nl, n.z / nl};
    const Vec3 major = e.majorAxis;
    const Vec3 minorDir = Cross(n, major);
    const double ratio = e.ratio > 0 ? e.ratio : 1;
    double a0 = e.startParam, a1 = e.endParam;
    if (!std::isfinite(a0) || !std::isfinite(a1)) a0 = 0, a1 = kTurn;
    // The sweep from start to end, counter-clockwise, within one turn (a
    // whole turn when they meet); worked out by remainder, so that far-off
    // parameters cost no loop.
    double sweep = std::fmod(a1 - a0, kTurn);
    if (!std::isfinite(sweep)) sweep = kTurn;
    if (sweep <= 0) sweep += kTurn;
    a0 = std::fmod(a0, kTurn);
    a1 = a0 + sweep;
    const int steps = std::max(4, static_cast<int>(std::ceil((a1 - a0) / kTurn * std::max(perTurn, 4))));
    std::vector<Vec3> out;
    out.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = a0 + (a1 - a0) * i / steps, c = std::cos(t), s = std::sin(t) * ratio;
        out.push_back({e.center.x + major.x * c + minorDir.x * s, e.center.y + major.y * c + minorDir.y * s,
                       e.center.z + major.z * c + minorDir.z * s});
    }
    return out;
}

// What a kind does not have: no points, no shapes, nothing to turn, copy
// or repair. A kind's entry takes these where they hold for it.
struct Plain {
    static void Extents(const Drawing&, const Entity&, ExtentsOut&) {}
    static void Shapes(const Drawing&, const Entity&, ShapeOut&) {}
    static std::vector<Vec3> Curve(const Drawing&, const Entity&) { return {}; }
    static void TurnBy(Drawing&, Entity&, const Turn&) {}
    static void CopySide(Drawing&, Entity&) {}
    static bool Repair(Drawing&, Entity&, double) { return true; }
};

template <EntityType>
struct ModelKind;

// ------------------------------------------------------------ points and lines

template <>
struct ModelKind<EntityType::Point> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) { out.Add(e.geom.point.pos); }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) { out.Dot(e.geom.point.pos); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) { t.Point(e.geom.point.pos); }
};

template <>
struct ModelKind<EntityType::Line> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        out.Add(e.geom.line.start);
        out.Add(e.geom.line.end);
    }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) {
        out.Curve({e.geom.line.start, e.geom.line.end}, false);
    }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        t.Point(e.geom.line.start);
        t.Point(e.geom.line.end);
    }
};

// A circle or arc of negative radius is the same curve with the radius's
// absolute value; one of zero (or not finite) radius becomes a POINT at its
// centre.
void RepairRadius(Entity& e, Vec3 centre, double& r) {
    if (std::isfinite(r) && r < 0) r = -r;
    if (Positive(r)) return;
    e.type = EntityType::Point;
    e.geom.point.pos = centre;
}

template <>
struct ModelKind<EntityType::Circle> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        const auto& g = e.geom.circle;
        out.Add(g.center.x - g.radius, g.center.y - g.radius);
        out.Add(g.center.x + g.radius, g.center.y + g.radius);
    }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) {
        out.Curve(RoundPoints(e.geom.circle.center, e.geom.circle.radius, 0, kTurn), true);
    }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) { t.Point(e.geom.circle.center); }
    static bool Repair(Drawing&, Entity& e, double) {
        RepairRadius(e, e.geom.circle.center, e.geom.circle.radius);
        return true;
    }
};

template <>
struct ModelKind<EntityType::Arc> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        const auto& g = e.geom.arc;
        out.Add(g.center.x - g.radius, g.center.y - g.radius);
        out.Add(g.center.x + g.radius, g.center.y + g.radius);
    }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) {
        const auto& g = e.geom.arc;
        out.Curve(RoundPoints(g.center, g.radius, g.startAngle, g.endAngle), false);
    }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        t.Point(e.geom.arc.center);
        e.geom.arc.startAngle += t.angle;
        e.geom.arc.endAngle += t.angle;
    }
    static bool Repair(Drawing&, Entity& e, double) {
        RepairRadius(e, e.geom.arc.center, e.geom.arc.radius);
        return true;
    }
};

template <>
struct ModelKind<EntityType::Ellipse> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        for (const auto& p : EllipsePoints(e.geom.ellipse, 64)) out.Add(p);
    }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) {
        out.Curve(EllipsePoints(e.geom.ellipse, 96), false);
    }
    static std::vector<Vec3> Curve(const Drawing&, const Entity& e) { return EllipsePoints(e.geom.ellipse, 96); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        t.Point(e.geom.ellipse.center);
        t.Direction(e.geom.ellipse.majorAxis);
    }
    // One without a major axis, or with a ratio outside (0, 1], is removed.
    static bool Repair(Drawing&, Entity& e, double) {
        const auto& g = e.geom.ellipse;
        return !(g.majorAxis == Vec3{} || !Positive(g.ratio) || g.ratio > 1 + 1e-9);
    }
};

template <>
struct ModelKind<EntityType::Spline> : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        if (const auto* s = SideOf(d.splines, e))
            for (const auto& p : SplinePoints(*s, 8)) out.Add(p);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        if (const auto* s = SideOf(d.splines, e)) out.Curve(SplinePoints(*s, 16), false);
    }
    static std::vector<Vec3> Curve(const Drawing& d, const Entity& e) {
        const auto* s = SideOf(d.splines, e);
        return s ? SplinePoints(*s, 16) : std::vector<Vec3>{};
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) {
        auto& sp = d.splines.at(e.geom.extra.index);
        for (auto* points : {&sp.controlPoints, &sp.fitPoints})
            for (auto& p : *points) t.Point(p);
        t.Direction(sp.startTangent);
        t.Direction(sp.endTangent);
    }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.splines, e); }
    // One without control or fit points is removed.
    static bool Repair(Drawing& d, Entity& e, double) {
        const auto* s = SideOf(d.splines, e);
        return s && (!s->controlPoints.empty() || !s->fitPoints.empty());
    }
};

// ------------------------------------------------------------ polylines

template <>
struct ModelKind<EntityType::Polyline> : Plain {};

template <>
struct ModelKind<EntityType::Vertex> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) { out.Add(e.geom.vertex.pos); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) { t.Point(e.geom.vertex.pos); }
};

template <>
struct ModelKind<EntityType::SeqEnd> : Plain {};

// Drawn as the heavy polyline it stands for (widths and bulges alike).
template <>
struct ModelKind<EntityType::LwPolyline> : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        if (const auto* p = SideOf(d.lwpolylines, e))
            for (const auto& q : LwPolylinePoints(*p, 16)) out.Add(q);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        const auto* p = SideOf(d.lwpolylines, e);
        if (!p) return;
        const PolylineGeom head{p->constantWidth, p->constantWidth, p->elevation, static_cast<std::int16_t>(p->flags & 1)};
        std::vector<VertexGeom> vertices(p->vertices.size(), VertexGeom{});
        std::vector<const VertexGeom*> v;
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            const auto& x = p->vertices[i];
            vertices[i].pos = {x.x, x.y, p->elevation};
            vertices[i].startWidth = x.startWidth;
            vertices[i].endWidth = x.endWidth;
            vertices[i].widthFlags = static_cast<std::uint8_t>(x.startWidth != 0 || x.endWidth != 0 ? 3 : 0);
            vertices[i].bulge = x.bulge;
            v.push_back(&vertices[i]);
        }
        out.Polyline(head, v);
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) {
        for (auto& v : d.lwpolylines.at(e.geom.extra.index).vertices) {
            Vec3 p{v.x, v.y, 0};
            t.Point(p);
            v.x = p.x, v.y = p.y;
        }
    }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.lwpolylines, e); }
    // One without vertices is removed.
    static bool Repair(Drawing& d, Entity& e, double) {
        const auto* p = SideOf(d.lwpolylines, e);
        return p && !p->vertices.empty();
    }
};

// ------------------------------------------------------------ faces and fills

template <>
struct ModelKind<EntityType::Face3D> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        for (const auto& c : e.geom.face.corner) out.Add(c);
    }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) { out.Edges(e.geom.face, e.invisibleEdges); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        for (auto& p : e.geom.face.corner) t.Point(p);
    }
};

// Its outline runs through the corners 0, 1, 3, 2.
template <>
struct ModelKind<EntityType::Solid> : ModelKind<EntityType::Face3D> {
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) {
        const auto& c = e.geom.face.corner;
        out.Fill({c[0], c[1], c[3], c[2]}, 1.0);
    }
};

template <>
struct ModelKind<EntityType::Hatch> : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        if (const auto* h = SideOf(d.hatches, e))
            for (const auto& p : h->boundary) out.Add(p);
    }
    // A pattern: a lighter fill of its area.
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        if (const auto* h = SideOf(d.hatches, e)) out.Fill(h->boundary, h->solid ? 1.0 : 0.35);
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) {
        for (auto& p : d.hatches.at(e.geom.extra.index).boundary) t.Point(p);
    }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.hatches, e); }
    // One with fewer than three boundary points is removed.
    static bool Repair(Drawing& d, Entity& e, double) {
        const auto* h = SideOf(d.hatches, e);
        return h && h->boundary.size() >= 3;
    }
};

// ------------------------------------------------------------ texts

// A height below zero is taken by its absolute value, one of zero becomes
// the drawing's text size; a width factor that is not positive becomes 1;
// alignments outside their ranges become 0.
template <>
struct ModelKind<EntityType::Text> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) { AddText(e.geom.text, out); }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) { out.Text(e.geom.text, d.Text(e.geom.text)); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) { TurnText(e.geom.text, t); }
    static bool Repair(Drawing& d, Entity& e, double textSize) {
        auto& t = e.geom.text;
        RepairText(d, t);
        if (std::isfinite(t.height) && t.height < 0) t.height = -t.height;
        if (!Positive(t.height)) t.height = textSize;
        if (!Positive(t.widthFactor)) t.widthFactor = 1;
        if (t.hAlign > 5) t.hAlign = 0;
        if (t.vAlign > 3) t.vAlign = 0;
        return true;
    }
};

// Its plain lines, top line at the insertion point (top-left attachment;
// others shift the block by its lines' height), lines 5/3 of the height apart.
void MTextShapes(const Drawing& d, const MTextGeom& g, ShapeOut& out) {
    const auto lines = MTextLines(d.Text(g));
    const Vec3 dir = g.direction == Vec3{} ? Vec3{1, 0, 0} : g.direction;
    const double rot = std::atan2(dir.y, dir.x), c = std::cos(rot), sn = std::sin(rot);
    const double step = g.height * 5.0 / 3.0 * (g.lineSpacing > 0 ? g.lineSpacing : 1);
    const int row = (std::clamp<int>(g.attachment, 1, 9) - 1) / 3;   // 0 top, 1 middle, 2 bottom
    const int column = (std::clamp<int>(g.attachment, 1, 9) - 1) % 3;
    const double blockHeight = step * static_cast<double>(lines.size() - 1) + g.height;
    const double down = row == 0 ? 0 : row == 1 ? blockHeight / 2 : blockHeight;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TextGeom t{};
        const double below = step * static_cast<double>(i) + g.height - down;
        t.pos = {g.pos.x + sn * below, g.pos.y - c * below, g.pos.z};
        t.align = t.pos;
        t.hAlign = static_cast<std::uint8_t>(column);
        t.height = g.height;
        t.rotation = rot;
        t.widthFactor = 1;
        out.Text(t, lines[i]);
    }
}

// A height that is not positive becomes the drawing's text size, an
// attachment outside 1..9 is 1 (top left).
template <>
struct ModelKind<EntityType::MText> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) {
        const auto& g = e.geom.mtext;
        out.Add(g.pos.x, g.pos.y);
        out.Add(g.pos.x + g.width, g.pos.y - g.height);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) { MTextShapes(d, e.geom.mtext, out); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        auto& g = e.geom.mtext;
        t.Point(g.pos);
        if (g.direction == Vec3{}) g.direction = {1, 0, 0};
        t.Direction(g.direction);
    }
    static bool Repair(Drawing& d, Entity& e, double textSize) {
        auto& t = e.geom.mtext;
        if (t.style >= d.styles.size()) t.style = 0;
        if (!TextInPool(d, t.textOffset, t.textLength)) t.textOffset = t.textLength = 0;
        if (!Positive(t.height)) t.height = textSize;
        if (t.attachment < 1 || t.attachment > 9) t.attachment = 1;
        return true;
    }
};

// ATTDEF and ATTRIB: an ATTRIB shows its value, an ATTDEF its tag; an
// invisible one nothing.
template <bool kDefinition>
struct AttributeKind : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        if (const auto* a = SideOf(d.attributes, e)) AddText(a->text, out);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        const auto* a = SideOf(d.attributes, e);
        if (!a || (a->flags & 1)) return;
        out.Text(a->text, kDefinition ? std::string_view(a->tag) : d.Text(a->text));
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) { TurnText(d.attributes.at(e.geom.extra.index).text, t); }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.attributes, e); }
    static bool Repair(Drawing& d, Entity& e, double) {
        auto* a = SideOf(d.attributes, e);
        if (a) RepairText(d, a->text);
        return a != nullptr;
    }
};
template <>
struct ModelKind<EntityType::AttDef> : AttributeKind<true> {};
template <>
struct ModelKind<EntityType::Attrib> : AttributeKind<false> {};

// ------------------------------------------------------------ blocks

// A scale factor of zero becomes 1, a column or row count below 1 becomes
// 1; one of no block, or of a layout's block, is removed.
template <>
struct ModelKind<EntityType::Insert> : Plain {
    static void Extents(const Drawing&, const Entity& e, ExtentsOut& out) { out.Placed(e.geom.insert, e.geom.insert.pos); }
    static void Shapes(const Drawing&, const Entity& e, ShapeOut& out) { out.Placed(e.geom.insert.block, &e.geom.insert); }
    static void TurnBy(Drawing&, Entity& e, const Turn& t) {
        t.Point(e.geom.insert.pos);
        e.geom.insert.rotation += t.angle;
    }
    static bool Repair(Drawing& d, Entity& e, double) {
        auto& in = e.geom.insert;
        for (double* s : {&in.xScale, &in.yScale, &in.zScale})
            if (*s == 0 || !std::isfinite(*s)) *s = 1;
        if (in.columns < 1) in.columns = 1;
        if (in.rows < 1) in.rows = 1;
        const auto b = in.block;
        return b < d.blocks.size() && !d.blocks[b].IsModelSpace() && !d.blocks[b].IsPaperSpace();
    }
};

// Drawn through its block, which holds its lines, arrows and text, where it stands.
template <>
struct ModelKind<EntityType::Dimension> : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        const auto* m = SideOf(d.dimensions, e);
        if (!m) return;
        InsertGeom at{};
        at.xScale = at.yScale = 1;
        at.block = m->block;
        out.Placed(at, m->defPoint);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        if (const auto* m = SideOf(d.dimensions, e)) out.Placed(m->block, nullptr);
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) {
        auto& m = d.dimensions.at(e.geom.extra.index);
        for (Vec3* p : {&m.defPoint, &m.textMidpoint, &m.insertPoint, &m.defPoint2, &m.defPoint3, &m.defPoint4, &m.arcPoint})
            t.Point(*p);
        m.rotation += t.angle;
    }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.dimensions, e); }
    // References to a block or style that does not exist become none.
    static bool Repair(Drawing& d, Entity& e, double) {
        auto* m = SideOf(d.dimensions, e);
        if (!m) return false;
        if (m->block != kNone && m->block >= d.blocks.size()) m->block = kNone;
        if (m->dimstyle != kNone && m->dimstyle >= d.dimstyles.size()) m->dimstyle = kNone;
        return true;
    }
};

template <>
struct ModelKind<EntityType::Block> : Plain {};
template <>
struct ModelKind<EntityType::EndBlk> : Plain {};

template <>
struct ModelKind<EntityType::Viewport> : Plain {
    static void Extents(const Drawing& d, const Entity& e, ExtentsOut& out) {
        const auto* v = SideOf(d.viewports, e);
        if (!v) return;
        out.Add(v->center.x - v->width / 2, v->center.y - v->height / 2);
        out.Add(v->center.x + v->width / 2, v->center.y + v->height / 2);
    }
    static void Shapes(const Drawing& d, const Entity& e, ShapeOut& out) {
        if (const auto* v = SideOf(d.viewports, e)) out.View(*v);
    }
    static void TurnBy(Drawing& d, Entity& e, const Turn& t) { t.Point(d.viewports.at(e.geom.extra.index).center); }
    static void CopySide(Drawing& d, Entity& e) { cad::CopySide(d.viewports, e); }
    static bool Repair(Drawing& d, Entity& e, double) { return SideOf(d.viewports, e) != nullptr; }
};

// The one switch over the kinds: calls `f` with the kind's entry.
template <class F>
decltype(auto) WithModelKind(EntityType t, F&& f) {
    switch (t) {
#define OSTREL_MODEL_KIND(kind, name) \
    case EntityType::kind: return f(ModelKind<EntityType::kind>{});
        OSTREL_ENTITY_KINDS(OSTREL_MODEL_KIND)
#undef OSTREL_MODEL_KIND
    }
    throw CadError("an entity of unknown kind " + std::to_string(static_cast<int>(t)));
}

} // namespace

bool TextInPool(const Drawing& d, std::uint32_t offset, std::uint32_t length) {
    return offset <= d.textPool.size() && length <= d.textPool.size() - offset;
}


void KindExtents(const Drawing& d, const Entity& e, ExtentsOut& out) {
    WithModelKind(e.type, [&](auto k) { k.Extents(d, e, out); });
}

void KindShapes(const Drawing& d, const Entity& e, ShapeOut& out) {
    WithModelKind(e.type, [&](auto k) { k.Shapes(d, e, out); });
}

std::vector<Vec3> KindCurve(const Drawing& d, const Entity& e) {
    return WithModelKind(e.type, [&](auto k) { return k.Curve(d, e); });
}

void KindTurn(Drawing& d, Entity& e, const Turn& t) {
    WithModelKind(e.type, [&](auto k) { k.TurnBy(d, e, t); });
}

void KindCopySide(Drawing& d, Entity& e) {
    WithModelKind(e.type, [&](auto k) { k.CopySide(d, e); });
}

bool KindRepair(Drawing& d, Entity& e, double textSize) {
    return WithModelKind(e.type, [&](auto k) { return k.Repair(d, e, textSize); });
}

} // namespace ostrel::cad
