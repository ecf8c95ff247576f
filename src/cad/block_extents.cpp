// Extents of a block measured from its entities, inserts through their blocks.
#include "cad/block_extents.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ostrel::cad {

namespace {

struct Measure {
    const Drawing& d;
    ExtentsReach reach;
    std::vector<std::uint32_t> open;   // the blocks being measured (no cycles)
    void Walk(std::uint32_t block, Box& box, int depth);
    void Placed(const InsertGeom& ins, ExtentsOut& out, int depth);
};

// One block's points; its placed blocks measured as the reach has them.
class BlockOut final : public ExtentsOut {
public:
    BlockOut(Measure& m, Box& box, const Vec3& base, int depth) : ExtentsOut(box, base), m_(m), depth_(depth) {}
    void Placed(const InsertGeom& place, const Vec3& anchor) override {
        if (m_.reach == ExtentsReach::Anchors) Add(anchor);
        else m_.Placed(place, *this, depth_);
    }

private:
    Measure& m_;
    int depth_;
};

// The inner block's point p lands at ins.pos + R(ins.rot) * S * p.
void Measure::Placed(const InsertGeom& ins, ExtentsOut& out, int depth) {
    const double c = std::cos(ins.rotation), s = std::sin(ins.rotation);
    Box sub;
    Walk(ins.block, sub, depth + 1);
    if (sub.empty()) return;
    for (double px : {sub.minX, sub.maxX})
        for (double py : {sub.minY, sub.maxY}) {
            const double ax = px * ins.xScale, ay = py * ins.yScale;
            out.Add(ins.pos.x + ax * c - ay * s, ins.pos.y + ax * s + ay * c);
        }
}

void Measure::Walk(std::uint32_t block, Box& box, int depth) {
    if (depth > 16 || block >= d.blocks.size()) return;
    // A block that inserts itself, directly or through others, is measured once.
    if (std::find(open.begin(), open.end(), block) != open.end()) return;
    open.push_back(block);
    const BlockRecord& b = d.blocks[block];
    // A space is measured as drawn, its base point aside; a block from its base point.
    BlockOut out(*this, box, depth > 0 ? b.base : Vec3{}, depth);
    const bool paperLayout = reach == ExtentsReach::Anchors && b.IsPaperSpace();
    for (std::uint32_t i : b.entities) {
        const Entity& e = d.entities[i];
        // A block's ATTDEFs show nothing where it is inserted.
        if ((e.flags & kEntityDeleted) || (depth > 0 && e.type == EntityType::AttDef)) continue;
        if (paperLayout && e.type == EntityType::Viewport && e.geom.extra.index < d.viewports.size() &&
            d.viewports[e.geom.extra.index].id == 1)
            continue;
        KindExtents(d, e, out);
    }
    open.pop_back();
}

} // namespace

Box ExtentsOf(const Drawing& d, std::uint32_t block, ExtentsReach reach) {
    Box b;
    Measure m{d, reach, {}};
    m.Walk(block, b, 0);
    return b;
}

} // namespace ostrel::cad
