#include "cad/dwg/dwg_drawing_builder.h"

#include <algorithm>
#include <cstdint>

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
        } else if (e.type == EntityType::Vertex || e.type == EntityType::SeqEnd) {
            block = IndexOf(polylineBlock, de.owner);
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
        if (e.type == EntityType::Text) {
            std::uint32_t st = IndexOf(styleIndex, de.ref);
            e.geom.text.style = st == kNone ? 0 : st;
        } else if (e.type == EntityType::Insert) {
            e.geom.insert.block = IndexOf(blockIndex, de.ref);
            if (e.geom.insert.block == kNone) {
                d.CountNotRead(EntityTypeName(e.type));
                continue;
            }
        } else if (e.type == EntityType::Viewport) {
            auto& v = o.viewports.at(e.geom.extra.index);
            v.id = static_cast<std::int16_t>(++viewportCount[block]);
            if (v.status != 0) v.status = v.id;
        }
        if ((e.type == EntityType::Vertex || e.type == EntityType::SeqEnd) && de.owner != 0) {
            // Owned by its polyline, read just before: appended directly, as
            // searching back through a long vertex list for each would be slow.
            e.owner = de.owner;
            if (paperBlock[block]) e.flags |= kEntityPaperSpace;
            d.blocks[block].entities.push_back(static_cast<std::uint32_t>(d.entities.size()));
            d.entities.push_back(e);
            continue;
        }
        d.AppendEntity(block, e);
        if (e.type == EntityType::Polyline) polylineBlock[e.handle] = block;
    }
    d.viewports = std::move(o.viewports);
    d.hatches = std::move(o.hatches);
    d.lightweightPolylines = o.lightweightPolylines;
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
