// Plane geometry: bearings, chainage, crossings, the ray test and clipping,
// with the tolerances and the stored constants they are built on.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <tuple>

#include "geometry/plane_geometry.h"
#include "ostrel/errors.h"

using namespace ostrel;

namespace {

Polygon MakePolygon(std::initializer_list<Point3D> points) {
    Polygon p;
    p.points.assign(points.begin(), points.end());
    p.count = static_cast<std::int16_t>(p.points.size());
    p.points.push_back(Point3D{});
    return p;
}

const Polygon& Square() {
    static const Polygon square = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    return square;
}

// Pieces as "x,y,z x,y,z ..." (six significant digits).
std::string Text(const std::vector<Point3D>& points) {
    std::string out;
    char xyz[96];
    for (const auto& p : points) {
        auto clean = [](double v) { return std::fabs(v) < 1e-9 ? 0.0 : v; };
        std::snprintf(xyz, sizeof xyz, "%s%g,%g,%g", out.empty() ? "" : " ", clean(p.X), clean(p.Y), clean(p.Z));
        out += xyz;
    }
    return out;
}

} // namespace

// ------------------------------------------------------------------ bearings

TEST(Bearing, ClockwiseFromNorthWithTheStoredConstantsAfterFifteenDigits) {
    const double pi = 3.14159265358979, quarter = std::atan(1.0);   // the stored pi is not M_PI
    struct Case {
        double x1, y1, x2, y2, bearing;
    };
    const Case cases[] = {
        {0, 0, 0, 5, 0}, {0, 0, 5, 0, pi / 2}, {0, 0, 0, -5, pi}, {0, 0, -5, 0, 9.42477796076937 / 2},
        {0, 0, 1, -1, pi - quarter}, {0, 0, -1, -1, quarter + pi}, {0, 0, -1, 1, 6.28318530717958 - quarter},
        {3, 4, 3, 4, 0},
        // 1 + 1e-15 reads back as 1: the points share an X; a difference of 15 digits is kept.
        {1, 0, 1.000000000000001, 0, 0}, {1, 0, 1.000000000000001, -1, pi}, {0, 0, 1e-16, 0, pi / 2},
    };
    for (const auto& c : cases) EXPECT_EQ(Bearing(c.x1, c.y1, c.x2, c.y2), c.bearing) << c.x2 << "," << c.y2;
    EXPECT_DOUBLE_EQ(Bearing(0, 0, 1, 1), quarter);
    EXPECT_NEAR(Bearing(10, 10, 10 + std::sqrt(3.0), 11), M_PI / 3, 1e-12);
    EXPECT_EQ(PlanDistance(3, 4, 3, 4), 0.0);
}

TEST(Bearing, FifteenDigitReductionIsTheTextRoundTrip) {
    EXPECT_EQ(ReduceTo15Digits(0.1 + 0.2), 0.3);
    EXPECT_EQ(ReduceTo15Digits(1.0 / 3), 0.333333333333333);
    EXPECT_EQ(ReduceTo15Digits(-1234567.891234567), -1234567.89123457);
    EXPECT_EQ(ReduceTo15Digits(2.5e-9 / 3), 8.33333333333333e-10);
}

