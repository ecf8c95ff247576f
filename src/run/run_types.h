#pragma once
// Values shared by the conversion's handlers.
#include <cstdint>
#include <vector>

namespace ostrel {

struct Point3D {
    double X = 0, Y = 0, Z = 0;
};

// A trim or boundary polygon: points 0..count-1 in use; count 0 = none.
struct Polygon {
    std::int16_t count = 0;
    std::vector<Point3D> points;   // at least count + 1 elements (the extra one is all zero)
};

struct Extents {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

} // namespace ostrel
