// The store under the trim engine's views: the drawing it holds, the
// checkpoint and its record of edits, locations and members of entities,
// free copies, fills and list cursors.
#include "trim/entity_store.h"

#include <algorithm>
#include <string>

namespace ostrel::trim {

using cad::Entity;
using cad::EntityType;
using cad::kNone;

EntityStore::EntityStore() = default;
EntityStore::~EntityStore() = default;

void EntityStore::Forget() {
    saved_.reset();
    cursors_.clear();
    free_.clear();
    fills_.clear();
    fillHatches_.clear();
}

void EntityStore::Hold(std::unique_ptr<cad::Drawing> drawing) {
    Forget();
    drawing_ = std::move(drawing);
}

std::unique_ptr<cad::Drawing> EntityStore::Take() {
    auto drawing = std::move(drawing_);
    Forget();
    return drawing;
}

cad::Drawing& EntityStore::Drawing() {
    if (!drawing_) throw cad::CadError("no drawing is open");
    return *drawing_;
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

void EntityStore::Checkpoint(bool normalised) {
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
    saved->normalised = normalised;
    saved_ = std::move(saved);
}

bool EntityStore::Rollback() {
    if (!saved_ || !drawing_) return false;
    auto& d = *drawing_;
    Bulk bulk(d);
    bulk.entities.resize(saved_->entityCount);
    bulk.text.resize(saved_->textSize);
    for (auto& [index, entity] : saved_->edited) bulk.entities[index] = entity;
    d = std::move(saved_->rest);
    bulk.PutBack(d);
    Forget();
    return true;
}

cad::NormalisedBefore EntityStore::SinceCheckpoint() const {
    if (!saved_ || !saved_->normalised || !drawing_) return {};
    // Edits keep an entity's handle; one that did not leaves nothing known.
    for (const auto& [index, entity] : saved_->edited)
        if (index >= drawing_->entities.size() || drawing_->entities[index].handle != entity.handle) return {};
    return {&saved_->rest, saved_->entityCount, saved_->textSize, &saved_->editedIndexes};
}

EntityLocation EntityStore::Resolve(EntityLocation at) const {
    if (at.block != kNone) return at;
    if (at.pos >= free_.size()) throw cad::CadError("unknown entity");
    const auto& f = free_[at.pos];
    return f.placed.block != kNone ? f.placed : at;
}

std::uint32_t EntityStore::MemberCount(EntityLocation at) const {
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

Entity& EntityStore::Member(EntityLocation at, std::uint32_t k) {
    at = Resolve(at);
    if (at.block == kNone) return free_[at.pos].members.at(k);
    auto& d = Drawing();
    const auto& list = d.blocks.at(at.block).entities;
    return d.entities[list.at(at.pos + k)];
}

Entity& EntityStore::Edit(EntityLocation at, std::uint32_t k) {
    at = Resolve(at);
    if (at.block == kNone || !saved_) return Member(at, k);
    auto& d = Drawing();
    const auto index = d.blocks.at(at.block).entities.at(at.pos + k);
    if (index < saved_->entityCount && saved_->editedIndexes.insert(index).second)
        saved_->edited.emplace_back(index, d.entities[index]);
    return d.entities[index];
}

std::uint32_t EntityStore::VertexCountOf(EntityLocation at) const {
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

Entity& EntityStore::VertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count) {
    if (vertex >= count)
        throw cad::CadError("vertex " + std::to_string(vertex) + " out of range");
    return Member(at, 1 + vertex);
}

Entity& EntityStore::EditVertexAt(EntityLocation at, std::uint32_t vertex, std::uint32_t count) {
    if (vertex >= count)
        throw cad::CadError("vertex " + std::to_string(vertex) + " out of range");
    return Edit(at, 1 + vertex);
}

bool EntityStore::ListedViewport(std::uint32_t block, const Entity& viewport) const {
    // A layout's own overall viewport belongs to the layout, not its list.
    const auto& d = *drawing_;
    const auto index = viewport.geom.extra.index;
    return !(d.blocks[block].IsPaperSpace() && index < d.viewports.size() && d.viewports[index].id == 1);
}

EntityStore::Cursor& EntityStore::CursorOf(std::uint32_t block) {
    if (cursors_.size() <= block) cursors_.resize(block + 1);
    return cursors_[block];
}

std::uint32_t EntityStore::DefaultLayer() const {
    auto l = drawing_->FindLayer(drawing_->header.currentLayer);
    return l == kNone ? 0 : l;
}

EntityLocation EntityStore::AddFree(FreeEntity copy) {
    free_.push_back(std::move(copy));
    return EntityLocation{kNone, static_cast<std::uint32_t>(free_.size() - 1)};
}

EntityLocation EntityStore::AppendMembers(std::uint32_t block, const std::vector<Entity>& members) {
    auto& d = Drawing();
    EntityLocation at{block, static_cast<std::uint32_t>(d.blocks.at(block).entities.size())};
    for (Entity e : members) {
        e.flags &= static_cast<std::uint8_t>(~(cad::kEntityPaperSpace | cad::kEntityDeleted));
        d.AppendEntity(block, e);
    }
    return at;
}

bool EntityStore::IsFilled(EntityLocation at) const {
    at = Resolve(at);
    if (at.block == kNone) return free_[at.pos].filled;
    return fills_.count(drawing_->blocks[at.block].entities[at.pos]) != 0;
}

void EntityStore::SetFill(EntityLocation polyline, bool on) {
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

void EntityStore::RefreshFill(EntityLocation polyline) {
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

void EntityStore::PutFillsUnderOutlines(std::vector<cad::BlockRecord>& blocks) const {
    if (fills_.empty()) return;
    for (auto& b : blocks) {
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

} // namespace ostrel::trim
