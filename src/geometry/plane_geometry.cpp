// Placeholder: plane geometry arrives with its own change.
#include "geometry/plane_geometry.h"

namespace ostrel {
double PlanDistance(double, double, double, double) { return 0; }
double Bearing(double, double, double, double) { return 0; }
void PolarPoint(double x0, double y0, double, double, double& x, double& y) { x = x0; y = y0; }
double MinValue(double a, double b) { return a >= b ? b : a; }
double MaxValue(double a, double b) { return a > b ? a : b; }
double ChainageOffset(const Point3D&, const Point3D&, const Point3D&, double& offset) { offset = 0; return 0; }
Point3D PointAtChainage(const Point3D& a, const Point3D&, double, double) { return a; }
bool LineIntersection(const Point3D&, const Point3D&, const Point3D&, const Point3D&, Point3D&) { return false; }
bool InSegmentBox(const Point3D&, const Point3D&, const Point3D&) { return false; }
bool SegmentIntersection(const Point3D&, const Point3D&, const Point3D&, const Point3D&, Point3D&) { return false; }
bool PointInBoundary(double, double, const Polygon&) { return true; }
void SortAscending(double*, int) {}
int ClipSegmentToBoundary(const std::vector<Point3D>&, const Polygon&, std::vector<Point3D>&) { return 0; }
bool AnyVertexInBoundary(const std::vector<Point3D>&, int, const Polygon&) { return true; }
} // namespace ostrel
