// The engine's document: open, save, versions, model space, the active
// layout, and the bookkeeping the entity classes share (locations, members
// of an entity, free copies, fills).
#include "trim/vd_document.h"

#include <algorithm>
#include <cctype>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"

namespace ostrel::trim {

using cad::Entity;
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

cad::Drawing& vdDocument::Drawing() {
    if (!drawing_) throw cad::CadError("no drawing is open");
    return *drawing_;
}

void vdDocument::Reset(const std::string& path) {
    drawing_.reset();
    saved_.reset();
    cursors_.clear();
    free_.clear();
    fills_.clear();
    fillHatches_.clear();
    lastError_.clear();
    path_ = path;
}

void vdDocument::Adopt(std::unique_ptr<cad::Drawing> drawing, const std::string& path) {
    Reset(path);
    drawing_ = std::move(drawing);
    if (drawing_) readRelease_ = drawing_->release;
}

std::unique_ptr<cad::Drawing> vdDocument::Release() {
    auto drawing = std::move(drawing_);
    Reset(path_);
    return drawing;
}

namespace {

// Moves the entities and text strings out of a drawing for the time of a
// copy or an assignment of the rest of it, and back.
struct Bulk {
    std::vector<Entity> entities;
    std::string text;
    explicit Bulk(cad::Drawing& d) : entities(std::move(d.entities)), text(std::move(d.textPool)) {
        d.entities.clear();
        d.textPool.clear();
    }
    void PutBack(cad::Drawing& d) {
        d.entities = std::move(entities);
        d.textPool = std::move(text);
    }
};

} // namespace

void vdDocument::Checkpoint() {
    auto& d = Drawing();
    auto saved = std::make_unique<Saved>();
    Bulk bulk(d);
    try {
        saved->rest = d;
    } catch (...) {
        bulk.PutBack(d);
        throw;
    }
    bulk.PutBack(d);
    // Layouts are shared by pointer: the checkpoint keeps copies of its own.
    for (auto& o : saved->rest.objects)
        if (o.layout) o.layout = std::make_shared<cad::LayoutData>(*o.layout);
    saved->entityCount = d.entities.size();
    saved->textSize = d.textPool.size();
    saved_ = std::move(saved);
}

void vdDocument::Rollback() {
    if (!saved_ || !drawing_) return;
    auto& d = *drawing_;
    Bulk bulk(d);
    bulk.entities.resize(saved_->entityCount);
    bulk.text.resize(saved_->textSize);
    for (auto& [index, entity] : saved_->edited) bulk.entities[index] = entity;
    d = std::move(saved_->rest);
    bulk.PutBack(d);
    const std::string path = path_;
    auto drawing = std::move(drawing_);
    Reset(path);
    drawing_ = std::move(drawing);
}

std::int32_t vdDocument::OpenDocument(const std::string& path, std::int32_t, std::int32_t) {
    Reset(path);
    try {
        drawing_ = IsDwgPath(path) ? cad::ReadDwg(path) : cad::ReadDxf(path);
    } catch (const std::exception& e) {
        lastError_ = e.what();
        drawing_.reset();
        return 0;
    }
    readRelease_ = drawing_->release;
    return 1;
}

void vdDocument::RestoreLayerNames(const std::vector<std::string>& names) {
    if (!drawing_ || names.empty()) return;
    auto& d = *drawing_;
    bool renamed = false;
    for (const auto& given : names) {
        auto i = d.FindLayer(given);
        if (i == kNone || d.layers[i].name == given) continue;
        d.layers[i].name = given;
        renamed = true;
    }
    if (renamed) d.RebuildIndexes();
}

std::string vdDocument::VersionText() const { return drawing_ ? VersionTextFor(readRelease_) : std::string(); }

vdEntities vdDocument::ModelEntities() {
    return vdEntities(this, drawing_ ? drawing_->ModelSpace() : kNone);
}

void vdDocument::ActiveLayout(const vdLayout& layout) {
    if (!layout || layout.Block() == kNone) throw cad::CadError("no layout to make current");
    SetActiveLayout(Drawing(), layout.Block());
}

vdLayout vdDocument::ActiveLayout() {
    auto& d = Drawing();
    auto b = d.PaperSpace();
    if (b == kNone || d.ObjectByHandle(d.blocks[b].layout) == nullptr) return {};
    return vdLayout(this, d.blocks[b].layout);
}

std::int32_t vdDocument::SaveDocument(const std::string& path, std::int32_t versionIndex) {
    if (!drawing_) return 0;
    auto release = ReleaseForVersionIndex(versionIndex, readRelease_);
    if (!release) return 0;
    auto& d = *drawing_;

    // The writers tidy the block lists (NormalizeForSave); the document keeps
    // its own order and locations, so the lists are put back afterwards.
    std::vector<std::vector<std::uint32_t>> lists;
    lists.reserve(d.blocks.size());
    for (auto& b : d.blocks) lists.push_back(b.entities);
    struct Restore {
        cad::Drawing& d;
        std::vector<std::vector<std::uint32_t>>& lists;
        ~Restore() {
            for (std::size_t b = 0; b < lists.size() && b < d.blocks.size(); ++b) d.blocks[b].entities = std::move(lists[b]);
        }
    } restore{d, lists};

    if (!fills_.empty()) {
        // Each fill is drawn just before (under) the polyline it fills. The
        // releases before R2000 have no HATCH: the writers give them the fill
        // as SOLID triangles covering the same outline.
        for (auto& b : d.blocks) {
            bool any = std::any_of(b.entities.begin(), b.entities.end(), [&](auto i) { return IsFill(i); });
            if (!any) continue;
            std::vector<std::uint32_t> ordered;
            ordered.reserve(b.entities.size());
            for (auto i : b.entities) {
                if (IsFill(i)) continue;
                auto f = fills_.find(i);
                if (f != fills_.end()) ordered.push_back(f->second);
                ordered.push_back(i);
            }
            b.entities = std::move(ordered);
        }
    }
    // A layout's last viewport must still exist, in the layout's own block
    // (where the writers look for it).
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

    if (beforeSave) beforeSave(d);
    if (IsDwgPath(path)) cad::SaveDwg(d, *release, path);
    else cad::SaveDxf(d, *release, path);
    return 1;
}

// ------------------------------------------------------------ bookkeeping

EntityLocation vdDocument::Resolve(EntityLocation at) const {
    if (at.block != kNone) return at;
    if (at.pos >= free_.size()) throw cad::CadError("unknown entity");
    const auto& f = free_[at.pos];
    return f.placed.block != kNone ? f.placed : at;
}

std::uint32_t vdDocument::MemberCount(EntityLocation at) const {
    at = Resolve(at);
    if (at.block == kNone) return static_cast<std::uint32_t>(free_[at.pos].members.size());
    const auto& d = *drawing_;
    const auto& list = d.blocks.at(at.block).entities;
    if (at.pos >= list.size()) throw cad::CadError("entity outside its list");
    if (d.entities[list[at.pos]].type != EntityType::Polyline) return 1;
    std::uint32_t k = at.pos + 1;
    while (k < list.size() && d.entities[list[k]].type == EntityType::Vertex) ++k;
    if (k < list.size() && d.entities[list[k]].type == EntityType::SeqEnd) ++k;
    return k - at.pos;
}

Entity& vdDocument::Member(EntityLocation at, std::uint32_t k) {
    at = Resolve(at);
    if (at.block == kNone) return free_[at.pos].members.at(k);
    auto& d = Drawing();
    const auto& list = d.blocks.at(at.block).entities;
    return d.entities[list.at(at.pos + k)];
}

Entity& vdDocument::Edit(EntityLocation at, std::uint32_t k) {
    at = Resolve(at);
    if (at.block == kNone || !saved_) return Member(at, k);
    auto& d = Drawing();
    const auto index = d.blocks.at(at.block).entities.at(at.pos + k);
    if (index < saved_->entityCount && saved_->editedIndexes.insert(index).second)
        saved_->edited.emplace_back(index, d.entities[index]);
    return d.entities[index];
}

std::uint32_t vdDocument::VertexCountOf(EntityLocation at) const {
    at = Resolve(at);
    if (at.block == kNone) {
        const auto& m = free_[at.pos].members;
        return static_cast<std::uint32_t>(
            std::count_if(m.begin(), m.end(), [](const Entity& e) { return e.type == EntityType::Vertex; }));
    }
    const auto& d = *drawing_;
    const auto& list = d.blocks.at(at.block).entities;
    std::uint32_t k = at.pos + 1;
    while (k < list.size() && d.entities[list[k]].type == EntityType::Vertex) ++k;
    return k - at.pos - 1;
}

Entity& vdDocument::VertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count) {
    if (vertex >= count)
        throw cad::CadError("vertex " + std::to_string(vertex) + " out of range");
    return Member(at, 1 + vertex);
}

