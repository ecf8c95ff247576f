#pragma once
// What the model knows of each entity kind, reached through one dispatch
// made from OSTREL_ENTITY_KINDS (a kind without its entry in
// entity_kinds.cpp does not build): the points its extents take, the shapes
// a plot draws of it, its points as a curve, a turn about a point, a copy
// of its side data and the repairs a save makes to it.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad {

// A rectangle in the plane; points that are not finite are left out.
struct Box {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    bool empty() const { return minX > maxX; }
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        if (x < minX) minX = x;
        if (y < minY) minY = y;
        if (x > maxX) maxX = x;
        if (y > maxY) maxY = y;
    }
};

// Where a kind's extents go: its points, less the base point of the block
// it is measured in, and the blocks it draws at a place.
class ExtentsOut {
public:
    ExtentsOut(Box& box, const Vec3& base) : box_(box), base_(base) {}
    void Add(double x, double y) { box_.Add(x - base_.x, y - base_.y); }
    void Add(const Vec3& p) { Add(p.x, p.y); }
    // A block drawn at `place` (an insert, or a dimension's block where it
    // stands), whose own point is `anchor`.
    virtual void Placed(const InsertGeom& place, const Vec3& anchor) = 0;

protected:
    ~ExtentsOut() = default;

private:
    Box& box_;
    Vec3 base_;
};

// What a plot draws of a kind, in drawing units.
class ShapeOut {
public:
    virtual void Dot(const Vec3& p) = 0;
    virtual void Curve(const std::vector<Vec3>& points, bool closed) = 0;
    virtual void Edges(const FaceGeom& face, int hidden) = 0;   // a 3DFACE's edges but the hidden ones
    virtual void Fill(const std::vector<Vec3>& outline, double opacity) = 0;
    virtual void Polyline(const PolylineGeom& head, const std::vector<const VertexGeom*>& vertices) = 0;
    virtual void Text(const TextGeom& t, std::string_view text) = 0;
    // A block drawn at `place`, or where it stands when `place` is null.
    virtual void Placed(std::uint32_t block, const InsertGeom* place) = 0;
    virtual void View(const ViewportData& v) = 0;

protected:
    ~ShapeOut() = default;
};

// A turn by `angle` radians about (bx, by); c and s are its cosine and sine.
struct Turn {
    double bx, by, c, s, angle;
    void Point(Vec3& p) const {
        const double x = p.x - bx, y = p.y - by;
        p.x = bx + x * c - y * s;
        p.y = by + x * s + y * c;
    }
    // A direction turns about the origin.
    void Direction(Vec3& v) const { Turn{0, 0, c, s, angle}.Point(v); }
};

void KindExtents(const Drawing& d, const Entity& e, ExtentsOut& out);
// Nothing for a POLYLINE: its VERTEX entities carry its points.
void KindShapes(const Drawing& d, const Entity& e, ShapeOut& out);
// Points along a curved kind (one R12 lacks) as the writers of releases
// without it draw it; empty for the other kinds.
std::vector<Vec3> KindCurve(const Drawing& d, const Entity& e);
// A POLYLINE's VERTEX entities turn on their own.
void KindTurn(Drawing& d, Entity& e, const Turn& t);
// Gives a copy of an entity a copy of the side data it points at.
void KindCopySide(Drawing& d, Entity& e);
// Repairs the kind's own references and values (rules in entity_kinds.cpp);
// false when the entity cannot be saved and is to be removed.
bool KindRepair(Drawing& d, Entity& e, double textSize);

// Whether a text's place lies inside the drawing's text pool.
bool TextInPool(const Drawing& d, std::uint32_t offset, std::uint32_t length);

} // namespace ostrel::cad
