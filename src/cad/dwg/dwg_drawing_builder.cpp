#include "cad/dwg/dwg_drawing_builder.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cad/dwg/dwg_entity_kinds.h"

namespace ostrel::cad::dwg {

namespace {

const DecodedControl* FindControl(const DecodedObjects& o, Handle h) {
    auto it = o.controls.find(h);
    return it == o.controls.end() ? nullptr : &it->second;
}

template <class Map, class Out>
void TakeRecords(Map& records, const DecodedObjects& o, Handle control, std::vector<Out>& out) {
    const DecodedControl* c = FindControl(o, control);
    if (!c) return;
    for (Handle h : c->entries) {
        auto it = records.find(h);
        if (it != records.end()) out.push_back(it->second);
    }
}

std::uint32_t IndexOf(const std::unordered_map<Handle, std::uint32_t>& m, Handle h) {
    auto it = m.find(h);
    return it == m.end() ? kNone : it->second;
}

using IndexByHandle = std::unordered_map<Handle, std::uint32_t>;

// Entities that follow the POLYLINE or INSERT owning them.
bool IsMember(EntityType t) { return t == EntityType::Vertex || t == EntityType::Attrib || t == EntityType::SeqEnd; }

// Whether every member follows its owner, SEQEND last (as our files and most
// others keep them).
bool MembersFollowOwners(const std::vector<DecodedEntity>& v) {
    Handle open = 0;
    for (const auto& de : v) {
        if (!IsMember(de.e.type)) {
            open = de.e.handle;
        } else if (de.owner != open) {
            return false;
        } else if (de.e.type == EntityType::SeqEnd) {
            open = 0;
        }
    }
    return true;
}

// Moves the members of each POLYLINE and INSERT to right after it, in file
// order with their SEQEND last: a file need not keep them together. Members
// whose owner is absent stay where they are (and are not read).
void GroupMembers(std::vector<DecodedEntity>& v) {
    if (MembersFollowOwners(v)) return;
    std::unordered_map<Handle, std::size_t> owners;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (!IsMember(v[i].e.type)) owners.emplace(v[i].e.handle, i);
    std::unordered_map<Handle, std::vector<std::size_t>> members;
    for (std::size_t i = 0; i < v.size(); ++i)
        if (IsMember(v[i].e.type) && owners.count(v[i].owner)) members[v[i].owner].push_back(i);
    std::vector<DecodedEntity> out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (IsMember(v[i].e.type) && owners.count(v[i].owner)) continue;
        out.push_back(std::move(v[i]));
        auto it = members.find(out.back().e.handle);
        if (it == members.end() || IsMember(out.back().e.type)) continue;
        std::stable_partition(it->second.begin(), it->second.end(),
                              [&v](std::size_t m) { return v[m].e.type != EntityType::SeqEnd; });
        for (std::size_t m : it->second) out.push_back(std::move(v[m]));
    }
    v = std::move(out);
}

// Builds the drawing from what the decoder gathered, one kind of record at
// a time: tables, blocks, entities, objects. The maps from handles to the
// database's indexes let later kinds resolve their references.
class Builder {
public:
    Builder(DecodedObjects& o, const HeaderHandles& hh, Drawing& d) : o_(o), hh_(hh), d_(d) {}

    void Linetypes();
    void Layers();
    void OtherTables();
    void Blocks();
    void Entities();
    void Objects();

private:
    void AddBlock(Handle h, std::size_t place);
    bool ResolveReferences(const DecodedEntity& de, Entity& e, std::uint32_t block);
    std::uint32_t BlockOf(const DecodedEntity& de) const;

