#pragma once
// Triangles that cover a simple polygon, for releases that can fill only
// three- and four-sided shapes (SOLID).
#include <array>
#include <cstdint>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad {

// Splits a simple polygon (convex or concave, either winding, closed
// implicitly; z ignored) into n - 2 triangles by ear clipping, each as
// indexes into the polygon, counter-clockwise. Repeated and collinear
// corners are dropped first. A self-crossing outline still gives triangles
// (covering it as well as its corners allow) rather than none.
std::vector<std::array<std::uint32_t, 3>> TriangulatePolygon(const std::vector<Vec3>& polygon);

} // namespace ostrel::cad
