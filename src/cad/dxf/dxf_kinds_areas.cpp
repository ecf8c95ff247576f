// VIEWPORT (before R2000 its view travels in extended data) and HATCH
// (before R2000 SOLID triangles of a solid fill, else its boundary as a
// polyline).
#include "cad/dxf/dxf_kinds.h"
#include "cad/polygon_triangles.h"

namespace ostrel::cad::dxf {

namespace {

// Viewport data before R2000 travels in the "ACAD" extended data ("MVIEW").
void WriteViewportXData(WriteContext& c, const ViewportData& v) {
    auto& w = c.w;
    w.Name(1001, "ACAD");
    w.Name(1000, "MVIEW");
    w.Name(1002, "{");
    w.Int(1070, 16);                            // extended data version
    w.Point3(1010, v.viewTarget);
    w.Point3(1010, v.viewDirection);
    w.Real(1040, v.twist * kDegrees);
    w.Real(1040, v.viewHeight);
    w.Real(1040, v.viewCenter.x);
    w.Real(1040, v.viewCenter.y);
    w.Real(1040, v.lensLength);
    w.Real(1040, 0);                            // front clip
    w.Real(1040, 0);                            // back clip
    w.Int(1070, 0);                             // view mode
    w.Int(1070, 100);                           // circle zoom
    w.Int(1070, 1);                             // fast zoom
    w.Int(1070, 0);                             // UCS icon
    w.Int(1070, 0);                             // snap
    w.Int(1070, 0);                             // grid
    w.Int(1070, 0);                             // snap style
    w.Int(1070, 0);                             // snap isopair
    w.Real(1040, 0);                            // snap angle
    w.Real(1040, 0);                            // snap base
    w.Real(1040, 0);
    w.Real(1040, 10);                           // snap spacing
    w.Real(1040, 10);
    w.Real(1040, 10);                           // grid spacing
    w.Real(1040, 10);
    w.Int(1070, 0);                             // hidden in plot
    w.Name(1002, "{");                          // frozen layers: none
    w.Name(1002, "}");
    w.Name(1002, "}");
}

// R12 keeps the view in the "ACAD" extended data: 1001 ACAD, 1000 MVIEW,
// then version, target, direction, twist, height, centre x and y, lens.
void ReadViewportXData(const std::vector<DxfTag>& x, ViewportData& v) {
    std::size_t i = 0;
    while (i + 1 < x.size() && !(x[i].code == 1001 && x[i].value == "ACAD" && x[i + 1].code == 1000 &&
                                 x[i + 1].value == "MVIEW"))
        ++i;
    if (i + 1 >= x.size()) return;
    int item = 0;
    for (i += 2; i < x.size() && item <= 7; ++i) {
        const auto& t = x[i];
        if (t.code == 1002) continue;
        if (t.code == 1020 || t.code == 1030) {
            Vec3& p = item == 2 ? v.viewTarget : v.viewDirection;
            if (item == 2 || item == 3) (t.code == 1020 ? p.y : p.z) = TagDouble(t);
            continue;
        }
        ++item;
        switch (item) {
        case 2: v.viewTarget.x = TagDouble(t); break;
        case 3: v.viewDirection.x = TagDouble(t); break;
        case 4: v.twist = TagDouble(t) * kDegree; break;
        case 5: v.viewHeight = TagDouble(t); break;
        case 6: v.viewCenter.x = TagDouble(t); break;
        case 7: v.viewCenter.y = TagDouble(t); break;
        case 8: v.lensLength = TagDouble(t); break;
        default: break;
        }
    }
}

} // namespace

// ------------------------------------------------------------ VIEWPORT

template <>
bool DxfKind<EntityType::Viewport>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ViewportData v;
    bool viewSeen = false;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(v.center, axis, t);
        else if (PointCode(t.code, 16, axis)) SetAxis(v.viewDirection, axis, t);
        else if (PointCode(t.code, 17, axis)) SetAxis(v.viewTarget, axis, t);
        else switch (t.code) {
        case 40: v.width = TagDouble(t); break;
        case 41: v.height = TagDouble(t); break;
        case 68: v.status = TagShort(t); break;
        case 69: v.id = TagShort(t); break;
        case 12: v.viewCenter.x = TagDouble(t); viewSeen = true; break;
        case 22: v.viewCenter.y = TagDouble(t); break;
        case 42: v.lensLength = TagDouble(t); break;
        case 45: v.viewHeight = TagDouble(t); break;
        case 51: v.twist = TagDouble(t) * kDegree; break;
        case 90: v.statusFlags = TagInt(t); break;
        default: break;
        }
    }
    if (!viewSeen) ReadViewportXData(ctx.xdata, v);
    e.geom.extra.index = static_cast<std::uint32_t>(ctx.d.viewports.size());
    ctx.d.viewports.push_back(v);
    return true;
}