TEST(Bearing, OverflowEndsTheConversion) {
    try {
        Bearing(-1e308, 0, 1e308, 1);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
    EXPECT_THROW(PlanDistance(1e200, 0, -1e200, 0), ConversionError);
}

// ------------------------------------------------------------------ chainage

TEST(Chainage, PolarPointOffsetToTheRightAndZByPlanDistance) {
    double x, y, offset = 0;
    PolarPoint(10, 20, kHalfPi, 5, x, y);
    EXPECT_NEAR(x, 15, 1e-12);
    EXPECT_NEAR(y, 20, 1e-12);
    EXPECT_NEAR(ChainageOffset({-3, 4}, {0, 0}, {0, 10}, offset), 4, 1e-12);
    EXPECT_NEAR(offset, -3, 1e-12);
    // Heading east, the right is south.
    EXPECT_NEAR(ChainageOffset({7, -2}, {1, 0}, {11, 0}, offset), 6, 1e-12);
    EXPECT_NEAR(offset, 2, 1e-12);
    EXPECT_EQ(Text({PointAtChainage({0, 0, 10}, {6, 8, 30}, 5, 0)}), "3,4,20");
    EXPECT_EQ(Text({PointAtChainage({1, 0, 0}, {11, 0, 0}, 6, 2)}), "7,-2,0");
    // No length: Z is 0 whatever the ends say.
    EXPECT_EQ(PointAtChainage({1, 1, 5}, {1, 1, 9}, 0, 0).Z, 0.0);
}

// ------------------------------------------------------------------ crossings

TEST(Crossings, LinesCrossBeyondTheirEndsSegmentsWithinAThousandthAndNearlyParallelOnesNot) {
    Point3D p{0, 0, 7};
    ASSERT_TRUE(LineIntersection({0, 0}, {1, 1}, {0, 10}, {1, 9}, p));
    EXPECT_NEAR(p.X, 5, 1e-9);
    EXPECT_NEAR(p.Y, 5, 1e-9);
    EXPECT_EQ(p.Z, 7) << "only X and Y are written";
    EXPECT_FALSE(SegmentIntersection({0, 0}, {1, 1}, {0, 10}, {1, 9}, p));
    EXPECT_TRUE(SegmentIntersection({0, 0}, {10, 10}, {0, 10}, {10, 0}, p));
    EXPECT_FALSE(LineIntersection({0, 0}, {10, 0}, {0, 1}, {10, 1}, p));
    EXPECT_FALSE(LineIntersection({0, 0}, {10, 0}, {20, 0}, {30, 0}, p)) << "collinear";
    // sin^2 of the angle against 1e-7: 3.0e-4 rad lies below, 3.3e-4 above.
    EXPECT_FALSE(LineIntersection({0, 0}, {1000, 0}, {0, 1}, {1000, 1 + 1000 * std::tan(3.0e-4)}, p));
    EXPECT_TRUE(LineIntersection({0, 0}, {1000, 0}, {0, 1}, {1000, 1 + 1000 * std::tan(3.3e-4)}, p));
    // Segment boxes are widened by a thousandth, inclusive, ends in either order.
    const std::tuple<Point3D, Point3D, Point3D, bool> boxes[] = {
        {{10.0009, 5}, {0, 0}, {10, 10}, true}, {{10.0011, 5}, {0, 0}, {10, 10}, false},
        {{5, -0.0009}, {0, 0}, {10, 0}, true},  {{5, -0.0011}, {0, 0}, {10, 0}, false},
        {{0.5, 0.5}, {1, 1}, {0, 0}, true}};
    for (const auto& [q, a, b, in] : boxes) EXPECT_EQ(InSegmentBox(q, a, b), in) << q.X << "," << q.Y;
    EXPECT_TRUE(SegmentIntersection({0, 0}, {10, 0}, {10.0005, -5}, {10.0005, 5}, p)) << "just past the end";
    EXPECT_FALSE(SegmentIntersection({0, 0}, {10, 0}, {10.002, -5}, {10.002, 5}, p));
}

// ------------------------------------------------------------------ ray test

TEST(PointInBoundary, EdgesVerticesAndTheCoincidenceTest) {
    const Polygon single = MakePolygon({{5, 5}});
    const Polygon open = MakePolygon({{0, 0}, {10, 0}, {5, 10}});
    const Polygon closed = MakePolygon({{0, 0}, {10, 0}, {5, 10}, {0, 0}});
    const Polygon diamond = MakePolygon({{5, 0}, {10, 5}, {5, 10}, {0, 5}, {5, 0}});
    const Polygon shortOf = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0.01}});   // last point short of the first
    struct Case {
        const Polygon* b;
        double x, y;
        bool inside;
        const char* why;
    };
    const Case cases[] = {
        {&Square(), 5, 5, true, ""}, {&Square(), 5, 11, false, ""}, {&Square(), 0.001, 5, true, ""},
        {&Square(), -1, 5, false, ""}, {&Square(), 10.0005, 5, false, "outside the box"},
        {&Square(), 9.9995, 9.9995, false, "within 0.002 of a corner"},
        {&single, 5, 5, false, "a single point has no edge"},
        {&open, 3, 2, false, "no closing edge is added"}, {&closed, 3, 2, true, ""},
        {&diamond, 5, 5, false, "a ray through a vertex counts both edges"}, {&diamond, 4, 5, true, ""},
        {&diamond, 6, 4, true, ""},
        {&shortOf, 0.0012, 0.0012, true, "only point 0 escapes the coincidence test"},
        {&shortOf, 9.9988, 0.0012, false, "near point 1"}, {&shortOf, 0.0012, 0.0105, false, "near the last point"},
    };
    for (const auto& c : cases) EXPECT_EQ(PointInBoundary(c.x, c.y, *c.b), c.inside) << c.x << "," << c.y << " " << c.why;
    std::vector<Point3D> v{{-5, -5}, {20, 20}, {5, 5}};
    EXPECT_TRUE(AnyVertexInBoundary(v, 3, Square()));
    EXPECT_FALSE(AnyVertexInBoundary(v, 2, Square())) << "only the first count vertices are looked at";
}

