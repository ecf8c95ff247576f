#include "cad/dwg/dwg_entity_kinds.h"

#include <array>
#include <cmath>
#include <optional>

#include "cad/dwg/dwg_annotation_parts.h"
#include "cad/dwg/dwg_entity_parts.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

namespace {

// Object types of the kinds dwg_format.h does not list.
constexpr std::int16_t kTypeAttrib = 2, kTypeAttdef = 3, kTypeSolid = 31, kTypeEllipse = 35, kTypeSpline = 36,
                       kTypeMText = 44;

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
    bool moreHandles = false;                   // MTEXT: an application handle follows its style's
    bool keep = true;                           // false: counted as not read
};

// A kind's codec: Type (the object type it is written as), Write and Read
// (its own data), WriteHandles and ReadHandles (its own handles, after the
// common ones) and Link (the records it refers to, once the drawing has them).
struct PlainKind {
    static void WriteHandles(const KindWrite&) {}
    static void ReadHandles(KindRead&) {}
    static bool Link(Entity&, const DecodedEntity&, const RecordIndexes&, DecodedObjects&) { return true; }
};

// Each kind's codec, with kReads, the object types read as the kind.
template <EntityType>
struct DwgKind;

// A handle's record index, or kNone.
std::uint32_t IndexOf(const std::unordered_map<Handle, std::uint32_t>& m, Handle h) {
    auto it = m.find(h);
    return it == m.end() ? kNone : it->second;
}

// A style's index, the first style when it is missing.
std::uint32_t StyleIndex(const RecordIndexes& r, Handle h) {
    const std::uint32_t st = IndexOf(r.styles, h);
    return st == kNone ? 0 : st;
}

// Where a kind's side data goes: its index in the vector it is appended to.
template <class T>
std::uint32_t Append(std::vector<T>& v, T data) {
    v.push_back(std::move(data));
    return static_cast<std::uint32_t>(v.size() - 1);
}

template <>
struct DwgKind<EntityType::Point> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypePoint};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypePoint; }
    static void Write(const KindWrite& k) {
        k.w.BD3(k.g.point.pos);
        k.w.BT(0.0);
        k.w.BE(kNormal);
        k.w.BD(0.0);
    }
    static void Read(KindRead& k) { k.g.point.pos = k.r.BD3(); }
};

template <>
struct DwgKind<EntityType::Line> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeLine};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeLine; }
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

template <>
struct DwgKind<EntityType::Circle> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeCircle};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeCircle; }
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
template <>
struct DwgKind<EntityType::Arc> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeArc};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeArc; }
    static void Write(const KindWrite& k) {
        DwgKind<EntityType::Circle>::Write(k);
        k.w.BD(k.g.arc.startAngle);
        k.w.BD(k.g.arc.endAngle);
    }
    static void Read(KindRead& k) {
        DwgKind<EntityType::Circle>::Read(k);
        k.r.BT();
        k.r.BE();
        k.g.arc.startAngle = k.r.BD();
        k.g.arc.endAngle = k.r.BD();
    }
};

template <>
struct DwgKind<EntityType::Text> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeText};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeText; }
    static void Write(const KindWrite& k) { WriteTextGeom(k.w, k.g.text, k.c.d.Text(k.g.text)); }
    static void Read(KindRead& k) { ReadTextGeom(k.r, k.g.text, k.out.textPool); }
    static void WriteHandles(const KindWrite& k) { k.w.H(kHardPointer, k.c.StyleHandle(k.g.text.style, k.e.handle)); }
    static void ReadHandles(KindRead& k) { k.de.ref = k.o.handles.H().Resolve(k.o.self); }
    static bool Link(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects&) {
        e.geom.text.style = StyleIndex(r, de.ref);
        return true;
    }
};

// The handles of the entities a POLYLINE or INSERT owns: its first and
// last (R2004 on: every one), then its SEQEND.
void WriteMemberHandles(const KindWrite& k) {
    if (k.s.R2004()) {
        for (std::size_t i = k.l.vertexBegin; i < k.l.vertexEnd; ++i)
            k.w.H(kHardOwner, k.c.d.entities[(*k.l.blockList)[i]].handle);
    } else {
        k.w.H(kSoftPointer, k.l.firstVertex);
        k.w.H(kSoftPointer, k.l.lastVertex);
    }
    k.w.H(kHardOwner, k.l.seqEnd);
}

