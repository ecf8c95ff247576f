// One entity as DXF tags: the common groups, then the kind's own.
#include <cmath>
#include <numbers>

#include "cad/dxf/dxf_write_kinds.h"
#include "cad/polygon_triangles.h"

namespace ostrel::cad::dxf {

void WriteCommonGroups(WriteContext& c, const Entity& e, std::string_view type, Handle handle, Handle owner) {
    auto& w = c.w;
    w.Marker(type);
    w.HandleRef(5, handle);
    if (!c.r12) {
        w.HandleRef(330, owner);
        w.Name(100, "AcDbEntity");
    }
    if (e.flags & kEntityPaperSpace) w.Int(67, 1);
    w.Name(8, c.LayerName(e.layer));
    if (e.linetype != kNone && e.linetype != c.byLayerLinetype && e.linetype < c.names.linetypes.size())
        w.Name(6, c.names.linetypes[e.linetype]);
    if (e.colour != kColourByLayer) w.Int(62, e.colour);
    if (e.flags & kEntityInvisible) w.Int(60, 1);
}

namespace {


void CommonGroups(WriteContext& c, const Entity& e, std::string_view type, Handle handle, Handle owner) {
    WriteCommonGroups(c, e, type, handle, owner);
}

void Common(WriteContext& c, const Entity& e) { CommonGroups(c, e, EntityTypeName(e.type), e.handle, c.OwnerOf(e)); }

const std::string& BlockName(WriteContext& c, std::uint32_t block) {
    static const std::string kModel = "$MODEL_SPACE", kPaper = "$PAPER_SPACE";
    const auto& b = c.d.blocks[block];
    // R12 calls the two spaces by these names.
    if (c.r12 && b.IsModelSpace()) return kModel;
    if (c.r12 && b.IsPaperSpace()) return kPaper;
    return c.names.blocks[block];
}

void WriteBlockBegin(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    Common(c, e);
    c.Subclass("AcDbBlockBegin");
    const auto& b = c.d.blocks[e.geom.block.block];
    const auto& name = BlockName(c, e.geom.block.block);
    w.Name(2, name);
    w.Int(70, b.flags & 0x7);
    w.Point3(10, b.base);
    w.Name(3, name);
    if (!c.r12) w.Name(1, "");
}

void WriteText(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& t = e.geom.text;
    Common(c, e);
    WriteTextGroups(c, t, c.d.Text(t));
    c.Subclass("AcDbText");
    if (t.vAlign != 0) w.Int(73, t.vAlign);
}

void WriteInsert(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& in = e.geom.insert;
    Common(c, e);
    const bool grid = in.columns > 1 || in.rows > 1;
    c.Subclass(grid ? "AcDbMInsertBlock" : "AcDbBlockReference");
    w.Name(2, BlockName(c, in.block));
    w.Point3(10, in.pos);
    if (in.xScale != 1) w.Real(41, in.xScale);
    if (in.yScale != 1) w.Real(42, in.yScale);
    if (in.zScale != 1) w.Real(43, in.zScale);
    if (in.rotation != 0) w.Real(50, in.rotation * kDegrees);
    if (c.attributesFollow) w.Int(66, 1);
    if (grid) {
        w.Int(70, in.columns > 1 ? in.columns : 1);
        w.Int(71, in.rows > 1 ? in.rows : 1);
        if (in.columnSpacing != 0) w.Real(44, in.columnSpacing);
        if (in.rowSpacing != 0) w.Real(45, in.rowSpacing);
    }
}

void WritePolyline(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& p = e.geom.polyline;
    Common(c, e);
    const bool is3d = (p.flags & 8) != 0;
    c.polyline3d = is3d;
    c.Subclass(is3d ? "AcDb3dPolyline" : "AcDb2dPolyline");
    w.Int(66, 1);
    w.Point3(10, Vec3{0, 0, is3d ? 0.0 : p.elevation});
    // 3D polylines have no widths and no linetype-generation flag.
    w.Int(70, is3d ? (p.flags & ~128) : (p.flags & ~(8 | 16 | 32 | 64)));
    if (!is3d && p.startWidth != 0) w.Real(40, p.startWidth);
    if (!is3d && p.endWidth != 0) w.Real(41, p.endWidth);
}

void WriteLightweight(WriteContext& c, const Entity& head, const std::vector<const Entity*>& vertices) {
    const LightweightPolyline lw = LightweightOf(head, vertices);
    Entity shown = head;
    shown.colour = lw.colour;
    CommonGroups(c, shown, "LWPOLYLINE", head.handle, c.OwnerOf(head));
    WriteLightweightGroups(c, lw, 0, Vec3{0, 0, 1});
}

void WriteVertex(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& v = e.geom.vertex;
    Common(c, e);
    c.Subclass("AcDbVertex");
    c.Subclass(c.polyline3d ? "AcDb3dPolylineVertex" : "AcDb2dVertex");
    w.Point3(10, v.pos);
    if (!c.polyline3d) {
        // Widths only when set: a vertex without them takes the polyline's.
        if ((v.widthFlags & 1) || v.startWidth != 0) w.Real(40, v.startWidth);
        if ((v.widthFlags & 2) || v.endWidth != 0) w.Real(41, v.endWidth);
        if (v.bulge != 0) w.Real(42, v.bulge);
    }
    // A 3D polyline's vertices carry flag 32; a 2D polyline's never do.
    w.Int(70, c.polyline3d ? (v.flags | 32) : (v.flags & ~(32 | 64 | 128)));
}

void WriteFace(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& f = e.geom.face;
    Common(c, e);
    c.Subclass("AcDbFace");
    for (int i = 0; i < 4; ++i) w.Point3(10 + i, f.corner[i]);
    if (e.invisibleEdges & 0xF) w.Int(70, e.invisibleEdges & 0xF);
}

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

void WriteViewport(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& v = c.d.viewports[e.geom.extra.index];
    Common(c, e);
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

void WriteHatch(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const auto& h = c.d.hatches[e.geom.extra.index];
    if (c.preR2000 && h.solid) {
        // No HATCH before R2000: a solid fill is written as SOLID triangles
        // covering its boundary, with writer-made handles.
        for (const auto& t : TriangulatePolygon(h.boundary)) {
            CommonGroups(c, e, "SOLID", c.nextExtraHandle++, c.OwnerOf(e));
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
        CommonGroups(c, e, "POLYLINE", poly, c.OwnerOf(e));
        c.Subclass("AcDb2dPolyline");
        w.Int(66, 1);
        w.Point3(10, Vec3{0, 0, h.elevation});
        w.Int(70, 1);
        for (const auto& p : h.boundary) {
            CommonGroups(c, e, "VERTEX", c.nextExtraHandle++, poly);
            c.Subclass("AcDbVertex");
            c.Subclass("AcDb2dVertex");
            w.Point3(10, Vec3{p.x, p.y, 0});
            w.Int(70, 0);
        }
        CommonGroups(c, e, "SEQEND", c.nextExtraHandle++, poly);
        return;
    }
    Common(c, e);
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


// A heavy polyline held back to be written as LWPOLYLINE: its vertices
// are gathered, and at its end it is written (or as it is, when too short
// for one). True when the entity was taken.
bool HeldBack(WriteContext& c, const Entity& e) {
    if (c.lightweightHead) {
        if (e.type == EntityType::Vertex) {
            c.lightweightVertices.push_back(&e);
            return true;
        }
        const Entity& head = *c.lightweightHead;
        c.lightweightHead = nullptr;
        if (WritesLightweight(c.d, c.release, head, c.lightweightVertices.size())) {
            WriteLightweight(c, head, c.lightweightVertices);
        } else {
            WritePolyline(c, head);
            for (const Entity* v : c.lightweightVertices) WriteVertex(c, *v);
            if (e.type == EntityType::SeqEnd) Common(c, e);
        }
        if (e.type == EntityType::SeqEnd) return true;
    }
    if (e.type == EntityType::Polyline && WritesLightweight(c.d, c.release, e, 2)) {
        c.runOwner = e.handle;
        c.lightweightHead = &e;
        c.lightweightVertices.clear();
        return true;
    }
    return false;
}

void WriteRound(WriteContext& c, const Entity& e) {
    auto& w = c.w;
    const bool arc = e.type == EntityType::Arc;
    Common(c, e);
    c.Subclass("AcDbCircle");
    w.Point3(10, arc ? e.geom.arc.center : e.geom.circle.center);
    w.Real(40, arc ? e.geom.arc.radius : e.geom.circle.radius);
    if (!arc) return;
    c.Subclass("AcDbArc");
    w.Real(50, e.geom.arc.startAngle * kDegrees);
    w.Real(51, e.geom.arc.endAngle * kDegrees);
}

} // namespace

void WriteEntity(WriteContext& c, const Entity& e) {
    if (HeldBack(c, e)) return;
    if (e.type == EntityType::Polyline || e.type == EntityType::Insert) c.runOwner = e.handle;
    auto& w = c.w;
    switch (e.type) {
    case EntityType::Point:
        Common(c, e);
        c.Subclass("AcDbPoint");
        w.Point3(10, e.geom.point.pos);
        break;
    case EntityType::Line:
        Common(c, e);
        c.Subclass("AcDbLine");
        w.Point3(10, e.geom.line.start);
        w.Point3(11, e.geom.line.end);
        break;
    case EntityType::Circle:
    case EntityType::Arc: WriteRound(c, e); break;
    case EntityType::Text: WriteText(c, e); break;
    case EntityType::Insert: WriteInsert(c, e); break;
    case EntityType::Polyline: WritePolyline(c, e); break;
    case EntityType::Vertex: WriteVertex(c, e); break;
    case EntityType::SeqEnd: Common(c, e); break;
    case EntityType::Face3D: WriteFace(c, e); break;
    case EntityType::Block: WriteBlockBegin(c, e); break;
    case EntityType::EndBlk:
        Common(c, e);
        c.Subclass("AcDbBlockEnd");
        break;
    case EntityType::Viewport: WriteViewport(c, e); break;
    case EntityType::Hatch: WriteHatch(c, e); break;
    case EntityType::LwPolyline: WriteLwPolyline(c, e); break;
    case EntityType::Ellipse: WriteEllipse(c, e); break;
    case EntityType::Spline: WriteSpline(c, e); break;
    case EntityType::MText: WriteMText(c, e); break;
    case EntityType::Solid: WriteSolid(c, e); break;
    case EntityType::AttDef:
    case EntityType::Attrib: WriteAttribute(c, e); break;
    case EntityType::Dimension: WriteDimension(c, e); break;
    }
}

void WriteListed(WriteContext& c, const std::vector<std::uint32_t>& list, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        const auto& e = c.d.entities[list[i]];
        if (e.flags & kEntityDeleted) continue;
        c.attributesFollow = e.type == EntityType::Insert && i + 1 < list.size() &&
                             c.d.entities[list[i + 1]].type == EntityType::Attrib;
        WriteEntity(c, e);
    }
}

std::uint64_t ExtraHandlesNeeded(const Drawing& d, Release r) {
    std::uint64_t n = 0;
    for (const auto& e : d.entities)
        if (!(e.flags & kEntityDeleted)) n += ExtraHandlesOf(d, e, r);
    return n;
}

} // namespace ostrel::cad::dxf