Entity& vdDocument::EditVertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count) {
    if (vertex >= count)
        throw cad::CadError("vertex " + std::to_string(vertex) + " out of range");
    return Edit(at, 1 + vertex);
}

bool vdDocument::ListedViewport(std::uint32_t block, const Entity& viewport) const {
    // A layout's own overall viewport belongs to the layout, not its list.
    const auto& d = *drawing_;
    const auto index = viewport.geom.extra.index;
    return !(d.blocks[block].IsPaperSpace() && index < d.viewports.size() && d.viewports[index].id == 1);
}

vdDocument::Cursor& vdDocument::CursorOf(std::uint32_t block) {
    if (cursors_.size() <= block) cursors_.resize(block + 1);
    return cursors_[block];
}

std::uint32_t vdDocument::DefaultLayer() const {
    auto l = drawing_->FindLayer(drawing_->header.currentLayer);
    return l == kNone ? 0 : l;
}

EntityLocation vdDocument::AppendMembers(std::uint32_t block, const std::vector<Entity>& members) {
    auto& d = Drawing();
    EntityLocation at{block, static_cast<std::uint32_t>(d.blocks.at(block).entities.size())};
    for (Entity e : members) {
        e.flags &= static_cast<std::uint8_t>(~(cad::kEntityPaperSpace | cad::kEntityDeleted));
        d.AppendEntity(block, e);
    }
    return at;
}

