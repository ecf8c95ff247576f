// Extents of a block measured from its entities, inserts through their blocks.
#include "cad/block_extents.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cad/curve_points.h"

namespace ostrel::cad {

namespace {

struct Place {
    double x = 0, y = 0, sx = 1, sy = 1, rot = 0;
    void Add(Box& b, double px, double py) const {
        const double c = std::cos(rot), s = std::sin(rot);
        const double ax = px * sx, ay = py * sy;
        b.Add(x + ax * c - ay * s, y + ax * s + ay * c);
    }
};

struct Measure {
    const Drawing& d;
    std::vector<std::uint32_t> open;   // the blocks being measured (no cycles)
    void Walk(std::uint32_t block, const Place& at, Box& box, int depth);
    template <class Add>
    void Entity(const cad::Entity& e, Add add, int depth);
    template <class Add>
    void Side(const cad::Entity& e, Add add);
    template <class Add>
    void Placed(const cad::Entity& e, Add add, int depth);
};

template <class Add>
void AddText(const TextGeom& t, Add add) {
    add(t.pos.x, t.pos.y);
    add(t.pos.x, t.pos.y + t.height);
}

// The kinds whose points are in side data.
template <class Add>
void Measure::Side(const cad::Entity& e, Add add) {
    const auto at = e.geom.extra.index;
    switch (e.type) {
    case EntityType::Viewport: {
        if (at >= d.viewports.size()) break;
        const auto& v = d.viewports[at];
        add(v.center.x - v.width / 2, v.center.y - v.height / 2);
        add(v.center.x + v.width / 2, v.center.y + v.height / 2);
        break;
    }
    case EntityType::Hatch:
        if (at < d.hatches.size())
            for (const auto& p : d.hatches[at].boundary) add(p.x, p.y);
        break;
    case EntityType::LwPolyline:
        if (at < d.lwpolylines.size())
            for (const auto& p : LwPolylinePoints(d.lwpolylines[at], 16)) add(p.x, p.y);
        break;
    case EntityType::Spline:
        if (at < d.splines.size())
            for (const auto& p : SplinePoints(d.splines[at], 8)) add(p.x, p.y);
        break;
    case EntityType::AttDef:
    case EntityType::Attrib:
        if (at < d.attributes.size()) AddText(d.attributes[at].text, add);
        break;
    // The kinds without side data: Entity has them.
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
    case EntityType::Ellipse:
    case EntityType::MText:
    case EntityType::Solid:
    case EntityType::Dimension: break;
    }
}

// An insert, or a dimension, through its block: the inner block's point p
// lands at ins.pos + R(ins.rot) * S * p; a dimension's block is drawn where
// it stands.
template <class Add>
void Measure::Placed(const cad::Entity& e, Add add, int depth) {
    InsertGeom ins{};
    ins.xScale = ins.yScale = 1;
    if (e.type == EntityType::Insert) ins = e.geom.insert;
    else if (e.geom.extra.index < d.dimensions.size()) ins.block = d.dimensions[e.geom.extra.index].block;
    else return;
    const double c = std::cos(ins.rotation), s = std::sin(ins.rotation);
    Box sub;
    Walk(ins.block, Place{}, sub, depth + 1);
    if (sub.empty()) return;
    for (double px : {sub.minX, sub.maxX})
        for (double py : {sub.minY, sub.maxY}) {
            const double ax = px * ins.xScale, ay = py * ins.yScale;
            add(ins.pos.x + ax * c - ay * s, ins.pos.y + ax * s + ay * c);
        }
}

template <class Add>
void Measure::Entity(const cad::Entity& e, Add add, int depth) {
    const auto& g = e.geom;
    switch (e.type) {
    case EntityType::Point: add(g.point.pos.x, g.point.pos.y); break;
    case EntityType::Line:
        add(g.line.start.x, g.line.start.y);
        add(g.line.end.x, g.line.end.y);
        break;
    case EntityType::Circle:
    case EntityType::Arc: {
        const auto& c = e.type == EntityType::Circle ? g.circle.center : g.arc.center;
        const double r = e.type == EntityType::Circle ? g.circle.radius : g.arc.radius;
        add(c.x - r, c.y - r);
        add(c.x + r, c.y + r);
        break;
    }
    case EntityType::Text: AddText(g.text, add); break;
    case EntityType::Vertex: add(g.vertex.pos.x, g.vertex.pos.y); break;
    case EntityType::Face3D:
    case EntityType::Solid:
        for (const auto& c : g.face.corner) add(c.x, c.y);
        break;
    case EntityType::Ellipse:
        for (const auto& p : EllipsePoints(g.ellipse, 64)) add(p.x, p.y);
        break;
    case EntityType::MText:
        add(g.mtext.pos.x, g.mtext.pos.y);
        add(g.mtext.pos.x + g.mtext.width, g.mtext.pos.y - g.mtext.height);
        break;
    case EntityType::Insert:
    case EntityType::Dimension: Placed(e, add, depth); break;
    case EntityType::Viewport:
    case EntityType::Hatch:
    case EntityType::LwPolyline:
    case EntityType::Spline:
    case EntityType::AttDef:
    case EntityType::Attrib: Side(e, add); break;
    case EntityType::Polyline:
    case EntityType::SeqEnd:
    case EntityType::Block:
    case EntityType::EndBlk: break;
    }
}

void Measure::Walk(std::uint32_t block, const Place& at, Box& box, int depth) {
    if (depth > 16 || block >= d.blocks.size()) return;
    // A block that inserts itself, directly or through others, is measured once.
    if (std::find(open.begin(), open.end(), block) != open.end()) return;
    open.push_back(block);
    const Vec3 base = d.blocks[block].base;
    auto add = [&](double x, double y) { at.Add(box, x - base.x, y - base.y); };
    for (std::uint32_t i : d.blocks[block].entities) {
        const cad::Entity& e = d.entities[i];
        // A block's ATTDEFs show nothing where it is inserted.
        if ((e.flags & kEntityDeleted) || (depth > 0 && e.type == EntityType::AttDef)) continue;
        Entity(e, add, depth);
    }
    open.pop_back();
}

} // namespace

Box ExtentsOf(const Drawing& d, std::uint32_t block) {
    Box b;
    Measure m{d, {}};
    m.Walk(block, Place{}, b, 0);
    return b;
}

} // namespace ostrel::cad
