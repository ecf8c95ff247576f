// Plane geometry of the clip tests.
#include "geometry/plane_geometry.h"

#include <charconv>
#include <cmath>
#include <string>

#include "ostrel/errors.h"

namespace ostrel {

namespace {

// Overflow and invalid operations end the conversion rather than letting an
// infinity or NaN travel into the drawing.
inline double Checked(double v, const char* operation) {
    if (std::isfinite(v)) return v;
    throw ConversionError(ErrorCode::Overflow, std::string(std::isnan(v) ? "invalid floating-point operation in "
                                                                          : "floating-point overflow in ") +
                                                   operation);
}

// The direction of a level line of the given bearing: the zenith angle is a
// right angle, so each component carries sin(pi/2) of the stored pi.
const double kLevel = std::sin(kHalfPi);

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

} // namespace

double PlanDistance(double x1, double y1, double x2, double y2) {
    const double dx = x1 - x2, dy = y1 - y2;
    return Checked(std::sqrt(dx * dx + dy * dy), "PlanDistance");
}

// A value that is the nearest double to a decimal of at most 15 significant
// digits reads back as itself; survey coordinates nearly always are, and are
// recognised here without formatting. Everything else goes through text.
double ReduceTo15Digits(double v) {
    if (v == 0 || !std::isfinite(v)) return v;
    const double magnitude = std::fabs(v);
    if (magnitude < 1e15 && magnitude >= 1e-3) {
        for (double scale : kPowersOfTen) {
            const double scaled = magnitude * scale;
            if (scaled >= 1e15) break;
            const double whole = std::nearbyint(scaled);
            if (whole / scale == magnitude) return v;
        }
    }
    char text[40];
    auto written = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 14);
    double back = v;
    std::from_chars(text, written.ptr, back);
    return back;
}

double Bearing(double x1, double y1, double x2, double y2) {
    x1 = ReduceTo15Digits(x1);
    y1 = ReduceTo15Digits(y1);
    x2 = ReduceTo15Digits(x2);
    y2 = ReduceTo15Digits(y2);
    const double dE = Checked(x2 - x1, "Bearing");
    const double dN = Checked(y2 - y1, "Bearing");
    if (dE == 0) return dN < 0 ? kPi : 0;
    if (dN == 0) return dE > 0 ? kHalfPi : kThreeHalfPi;
    double t = std::fabs(std::atan(Checked(dE / dN, "Bearing")));
    if (dE > 0 && dN < 0) t = kPi - t;
    else if (dE < 0 && dN < 0) t = t + kPi;
    else if (dE < 0 && dN > 0) t = kTwoPi - t;
    return t;
}

void PolarPoint(double x0, double y0, double bearing, double distance, double& x, double& y) {
    x = Checked(x0 + distance * std::sin(bearing), "PolarPoint");
    y = Checked(y0 + distance * std::cos(bearing), "PolarPoint");
}

double MinValue(double a, double b) { return a >= b ? b : a; }
double MaxValue(double a, double b) { return a > b ? a : b; }

double ChainageOffset(const Point3D& p, const Point3D& a, const Point3D& b, double& offset) {
    const double theta = Bearing(a.X, a.Y, b.X, b.Y);
    const double s = std::sin(theta), c = std::cos(theta);
    const double dx = p.X - a.X, dy = p.Y - a.Y;
    offset = Checked(dx * c - dy * s, "ChainageOffset");
    return Checked(dx * s + dy * c, "ChainageOffset");
}

Point3D PointAtChainage(const Point3D& a, const Point3D& b, double chainage, double offset) {
    const double theta = Bearing(a.X, a.Y, b.X, b.Y);
    const double length = PlanDistance(a.X, a.Y, b.X, b.Y);
    Point3D r;
    PolarPoint(a.X, a.Y, theta, chainage, r.X, r.Y);
    PolarPoint(r.X, r.Y, theta + kHalfPi, offset, r.X, r.Y);
    r.Z = length != 0 ? Checked(a.Z + (b.Z - a.Z) / length * chainage, "PointAtChainage") : 0;
    return r;
}

