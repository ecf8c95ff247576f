#include "cad/dwg/dwg_entity_kinds.h"

#include <cmath>
#include <optional>

#include "cad/dwg/dwg_entity_parts.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

namespace {

// What one kind's writer works on: the object begun, its type chosen.
struct KindWrite {
    ObjectStream& s;
    const EncodeContext& c;
    const Entity& e;
    const EntityLinks& l;
    BitWriter& w;
    std::int16_t type;
    const EntityGeom& g;
};

// What one kind's reader works on: the common data read, the entity to fill.
struct KindRead {
    EntityObject& o;
    BitReader& r;
    std::int16_t type;
    DecodedObjects& out;
    DecodedEntity& de;
    EntityGeom& g;
    std::optional<LightweightPolyline> lw;      // LWPOLYLINE: kept as its heavy form
};

// A kind's codec: Type (the object type it is written as), Write and Read
// (its own data), WriteHandles and ReadHandles (its own handles, after the
// common ones) and Keep (how the entity read joins the others).
struct PlainKind {
    static void WriteHandles(const KindWrite&) {}
    static void ReadHandles(KindRead&) {}
    static void Keep(KindRead& k) { k.out.entities.push_back(std::move(k.de)); }
};

struct PointKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypePoint; }
    static void Write(const KindWrite& k) {
        k.w.BD3(k.g.point.pos);
        k.w.BT(0.0);
        k.w.BE(kNormal);
        k.w.BD(0.0);
    }
    static void Read(KindRead& k) { k.g.point.pos = k.r.BD3(); }
};

struct LineKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeLine; }
    static void Write(const KindWrite& k) {
        const auto& a = k.g.line.start;
        const auto& b = k.g.line.end;
        bool zZero = a.z == 0 && b.z == 0;
        k.w.B(zZero);
        k.w.RD(a.x);
        k.w.DD(b.x, a.x);
        k.w.RD(a.y);
        k.w.DD(b.y, a.y);
        if (!zZero) {
            k.w.RD(a.z);
            k.w.DD(b.z, a.z);
        }
        k.w.BT(0.0);
        k.w.BE(kNormal);
    }
    static void Read(KindRead& k) {
        bool zZero = k.r.B();
        auto& a = k.g.line.start;
        auto& b = k.g.line.end;
        a.x = k.r.RD();
        b.x = k.r.DD(a.x);
        a.y = k.r.RD();
        b.y = k.r.DD(a.y);
        a.z = b.z = 0;
        if (!zZero) {
            a.z = k.r.RD();
            b.z = k.r.DD(a.z);
        }
    }
};

struct CircleKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeCircle; }
    static void Write(const KindWrite& k) {
        k.w.BD3(k.g.circle.center);
        k.w.BD(k.g.circle.radius);
        k.w.BT(0.0);
        k.w.BE(kNormal);
    }
    static void Read(KindRead& k) {
        k.g.circle.center = k.r.BD3();
        k.g.circle.radius = k.r.BD();
    }
};

// An arc is a circle with its two angles after it.
struct ArcKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeArc; }
    static void Write(const KindWrite& k) {
        CircleKind::Write(k);
        k.w.BD(k.g.arc.startAngle);
        k.w.BD(k.g.arc.endAngle);
    }
    static void Read(KindRead& k) {
        CircleKind::Read(k);
        k.r.BT();
        k.r.BE();
        k.g.arc.startAngle = k.r.BD();
        k.g.arc.endAngle = k.r.BD();
    }
};

struct TextKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeText; }
    static void Write(const KindWrite& k) { WriteTextGeom(k.w, k.g.text, k.c.d.Text(k.g.text)); }
    static void Read(KindRead& k) { ReadTextGeom(k.r, k.g.text, k.out.textPool); }
    static void WriteHandles(const KindWrite& k) { k.w.H(kHardPointer, k.c.StyleHandle(k.g.text.style, k.e.handle)); }
    static void ReadHandles(KindRead& k) { k.de.ref = k.o.handles.H().Resolve(k.o.self); }
};

