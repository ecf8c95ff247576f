#include "cad/dwg/dwg_entity_encoder.h"

#include "cad/dwg/dwg_entity_kinds.h"
#include "cad/dwg/dwg_lwpolyline.h"

namespace ostrel::cad::dwg {

namespace {

// One block's entity list being written: a top-level entity, then the
// members that follow it (a POLYLINE's vertices or an INSERT's attributes,
// and SEQEND).
struct BlockWalk {
    ObjectStream& s;
    const EncodeContext& c;
    const BlockRecord& b;
    const Entity& At(std::size_t i) const { return c.d.entities[b.entities[i]]; }
};

// The entity at `first - 1` owns [first, end) and the SEQEND at `end`: a
// POLYLINE its vertices, an INSERT its attributes.
void EncodeOwnerGroup(const BlockWalk& bw, EntityLinks l, std::size_t first, std::size_t end) {
    const Entity& e = bw.At(first - 1);
    l.blockList = &bw.b.entities;
    l.vertexBegin = first;
    l.vertexEnd = end;
    if (end > first) {
        l.firstVertex = bw.At(first).handle;
        l.lastVertex = bw.At(end - 1).handle;
    }
    bool hasSeqEnd = end < bw.b.entities.size() && bw.At(end).type == EntityType::SeqEnd;
    if (!hasSeqEnd)
        throw CadError(std::string("cannot write DWG: ") + EntityTypeName(e.type) + " " + HandleText(e.handle) +
                       " has no SEQEND");
    l.seqEnd = bw.At(end).handle;
    EncodeEntity(bw.s, bw.c, e, l);
    for (std::size_t i = first; i < end; ++i) {
        EntityLinks vl;
        vl.owner = e.handle;
        vl.in3DPolyline = e.type == EntityType::Polyline && (e.geom.polyline.flags & 8) != 0;
        vl.prev = i > first ? bw.At(i - 1).handle : 0;
        vl.next = i + 1 < end ? bw.At(i + 1).handle : 0;
        EncodeEntity(bw.s, bw.c, bw.At(i), vl);
    }
    EntityLinks sl;
    sl.owner = e.handle;
    EncodeEntity(bw.s, bw.c, bw.At(end), sl);
}

// A POLYLINE with its vertices [first, end): as one LWPOLYLINE where the
// save asks for it, else in full.
void EncodePolylineGroup(const BlockWalk& bw, const EntityLinks& l, std::size_t first, std::size_t end) {
    const Entity& e = bw.At(first - 1);
    if (WritesLightweight(bw.c.d, Release::R2000, e, end - first)) {   // R2000 on have LWPOLYLINE
        std::vector<const Entity*> vertices;
        vertices.reserve(end - first);
        for (std::size_t i = first; i < end; ++i) vertices.push_back(&bw.At(i));
        EncodeLwPolyline(bw.s, bw.c, e, vertices, l);
        return;
    }
    EncodeOwnerGroup(bw, l, first, end);
}

bool IsMember(EntityType t) { return t == EntityType::Vertex || t == EntityType::Attrib || t == EntityType::SeqEnd; }

// The run of members of kind `t` after position `first`.
std::size_t RunEnd(const BlockWalk& bw, std::size_t first, EntityType t) {
    std::size_t end = first;
    while (end < bw.b.entities.size() && bw.At(end).type == t) ++end;
    return end;
}

// The position of the first top-level entity at or after `from`.
std::size_t NextTop(const BlockWalk& bw, std::size_t from) {
    while (from < bw.b.entities.size() && IsMember(bw.At(from).type)) ++from;
    return from;
}

// The block's top-level entities, chained to their neighbours, with what follows each.
void EncodeBlockEntities(const BlockWalk& bw, unsigned mode) {
    const std::size_t count = bw.b.entities.size();
    Handle prev = 0;
    for (std::size_t at = NextTop(bw, 0); at < count;) {
        const Entity& e = bw.At(at);
        const std::size_t next = NextTop(bw, at + 1);
        EntityLinks l;
        l.mode = mode;
        l.owner = bw.b.handle;
        l.prev = prev;
        l.next = next < count ? bw.At(next).handle : 0;
        const std::size_t first = at + 1;
        if (e.type == EntityType::Polyline) {
            EncodePolylineGroup(bw, l, first, RunEnd(bw, first, EntityType::Vertex));
        } else if (e.type == EntityType::Insert && RunEnd(bw, first, EntityType::Attrib) > first) {
            EncodeOwnerGroup(bw, l, first, RunEnd(bw, first, EntityType::Attrib));
        } else {
            EncodeEntity(bw.s, bw.c, e, l);
        }
        prev = e.handle;
        at = next;
    }
}

} // namespace

void EncodeBlockContents(ObjectStream& s, const EncodeContext& c) {
    const Drawing& d = c.d;
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        const BlockRecord& b = d.blocks[bi];
        const unsigned mode = bi == c.modelSpace ? 2u : bi == c.paperSpace ? 1u : 0u;
        EntityLinks own;
        own.owner = b.handle;
        EncodeEntity(s, c, d.entities.at(b.beginEntity), own);
        EncodeBlockEntities(BlockWalk{s, c, b}, mode);
        EncodeEntity(s, c, d.entities.at(b.endEntity), own);
    }
}

} // namespace ostrel::cad::dwg