bool LineIntersection(const Point3D& p1, const Point3D& p2, const Point3D& p3, const Point3D& p4, Point3D& point) {
    const double theta1 = Bearing(p1.X, p1.Y, p2.X, p2.Y);
    const double theta2 = Bearing(p3.X, p3.Y, p4.X, p4.Y);
    const double d1x = std::sin(theta1) * kLevel, d1y = std::cos(theta1) * kLevel;
    const double d2x = std::sin(theta2) * kLevel, d2y = std::cos(theta2) * kLevel;
    const double c = d1x * d2x + d1y * d2y;
    const double wx = p3.X - p1.X, wy = p3.Y - p1.Y;
    const double e1 = wx * d1x + wy * d1y;
    const double e2 = -wx * d2x - wy * d2y;
    const double denominator = 1 - c * c;
    if (denominator < kParallelLimit) return false;
    const double t1 = Checked((c * e2 + e1) / denominator, "LineIntersection");
    const double t2 = Checked((c * e1 + e2) / denominator, "LineIntersection");
    const double q1x = p1.X + t1 * d1x, q1y = p1.Y + t1 * d1y;
    const double q2x = p3.X + t2 * d2x, q2y = p3.Y + t2 * d2y;
    point.X = Checked((q1x + q2x) * 0.5, "LineIntersection");
    point.Y = Checked((q1y + q2y) * 0.5, "LineIntersection");
    return true;
}

bool InSegmentBox(const Point3D& p, const Point3D& a, const Point3D& b) {
    return MinValue(a.X, b.X) - kSegmentBoxTolerance <= p.X && p.X <= MaxValue(a.X, b.X) + kSegmentBoxTolerance &&
           MinValue(a.Y, b.Y) - kSegmentBoxTolerance <= p.Y && p.Y <= MaxValue(a.Y, b.Y) + kSegmentBoxTolerance;
}

bool SegmentIntersection(const Point3D& p1, const Point3D& p2, const Point3D& p3, const Point3D& p4, Point3D& point) {
    if (!LineIntersection(p1, p2, p3, p4, point)) return false;
    return InSegmentBox(point, p3, p4) && InSegmentBox(point, p1, p2);
}

namespace {

// Coordinates in this range (or zero) cannot overflow anywhere in the ray
// test or the clip, and then a pair of segments whose widened boxes do not
// meet may be passed over: SegmentIntersection could not report a crossing
// for them, since the crossing must lie in both boxes. Values outside the
// range take the long way, so that an overflow is still raised as it arises.
inline bool Ordinary(double v) {
    const double m = std::fabs(v);
    return v == 0 || (m >= 1e-100 && m <= 1e100);
}

// The widened boxes of SegmentIntersection, compared with the very
// expressions InSegmentBox evaluates.
inline bool BoxesApart(const Point3D& p1, const Point3D& p2, const Point3D& p3, const Point3D& p4) {
    return MaxValue(p1.X, p2.X) + kSegmentBoxTolerance < MinValue(p3.X, p4.X) - kSegmentBoxTolerance ||
           MaxValue(p3.X, p4.X) + kSegmentBoxTolerance < MinValue(p1.X, p2.X) - kSegmentBoxTolerance ||
           MaxValue(p1.Y, p2.Y) + kSegmentBoxTolerance < MinValue(p3.Y, p4.Y) - kSegmentBoxTolerance ||
           MaxValue(p3.Y, p4.Y) + kSegmentBoxTolerance < MinValue(p1.Y, p2.Y) - kSegmentBoxTolerance;
}

// The box of a boundary: both ends of every edge, which are its points 0 to
// count - 1 (point 0 alone for a single point).
struct BoundaryBox {
    double minX, maxX, minY, maxY;
    bool ordinary;   // every coordinate Ordinary()
};

BoundaryBox BoxOf(const Polygon& boundary) {
    const Point3D* pts = boundary.points.data();
    BoundaryBox box{pts[0].X, pts[0].X, pts[0].Y, pts[0].Y, true};
    for (int i = 0; i < boundary.count; ++i) {
        box.minX = MinValue(box.minX, pts[i].X);
        box.maxX = MaxValue(box.maxX, pts[i].X);
        box.minY = MinValue(box.minY, pts[i].Y);
        box.maxY = MaxValue(box.maxY, pts[i].Y);
        box.ordinary = box.ordinary && Ordinary(pts[i].X) && Ordinary(pts[i].Y);
    }
    return box;
}

// A point closer than 0.002 to one of the points 1 to count - 1.
bool NearABoundaryPoint(double x, double y, const Polygon& boundary, bool ordinary) {
    const Point3D* pts = boundary.points.data();
    for (int i = 1; i < boundary.count; ++i) {
        // With ordinary values the plan distance cannot be below the limit
        // unless both differences are: a cheap test first.
        if (ordinary && (std::fabs(x - pts[i].X) >= 2 * kCoincidentDistance ||
                         std::fabs(y - pts[i].Y) >= 2 * kCoincidentDistance))
            continue;
        if (PlanDistance(x, y, pts[i].X, pts[i].Y) < kCoincidentDistance) return true;
    }
    return false;
}

} // namespace