// ------------------------------------------------------------------ sorting
TEST(SortAscending, SortsInPlace) {
    std::vector<double> v{5, -1, 3, 3, 0, 12.5, 9, 1};
    SortAscending(v.data(), 6);
    EXPECT_EQ(v, (std::vector<double>{-1, 0, 3, 3, 5, 12.5, 9, 1})) << "only the first n";
}

// ------------------------------------------------------------------ clipping

TEST(ClipSegment, PiecesInOrderAlongTheSegment) {
    // A U shape open at the top between x = 4 and x = 6.
    const Polygon u = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {6, 10}, {6, 2}, {4, 2}, {4, 10}, {0, 10}, {0, 0}});
    struct Case {
        std::vector<Point3D> vertices;
        const Polygon* b;
        int count;
        const char* pieces;
    };
    const Case cases[] = {
        {{{-5, 5, 0}, {15, 5, 20}}, &Square(), 1, "0,5,5 10,5,15"},   // Z interpolated
        {{{5, 5}, {15, 5}}, &Square(), 1, "5,5,0 10,5,0"},
        {{{15, 5}, {5, 5}}, &Square(), 1, "10,5,0 5,5,0"},
        {{{5, 5, 1.5}, {6, 5, 2.5}, {50, 50}}, &Square(), 1, "5,5,1.5 6,5,2.5"},   // inside: unchanged
        {{{5, 5}, {9.9995, 5}}, &Square(), 1, "5,5,0 10,5,0"},     // a crossing just past the end counts
        {{{5, 5}, {9.9985, 5}}, &Square(), 1, "5,5,0 9.9985,5,0"},
        {{{20, 20}, {30, 30}}, &Square(), 0, ""},
        {{{12, 5}, {-2, 5}}, &u, 2, "10,5,0 6,5,0 4,5,0 0,5,0"},
    };
    for (const auto& c : cases) {
        std::vector<Point3D> pieces{{1, 1}};
        EXPECT_EQ(ClipSegmentToBoundary(c.vertices, *c.b, pieces), c.count) << c.pieces;
        EXPECT_EQ(Text(pieces), c.pieces);
    }
}

TEST(ClipSegment, MoreThanAHundredAndOneChainagesRunOverTheList) {
    auto zigzag = [](int edges) {
        Polygon b;
        for (int i = 0; i <= edges; ++i) b.points.push_back({double(i), i % 2 ? 1.0 : -1.0});
        b.count = static_cast<std::int16_t>(b.points.size());
        b.points.push_back({});
        return b;
    };
    std::vector<Point3D> pieces;
    // 100 crossings from outside: 50 pieces.
    EXPECT_EQ(ClipSegmentToBoundary({{-0.5, 0}, {200, 0}}, zigzag(100), pieces), 50);
    EXPECT_EQ(pieces.size(), 100u);
    // 101 crossings fill the list; the segment's length no longer fits.
    try {
        ClipSegmentToBoundary({{-0.5, 0}, {200, 0}}, zigzag(101), pieces);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::SubscriptOutOfRange);
    }
}