// INSERT, or MINSERT when it has more than one column or row. The
// attributes an INSERT owns are read past: their ATTRIB entities and SEQEND
// are not kept (counted as not read where they are met).
struct InsertKind : PlainKind {
    static std::int16_t Type(const Entity& e, const EntityLinks&) {
        return (e.geom.insert.columns > 1 || e.geom.insert.rows > 1) ? kTypeMInsert : kTypeInsert;
    }
    static void Write(const KindWrite& k) {
        const InsertGeom& g = k.g.insert;
        k.w.BD3(g.pos);
        WriteInsertScale(k.w, g);
        k.w.BD(g.rotation);
        k.w.BD3(kNormal);
        k.w.B(false);                           // no attributes
        if (k.type != kTypeMInsert) return;
        k.w.BS(g.columns > 0 ? g.columns : 1);
        k.w.BS(g.rows > 0 ? g.rows : 1);
        k.w.BD(g.columnSpacing);
        k.w.BD(g.rowSpacing);
    }
    static void Read(KindRead& k) {
        InsertGeom& g = k.g.insert;
        g.pos = k.r.BD3();
        ReadInsertScale(k.r, g);
        g.rotation = k.r.BD();
        k.r.BD3();                              // extrusion
        if (k.r.B() && k.o.release >= Release::R2004) {   // attributes, and from R2004 their count
            const std::int32_t owned = k.r.BL();
            if (owned < 0) k.r.Fail("expected the count of an INSERT's attributes, found " + std::to_string(owned));
        }
        g.columns = g.rows = 1;
        g.columnSpacing = g.rowSpacing = 0;
        if (k.type == kTypeMInsert) {
            g.columns = k.r.BS();
            g.rows = k.r.BS();
            g.columnSpacing = k.r.BD();
            g.rowSpacing = k.r.BD();
        }
        g.block = kNone;
    }
    static void WriteHandles(const KindWrite& k) { k.w.H(kHardPointer, k.c.BlockHandle(k.g.insert.block, k.e.handle)); }
    static void ReadHandles(KindRead& k) { k.de.ref = k.o.handles.H().Resolve(k.o.self); }
};

// A 2D or 3D POLYLINE, its vertices and SEQEND owned by it; an LWPOLYLINE
// read is kept in the heavy form.
struct PolylineKind : PlainKind {
    static std::int16_t Type(const Entity& e, const EntityLinks&) {
        return (e.geom.polyline.flags & 8) ? kTypePolyline3D : kTypePolyline2D;
    }
    static void Write(const KindWrite& k) {
        const PolylineGeom& g = k.g.polyline;
        if (k.type == kTypePolyline2D) {
            k.w.BS(g.flags);
            k.w.BS(0);                          // no curve fitting
            k.w.BD(g.startWidth);
            k.w.BD(g.endWidth);
            k.w.BT(0.0);
            k.w.BD(g.elevation);
            k.w.BE(kNormal);
        } else {
            k.w.RC(0);                          // not splined
            k.w.RC((g.flags & 1) ? 1 : 0);      // closed
        }
        if (k.s.R2004()) k.w.BL(static_cast<std::int32_t>(k.l.vertexEnd - k.l.vertexBegin));   // owned vertices
    }
    static void Read(KindRead& k) {
        PolylineGeom& g = k.g.polyline;
        if (k.type == kTypeLwPolyline) {
            k.lw = DecodeLwPolylineData(k.r);
        } else if (k.type == kTypePolyline2D) {
            g.flags = static_cast<std::int16_t>(k.r.BS() & ~8);
            k.r.BS();                           // curve type
            g.startWidth = k.r.BD();
            g.endWidth = k.r.BD();
            k.r.BT();
            g.elevation = k.r.BD();
        } else {
            k.r.RC();                           // spline flags
            std::uint8_t closed = k.r.RC();
            g = {0, 0, 0, static_cast<std::int16_t>(8 | ((closed & 1) ? 1 : 0))};
        }
    }
    static void WriteHandles(const KindWrite& k) {
        if (k.s.R2004()) {
            for (std::size_t i = k.l.vertexBegin; i < k.l.vertexEnd; ++i)
                k.w.H(kHardOwner, k.c.d.entities[(*k.l.blockList)[i]].handle);
        } else {
            k.w.H(kSoftPointer, k.l.firstVertex);
            k.w.H(kSoftPointer, k.l.lastVertex);
        }
        k.w.H(kHardOwner, k.l.seqEnd);
    }
    static void Keep(KindRead& k) {
        if (k.lw) AppendLwPolyline(k.out, k.de, *k.lw);
        else k.out.entities.push_back(std::move(k.de));
    }
};

