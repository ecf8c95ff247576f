#pragma once
// The document of the trim pass's drawing engine: one drawing opened from a
// DXF or DWG file, walked and edited through entity lists and layouts, and
// saved in a release chosen by a version index.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "cad/drawing.h"
#include "trim/vd_entities.h"
#include "trim/vd_entity.h"
#include "trim/vd_layouts.h"

namespace ostrel::trim {

// The text VersionText gives for a release. The wording is chosen so that
// the version-index table maps it back: R12 -> "... Release 11/12 ..."
// (index 4), R13 -> 5, R14 -> 6, R2000 and later -> 7.
std::string VersionTextFor(cad::Release r);

// The release SaveDocument writes for a version index: 4 -> R12, 5 -> R13,
// 6 -> R14, 7 -> the release the drawing was read in when it is R2000 or
// later, else R2000. Indexes 0 to 3 name releases no codec writes: no value.
std::optional<cad::Release> ReleaseForVersionIndex(std::int32_t index, cad::Release readRelease);

// True when the path names a DWG file: ".DWG" anywhere in it, any case.
bool IsDwgPath(const std::string& path);

class vdDocument {
public:
    vdDocument();
    ~vdDocument();
    vdDocument(const vdDocument&) = delete;
    vdDocument& operator=(const vdDocument&) = delete;

    // Loads a drawing file (DWG when IsDwgPath, else DXF), replacing what the
    // document held. 1 on success; 0 when the file cannot be read, the
    // document then holds no drawing (LastError says why). The two numbers
    // are the viewer's open options and select nothing here.
    std::int32_t OpenDocument(const std::string& path, std::int32_t, std::int32_t);
    // Takes a drawing already in memory, as if it had been opened from a file
    // of its release.
    void Adopt(std::unique_ptr<cad::Drawing> drawing, const std::string& path = std::string());
    // Hands the drawing back; the document then holds none.
    std::unique_ptr<cad::Drawing> Release();
    // Remembers the drawing as it is now, so that Rollback can bring it back
    // after any edits made through the document (and a failed save). Costs
    // a copy of everything but the entities and text strings; an entity is
    // copied when it is first edited.
    void Checkpoint();
    // Brings the drawing back to the checkpoint and forgets it.
    void Rollback();
    // Writes the drawing over path in the release of the version index.
    // 0 without writing anything for an index no codec writes or when no
    // drawing is open; codec errors are raised (cad::CadError). 1 when written.
    std::int32_t SaveDocument(const std::string& path, std::int32_t versionIndex);
    // Gives each layer whose name differs from one of names only in letter
    // case that name (a release that upper-cases names read back).
    void RestoreLayerNames(const std::vector<std::string>& names);
    // The release of the open drawing as text (see VersionTextFor); "" when none.
    std::string VersionText() const;

    vdEntities ModelEntities();
    vdLayouts Layouts() { return vdLayouts(this); }
    void ActiveLayout(const vdLayout& layout);
    vdLayout ActiveLayout();

    bool IsOpen() const { return drawing_ != nullptr; }
    cad::Drawing& Drawing();                    // raises an error when none is open
    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return lastError_; }
    // Called with the drawing just before SaveDocument writes it (tests).
    std::function<void(cad::Drawing&)> beforeSave;

private:
    friend class vdEntity;
    friend class vdPolyline;
    friend class vdText;
    friend class vdInsert;
    friend class vdViewport;
    friend class VertexArray;
    friend class vdEntities;
    friend class vdLayouts;
    friend class vdLayout;

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

    // A free entity that was added to a list is found where it went.
    EntityLocation Resolve(EntityLocation at) const;
    void Reset(const std::string& path);
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
    // Whether the entity at pos of a block's list is counted and walked
    // (inline: every walk asks it of every entity).
    bool Listed(std::uint32_t block, std::uint32_t pos) const {
        const auto& d = *drawing_;
        const auto idx = d.blocks[block].entities[pos];
        const auto& e = d.entities[idx];
        if (e.flags & cad::kEntityDeleted) return false;
        switch (e.type) {
        case cad::EntityType::Vertex:
        case cad::EntityType::SeqEnd:
        case cad::EntityType::Block:
        case cad::EntityType::EndBlk: return false;
        case cad::EntityType::Hatch: return !IsFill(idx);
        case cad::EntityType::Viewport: return ListedViewport(block, e);
        default: return true;
        }
    }
    bool ListedViewport(std::uint32_t block, const cad::Entity& viewport) const;
    Cursor& CursorOf(std::uint32_t block);
    std::uint32_t DefaultLayer() const;
    // Appends entities to a block's list; the location of the first.
    EntityLocation AppendMembers(std::uint32_t block, const std::vector<cad::Entity>& members);
    bool IsFilled(EntityLocation at) const;
    // Fills: a solid hatch per filled polyline, kept after the polyline in
    // drawing order when the file is written.
    void SetFill(EntityLocation polyline, bool on);
    void RefreshFill(EntityLocation polyline);
    bool IsFill(std::uint32_t entity) const { return fillHatches_.count(entity) != 0; }

    // The drawing at Checkpoint: all but its entities and text strings, the
    // number of those, and each entity as it was before its first edit.
    struct Saved {
        cad::Drawing rest;
        std::size_t entityCount = 0, textSize = 0;
        std::vector<std::pair<std::uint32_t, cad::Entity>> edited;
        std::unordered_set<std::uint32_t> editedIndexes;
    };

    std::unique_ptr<cad::Drawing> drawing_;
    std::unique_ptr<Saved> saved_;
    cad::Release readRelease_ = cad::Release::R2000;
    std::string path_;
    std::string lastError_;
    std::vector<Cursor> cursors_;
    std::vector<FreeEntity> free_;
    std::unordered_map<std::uint32_t, std::uint32_t> fills_;   // polyline entity -> hatch entity
    std::unordered_set<std::uint32_t> fillHatches_;
};

} // namespace ostrel::trim
