#pragma once
// Plane geometry of the clip tests: bearings clockwise from +Y in radians,
// chainage and offset along a line, crossings, the ray test and clipping.
//
// The constants are the stored ones (pi to 15 significant digits), and the
// tolerances are those of the drawing units: 0.001 for segment boxes, 0.002
// for coincident points, 1e-7 on 1 - cos^2 for parallel lines.
//
// A floating-point overflow or an invalid operation in any computation here
// throws ConversionError(ErrorCode::Overflow) naming the operation.
#include <vector>

#include "run/run_types.h"

namespace ostrel {

constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = 6.28318530717958;
constexpr double kHalfPi = kPi / 2;
constexpr double kThreeHalfPi = 9.42477796076937 / 2;

constexpr double kSegmentBoxTolerance = 0.001;
constexpr double kCoincidentDistance = 0.002;
constexpr double kParallelLimit = 1e-7;
constexpr double kRayLength = 1000000;
// The chainage list of ClipSegmentToBoundary holds indices 0 to 100.
constexpr int kMaxChainages = 101;

double PlanDistance(double x1, double y1, double x2, double y2);
// The value written with 15 significant decimal digits and read back.
double ReduceTo15Digits(double v);
double Bearing(double x1, double y1, double x2, double y2);
void PolarPoint(double x0, double y0, double bearing, double distance, double& x, double& y);
double MinValue(double a, double b);
double MaxValue(double a, double b);
// Returns the chainage; offset is positive to the right of a->b.
double ChainageOffset(const Point3D& p, const Point3D& a, const Point3D& b, double& offset);
Point3D PointAtChainage(const Point3D& a, const Point3D& b, double chainage, double offset);
// Only X and Y of point are written.
bool LineIntersection(const Point3D& p1, const Point3D& p2, const Point3D& p3, const Point3D& p4, Point3D& point);
bool InSegmentBox(const Point3D& p, const Point3D& a, const Point3D& b);
bool SegmentIntersection(const Point3D& p1, const Point3D& p2, const Point3D& p3, const Point3D& p4, Point3D& point);
// The caller passes a boundary with at least one point.
bool PointInBoundary(double x, double y, const Polygon& boundary);
void SortAscending(double* values, int n);
// Cuts the segment between the first two vertices to the trim polygon. Pieces
// come back as pairs of points (2k, 2k+1); the result is the piece count.
// pieces is cleared first and keeps its capacity between calls.
// Throws ConversionError(SubscriptOutOfRange) past 101 chainages.
int ClipSegmentToBoundary(const std::vector<Point3D>& vertices, const Polygon& trim, std::vector<Point3D>& pieces);
bool AnyVertexInBoundary(const std::vector<Point3D>& vertices, int count, const Polygon& boundary);

} // namespace ostrel