struct VertexKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks& l) { return l.in3DPolyline ? kTypeVertex3D : kTypeVertex2D; }
    static void Write(const KindWrite& k) {
        const VertexGeom& v = k.g.vertex;
        if (k.type == kTypeVertex3D) {
            k.w.RC(static_cast<std::uint8_t>(v.flags | 32));
            k.w.BD3(v.pos);
            return;
        }
        k.w.RC(static_cast<std::uint8_t>(v.flags & ~32));
        k.w.BD3(v.pos);
        double sw = std::fabs(v.startWidth), ew = std::fabs(v.endWidth);
        if (sw == ew && sw != 0) {
            k.w.BD(-sw);                        // one negative width stands for both
        } else {
            k.w.BD(sw);
            k.w.BD(ew);
        }
        k.w.BD(v.bulge);
        if (k.s.R2010()) k.w.BL(0);             // vertex id
        k.w.BD(0.0);                            // tangent direction
    }
    static void Read(KindRead& k) {
        VertexGeom& v = k.g.vertex;
        v = {};
        v.flags = k.r.RC();
        v.pos = k.r.BD3();
        if (k.type == kTypeVertex3D) return;
        double sw = k.r.BD();
        if (sw < 0) {
            v.startWidth = v.endWidth = -sw;
        } else {
            v.startWidth = sw;
            v.endWidth = k.r.BD();
        }
        v.bulge = k.r.BD();
        v.widthFlags = 3;                       // the file always holds both widths
    }
};

// Kinds with no data of their own.
template <std::int16_t kType>
struct EmptyKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kType; }
    static void Write(const KindWrite&) {}
    static void Read(KindRead&) {}
};

struct FaceKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeFace3D; }
    static void Write(const KindWrite& k) { WriteFace(k.w, k.g.face, k.e.invisibleEdges); }
    static void Read(KindRead& k) { ReadFace(k.r, k.g.face, k.de.e.invisibleEdges); }
};

// BLOCK writes its name; read, its name is the block header's.
struct BlockKind : EmptyKind<kTypeBlock> {
    static void Write(const KindWrite& k) { k.w.TV(k.c.d.blocks.at(k.g.block.block).name); }
};

struct ViewportKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeViewport; }
    static void Write(const KindWrite& k) { WriteViewport(k.w, k.c.d.viewports.at(k.g.extra.index), k.c.release); }
    static void Read(KindRead& k) {
        k.g.extra.index = static_cast<std::uint32_t>(k.out.viewports.size());
        k.out.viewports.push_back(ReadViewport(k.r, k.o.release));
    }
    static void WriteHandles(const KindWrite& k) {
        k.w.H(kSoftPointer, 0);                 // no clip boundary
        if (!k.s.R2004()) k.w.H(kHardPointer, k.c.VxHandle(k.g.extra.index));
        k.w.H(kHardPointer, 0);                 // named UCS
        k.w.H(kHardPointer, 0);                 // base UCS
        if (!k.s.R2007()) return;
        k.w.H(kSoftPointer, 0);                 // background, visual style, shade plot, sun
        k.w.H(kHardPointer, 0);
        k.w.H(kSoftPointer, 0);
        k.w.H(kHardOwner, 0);
    }
};