bool vdDocument::IsFilled(EntityLocation at) const {
    at = Resolve(at);
    if (at.block == kNone) return free_[at.pos].filled;
    return fills_.count(drawing_->blocks[at.block].entities[at.pos]) != 0;
}

void vdDocument::SetFill(EntityLocation polyline, bool on) {
    polyline = Resolve(polyline);
    if (polyline.block == kNone) {
        free_[polyline.pos].filled = on;
        return;
    }
    auto& d = Drawing();
    auto head = d.blocks[polyline.block].entities[polyline.pos];
    auto it = fills_.find(head);
    if (!on) {
        if (it != fills_.end()) {
            d.entities[it->second].flags |= cad::kEntityDeleted;
            fills_.erase(it);
        }
        return;
    }
    if (it != fills_.end()) {
        RefreshFill(polyline);
        return;
    }
    const Entity& p = d.entities[head];
    Entity h;
    h.type = EntityType::Hatch;
    h.handle = d.NewHandle();
    h.layer = p.layer;
    h.colour = p.colour;
    h.geom.extra.index = static_cast<std::uint32_t>(d.hatches.size());
    cad::HatchData data;
    data.elevation = p.geom.polyline.elevation;
    d.hatches.push_back(std::move(data));
    auto hatch = d.AppendEntity(polyline.block, h);
    fills_.emplace(head, hatch);
    fillHatches_.insert(hatch);
    RefreshFill(polyline);
}

void vdDocument::RefreshFill(EntityLocation polyline) {
    polyline = Resolve(polyline);
    if (polyline.block == kNone) return;
    auto& d = Drawing();
    auto it = fills_.find(d.blocks[polyline.block].entities[polyline.pos]);
    if (it == fills_.end()) return;
    auto& boundary = d.hatches[d.entities[it->second].geom.extra.index].boundary;
    boundary.clear();
    auto n = VertexCountOf(polyline);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto& p = VertexAt(polyline, i, n).geom.vertex.pos;
        boundary.push_back({p.x, p.y, 0});
    }
    // The boundary closes itself: a repeated first point is dropped.
    if (boundary.size() > 2 && boundary.front().x == boundary.back().x && boundary.front().y == boundary.back().y)
        boundary.pop_back();
    // Fewer than three corners enclose nothing: the fill is left out of the file.
    auto& hatchEntity = d.entities[it->second];
    if (boundary.size() < 3) hatchEntity.flags |= cad::kEntityDeleted;
    else hatchEntity.flags &= static_cast<std::uint8_t>(~cad::kEntityDeleted);
}

} // namespace ostrel::trim
