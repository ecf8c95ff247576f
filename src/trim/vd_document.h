#pragma once
// The document of the trim pass's drawing engine: one drawing opened from a
// DXF or DWG file, walked and edited through entity lists and layouts, and
// saved in a release chosen by a version index.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing.h"
#include "trim/entity_store.h"
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
    // copied when it is first edited. `normalised`: the drawing stands as
    // cad::NormalizeForSave left it, so that a save repairs only what the
    // edits since touched.
    void Checkpoint(bool normalised = false);
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
    vdLayouts Layouts() { return vdLayouts(&store_); }
    void ActiveLayout(const vdLayout& layout);
    vdLayout ActiveLayout();

    bool IsOpen() const { return store_.HasDrawing(); }
    cad::Drawing& Drawing() { return store_.Drawing(); }   // raises an error when none is open
    const std::string& Path() const { return path_; }
    const std::string& LastError() const { return lastError_; }
    // Called with the drawing just before SaveDocument writes it (tests).
    std::function<void(cad::Drawing&)> beforeSave;

private:
    void Reset(const std::string& path);

    EntityStore store_;
    cad::Release readRelease_ = cad::Release::R2000;
    std::string path_;
    std::string lastError_;
};

} // namespace ostrel::trim
