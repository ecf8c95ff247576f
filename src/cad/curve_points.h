#pragma once
// Points along the curves of side data: a spline, and a lightweight
// polyline with its bulges. The kinds' entries (entity_kinds.cpp) draw and
// measure with them.
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad {

// Points along a spline: evaluated from its control points, knots and
// weights (a missing or broken knot vector is taken as clamped and uniform),
// `perSpan` segments to each knot span; through its fit points when it has
// no control points. Empty when it has neither.
std::vector<Vec3> SplinePoints(const SplineData& s, int perSpan = 16);

// The vertices of a lightweight polyline as points, its bulges as arcs of
// `perTurn` segments to a whole turn (closing segment included when closed).
std::vector<Vec3> LwPolylinePoints(const LwPolylineData& p, int perTurn = 64);

} // namespace ostrel::cad