// INSERT, or MINSERT when it has more than one column or row; the ATTRIB
// entities it owns and their SEQEND follow it. Read, they name it as their
// owner.
template <>
struct DwgKind<EntityType::Insert> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeInsert, kTypeMInsert};
    static std::int16_t Type(const EncodeContext&, const Entity& e, const EntityLinks&) {
        return (e.geom.insert.columns > 1 || e.geom.insert.rows > 1) ? kTypeMInsert : kTypeInsert;
    }
    static void Write(const KindWrite& k) {
        const InsertGeom& g = k.g.insert;
        k.w.BD3(g.pos);
        WriteInsertScale(k.w, g);
        k.w.BD(g.rotation);
        k.w.BD3(kNormal);
        const auto members = static_cast<std::int32_t>(k.l.vertexEnd - k.l.vertexBegin);
        k.w.B(members > 0);                     // ATTRIB entities follow
        if (members > 0 && k.s.R2004()) k.w.BL(members);
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
    static void WriteHandles(const KindWrite& k) {
        k.w.H(kHardPointer, k.c.BlockHandle(k.g.insert.block, k.e.handle));
        if (k.l.vertexEnd > k.l.vertexBegin) WriteMemberHandles(k);
    }
    static void ReadHandles(KindRead& k) { k.de.ref = k.o.handles.H().Resolve(k.o.self); }
    static bool Link(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects&) {
        e.geom.insert.block = IndexOf(r.blocks, de.ref);
        return e.geom.insert.block != kNone;
    }
};

// A 2D or 3D POLYLINE, its vertices and SEQEND owned by it.
template <>
struct DwgKind<EntityType::Polyline> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypePolyline2D, kTypePolyline3D};
    static std::int16_t Type(const EncodeContext&, const Entity& e, const EntityLinks&) {
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
        if (k.type == kTypePolyline2D) {
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
    static void WriteHandles(const KindWrite& k) { WriteMemberHandles(k); }
};

template <>
struct DwgKind<EntityType::Vertex> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeVertex2D, kTypeVertex3D};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks& l) { return l.in3DPolyline ? kTypeVertex3D : kTypeVertex2D; }
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
    static constexpr std::int16_t kReads[] = {kType};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kType; }
    static void Write(const KindWrite&) {}
    static void Read(KindRead&) {}
};

template <>
struct DwgKind<EntityType::Face3D> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeFace3D};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeFace3D; }
    static void Write(const KindWrite& k) { WriteFace(k.w, k.g.face, k.e.invisibleEdges); }
    static void Read(KindRead& k) { ReadFace(k.r, k.g.face, k.de.e.invisibleEdges); }
};

// BLOCK writes its name; read, its name is the block header's.
template <>
struct DwgKind<EntityType::Block> : EmptyKind<kTypeBlock> {
    static void Write(const KindWrite& k) { k.w.TV(k.c.d.blocks.at(k.g.block.block).name); }
};

template <>
struct DwgKind<EntityType::Viewport> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeViewport};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeViewport; }
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

template <>
struct DwgKind<EntityType::Hatch> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeHatch};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeHatch; }
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

// ------------------------------------------------------------ the kinds the
// database reads natively besides its own output's

template <>
struct DwgKind<EntityType::LwPolyline> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeLwPolyline};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeLwPolyline; }
    static void Write(const KindWrite& k) { WriteLwPolylineData(k.w, k.c.d.lwpolylines.at(k.g.extra.index)); }
    static void Read(KindRead& k) { k.g.extra.index = Append(k.out.lwpolylines, ReadLwPolylineData(k.r, k.o.release)); }
};

template <>
struct DwgKind<EntityType::Ellipse> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeEllipse};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeEllipse; }
    static void Write(const KindWrite& k) {
        const EllipseGeom& g = k.g.ellipse;
        const bool noNormal = g.normal.x == 0 && g.normal.y == 0 && g.normal.z == 0;
        k.w.BD3(g.center);
        k.w.BD3(g.majorAxis);
        k.w.BD3(noNormal ? kNormal : g.normal);
        k.w.BD(g.ratio);
        k.w.BD(g.startParam);
        k.w.BD(g.endParam);
    }
    static void Read(KindRead& k) {
        EllipseGeom& g = k.g.ellipse;
        g.center = k.r.BD3();
        g.majorAxis = k.r.BD3();
        g.normal = k.r.BD3();
        g.ratio = k.r.BD();
        g.startParam = k.r.BD();
        g.endParam = k.r.BD();
    }
};

