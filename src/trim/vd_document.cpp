// The engine's document: open, save, versions, model space and the active
// layout, over the store the entity views share.
#include "trim/vd_document.h"

#include <algorithm>
#include <cctype>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "cad/lightweight_polyline.h"
#include "cad/save_copy.h"

namespace ostrel::trim {

using cad::EntityType;
using cad::kNone;

std::string VersionTextFor(cad::Release r) {
    switch (r) {
    case cad::Release::R12: return "AutoCAD Release 11/12 (AC1009)";
    case cad::Release::R13: return "AutoCAD Release 13 (AC1012)";
    case cad::Release::R14: return "AutoCAD Release 14 (AC1014)";
    case cad::Release::R2000: return "AutoCAD 2000 (AC1015)";
    case cad::Release::R2004: return "AutoCAD 2004 (AC1018)";
    case cad::Release::R2007: return "AutoCAD 2007 (AC1021)";
    case cad::Release::R2010: return "AutoCAD 2010 (AC1024)";
    case cad::Release::R2013: return "AutoCAD 2013 (AC1027)";
    case cad::Release::R2018: return "AutoCAD 2018 (AC1032)";
    }
    return "";
}

std::optional<cad::Release> ReleaseForVersionIndex(std::int32_t index, cad::Release readRelease) {
    switch (index) {
    case 4: return cad::Release::R12;
    case 5: return cad::Release::R13;
    case 6: return cad::Release::R14;
    case 7: return readRelease >= cad::Release::R2000 ? readRelease : cad::Release::R2000;
    default: return std::nullopt;
    }
}

bool IsDwgPath(const std::string& path) {
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find(".DWG") != std::string::npos;
}

vdDocument::vdDocument() = default;
vdDocument::~vdDocument() = default;

void vdDocument::Reset(const std::string& path) {
    store_.Hold(nullptr);
    lastError_.clear();
    path_ = path;
}

void vdDocument::Adopt(std::unique_ptr<cad::Drawing> drawing, const std::string& path) {
    Reset(path);
    if (drawing) readRelease_ = drawing->release;
    store_.Hold(std::move(drawing));
}

std::unique_ptr<cad::Drawing> vdDocument::Release() {
    auto drawing = store_.Take();
    Reset(path_);
    return drawing;
}

void vdDocument::Checkpoint(bool normalised) { store_.Checkpoint(normalised); }

void vdDocument::Rollback() {
    if (store_.Rollback()) lastError_.clear();
}

std::int32_t vdDocument::OpenDocument(const std::string& path, std::int32_t, std::int32_t) {
    Reset(path);
    std::unique_ptr<cad::Drawing> drawing;
    try {
        drawing = IsDwgPath(path) ? cad::ReadDwg(path) : cad::ReadDxf(path);
    } catch (const std::exception& e) {
        lastError_ = e.what();
        return 0;
    }
    readRelease_ = drawing->release;
    // The engine measures and turns polylines through their vertices.
    cad::MakePolylinesHeavy(*drawing);
    store_.Hold(std::move(drawing));
    return 1;
}

void vdDocument::RestoreLayerNames(const std::vector<std::string>& names) {
    if (!store_.HasDrawing() || names.empty()) return;
    auto& d = store_.Drawing();
    bool renamed = false;
    for (const auto& given : names) {
        auto i = d.FindLayer(given);
        if (i == kNone || d.layers[i].name == given) continue;
        d.layers[i].name = given;
        renamed = true;
    }
    if (renamed) d.RebuildIndexes();
}

std::string vdDocument::VersionText() const { return IsOpen() ? VersionTextFor(readRelease_) : std::string(); }

vdEntities vdDocument::ModelEntities() {
    return vdEntities(&store_, IsOpen() ? store_.Drawing().ModelSpace() : kNone);
}

void vdDocument::ActiveLayout(const vdLayout& layout) {
    if (!layout || layout.Block() == kNone) throw cad::CadError("no layout to make current");
    SetActiveLayout(Drawing(), layout.Block());
}

vdLayout vdDocument::ActiveLayout() {
    auto& d = Drawing();
    auto b = d.PaperSpace();
    if (b == kNone || d.ObjectByHandle(d.blocks[b].layout) == nullptr) return {};
    return vdLayout(&store_, d.blocks[b].layout);
}

namespace {

// A layout's last viewport must still exist, in the layout's own block
// (where the writers look for it); one that does not is forgotten.
void ForgetLostLastViewports(cad::Drawing& d) {
    for (auto& o : d.objects) {
        if (o.type != cad::ObjectType::Layout || !o.layout || o.layout->lastViewport == 0) continue;
        const auto block = d.FindBlockByHandle(o.layout->blockRecord);
        bool alive = false;
        if (block != kNone)
            for (auto i : d.blocks[block].entities) {
                const auto& e = d.entities[i];
                if (e.handle != o.layout->lastViewport) continue;
                alive = e.type == EntityType::Viewport && !(e.flags & cad::kEntityDeleted);
                break;
            }
        if (!alive) o.layout->lastViewport = 0;
    }
}

} // namespace

std::int32_t vdDocument::SaveDocument(const std::string& path, std::int32_t versionIndex) {
    if (!IsOpen()) return 0;
    auto release = ReleaseForVersionIndex(versionIndex, readRelease_);
    if (!release) return 0;
    // What is written: the drawing with its fills under their outlines,
    // normalised, in a copy that borrows the entities; the document keeps
    // its own order and locations.
    // What the checkpoint vouches for, taken while the document holds its entities.
    const cad::NormalisedBefore since = beforeSave ? cad::NormalisedBefore{} : store_.SinceCheckpoint();
    cad::SaveCopy save(store_.Drawing());
    auto& d = save.Get();
    // The releases before R2000 have no HATCH: the writers give them a fill
    // as SOLID triangles covering the same outline.
    store_.PutFillsUnderOutlines(d.blocks);
    ForgetLostLastViewports(d);

    if (beforeSave) beforeSave(d);
    cad::NormalizeForSave(d, since);
    if (IsDwgPath(path)) cad::WriteDwg(d, *release, path);
    else cad::WriteDxf(d, *release, path);
    return 1;
}

} // namespace ostrel::trim
