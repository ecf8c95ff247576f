#include "cad/dwg/dwg_entity_parts.h"

namespace ostrel::cad::dwg {

// ------------------------------------------------------------ text

void WriteTextGeom(BitWriter& w, const TextGeom& t, std::string_view value) {
    std::uint8_t flags = 0;
    bool hasAlign = t.hAlign != 0 || t.vAlign != 0 || t.align.x != 0 || t.align.y != 0;
    if (t.pos.z == 0) flags |= 0x01;
    if (!hasAlign) flags |= 0x02;
    if (t.oblique == 0) flags |= 0x04;
    if (t.rotation == 0) flags |= 0x08;
    if (t.widthFactor == 1) flags |= 0x10;
    flags |= 0x20;                              // generation 0
    if (t.hAlign == 0) flags |= 0x40;
    if (t.vAlign == 0) flags |= 0x80;
    w.RC(flags);
    if (!(flags & 0x01)) w.RD(t.pos.z);
    w.RD2(t.pos.x, t.pos.y);
    if (!(flags & 0x02)) {
        w.DD(t.align.x, t.pos.x);
        w.DD(t.align.y, t.pos.y);
    }
    w.BE(kNormal);
    w.BT(0.0);
    if (!(flags & 0x04)) w.RD(t.oblique);
    if (!(flags & 0x08)) w.RD(t.rotation);
    w.RD(t.height);
    if (!(flags & 0x10)) w.RD(t.widthFactor);
    w.TV(value);
    if (!(flags & 0x40)) w.BS(t.hAlign);
    if (!(flags & 0x80)) w.BS(t.vAlign);
}

void ReadTextGeom(BitReader& r, TextGeom& t, std::string& pool) {
    std::uint8_t flags = r.RC();
    double elevation = (flags & 0x01) ? 0.0 : r.RD();
    t.pos.x = r.RD();
    t.pos.y = r.RD();
    t.pos.z = elevation;
    t.align = {0, 0, 0};
    if (!(flags & 0x02)) {
        t.align.x = r.DD(t.pos.x);
        t.align.y = r.DD(t.pos.y);
        t.align.z = elevation;
    }
    r.BE();
    r.BT();
    t.oblique = (flags & 0x04) ? 0.0 : r.RD();
    t.rotation = (flags & 0x08) ? 0.0 : r.RD();
    t.height = r.RD();
    t.widthFactor = (flags & 0x10) ? 1.0 : r.RD();
    std::string value = r.TV();
    t.textOffset = static_cast<std::uint32_t>(pool.size());
    t.textLength = static_cast<std::uint32_t>(value.size());
    pool.append(value);
    if (!(flags & 0x20)) r.BS();            // generation
    t.hAlign = (flags & 0x40) ? 0 : static_cast<std::uint8_t>(r.BS());
    t.vAlign = (flags & 0x80) ? 0 : static_cast<std::uint8_t>(r.BS());
    t.style = kNone;
}

// ------------------------------------------------------------ insert scale

void WriteInsertScale(BitWriter& w, const InsertGeom& g) {
    if (g.xScale == 1 && g.yScale == 1 && g.zScale == 1) {
        w.BB(3);
    } else if (g.xScale == 1) {
        w.BB(1);
        w.DD(g.yScale, 1.0);
        w.DD(g.zScale, 1.0);
    } else if (g.yScale == g.xScale && g.zScale == g.xScale) {
        w.BB(2);
        w.RD(g.xScale);
    } else {
        w.BB(0);
        w.RD(g.xScale);
        w.DD(g.yScale, g.xScale);
        w.DD(g.zScale, g.xScale);
    }
}

void ReadInsertScale(BitReader& r, InsertGeom& g) {
    switch (r.BB()) {
    case 3: g.xScale = g.yScale = g.zScale = 1.0; break;
    case 1:
        g.xScale = 1.0;
        g.yScale = r.DD(1.0);
        g.zScale = r.DD(1.0);
        break;
    case 2: g.xScale = g.yScale = g.zScale = r.RD(); break;
    default:
        g.xScale = r.RD();
        g.yScale = r.DD(g.xScale);
        g.zScale = r.DD(g.xScale);
        break;
    }
}

// ------------------------------------------------------------ 3DFACE

void WriteFace(BitWriter& w, const FaceGeom& f, std::int16_t invisibleEdges) {
    bool noFlags = invisibleEdges == 0;
    bool zZero = f.corner[0].z == 0;
    w.B(noFlags);
    w.B(zZero);
    w.RD(f.corner[0].x);
    w.RD(f.corner[0].y);
    if (!zZero) w.RD(f.corner[0].z);
    for (int i = 1; i < 4; ++i) {
        w.DD(f.corner[i].x, f.corner[i - 1].x);
        w.DD(f.corner[i].y, f.corner[i - 1].y);
        w.DD(f.corner[i].z, f.corner[i - 1].z);
    }
    if (!noFlags) w.BS(invisibleEdges);
}

void ReadFace(BitReader& r, FaceGeom& f, std::int16_t& invisibleEdges) {
    bool noFlags = r.B();
    bool zZero = r.B();
    f.corner[0].x = r.RD();
    f.corner[0].y = r.RD();
    f.corner[0].z = zZero ? 0.0 : r.RD();
    for (int i = 1; i < 4; ++i) {
        f.corner[i].x = r.DD(f.corner[i - 1].x);
        f.corner[i].y = r.DD(f.corner[i - 1].y);
        f.corner[i].z = r.DD(f.corner[i - 1].z);
    }
    invisibleEdges = noFlags ? 0 : r.BS();
}

// ------------------------------------------------------------ viewport

void WriteViewport(BitWriter& w, const ViewportData& v, Release release) {
    w.BD3(v.center);
    w.BD(v.width);
    w.BD(v.height);
    w.BD3(v.viewTarget);
    w.BD3(v.viewDirection);
    w.BD(v.twist);
    w.BD(v.viewHeight);
    w.BD(v.lensLength);
    w.BD(0.0);                                  // front clip
    w.BD(0.0);                                  // back clip
    w.BD(0.0);                                  // snap angle
    w.RD2(v.viewCenter.x, v.viewCenter.y);
    w.RD2(0.0, 0.0);                            // snap base
    w.RD2(10.0, 10.0);                          // snap spacing
    w.RD2(10.0, 10.0);                          // grid spacing
    w.BS(1000);                                 // circle zoom
    if (release >= Release::R2007) w.BS(5);     // major grid lines
    w.BL(0);                                    // no frozen layers
    w.BL(v.statusFlags);
    w.TV("");                                   // plot style sheet
    w.RC(0);                                    // render mode
    w.B(false);                                 // UCS icon at origin
    w.B(false);                                 // UCS per viewport
    w.BD3({0, 0, 0});
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    w.BD(0.0);
    w.BS(0);
    if (release >= Release::R2004) w.BS(0);     // shade plot mode: as displayed
    if (release >= Release::R2007) {            // default lighting, brightness, contrast, ambient colour
        w.B(true);
        w.RC(1);
        w.BD(0.0);
        w.BD(0.0);
        w.CMC(250);
    }
}

ViewportData ReadViewport(BitReader& r, Release release) {
    ViewportData v;
    v.center = r.BD3();
    v.width = r.BD();
    v.height = r.BD();
    v.viewTarget = r.BD3();
    v.viewDirection = r.BD3();
    v.twist = r.BD();
    v.viewHeight = r.BD();
    v.lensLength = r.BD();
    r.BD();
    r.BD();
    r.BD();                                 // clips, snap angle
    v.viewCenter.x = r.RD();
    v.viewCenter.y = r.RD();
    for (int i = 0; i < 6; ++i) r.RD();     // snap base, snap spacing, grid spacing
    r.BS();                                 // circle zoom
    if (release >= Release::R2007) r.BS();  // major grid lines
    if (r.BL() < 0) r.Fail("a viewport has a negative frozen-layer count");
    v.statusFlags = r.BL();
    v.status = (v.statusFlags & 0x20000) ? 0 : 1;
    v.viewFlag = 0;
    return v;
}

// ------------------------------------------------------------ hatch

namespace {

void SkipGradient(BitReader& r) {
    r.BL();
    r.BL();
    r.BD();
    r.BD();
    r.BL();
    r.BD();
    std::int32_t colours = r.BL();
    if (colours < 0) r.Fail("a hatch has a negative gradient colour count");
    r.RequireItems(static_cast<std::uint64_t>(colours), 40, "gradient colours");
    for (std::int32_t i = 0; i < colours; ++i) {
        r.BD();
        r.BS();
        r.BL();
        r.RC();
    }
    r.TV();
}

// One boundary path; the points of the first are kept in `boundary`.
void ReadHatchPath(BitReader& r, std::vector<Vec3>* boundary) {
    std::int32_t pathFlags = r.BL();
    if (pathFlags & 2) {
        bool bulges = r.B();
        r.B();                              // closed
        std::int32_t n = r.BL();
        if (n < 0) r.Fail("a hatch path has a negative point count");
        r.RequireItems(static_cast<std::uint64_t>(n), 128, "hatch points");
        for (std::int32_t i = 0; i < n; ++i) {
            Vec3 pt{r.RD(), r.RD(), 0};
            if (bulges) r.BD();
            if (boundary) boundary->push_back(pt);
        }
    } else {
        std::int32_t segs = r.BL();
        if (segs < 0) r.Fail("a hatch path has a negative segment count");
        r.RequireItems(static_cast<std::uint64_t>(segs), 8, "hatch segments");
        for (std::int32_t i = 0; i < segs; ++i) {
            switch (r.RC()) {
            case 1: {
                Vec3 a{r.RD(), r.RD(), 0};
                r.RD();
                r.RD();
                if (boundary) boundary->push_back(a);
                break;
            }
            case 2: r.RD(); r.RD(); r.BD(); r.BD(); r.BD(); r.B(); break;
            case 3: r.RD(); r.RD(); r.RD(); r.RD(); r.BD(); r.BD(); r.BD(); r.B(); break;
            default: r.Fail("a hatch edge type is not supported");
            }
        }
    }
    std::int32_t boundaryObjects = r.BL();
    if (boundaryObjects < 0) r.Fail("a hatch has a negative boundary object count");
}

} // namespace

void WriteHatch(BitWriter& w, const HatchData& h, Release release) {
    if (release >= Release::R2004) {            // no gradient
        w.BL(0);
        w.BL(0);
        w.BD(0.0);
        w.BD(0.0);
        w.BL(0);
        w.BD(0.0);
        w.BL(0);
        w.TV("");
    }
    w.BD(h.elevation);
    w.BD3(kNormal);
    w.TV(h.pattern);
    w.B(h.solid);
    w.B(false);                                 // not associative
    bool hasPath = !h.boundary.empty();
    w.BL(hasPath ? 1 : 0);
    if (hasPath) {
        w.BL(2);                                // a polyline path
        w.B(false);                             // no bulges
        w.B(true);                              // closed
        w.BL(static_cast<std::int32_t>(h.boundary.size()));
        for (const auto& p : h.boundary) w.RD2(p.x, p.y);
        w.BL(0);                                // no boundary objects
    }
    w.BS(0);                                    // odd parity
    w.BS(1);                                    // predefined pattern
    if (!h.solid) {
        w.BD(0.0);                              // angle
        w.BD(1.0);                              // scale
        w.B(false);                             // not double
        w.BS(0);                                // no definition lines
    }
    w.BL(0);                                    // no seed points
}

HatchData ReadHatch(BitReader& r, Release release) {
    HatchData h;
    if (release >= Release::R2004) SkipGradient(r);
    h.elevation = r.BD();
    r.BD3();
    h.pattern = r.TV();
    h.solid = r.B();
    r.B();                                  // associative
    std::int32_t paths = r.BL();
    if (paths < 0) r.Fail("a hatch has a negative path count");
    r.RequireItems(static_cast<std::uint64_t>(paths), 8, "hatch paths");
    for (std::int32_t p = 0; p < paths; ++p) ReadHatchPath(r, p == 0 ? &h.boundary : nullptr);
    return h;
}

// ------------------------------------------------------------ spline

namespace {

// The two ways a spline is held: by control points and knots, or by fit points.
constexpr std::int32_t kByControlPoints = 1, kByFitPoints = 2;
// R2013 spline flags and knot parameters.
constexpr std::int32_t kMethodFitPoints = 1, kSplineClosed = 4, kUseKnotParameter = 8;
constexpr std::int32_t kKnotsCustom = 15, kKnotsChord = 0;

std::int32_t Count(BitReader& r, unsigned minBits, const char* what) {
    const std::int32_t n = r.BL();
    if (n < 0) r.Fail(std::string("a spline has a negative count of ") + what);
    r.RequireItems(static_cast<std::uint64_t>(n), minBits, what);
    return n;
}

void WriteControlPoints(BitWriter& w, const SplineData& sp) {
    const bool weighted = !sp.weights.empty();
    w.B((sp.flags & 4) != 0);                   // rational
    w.B((sp.flags & 1) != 0);                   // closed
    w.B((sp.flags & 2) != 0);                   // periodic
    w.BD(sp.knotTolerance);
    w.BD(sp.controlTolerance);
    w.BL(static_cast<std::int32_t>(sp.knots.size()));
    w.BL(static_cast<std::int32_t>(sp.controlPoints.size()));
    w.B(weighted);
    for (double k : sp.knots) w.BD(k);
    for (std::size_t i = 0; i < sp.controlPoints.size(); ++i) {
        w.BD3(sp.controlPoints[i]);
        if (weighted) w.BD(i < sp.weights.size() ? sp.weights[i] : 1.0);
    }
}

void ReadControlPoints(BitReader& r, SplineData& sp) {
    if (r.B()) sp.flags |= 4;
    if (r.B()) sp.flags |= 1;
    if (r.B()) sp.flags |= 2;
    sp.knotTolerance = r.BD();
    sp.controlTolerance = r.BD();
    const std::int32_t knots = Count(r, 2, "knots");
    const std::int32_t points = Count(r, 6, "control points");
    const bool weighted = r.B();
    sp.knots.resize(static_cast<std::size_t>(knots));
    for (double& k : sp.knots) k = r.BD();
    sp.controlPoints.resize(static_cast<std::size_t>(points));
    if (weighted) sp.weights.resize(sp.controlPoints.size());
    for (std::size_t i = 0; i < sp.controlPoints.size(); ++i) {
        sp.controlPoints[i] = r.BD3();
        if (weighted) sp.weights[i] = r.BD();
    }
}

} // namespace

void WriteSpline(BitWriter& w, const SplineData& sp, Release release) {
    const std::int32_t scenario = sp.controlPoints.empty() ? kByFitPoints : kByControlPoints;
    w.BL(scenario);
    if (release >= Release::R2013) {
        const std::int32_t closed = (sp.flags & 1) ? kSplineClosed : 0;
        w.BL(scenario == kByFitPoints ? closed | kMethodFitPoints | kUseKnotParameter : closed);
        w.BL(scenario == kByFitPoints ? kKnotsChord : kKnotsCustom);
    }
    w.BL(sp.degree);
    if (scenario == kByControlPoints) {
        WriteControlPoints(w, sp);
        return;
    }
    w.BD(sp.fitTolerance);
    w.BD3(sp.startTangent);
    w.BD3(sp.endTangent);
    w.BL(static_cast<std::int32_t>(sp.fitPoints.size()));
    for (const Vec3& p : sp.fitPoints) w.BD3(p);
}

SplineData ReadSpline(BitReader& r, Release release) {
    SplineData sp;
    sp.flags = 0;
    std::int32_t scenario = r.BL();
    std::int32_t splineFlags = 0;
    if (release >= Release::R2013) {
        splineFlags = r.BL();
        const std::int32_t knotParameter = r.BL();
        if (splineFlags & kMethodFitPoints) scenario = kByFitPoints;
        if (knotParameter == kKnotsCustom) scenario = kByControlPoints;
    }
    sp.degree = static_cast<std::int16_t>(r.BL());
    if (scenario == kByControlPoints) {
        ReadControlPoints(r, sp);
        return sp;
    }
    if (scenario != kByFitPoints) r.Fail("a spline is neither by control points nor by fit points");
    if (splineFlags & kSplineClosed) sp.flags |= 1;
    sp.fitTolerance = r.BD();
    sp.startTangent = r.BD3();
    sp.endTangent = r.BD3();
    sp.fitPoints.resize(static_cast<std::size_t>(Count(r, 6, "fit points")));
    for (Vec3& p : sp.fitPoints) p = r.BD3();
    return sp;
}

} // namespace ostrel::cad::dwg