template <>
void DxfKind<EntityType::Viewport>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& v = c.d.viewports[e.geom.extra.index];
    WriteCommon(c, e);
    c.Subclass("AcDbViewport");
    w.Point3(10, v.center);
    w.Real(40, v.width);
    w.Real(41, v.height);
    w.Int(68, v.status);
    w.Int(69, v.id);
    if (c.preR2000) {
        WriteViewportXData(c, v);
        return;
    }
    w.Point2(12, v.viewCenter.x, v.viewCenter.y);
    w.Point2(13, 0, 0);                         // snap base
    w.Point2(14, 10, 10);                       // snap spacing
    w.Point2(15, 10, 10);                       // grid spacing
    w.Point3(16, v.viewDirection);
    w.Point3(17, v.viewTarget);
    w.Real(42, v.lensLength);
    w.Real(43, 0);                              // front clip
    w.Real(44, 0);                              // back clip
    w.Real(45, v.viewHeight);
    w.Real(50, 0);                              // snap angle
    w.Real(51, v.twist * kDegrees);
    w.Int(72, 100);                             // circle zoom
    w.Int(90, v.statusFlags);
    w.Name(1, "");                              // plot style sheet
    w.Int(281, 0);                              // render mode
    w.Int(71, 1);                               // UCS per viewport
    w.Int(74, 0);                               // UCS icon
    w.Point3(110, Vec3{});
    w.Point3(111, Vec3{1, 0, 0});
    w.Point3(112, Vec3{0, 1, 0});
    w.Int(79, 0);
    w.Real(146, 0);
    if (c.release >= Release::R2004) w.Int(170, 0);   // shade plot: as displayed
    if (c.release >= Release::R2007) w.Int(61, 5);    // major grid lines
}

template <>
std::uint64_t DxfKind<EntityType::Viewport>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

// ------------------------------------------------------------ HATCH

template <>
bool DxfKind<EntityType::Hatch>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    HatchData h;
    h.pattern.clear();
    for (auto& t : ctx.record) {
        if (t.code == 91) break;             // the boundary paths begin
        switch (t.code) {
        case 30: h.elevation = TagDouble(t); break;
        case 2: h.pattern = ctx.DecodeString(t.value); break;
        case 70: h.solid = TagShort(t) != 0; break;
        default: break;
        }
    }
    if (h.pattern.empty()) h.pattern = "SOLID";
    ReadHatchBoundary(ctx.record, h);
    e.geom.extra.index = static_cast<std::uint32_t>(ctx.d.hatches.size());
    ctx.d.hatches.push_back(std::move(h));
    return true;
}

template <>
void DxfKind<EntityType::Hatch>::Write(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& h = c.d.hatches[e.geom.extra.index];
    if (c.preR2000 && h.solid) {
        // No HATCH before R2000: a solid fill is written as SOLID triangles
        // covering its boundary, with writer-made handles.
        for (const auto& t : TriangulatePolygon(h.boundary)) {
            WriteCommonGroups(c, e, "SOLID", c.nextExtraHandle++, c.OwnerOf(e));
            c.Subclass("AcDbTrace");
            for (int i = 0; i < 4; ++i) {
                const auto& p = h.boundary[t[i < 3 ? i : 2]];
                w.Point3(10 + i, Vec3{p.x, p.y, h.elevation});
            }
        }
        return;
    }
    if (c.preR2000) {
        // A patterned hatch before R2000: the boundary is written as a closed
        // 2D polyline (the pattern itself is lost) with writer-made handles.
        Handle poly = c.nextExtraHandle++;
        WriteCommonGroups(c, e, "POLYLINE", poly, c.OwnerOf(e));
        c.Subclass("AcDb2dPolyline");
        w.Int(66, 1);
        w.Point3(10, Vec3{0, 0, h.elevation});
        w.Int(70, 1);
        for (const auto& p : h.boundary) {
            WriteCommonGroups(c, e, "VERTEX", c.nextExtraHandle++, poly);
            c.Subclass("AcDbVertex");
            c.Subclass("AcDb2dVertex");
            w.Point3(10, Vec3{p.x, p.y, 0});
            w.Int(70, 0);
        }
        WriteCommonGroups(c, e, "SEQEND", c.nextExtraHandle++, poly);
        return;
    }
    WriteCommon(c, e);
    c.Subclass("AcDbHatch");
    w.Point3(10, Vec3{0, 0, h.elevation});
    w.Point3(210, Vec3{0, 0, 1});
    w.Name(2, h.solid ? std::string_view("SOLID") : std::string_view(h.pattern));
    w.Int(70, h.solid ? 1 : 0);
    w.Int(71, 0);                               // not associative
    w.Int(91, 1);                               // one boundary path
    w.Int(92, 3);                               // external, polyline
    w.Int(72, 0);                               // no bulges
    w.Int(73, 1);                               // closed
    w.Int(93, static_cast<std::int64_t>(h.boundary.size()));
    for (const auto& p : h.boundary) w.Point2(10, p.x, p.y);
    w.Int(97, 0);                               // no source objects
    w.Int(75, 0);                               // normal style
    w.Int(76, 1);                               // predefined pattern
    if (!h.solid) {
        w.Real(52, 0);
        w.Real(41, 1);
        w.Int(77, 0);
        w.Int(78, 0);
    }
    w.Int(98, 0);                               // no seed points
}


template <>
std::uint64_t DxfKind<EntityType::Hatch>::ExtraHandles(const Drawing& d, const Entity& e, Release r) {
    if (r >= Release::R2000 || e.geom.extra.index >= d.hatches.size()) return 0;
    return d.hatches[e.geom.extra.index].boundary.size() + 2;
}

} // namespace ostrel::cad::dxf
