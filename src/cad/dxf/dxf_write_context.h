#pragma once
// What the DXF section writers share during one save.
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "cad/dxf/dxf_names.h"
#include "cad/dxf/dxf_tag_writer.h"

namespace ostrel::cad::dxf {

// Angles are held in radians and written in degrees.
inline constexpr double kDegrees = 180.0 / std::numbers::pi;

struct WriteContext {
    const Drawing& d;
    Release release;
    TagWriter& w;
    ReleaseNames names;

    bool r12 = false;        // AC1009: no subclasses, owners, CLASSES, OBJECTS, BLOCK_RECORD
    bool preR2000 = false;   // R12, R13, R14: no layouts, plot styles, lineweights, hatches
    bool utf8 = false;       // R2007 on: strings are UTF-8

    // Writer-made entities (hatch boundaries written as polylines for the
    // releases without HATCH) take handles from here, from the drawing's
    // seed on; $HANDSEED (handSeed) is above them too.
    Handle nextExtraHandle = 0;
    Handle handSeed = 0;
    // Whether the polyline whose vertices are being written is a 3D one.
    bool polyline3d = false;
    // A polyline held back to be written as LWPOLYLINE at its SEQEND, with
    // the vertices met so far (drawing option, R2000 on).
    const Entity* lightweightHead = nullptr;
    std::vector<const Entity*> lightweightVertices;

    // Indexes of well-known records.
    std::uint32_t byLayerLinetype = kNone, byBlockLinetype = kNone, continuousLinetype = kNone;
    // Objects written in this release (handles), for the references to them.
    std::vector<bool> objectWritten;   // by index into d.objects
    // Where the entities written stand: the block record whose list (or
    // BLOCK and ENDBLK) is written, the POLYLINE or INSERT whose VERTEX,
    // ATTRIB and SEQEND entities follow, and whether ATTRIBs follow the
    // entity written. Their owners (330) come from there.
    Handle blockOwner = 0;
    Handle runOwner = 0;
    bool attributesFollow = false;

    WriteContext(const Drawing& drawing, Release r, TagWriter& writer);
    // The same save's context writing through another writer (a part of the
    // file made on another thread).
    WriteContext(const WriteContext& other, TagWriter& writer);

    bool Subclasses() const { return !r12; }
    void Subclass(const char* name) {
        if (!r12) w.Name(100, name);
    }
    // The linetype name a layer refers to (Continuous when none or a pseudo type).
    const std::string& LayerLinetypeName(std::uint32_t linetype) const;
    const std::string& LayerName(std::uint32_t layer) const {
        return names.layers[layer < names.layers.size() ? layer : 0];
    }
    bool ObjectWritten(Handle h) const;
    Handle OwnerOf(const Entity& e) const {
        const bool member = e.type == EntityType::Vertex || e.type == EntityType::Attrib || e.type == EntityType::SeqEnd;
        return member ? runOwner : blockOwner;
    }
};

// Number of extra handles the entity writer needs for this release.
std::uint64_t ExtraHandlesNeeded(const Drawing& d, Release r);

void WriteHeaderSection(WriteContext& c);
void WriteClassesSection(WriteContext& c);
void WriteTablesSection(WriteContext& c);
void WriteBlocksSection(WriteContext& c);
void WriteEntitiesSection(WriteContext& c);
void WriteObjectsSection(WriteContext& c);

// One entity with its common groups (BLOCK/ENDBLK included).
void WriteEntity(WriteContext& c, const Entity& e);
// Entities [from, to) of a list of the block c.blockOwner names, deleted
// ones skipped; `from` is not a VERTEX, ATTRIB or SEQEND.
void WriteListed(WriteContext& c, const std::vector<std::uint32_t>& list, std::size_t from, std::size_t to);

// Whether a block's contents go to ENTITIES (model space and the active
// paper space) rather than BLOCKS.
bool IsEntitiesSectionBlock(const BlockRecord& b);
// Whether a block is written at all in the release (older releases know one
// paper space only).
bool IsWrittenBlock(const BlockRecord& b, Release r);

} // namespace ostrel::cad::dxf