    DecodedObjects& o_;
    const HeaderHandles& hh_;
    Drawing& d_;
    IndexByHandle ltIndex_, layerIndex_, styleIndex_, blockIndex_, dimstyleIndex_;
    std::unordered_map<Handle, std::pair<std::uint32_t, bool>> blockEnds_;   // BLOCK/ENDBLK handle -> block, is begin
    std::uint32_t continuous_ = kNone, byLayer_ = kNone, byBlock_ = kNone;
    IndexByHandle ownerBlock_;          // POLYLINE and INSERT by handle: the block their members join
    std::uint32_t model_ = kNone, paper_ = kNone;
    std::vector<std::uint32_t> viewportCount_;
};

// Linetypes: ByBlock and ByLayer first, then the table's entries.
void Builder::Linetypes() {
    auto add = [&](Handle h) {
        auto it = o_.linetypes.find(h);
        if (it == o_.linetypes.end() || ltIndex_.count(h)) return;
        ltIndex_[h] = d_.AddLinetype(it->second);
    };
    add(hh_.ltByBlock);
    add(hh_.ltByLayer);
    if (const DecodedControl* c = FindControl(o_, hh_.linetypeControl)) {
        for (Handle h : c->extra) add(h);
        for (Handle h : c->entries) add(h);
    }
    continuous_ = IndexOf(ltIndex_, hh_.ltContinuous);
    byLayer_ = IndexOf(ltIndex_, hh_.ltByLayer);
    byBlock_ = IndexOf(ltIndex_, hh_.ltByBlock);
}

void Builder::Layers() {
    if (const DecodedControl* c = FindControl(o_, hh_.layerControl)) {
        for (Handle h : c->entries) {
            auto it = o_.layers.find(h);
            if (it == o_.layers.end()) continue;
            Layer l = it->second.layer;
            std::uint32_t lt = IndexOf(ltIndex_, it->second.linetype);
            l.linetype = (lt == continuous_) ? kNone : lt;
            auto idx = d_.AddLayer(std::move(l));
            if (idx != kNone) layerIndex_[h] = idx;
        }
    }
    if (d_.layers.empty()) throw CadError("DWG: the drawing has no layer table");
    if (auto cl = IndexOf(layerIndex_, hh_.currentLayer); cl != kNone) d_.header.currentLayer = d_.layers[cl].name;
}

void Builder::OtherTables() {
    if (const DecodedControl* c = FindControl(o_, hh_.styleControl)) {
        for (Handle h : c->entries) {
            auto it = o_.styles.find(h);
            if (it != o_.styles.end()) styleIndex_[h] = d_.AddStyle(it->second);
        }
    }
    TakeRecords(o_.simple, o_, hh_.appidControl, d_.appids);
    TakeRecords(o_.simple, o_, hh_.viewControl, d_.views);
    TakeRecords(o_.simple, o_, hh_.ucsControl, d_.ucss);
    TakeRecords(o_.simple, o_, hh_.dimstyleControl, d_.dimstyles);
    for (std::uint32_t i = 0; i < d_.dimstyles.size(); ++i) dimstyleIndex_[d_.dimstyles[i].handle] = i;
    TakeRecords(o_.vports, o_, hh_.vportControl, d_.vports);
}

// The file names anonymous blocks by their kind only ("*D", "*U") and
// every layout's block "*Paper_Space": such a name gains the record's
// place in the block table, as readers spell them in DXF ("*D3",
// "*Paper_Space0").
void Builder::AddBlock(Handle h, std::size_t place) {
    auto it = o_.blocks.find(h);
    if (it == o_.blocks.end() || blockIndex_.count(h)) return;
    BlockRecord b = it->second.record;
    const bool bare = (b.name.size() == 2 && b.name[0] == '*') || (b.name == "*Paper_Space" && h != hh_.paperSpace);
    if (bare && place != SIZE_MAX) b.name += std::to_string(place);
    auto idx = d_.AddBlock(std::move(b));
    if (idx == kNone) {                 // a name given twice: its entities have no block
        d_.CountObjectNotRead("BLOCK_RECORD");
        return;
    }
    blockIndex_[h] = idx;
    blockEnds_[it->second.blockEntity] = {idx, true};
    blockEnds_[it->second.endEntity] = {idx, false};
}

// Blocks: the two spaces first, then the table's entries.
void Builder::Blocks() {
    AddBlock(hh_.modelSpace, SIZE_MAX);
    AddBlock(hh_.paperSpace, SIZE_MAX);
    if (const DecodedControl* c = FindControl(o_, hh_.blockControl)) {
        for (Handle h : c->extra) AddBlock(h, SIZE_MAX);
        for (std::size_t i = 0; i < c->entries.size(); ++i) AddBlock(c->entries[i], i);
    }
    if (IndexOf(blockIndex_, hh_.modelSpace) == kNone) throw CadError("DWG: the drawing has no *Model_Space block");
}

// Layer, linetype, the records the kind refers to (text style, inserted
// block, dimension style), viewport number; false when the entity has no
// place in the drawing (an insert of a missing block).
bool Builder::ResolveReferences(const DecodedEntity& de, Entity& e, std::uint32_t block) {
    std::uint32_t layer = IndexOf(layerIndex_, de.layer);
    e.layer = layer == kNone ? 0 : layer;
    switch (de.linetypeFlags) {
    case 0: e.linetype = kNone; break;
    case 1: e.linetype = byBlock_; break;
    case 2: e.linetype = continuous_; break;
    default: e.linetype = IndexOf(ltIndex_, de.linetype); break;
    }
    if (e.linetype == byLayer_) e.linetype = kNone;
    if (!LinkEntity(e, de, RecordIndexes{styleIndex_, blockIndex_, dimstyleIndex_}, o_)) return false;
    if (e.type == EntityType::Viewport) {
        auto& v = o_.viewports.at(e.geom.extra.index);
        v.id = static_cast<std::int16_t>(++viewportCount_[block]);
        if (v.status != 0) v.status = v.id;
    }
    return true;
}

// The block an entity joins: its BLOCK/ENDBLK's, its space's, its owner's
// (members join their POLYLINE's or INSERT's block); kNone when none.
std::uint32_t Builder::BlockOf(const DecodedEntity& de) const {
    const Entity& e = de.e;
    if (e.type == EntityType::Block || e.type == EntityType::EndBlk) {
        auto it = blockEnds_.find(e.handle);
        return it == blockEnds_.end() ? kNone : it->second.first;
    }
    if (de.mode == 2) return model_;
    if (de.mode == 1) return paper_;
    if (IsMember(e.type)) {
        // An INSERT's SEQEND closes its attributes: none kept, none closed.
        if (e.type == EntityType::SeqEnd && !d_.entities.empty() && d_.entities.back().type == EntityType::Insert &&
            d_.entities.back().handle == de.owner)
            return kNone;
        return IndexOf(ownerBlock_, de.owner);
    }
    return IndexOf(blockIndex_, de.owner);
}

// Entities in file order; VERTEX, ATTRIB and SEQEND follow their owner.
void Builder::Entities() {
    // Decoded in file order already; other readers' files may need the sort.
    auto byOffset = [](const DecodedEntity& a, const DecodedEntity& b) { return a.offset < b.offset; };
    if (!std::is_sorted(o_.entities.begin(), o_.entities.end(), byOffset))
        std::stable_sort(o_.entities.begin(), o_.entities.end(), byOffset);
    GroupMembers(o_.entities);
    model_ = IndexOf(blockIndex_, hh_.modelSpace);
    paper_ = IndexOf(blockIndex_, hh_.paperSpace);
    viewportCount_.assign(d_.blocks.size(), 0);
    std::vector<bool> paperBlock(d_.blocks.size());
    for (std::size_t i = 0; i < d_.blocks.size(); ++i) paperBlock[i] = d_.blocks[i].IsPaperSpace();
    d_.entities.reserve(o_.entities.size());
    for (auto& de : o_.entities) {
        Entity e = de.e;
        const std::uint32_t block = BlockOf(de);
        // No place in the drawing (an attribute list's SEQEND, an unknown block's ends).
        if (block == kNone || !ResolveReferences(de, e, block)) {
            d_.CountNotRead(EntityTypeName(e.type));
            continue;
        }
        if (IsMember(e.type) && de.owner != 0) {
            // Owned by its polyline or insert, read just before: appended after it.
            if (paperBlock[block]) e.flags |= kEntityPaperSpace;
            d_.blocks[block].entities.push_back(static_cast<std::uint32_t>(d_.entities.size()));
            d_.entities.push_back(e);
            continue;
        }
        d_.AppendEntity(block, e);
        if (e.type == EntityType::Polyline || e.type == EntityType::Insert) ownerBlock_[e.handle] = block;
    }
    d_.viewports = std::move(o_.viewports);
    d_.hatches = std::move(o_.hatches);
    d_.lwpolylines = std::move(o_.lwpolylines);
    d_.splines = std::move(o_.splines);
    d_.attributes = std::move(o_.attributes);
    d_.dimensions = std::move(o_.dimensions);
    for (const auto& [kind, count] : o_.notRead) d_.notRead[kind] += count;
    for (const auto& [kind, count] : o_.objectsNotRead) d_.objectsNotRead[kind] += count;
}

// Objects: the named object dictionary first, then file order.
void Builder::Objects() {
    auto objectOffset = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(o_.objects.begin(), o_.objects.end(), objectOffset))
        std::stable_sort(o_.objects.begin(), o_.objects.end(), objectOffset);
    for (auto& [offset, obj] : o_.objects)
        if (obj.handle == d_.rootDictionary) d_.AddObject(obj);
    for (auto& [offset, obj] : o_.objects)
        if (obj.handle != d_.rootDictionary) d_.AddObject(std::move(obj));
}

} // namespace

std::unique_ptr<Drawing> BuildDrawing(DecodedObjects& o, const HeaderVars& vars, const HeaderHandles& hh,
                                      Release release) {
    auto dp = std::make_unique<Drawing>();
    Drawing& d = *dp;
    d.release = release;
    d.header = vars;
    d.controls = {hh.blockControl, hh.layerControl, hh.styleControl, hh.linetypeControl, hh.viewControl,
                  hh.ucsControl, hh.vportControl, hh.appidControl, hh.dimstyleControl, hh.vxControl};
    d.rootDictionary = hh.namedObjects;
    d.textPool = std::move(o.textPool);
    Builder b(o, hh, d);
    b.Linetypes();
    b.Layers();
    b.OtherTables();
    b.Blocks();
    b.Entities();
    b.Objects();
    d.RebuildIndexes();
    if (hh.handSeed > 0) d.ReserveHandle(hh.handSeed - 1);
    return dp;
}

} // namespace ostrel::cad::dwg
