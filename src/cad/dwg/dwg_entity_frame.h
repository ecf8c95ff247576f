#pragma once
// What surrounds every entity's own data, written and read: the common
// entity data before it and the common handles after it, with how the
// entity hangs in its block.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_decoded.h"
#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

// How an entity hangs in its block: its entity mode (2 model space, 1 paper
// space, 0 owner handle given), owner, and neighbours in the entity chain.
struct EntityLinks {
    unsigned mode = 0;
    Handle owner = 0;
    Handle prev = 0, next = 0;
    // A POLYLINE's vertices or an INSERT's attributes: the first and last,
    // the SEQEND after them, and (R2004 and later) all of them, entities
    // [vertexBegin, vertexEnd) of the block's list.
    Handle firstVertex = 0, lastVertex = 0, seqEnd = 0;
    const std::vector<std::uint32_t>* blockList = nullptr;
    std::size_t vertexBegin = 0, vertexEnd = 0;
    bool in3DPolyline = false;                              // VERTEX only
};

// The common entity data, and after the entity's own data its common
// handles: shared by every entity encoder.
struct EntityStart {
    BitWriter& w;
    unsigned ltFlags;
    bool noLinks;
};
EntityStart BeginEntity(ObjectStream& s, const EncodeContext& c, std::int16_t type, const Entity& e,
                        const EntityLinks& l);
void EntityHandles(ObjectStream& s, const EncodeContext& c, const EntityStart& st, const Entity& e,
                   const EntityLinks& l);

// The common entity data as read: what the common handles that follow the
// entity's own data depend on, and what the entity keeps.
struct EntityCommon {
    unsigned mode = 0;
    std::int32_t reactors = 0;
    bool noLinks = false;
    bool xdicMissing = false;
    bool colourHandle = false;
    std::int16_t colour = kColourByLayer;
    unsigned ltFlags = 0, psFlags = 0, materialFlags = 0, visualStyles = 0;
    bool invisible = false;
};
EntityCommon ReadEntityCommon(BitReader& r, Release release);
// Reads the common entity handles; fills owner, layer and linetype.
void ReadEntityHandles(BitReader& h, const EntityCommon& c, Handle self, DecodedEntity& de);

} // namespace ostrel::cad::dwg
