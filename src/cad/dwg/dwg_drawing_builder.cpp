#include "cad/dwg/dwg_drawing_builder.h"

#include <algorithm>
#include <cstdint>

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

    // Linetypes: ByBlock and ByLayer first, then the table's entries.
    std::unordered_map<Handle, std::uint32_t> ltIndex;
    auto addLinetype = [&](Handle h) {
        auto it = o.linetypes.find(h);
        if (it == o.linetypes.end() || ltIndex.count(h)) return;
        ltIndex[h] = d.AddLinetype(it->second);
    };
    addLinetype(hh.ltByBlock);
    addLinetype(hh.ltByLayer);
    if (const DecodedControl* c = FindControl(o, hh.linetypeControl)) {
        for (Handle h : c->extra) addLinetype(h);
        for (Handle h : c->entries) addLinetype(h);
    }
    const std::uint32_t continuous = IndexOf(ltIndex, hh.ltContinuous);
    const std::uint32_t byLayer = IndexOf(ltIndex, hh.ltByLayer);
    const std::uint32_t byBlock = IndexOf(ltIndex, hh.ltByBlock);

    std::unordered_map<Handle, std::uint32_t> layerIndex;
    if (const DecodedControl* c = FindControl(o, hh.layerControl)) {
        for (Handle h : c->entries) {
            auto it = o.layers.find(h);
            if (it == o.layers.end()) continue;
            Layer l = it->second.layer;
            std::uint32_t lt = IndexOf(ltIndex, it->second.linetype);
            l.linetype = (lt == continuous) ? kNone : lt;
            auto idx = d.AddLayer(std::move(l));
            if (idx != kNone) layerIndex[h] = idx;
        }
    }
    if (d.layers.empty()) throw CadError("DWG: the drawing has no layer table");
    if (auto cl = IndexOf(layerIndex, hh.currentLayer); cl != kNone) d.header.currentLayer = d.layers[cl].name;

    std::unordered_map<Handle, std::uint32_t> styleIndex;
    if (const DecodedControl* c = FindControl(o, hh.styleControl)) {
        for (Handle h : c->entries) {
            auto it = o.styles.find(h);
            if (it == o.styles.end()) continue;
            styleIndex[h] = d.AddStyle(it->second);
        }
    }
    TakeRecords(o.simple, o, hh.appidControl, d.appids);
    TakeRecords(o.simple, o, hh.viewControl, d.views);
    TakeRecords(o.simple, o, hh.ucsControl, d.ucss);
    TakeRecords(o.simple, o, hh.dimstyleControl, d.dimstyles);
    std::unordered_map<Handle, std::uint32_t> dimstyleIndex;
    for (std::uint32_t i = 0; i < d.dimstyles.size(); ++i) dimstyleIndex[d.dimstyles[i].handle] = i;
    TakeRecords(o.vports, o, hh.vportControl, d.vports);

    // Blocks: the two spaces first, then the table's entries.
    std::unordered_map<Handle, std::uint32_t> blockIndex;
    std::unordered_map<Handle, std::pair<std::uint32_t, bool>> blockEnds;   // BLOCK/ENDBLK handle -> block, is begin
    // The file names anonymous blocks by their kind only ("*D", "*U") and
    // every layout's block "*Paper_Space": such a name gains the record's
    // place in the block table, as readers spell them in DXF ("*D3",
    // "*Paper_Space0").
    auto addBlock = [&](Handle h, std::size_t place) {
        auto it = o.blocks.find(h);
        if (it == o.blocks.end() || blockIndex.count(h)) return;
        BlockRecord b = it->second.record;
        const bool bare = (b.name.size() == 2 && b.name[0] == '*') || (b.name == "*Paper_Space" && h != hh.paperSpace);
        if (bare && place != SIZE_MAX) b.name += std::to_string(place);
        auto idx = d.AddBlock(std::move(b));
        if (idx == kNone) {                 // a name given twice: its entities have no block
            d.CountObjectNotRead("BLOCK_RECORD");
            return;
        }
        blockIndex[h] = idx;
        blockEnds[it->second.blockEntity] = {idx, true};
        blockEnds[it->second.endEntity] = {idx, false};
    };
    addBlock(hh.modelSpace, SIZE_MAX);
    addBlock(hh.paperSpace, SIZE_MAX);
    if (const DecodedControl* c = FindControl(o, hh.blockControl)) {
        for (Handle h : c->extra) addBlock(h, SIZE_MAX);
        for (std::size_t i = 0; i < c->entries.size(); ++i) addBlock(c->entries[i], i);
    }
    const std::uint32_t model = IndexOf(blockIndex, hh.modelSpace);
    const std::uint32_t paper = IndexOf(blockIndex, hh.paperSpace);
    if (model == kNone) throw CadError("DWG: the drawing has no *Model_Space block");

    // Entities in file order; VERTEX and SEQEND follow their polyline.
    // Decoded in file order already; other readers' files may need the sort.
    auto byOffset = [](const DecodedEntity& a, const DecodedEntity& b) { return a.offset < b.offset; };
    if (!std::is_sorted(o.entities.begin(), o.entities.end(), byOffset))
        std::stable_sort(o.entities.begin(), o.entities.end(), byOffset);
    GroupMembers(o.entities);
    const RecordIndexes records{styleIndex, blockIndex, dimstyleIndex};
    // POLYLINE and INSERT entities by handle: the block their members join.
    std::unordered_map<Handle, std::uint32_t> polylineBlock;
    std::vector<std::uint32_t> viewportCount(d.blocks.size(), 0);
    std::vector<bool> paperBlock(d.blocks.size());
    for (std::size_t i = 0; i < d.blocks.size(); ++i) paperBlock[i] = d.blocks[i].IsPaperSpace();
    d.entities.reserve(o.entities.size());
    for (auto& de : o.entities) {
        Entity e = de.e;
        std::uint32_t block = kNone;
        if (e.type == EntityType::Block || e.type == EntityType::EndBlk) {
            auto it = blockEnds.find(e.handle);
            if (it == blockEnds.end()) {
                d.CountNotRead(EntityTypeName(e.type));
                continue;
            }
            block = it->second.first;
        } else if (de.mode == 2) {
            block = model;
        } else if (de.mode == 1) {
            block = paper;
        } else if (IsMember(e.type)) {
            block = IndexOf(polylineBlock, de.owner);
            // An INSERT's SEQEND closes its attributes: none kept, none closed.
            if (e.type == EntityType::SeqEnd && !d.entities.empty() && d.entities.back().type == EntityType::Insert &&
                d.entities.back().handle == de.owner)
                block = kNone;
        } else {
            block = IndexOf(blockIndex, de.owner);
        }
        if (block == kNone) {               // no place in the drawing (an attribute list's SEQEND)
            d.CountNotRead(EntityTypeName(e.type));
            continue;
        }

        std::uint32_t layer = IndexOf(layerIndex, de.layer);
        e.layer = layer == kNone ? 0 : layer;
        switch (de.linetypeFlags) {
        case 0: e.linetype = kNone; break;
        case 1: e.linetype = byBlock; break;
        case 2: e.linetype = continuous; break;
        default: e.linetype = IndexOf(ltIndex, de.linetype); break;
        }
        if (e.linetype == byLayer) e.linetype = kNone;
        if (!LinkEntity(e, de, records, o)) {
            d.CountNotRead(EntityTypeName(e.type));
            continue;
        }
        if (e.type == EntityType::Viewport) {
            auto& v = o.viewports.at(e.geom.extra.index);
            v.id = static_cast<std::int16_t>(++viewportCount[block]);
            if (v.status != 0) v.status = v.id;
        }
        if (IsMember(e.type) && de.owner != 0) {
            // Owned by its polyline or insert, read just before: appended directly, as
            // searching back through a long vertex list for each would be slow.
            e.owner = de.owner;
            if (paperBlock[block]) e.flags |= kEntityPaperSpace;
            d.blocks[block].entities.push_back(static_cast<std::uint32_t>(d.entities.size()));
            d.entities.push_back(e);
            continue;
        }
        d.AppendEntity(block, e);
        if (e.type == EntityType::Polyline || e.type == EntityType::Insert) polylineBlock[e.handle] = block;
    }
    d.viewports = std::move(o.viewports);
    d.hatches = std::move(o.hatches);
    d.lwpolylines = std::move(o.lwpolylines);
    d.splines = std::move(o.splines);
    d.attributes = std::move(o.attributes);
    d.dimensions = std::move(o.dimensions);
    for (const auto& [kind, count] : o.notRead) d.notRead[kind] += count;
    for (const auto& [kind, count] : o.objectsNotRead) d.objectsNotRead[kind] += count;

    // Objects: the named object dictionary first, then file order.
    auto objectOffset = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(o.objects.begin(), o.objects.end(), objectOffset))
        std::stable_sort(o.objects.begin(), o.objects.end(), objectOffset);
    for (auto& [offset, obj] : o.objects)
        if (obj.handle == d.rootDictionary) d.AddObject(obj);
    for (auto& [offset, obj] : o.objects)
        if (obj.handle != d.rootDictionary) d.AddObject(std::move(obj));

    d.RebuildIndexes();
    if (hh.handSeed > 0) d.ReserveHandle(hh.handSeed - 1);
    return dp;
}

} // namespace ostrel::cad::dwg