template <>
struct DwgKind<EntityType::Spline> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeSpline};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeSpline; }
    static void Write(const KindWrite& k) { WriteSpline(k.w, k.c.d.splines.at(k.g.extra.index), k.c.release); }
    static void Read(KindRead& k) { k.g.extra.index = Append(k.out.splines, ReadSpline(k.r, k.o.release)); }
};

template <>
struct DwgKind<EntityType::MText> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeMText};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeMText; }
    static void Write(const KindWrite& k) { WriteMText(k.w, k.g.mtext, k.c.d.Text(k.g.mtext), k.c.release); }
    static void Read(KindRead& k) { ReadMText(k.r, k.g.mtext, k.out.textPool, k.o.release, k.moreHandles); }
    static void WriteHandles(const KindWrite& k) {
        k.w.H(kHardPointer, k.c.StyleHandle(k.g.mtext.style, k.e.handle));
        if (k.s.R2018()) k.w.H(kHardPointer, 0);   // the redundant copy's application
    }
    static void ReadHandles(KindRead& k) {
        k.de.ref = k.o.handles.H().Resolve(k.o.self);
        if (k.moreHandles) k.o.handles.H();
    }
    static bool Link(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects&) {
        e.geom.mtext.style = StyleIndex(r, de.ref);
        return true;
    }
};

// SOLID: four corners at one elevation, in the file's order.
template <>
struct DwgKind<EntityType::Solid> : PlainKind {
    static constexpr std::int16_t kReads[] = {kTypeSolid};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kTypeSolid; }
    static void Write(const KindWrite& k) {
        k.w.BT(0.0);
        k.w.BD(k.g.face.corner[0].z);
        for (const Vec3& p : k.g.face.corner) k.w.RD2(p.x, p.y);
        k.w.BE(kNormal);
    }
    static void Read(KindRead& k) {
        k.r.BT();
        const double elevation = k.r.BD();
        for (Vec3& p : k.g.face.corner) p = {k.r.RD(), k.r.RD(), elevation};
        k.r.BE();
    }
};

// ATTRIB, and ATTDEF (`kDefinition`): TEXT's data, then the attribute's.
template <bool kDefinition>
struct AttributeKind : PlainKind {
    static constexpr std::int16_t kReads[] = {kDefinition ? kTypeAttdef : kTypeAttrib};
    static std::int16_t Type(const EncodeContext&, const Entity&, const EntityLinks&) { return kDefinition ? kTypeAttdef : kTypeAttrib; }
    static void Write(const KindWrite& k) {
        const AttributeData& a = k.c.d.attributes.at(k.g.extra.index);
        WriteTextGeom(k.w, a.text, k.c.d.Text(a.text));
        WriteAttribute(k.w, a, kDefinition, k.c.release);
    }
    static void Read(KindRead& k) {
        AttributeData a;
        ReadTextGeom(k.r, a.text, k.out.textPool);
        k.keep = ReadAttribute(k.r, a, kDefinition, k.o.release);
        if (k.keep) k.g.extra.index = Append(k.out.attributes, std::move(a));
    }
    static void WriteHandles(const KindWrite& k) {
        k.w.H(kHardPointer, k.c.StyleHandle(k.c.d.attributes.at(k.g.extra.index).text.style, k.e.handle));
    }
    static void ReadHandles(KindRead& k) { k.de.ref = k.o.handles.H().Resolve(k.o.self); }
    static bool Link(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects& o) {
        o.attributes.at(e.geom.extra.index).text.style = StyleIndex(r, de.ref);
        return true;
    }
};

// A dimension style's handle: the drawing's first when it names none.
Handle DimstyleHandle(const Drawing& d, std::uint32_t index) {
    if (index < d.dimstyles.size()) return d.dimstyles[index].handle;
    return d.dimstyles.empty() ? 0 : d.dimstyles.front().handle;
}

