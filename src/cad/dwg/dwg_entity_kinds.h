#pragma once
// Every entity kind's DWG object: the object types it is read from and
// written as, its own data and its own handles, written and read side by
// side, reached through one switch made from the list of kinds (a kind
// without its codec does not compile).
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_decoded.h"
#include "cad/dwg/dwg_entity_frame.h"

namespace ostrel::cad::dwg {

// The kind an object of fixed DWG type `type` is read as, if the database
// holds it: the types are listed with the kinds' codecs.
std::optional<EntityType> KindOfType(std::int16_t type);

// Writes the entity as one object, its common data and handles around its own.
void EncodeEntity(ObjectStream& s, const EncodeContext& c, const Entity& e, const EntityLinks& links);

// An object being read, past its type, handle and extended data.
struct EntityObject {
    BitReader& data;
    BitReader& handles;
    Handle self;
    Release release;
    std::uint64_t offset;       // its file address, for drawing order
};

// Reads the object of DWG type `type` into `out` when the type is one of the
// database's entity kinds; false (nothing read) when it is not.
bool DecodeEntity(EntityObject& o, std::int16_t type, DecodedObjects& out);

// Where the records entities refer to went in the drawing, by handle.
struct RecordIndexes {
    const std::unordered_map<Handle, std::uint32_t>& styles;
    const std::unordered_map<Handle, std::uint32_t>& blocks;
    const std::unordered_map<Handle, std::uint32_t>& dimstyles;
};

// Points an entity read at the records it refers to (its style, block or
// dimension style), in the entity or in its side data still in `o`; false
// when one it cannot be without (an INSERT's block) is missing.
bool LinkEntity(Entity& e, const DecodedEntity& de, const RecordIndexes& r, DecodedObjects& o);

} // namespace ostrel::cad::dwg
