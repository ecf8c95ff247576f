#include "cad/dwg/dwg_entity_encoder.h"

#include <cmath>

#include "cad/dwg/dwg_entity_frame.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

constexpr Vec3 kNormal{0, 0, 1};

namespace {

void Text(BitWriter& w, const EncodeContext& c, const TextGeom& t) {
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
    w.TV(c.d.Text(t));
    if (!(flags & 0x40)) w.BS(t.hAlign);
    if (!(flags & 0x80)) w.BS(t.vAlign);
}

void InsertScale(BitWriter& w, const InsertGeom& g) {
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

void Face(BitWriter& w, const FaceGeom& f, std::int16_t invisibleEdges) {
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

void Viewport(BitWriter& w, const ViewportData& v, const ObjectStream& s) {
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
    if (s.R2007()) w.BS(5);                     // major grid lines
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
    if (s.R2004()) w.BS(0);                     // shade plot mode: as displayed
    if (s.R2007()) {                            // default lighting, brightness, contrast, ambient colour
        w.B(true);
        w.RC(1);
        w.BD(0.0);
        w.BD(0.0);
        w.CMC(250);
    }
}

void Hatch(BitWriter& w, const HatchData& h, bool r2004) {
    if (r2004) {                                // no gradient
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

std::int16_t TypeCode(const Entity& e, const EntityLinks& l) {
    switch (e.type) {
    case EntityType::Point: return kTypePoint;
    case EntityType::Line: return kTypeLine;
    case EntityType::Circle: return kTypeCircle;
    case EntityType::Arc: return kTypeArc;
    case EntityType::Text: return kTypeText;
    case EntityType::Insert:
        return (e.geom.insert.columns > 1 || e.geom.insert.rows > 1) ? kTypeMInsert : kTypeInsert;
    case EntityType::Polyline: return (e.geom.polyline.flags & 8) ? kTypePolyline3D : kTypePolyline2D;
    case EntityType::Vertex: return l.in3DPolyline ? kTypeVertex3D : kTypeVertex2D;
    case EntityType::SeqEnd: return kTypeSeqEnd;
    case EntityType::Face3D: return kTypeFace3D;
    case EntityType::Block: return kTypeBlock;
    case EntityType::EndBlk: return kTypeEndBlk;
    case EntityType::Viewport: return kTypeViewport;
    case EntityType::Hatch: return kTypeHatch;
    }
    return kTypePoint;
}

} // namespace

void EncodeEntity(ObjectStream& s, const EncodeContext& c, const Entity& e, const EntityLinks& l) {
    const std::int16_t type = TypeCode(e, l);
    EntityStart st = BeginEntity(s, c, type, e, l);
    BitWriter& w = st.w;
    const EntityGeom& g = e.geom;
    switch (type) {
    case kTypePoint:
        w.BD3(g.point.pos);
        w.BT(0.0);
        w.BE(kNormal);
        w.BD(0.0);
        break;
    case kTypeLine: {
        const auto& a = g.line.start;
        const auto& b = g.line.end;
        bool zZero = a.z == 0 && b.z == 0;
        w.B(zZero);
        w.RD(a.x);
        w.DD(b.x, a.x);
        w.RD(a.y);
        w.DD(b.y, a.y);
        if (!zZero) {
            w.RD(a.z);
            w.DD(b.z, a.z);
        }
        w.BT(0.0);
        w.BE(kNormal);
        break;
    }
    case kTypeCircle:
        w.BD3(g.circle.center);
        w.BD(g.circle.radius);
        w.BT(0.0);
        w.BE(kNormal);
        break;
    case kTypeArc:
        w.BD3(g.arc.center);
        w.BD(g.arc.radius);
        w.BT(0.0);
        w.BE(kNormal);
        w.BD(g.arc.startAngle);
        w.BD(g.arc.endAngle);
        break;
    case kTypeText:
        Text(w, c, g.text);
        break;
    case kTypeInsert:
    case kTypeMInsert:
        w.BD3(g.insert.pos);
        InsertScale(w, g.insert);
        w.BD(g.insert.rotation);
        w.BD3(kNormal);
        w.B(false);                             // no attributes
        if (type == kTypeMInsert) {
            w.BS(g.insert.columns > 0 ? g.insert.columns : 1);
            w.BS(g.insert.rows > 0 ? g.insert.rows : 1);
            w.BD(g.insert.columnSpacing);
            w.BD(g.insert.rowSpacing);
        }
        break;
    case kTypePolyline2D:
        w.BS(g.polyline.flags);
        w.BS(0);                                // no curve fitting
        w.BD(g.polyline.startWidth);
        w.BD(g.polyline.endWidth);
        w.BT(0.0);
        w.BD(g.polyline.elevation);
        w.BE(kNormal);
        if (s.R2004()) w.BL(static_cast<std::int32_t>(l.vertexEnd - l.vertexBegin));   // owned vertices
        break;
    case kTypePolyline3D:
        w.RC(0);                                // not splined
        w.RC((g.polyline.flags & 1) ? 1 : 0);   // closed
        if (s.R2004()) w.BL(static_cast<std::int32_t>(l.vertexEnd - l.vertexBegin));
        break;
    case kTypeVertex2D: {
        const auto& v = g.vertex;
        w.RC(static_cast<std::uint8_t>(v.flags & ~32));
        w.BD3(v.pos);
        double sw = std::fabs(v.startWidth), ew = std::fabs(v.endWidth);
        if (sw == ew && sw != 0) {
            w.BD(-sw);                          // one negative width stands for both
        } else {
            w.BD(sw);
            w.BD(ew);
        }
        w.BD(v.bulge);
        if (s.R2010()) w.BL(0);                 // vertex id
        w.BD(0.0);                              // tangent direction
        break;
    }
    case kTypeVertex3D:
        w.RC(static_cast<std::uint8_t>(g.vertex.flags | 32));
        w.BD3(g.vertex.pos);
        break;
    case kTypeFace3D:
        Face(w, g.face, e.invisibleEdges);
        break;
    case kTypeBlock:
        w.TV(c.d.blocks.at(g.block.block).name);
        break;
    case kTypeViewport:
        Viewport(w, c.d.viewports.at(g.extra.index), s);
        break;
    case kTypeHatch:
        if (g.extra.index >= c.d.hatches.size())
            throw CadError("cannot write DWG: HATCH " + HandleText(e.handle) + " has no hatch data");
        Hatch(w, c.d.hatches[g.extra.index], s.R2004());
        break;
    default:                                    // SEQEND, ENDBLK: no data
        break;
    }

    EntityHandles(s, c, st, e, l);
    switch (type) {
    case kTypeText:
        w.H(kHardPointer, c.StyleHandle(g.text.style, e.handle));
        break;
    case kTypeInsert:
    case kTypeMInsert:
        w.H(kHardPointer, c.BlockHandle(g.insert.block, e.handle));
        break;
    case kTypePolyline2D:
    case kTypePolyline3D:
        if (s.R2004()) {
            for (std::size_t i = l.vertexBegin; i < l.vertexEnd; ++i)
                w.H(kHardOwner, c.d.entities[(*l.blockList)[i]].handle);
        } else {
            w.H(kSoftPointer, l.firstVertex);
            w.H(kSoftPointer, l.lastVertex);
        }
        w.H(kHardOwner, l.seqEnd);
        break;
    case kTypeViewport:
        w.H(kSoftPointer, 0);                   // no clip boundary
        if (!s.R2004()) w.H(kHardPointer, c.VxHandle(g.extra.index));
        w.H(kHardPointer, 0);                   // named UCS
        w.H(kHardPointer, 0);                   // base UCS
        if (s.R2007()) {                        // background, visual style, shade plot, sun
            w.H(kSoftPointer, 0);
            w.H(kHardPointer, 0);
            w.H(kSoftPointer, 0);
            w.H(kHardOwner, 0);
        }
        break;
    default:
        break;
    }
    s.End();
}

void EncodeBlockContents(ObjectStream& s, const EncodeContext& c) {
    const Drawing& d = c.d;
    std::vector<std::size_t> top;       // positions of the block's top-level entities
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        const BlockRecord& b = d.blocks[bi];
        const unsigned mode = bi == c.modelSpace ? 2u : bi == c.paperSpace ? 1u : 0u;

        EntityLinks own;
        own.owner = b.handle;
        EncodeEntity(s, c, d.entities.at(b.beginEntity), own);

        top.clear();
        for (std::size_t i = 0; i < b.entities.size(); ++i) {
            auto t = d.entities[b.entities[i]].type;
            if (t != EntityType::Vertex && t != EntityType::SeqEnd) top.push_back(i);
        }
        for (std::size_t k = 0; k < top.size(); ++k) {
            const Entity& e = d.entities[b.entities[top[k]]];
            EntityLinks l;
            l.mode = mode;
            l.owner = b.handle;
            l.prev = k > 0 ? d.entities[b.entities[top[k - 1]]].handle : 0;
            l.next = k + 1 < top.size() ? d.entities[b.entities[top[k + 1]]].handle : 0;
            if (e.type != EntityType::Polyline) {
                EncodeEntity(s, c, e, l);
                continue;
            }
            // The polyline's vertices and sequence end follow it in the list.
            std::size_t first = top[k] + 1, end = first;
            while (end < b.entities.size() && d.entities[b.entities[end]].type == EntityType::Vertex) ++end;
            if (WritesLightweight(d, Release::R2000, e, end - first)) {   // R2000 on have LWPOLYLINE
                std::vector<const Entity*> vertices;
                vertices.reserve(end - first);
                for (std::size_t i = first; i < end; ++i) vertices.push_back(&d.entities[b.entities[i]]);
                EncodeLwPolyline(s, c, e, vertices, l);
                continue;
            }
            l.blockList = &b.entities;
            l.vertexBegin = first;
            l.vertexEnd = end;
            if (end > first) {
                l.firstVertex = d.entities[b.entities[first]].handle;
                l.lastVertex = d.entities[b.entities[end - 1]].handle;
            }
            bool hasSeqEnd = end < b.entities.size() && d.entities[b.entities[end]].type == EntityType::SeqEnd;
            if (!hasSeqEnd)
                throw CadError("cannot write DWG: POLYLINE " + HandleText(e.handle) + " has no SEQEND");
            l.seqEnd = d.entities[b.entities[end]].handle;
            EncodeEntity(s, c, e, l);
            for (std::size_t i = first; i < end; ++i) {
                EntityLinks vl;
                vl.owner = e.handle;
                vl.in3DPolyline = (e.geom.polyline.flags & 8) != 0;
                vl.prev = i > first ? d.entities[b.entities[i - 1]].handle : 0;
                vl.next = i + 1 < end ? d.entities[b.entities[i + 1]].handle : 0;
                EncodeEntity(s, c, d.entities[b.entities[i]], vl);
            }
            EntityLinks sl;
            sl.owner = e.handle;
            EncodeEntity(s, c, d.entities[b.entities[end]], sl);
        }
        EncodeEntity(s, c, d.entities.at(b.endEntity), own);
    }
}

} // namespace ostrel::cad::dwg