// DIMENSION: its subtype is its object type; it names its style and the
// anonymous block it is drawn through.
template <>
struct DwgKind<EntityType::Dimension> : PlainKind {
    static constexpr std::int16_t kReads[] = {20, 21, 22, 23, 24, 25, 26};
    static std::int16_t Type(const EncodeContext& c, const Entity& e, const EntityLinks&) {
        return DimensionObjectType(c.d.dimensions.at(e.geom.extra.index));
    }
    static void Write(const KindWrite& k) {
        WriteDimension(k.w, k.c.d.dimensions.at(k.g.extra.index), k.type, k.c.release);
    }
    static void Read(KindRead& k) {
        DimensionData dim;
        ReadDimension(k.r, dim, k.type, k.o.release);
        k.g.extra.index = Append(k.out.dimensions, std::move(dim));
    }
    static void WriteHandles(const KindWrite& k) {
        const DimensionData& dim = k.c.d.dimensions.at(k.g.extra.index);
        k.w.H(kHardPointer, DimstyleHandle(k.c.d, dim.dimstyle));
        k.w.H(kHardPointer, dim.block == kNone ? 0 : k.c.BlockHandle(dim.block, k.e.handle));
    }
    static void ReadHandles(KindRead& k) {
        k.de.ref = k.o.handles.H().Resolve(k.o.self);
        k.de.ref2 = k.o.handles.H().Resolve(k.o.self);
    }
    static bool Link(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects& o) {
        DimensionData& dim = o.dimensions.at(e.geom.extra.index);
        dim.dimstyle = IndexOf(r.dimstyles, de.ref);
        dim.block = IndexOf(r.blocks, de.ref2);
        return true;
    }
};

template <>
struct DwgKind<EntityType::SeqEnd> : EmptyKind<kTypeSeqEnd> {};
template <>
struct DwgKind<EntityType::EndBlk> : EmptyKind<kTypeEndBlk> {};
template <>
struct DwgKind<EntityType::AttDef> : AttributeKind<true> {};
template <>
struct DwgKind<EntityType::Attrib> : AttributeKind<false> {};

// The one switch over the kinds, made from their list: calls `f` with the
// kind's codec.
template <class F>
void WithKind(EntityType t, F&& f) {
    switch (t) {
#define OSTREL_DWG_KIND(kind, name) \
    case EntityType::kind: return f(DwgKind<EntityType::kind>{});
        OSTREL_ENTITY_KINDS(OSTREL_DWG_KIND)
#undef OSTREL_DWG_KIND
    }
    throw CadError("an entity of unknown kind " + std::to_string(static_cast<int>(t)));
}

// The kind of each fixed object type below kTypesRead, -1 for none.
constexpr int kTypesRead = 500;
using KindTable = std::array<std::int8_t, kTypesRead>;

constexpr KindTable MakeKindTable() {
    KindTable t{};
    for (auto& k : t) k = -1;
#define OSTREL_DWG_READS(kind, name) \
    for (std::int16_t type : DwgKind<EntityType::kind>::kReads) t[type] = static_cast<std::int8_t>(EntityType::kind);
    OSTREL_ENTITY_KINDS(OSTREL_DWG_READS)
#undef OSTREL_DWG_READS
    return t;
}

constexpr KindTable kKindOfType = MakeKindTable();

} // namespace

std::optional<EntityType> KindOfType(std::int16_t type) {
    if (type < 0 || type >= kTypesRead || kKindOfType[type] < 0) return std::nullopt;
    return static_cast<EntityType>(kKindOfType[type]);
}

void EncodeEntity(ObjectStream& s, const EncodeContext& c, const Entity& e, const EntityLinks& l) {
    WithKind(e.type, [&](auto kind) {
        using Kind = decltype(kind);
        const std::int16_t type = Kind::Type(c, e, l);
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
    KindRead k{o, o.data, type, out, de, e.geom};
    WithKind(e.type, [&](auto kind) {
        using Kind = decltype(kind);
        Kind::Read(k);
        if (!k.keep) return;
        ReadEntityHandles(o.handles, common, o.self, de);
        Kind::ReadHandles(k);
    });
    if (k.keep) out.entities.push_back(std::move(de));
    else ++out.notRead[EntityTypeName(e.type)];
    return true;
}

bool LinkEntity(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects& o) {
    bool kept = true;
    WithKind(e.type, [&](auto kind) { kept = decltype(kind)::Link(e, de, r, o); });
    return kept;
}

} // namespace ostrel::cad::dwg