struct HatchKind : PlainKind {
    static std::int16_t Type(const Entity&, const EntityLinks&) { return kTypeHatch; }
    static void Write(const KindWrite& k) {
        if (k.g.extra.index >= k.c.d.hatches.size())
            throw CadError("cannot write DWG: HATCH " + HandleText(k.e.handle) + " has no hatch data");
        WriteHatch(k.w, k.c.d.hatches[k.g.extra.index], k.c.release);
    }
    static void Read(KindRead& k) {
        k.g.extra.index = static_cast<std::uint32_t>(k.out.hatches.size());
        k.out.hatches.push_back(ReadHatch(k.r, k.o.release));
    }
};

// The one switch over the kinds: calls `f` with the kind's codec.
template <class F>
void WithKind(EntityType t, F&& f) {
    switch (t) {
    case EntityType::Point: return f(PointKind{});
    case EntityType::Line: return f(LineKind{});
    case EntityType::Circle: return f(CircleKind{});
    case EntityType::Arc: return f(ArcKind{});
    case EntityType::Text: return f(TextKind{});
    case EntityType::Insert: return f(InsertKind{});
    case EntityType::Polyline: return f(PolylineKind{});
    case EntityType::Vertex: return f(VertexKind{});
    case EntityType::SeqEnd: return f(EmptyKind<kTypeSeqEnd>{});
    case EntityType::Face3D: return f(FaceKind{});
    case EntityType::Block: return f(BlockKind{});
    case EntityType::EndBlk: return f(EmptyKind<kTypeEndBlk>{});
    case EntityType::Viewport: return f(ViewportKind{});
    case EntityType::Hatch: return f(HatchKind{});
    }
    throw CadError("an entity of unknown kind " + std::to_string(static_cast<int>(t)));
}

// The kind an object type is read as, if the database holds it.
std::optional<EntityType> KindOfType(std::int16_t type) {
    switch (type) {
    case kTypePoint: return EntityType::Point;
    case kTypeLine: return EntityType::Line;
    case kTypeCircle: return EntityType::Circle;
    case kTypeArc: return EntityType::Arc;
    case kTypeText: return EntityType::Text;
    case kTypeInsert:
    case kTypeMInsert: return EntityType::Insert;
    case kTypePolyline2D:
    case kTypePolyline3D:
    case kTypeLwPolyline: return EntityType::Polyline;
    case kTypeVertex2D:
    case kTypeVertex3D: return EntityType::Vertex;
    case kTypeSeqEnd: return EntityType::SeqEnd;
    case kTypeFace3D: return EntityType::Face3D;
    case kTypeBlock: return EntityType::Block;
    case kTypeEndBlk: return EntityType::EndBlk;
    case kTypeViewport: return EntityType::Viewport;
    case kTypeHatch: return EntityType::Hatch;
    default: return std::nullopt;
    }
}

} // namespace

void EncodeEntity(ObjectStream& s, const EncodeContext& c, const Entity& e, const EntityLinks& l) {
    WithKind(e.type, [&](auto kind) {
        using Kind = decltype(kind);
        const std::int16_t type = Kind::Type(e, l);
        EntityStart st = BeginEntity(s, c, type, e, l);
        const KindWrite k{s, c, e, l, st.w, type, e.geom};
        Kind::Write(k);
        EntityHandles(s, c, st, e, l);
        Kind::WriteHandles(k);
        s.End();
    });
}

bool DecodeEntity(EntityObject& o, std::int16_t type, DecodedObjects& out) {
    const std::optional<EntityType> kindType = KindOfType(type);
    if (!kindType) return false;
    const EntityCommon common = ReadEntityCommon(o.data, o.release);
    DecodedEntity de;
    de.offset = o.offset;
    de.mode = common.mode;
    de.linetypeFlags = common.ltFlags;
    Entity& e = de.e;
    e.type = *kindType;
    e.handle = o.self;
    e.colour = common.colour;
    if (common.invisible) e.flags |= kEntityInvisible;
    KindRead k{o, o.data, type, out, de, e.geom, std::nullopt};
    WithKind(e.type, [&](auto kind) {
        using Kind = decltype(kind);
        Kind::Read(k);
        ReadEntityHandles(o.handles, common, o.self, de);
        Kind::ReadHandles(k);
        Kind::Keep(k);
    });
    return true;
}

} // namespace ostrel::cad::dwg