bool PointInBoundary(double x, double y, const Polygon& boundary) {
    const int count = boundary.count;
    if (count < 1 || boundary.points.size() < static_cast<std::size_t>(count)) return false;
    const BoundaryBox box = BoxOf(boundary);
    const bool ordinary = box.ordinary && Ordinary(x) && Ordinary(y);
    const bool outsideBox = x < box.minX || x > box.maxX || y < box.minY || y > box.maxY;
    // Outside the box nothing else can change the answer; with ordinary
    // values nothing can raise an error either.
    if (ordinary && outsideBox) return false;

    const Point3D* pts = boundary.points.data();
    const Point3D rayStart{x, y, 0};
    const Point3D rayEnd{x, y + kRayLength, 0};
    int crossings = 0;
    Point3D crossing;
    for (int i = 1; i < count; ++i) {
        if (ordinary && BoxesApart(rayStart, rayEnd, pts[i - 1], pts[i])) continue;
        if (SegmentIntersection(rayStart, rayEnd, pts[i - 1], pts[i], crossing)) ++crossings;
    }

    if (outsideBox || crossings % 2 == 0) return false;
    // A point on a boundary vertex is outside; point 0 is not looked at.
    return !NearABoundaryPoint(x, y, boundary, ordinary);
}

void SortAscending(double* values, int n) {
    if (n < 2) return;
    bool exchanged;
    do {
        exchanged = false;
        for (int i = 0; i <= n - 2; ++i) {
            if (values[i] > values[i + 1]) {
                const double t = values[i];
                values[i] = values[i + 1];
                values[i + 1] = t;
                exchanged = true;
            }
        }
    } while (exchanged);
}

namespace {

void AddChainage(double* chain, int& n, double value) {
    if (n >= kMaxChainages)
        throw ConversionError(ErrorCode::SubscriptOutOfRange,
                              "subscript out of range: a segment crosses the trim boundary more than " +
                                  std::to_string(kMaxChainages - 1) + " times");
    chain[n++] = value;
}

} // namespace

int ClipSegmentToBoundary(const std::vector<Point3D>& vertices, const Polygon& trim, std::vector<Point3D>& pieces) {
    pieces.clear();
    if (vertices.size() < 2)
        throw ConversionError(ErrorCode::Internal, "ClipSegmentToBoundary needs a segment of two vertices");
    if (trim.count < 1 || trim.points.size() < static_cast<std::size_t>(trim.count)) return 0;
    const Point3D& p = vertices[0];
    const Point3D& q = vertices[1];
    double chain[kMaxChainages];
    int n = 0;
    const bool startInside = PointInBoundary(p.X, p.Y, trim);
    if (startInside) AddChainage(chain, n, 0);

    const bool ordinary = BoxOf(trim).ordinary && Ordinary(p.X) && Ordinary(p.Y) && Ordinary(q.X) && Ordinary(q.Y);
    Point3D crossing;
    double offset;
    for (int i = 1; i < trim.count; ++i) {
        if (ordinary && BoxesApart(p, q, trim.points[i - 1], trim.points[i])) continue;
        if (SegmentIntersection(p, q, trim.points[i - 1], trim.points[i], crossing))
            AddChainage(chain, n, ChainageOffset(crossing, p, q, offset));
    }

    if (startInside && n == 1) {
        pieces.push_back(p);
        pieces.push_back(q);
        return 1;
    }
    if (n == 0) return 0;
    if (n % 2 == 1) AddChainage(chain, n, PlanDistance(p.X, p.Y, q.X, q.Y));
    SortAscending(chain, n);
    for (int i = 0; i < n; ++i) pieces.push_back(PointAtChainage(p, q, chain[i], 0));
    return n / 2;
}

bool AnyVertexInBoundary(const std::vector<Point3D>& vertices, int count, const Polygon& boundary) {
    for (int i = 0; i < count; ++i)
        if (PointInBoundary(vertices[i].X, vertices[i].Y, boundary)) return true;
    return false;
}

} // namespace ostrel
