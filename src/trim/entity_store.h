#pragma once
// What the trim engine's entity views stand on: the open drawing, where each
// entity is (a place in a block's list or a free copy), the members of an
// entity, vertex access, the fills of filled polylines, the cursor of each
// list, and the record of edits that a rollback undoes. The document builds
// on it; the views (entities, lists, layouts) reach the drawing through it.
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::trim {

// Where an entity is: block index and position in the block's list, or
// block kNone and the index of a free entity.
struct EntityLocation {
    std::uint32_t block = cad::kNone;
    std::uint32_t pos = 0;
};

class EntityStore {
public:
    struct Cursor {
        std::uint32_t pos = 0;
        std::uint32_t end = 0;
    };
    // A copy not yet in any list: its entities, head first (a polyline's
    // vertices and SEQEND follow), and where it went when it was added.
    struct FreeEntity {
        std::vector<cad::Entity> members;
        bool filled = false;
        bool deleted = false;
        EntityLocation placed{cad::kNone, 0};
    };

    EntityStore();
    ~EntityStore();
    EntityStore(const EntityStore&) = delete;
    EntityStore& operator=(const EntityStore&) = delete;

    // Holds drawing (none when null) and forgets every location, copy, fill,
    // cursor and checkpoint of the one held before.
    void Hold(std::unique_ptr<cad::Drawing> drawing);
    // Hands the drawing back and forgets the rest; the store then holds none.
    std::unique_ptr<cad::Drawing> Take();
    bool HasDrawing() const { return drawing_ != nullptr; }
    cad::Drawing& Drawing();                    // raises an error when none is held

    // Remembers the drawing as it is now (all but the entities and text
    // strings are copied; an entity is copied when it is first edited).
    // `normalised`: the drawing stands as cad::NormalizeForSave left it.
    void Checkpoint(bool normalised = false);
    // Brings the drawing back to the checkpoint and forgets the bookkeeping
    // made since. False, changing nothing, without a checkpoint or a drawing.
    bool Rollback();

    // The checkpoint of a normalised drawing and the edits since, for a save
    // that repairs only what they touched (nothing known without one).
    cad::NormalisedBefore SinceCheckpoint() const;

    // A free entity that was added to a list is found where it went.
    EntityLocation Resolve(EntityLocation at) const;
    // Members of an entity: 0 is the entity itself; a polyline's vertices
    // and its SEQEND follow.
    std::uint32_t MemberCount(EntityLocation at) const;
    cad::Entity& Member(EntityLocation at, std::uint32_t k);
    // Member k for changing it: kept for Rollback first, when a checkpoint holds.
    cad::Entity& Edit(EntityLocation at, std::uint32_t k);
    std::uint32_t VertexCountOf(EntityLocation at) const;
    // Vertex i of a polyline whose vertex count the caller holds (counting
    // is linear, so callers count once).
    cad::Entity& VertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count);
    cad::Entity& EditVertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count);

    // A new free entity; its location.
    EntityLocation AddFree(FreeEntity copy);
    // The free entity at a location whose block is kNone.
    FreeEntity& Free(EntityLocation at) { return free_.at(at.pos); }

    // Whether the entity at pos of a block's list is counted and walked
    // (inline: every walk asks it of every entity).
    bool Listed(std::uint32_t block, std::uint32_t pos) const {
        const auto& d = *drawing_;
        const auto idx = d.blocks[block].entities[pos];
        const auto& e = d.entities[idx];
        if (e.flags & cad::kEntityDeleted) return false;
        // The members of a sequence and a block's own ends are not walked on
        // their own; every other kind is, but a polyline's fill and the
        // viewports the layout does not list.
        using cad::EntityType;
        const EntityType t = e.type;
        if (t == EntityType::Vertex || t == EntityType::SeqEnd || t == EntityType::Block || t == EntityType::EndBlk)
            return false;
        if (t == EntityType::Hatch) return !IsFill(idx);
        if (t == EntityType::Viewport) return ListedViewport(block, e);
        return true;
    }
    Cursor& CursorOf(std::uint32_t block);
    // The layer new entities go on: the drawing's current layer, else layer 0.
    std::uint32_t DefaultLayer() const;
    // Appends entities to a block's list; the location of the first.
    EntityLocation AppendMembers(std::uint32_t block, const std::vector<cad::Entity>& members);

    // Fills: a solid hatch per filled polyline, kept after the polyline in
    // the block's list until PutFillsUnderOutlines orders them for a save.
    bool IsFilled(EntityLocation at) const;
    void SetFill(EntityLocation polyline, bool on);
    void RefreshFill(EntityLocation polyline);
    // Moves each fill just before (under) the polyline it fills in the
    // block lists of a copy of the drawing (the document's own stay as they
    // are), for the writers to draw it in that order.
    void PutFillsUnderOutlines(std::vector<cad::BlockRecord>& blocks) const;

private:
    bool IsFill(std::uint32_t entity) const { return fillHatches_.count(entity) != 0; }
    bool ListedViewport(std::uint32_t block, const cad::Entity& viewport) const;
    void Forget();

    // The drawing at Checkpoint: all but its entities and text strings, the
    // number of those, and each entity as it was before its first edit.
    struct Saved {
        cad::Drawing rest;
        std::size_t entityCount = 0, textSize = 0;
        std::vector<std::pair<std::uint32_t, cad::Entity>> edited;
        std::unordered_set<std::uint32_t> editedIndexes;
        bool normalised = false;
    };

    std::unique_ptr<cad::Drawing> drawing_;
    std::unique_ptr<Saved> saved_;
    std::vector<Cursor> cursors_;
    std::vector<FreeEntity> free_;
    std::unordered_map<std::uint32_t, std::uint32_t> fills_;   // polyline entity -> hatch entity
    std::unordered_set<std::uint32_t> fillHatches_;
};

} // namespace ostrel::trim
