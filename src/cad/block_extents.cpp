// Extents of a block measured from its entities, inserts through their blocks.
#include "cad/block_extents.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

void Walk(const Drawing& d, std::uint32_t block, const Place& at, Box& box, int depth,
          std::vector<std::uint32_t>& open) {
    if (depth > 16 || block >= d.blocks.size()) return;
    // A block that inserts itself, directly or through others, is measured once.
    if (std::find(open.begin(), open.end(), block) != open.end()) return;
    open.push_back(block);
    const Vec3 base = d.blocks[block].base;
    for (std::uint32_t i : d.blocks[block].entities) {
        const Entity& e = d.entities[i];
        if (e.flags & kEntityDeleted) continue;
        auto add = [&](double x, double y) { at.Add(box, x - base.x, y - base.y); };
        switch (e.type) {
        case EntityType::Point: add(e.geom.point.pos.x, e.geom.point.pos.y); break;
        case EntityType::Line:
            add(e.geom.line.start.x, e.geom.line.start.y);
            add(e.geom.line.end.x, e.geom.line.end.y);
            break;
        case EntityType::Circle:
        case EntityType::Arc: {
            const auto& c = e.type == EntityType::Circle ? e.geom.circle.center : e.geom.arc.center;
            const double r = e.type == EntityType::Circle ? e.geom.circle.radius : e.geom.arc.radius;
            add(c.x - r, c.y - r);
            add(c.x + r, c.y + r);
            break;
        }
        case EntityType::Text:
            add(e.geom.text.pos.x, e.geom.text.pos.y);
            add(e.geom.text.pos.x, e.geom.text.pos.y + e.geom.text.height);
            break;
        case EntityType::Vertex: add(e.geom.vertex.pos.x, e.geom.vertex.pos.y); break;
        case EntityType::Face3D:
            for (const auto& c : e.geom.face.corner) add(c.x, c.y);
            break;
        case EntityType::Insert: {
            const auto& ins = e.geom.insert;
            // The inner block's point p lands at at(ins.pos + R(ins.rot) * S * p).
            const double c = std::cos(ins.rotation), s = std::sin(ins.rotation);
            Box sub;
            Walk(d, ins.block, Place{}, sub, depth + 1, open);
            if (sub.empty()) break;
            const double xs[2] = {sub.minX, sub.maxX}, ys[2] = {sub.minY, sub.maxY};
            for (double px : xs)
                for (double py : ys) {
                    const double ax = px * ins.xScale, ay = py * ins.yScale;
                    add(ins.pos.x + ax * c - ay * s, ins.pos.y + ax * s + ay * c);
                }
            break;
        }
        case EntityType::Viewport: {
            if (e.geom.extra.index >= d.viewports.size()) break;
            const auto& v = d.viewports[e.geom.extra.index];
            add(v.center.x - v.width / 2, v.center.y - v.height / 2);
            add(v.center.x + v.width / 2, v.center.y + v.height / 2);
            break;
        }
        case EntityType::Hatch:
            if (e.geom.extra.index >= d.hatches.size()) break;
            for (const auto& p : d.hatches[e.geom.extra.index].boundary) add(p.x, p.y);
            break;
        default: break;
        }
    }
    open.pop_back();
}

} // namespace

Box ExtentsOf(const Drawing& d, std::uint32_t block) {
    Box b;
    std::vector<std::uint32_t> open;
    Walk(d, block, Place{}, b, 0, open);
    return b;
}

} // namespace ostrel::cad
