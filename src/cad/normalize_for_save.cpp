// NormalizeForSave: brings a drawing into the shape every file format can
// hold before a writer walks it. Each step states the rule it applies.
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "cad/drawing.h"
#include "cad/entity_kinds.h"

namespace ostrel::cad {

namespace {

// Calls fn on every handle the file gives a record or object, in a fixed
// order: table controls, objects, table records, blocks.
template <typename D, typename Fn>
void ForEachRecordHandle(D& d, Fn fn) {
    auto& c = d.controls;
    for (auto* h : {&c.block, &c.layer, &c.style, &c.linetype, &c.view, &c.ucs, &c.vport, &c.appid, &c.dimstyle,
                    &c.vx})
        fn(*h);
    for (auto& o : d.objects) fn(o.handle);
    for (auto& r : d.layers) fn(r.handle);
    for (auto& r : d.linetypes) fn(r.handle);
    for (auto& r : d.styles) fn(r.handle);
    for (auto* v : {&d.appids, &d.views, &d.ucss, &d.dimstyles})
        for (auto& r : *v) fn(r.handle);
    for (auto& r : d.vports) fn(r.handle);
    for (auto& b : d.blocks) fn(b.handle);
}

// The same, then the entities'.
template <typename Fn>
void ForEachOwnHandle(Drawing& d, Fn fn) {
    ForEachRecordHandle(d, fn);
    for (auto& e : d.entities) fn(e.handle);
}

// True when the handles are all distinct and none is zero. Handles given
// out by the drawing lie close together: one bit per possible handle marks
// those seen, in one pass. Handles spread far apart are sorted instead.
bool DistinctNonZero(Drawing& d, std::size_t count, Handle lowest, Handle highest) {
    if (count == 0) return true;
    if (lowest == 0) return false;
    const Handle span = highest - lowest;
    if (span / 64 <= count + 4096) {
        std::vector<std::uint64_t> seen(static_cast<std::size_t>(span / 64) + 1, 0);
        bool distinct = true;
        ForEachOwnHandle(d, [&](Handle& h) {
            const Handle bit = h - lowest;
            std::uint64_t& word = seen[static_cast<std::size_t>(bit / 64)];
            const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
            if (word & mask) distinct = false;
            word |= mask;
        });
        return distinct;
    }
    std::vector<Handle> all;
    all.reserve(count);
    ForEachOwnHandle(d, [&](Handle& h) { all.push_back(h); });
    std::sort(all.begin(), all.end());
    return std::adjacent_find(all.begin(), all.end()) == all.end();
}

// One pass for the common case: handles given out by the drawing lie
// below its seed, and a seed not far above their number bounds a bitmap of
// them. True when every handle is non-zero, below the seed and distinct;
// false when that is not so or cannot be told this way.
bool DistinctBelowSeed(Drawing& d, std::size_t count) {
    const Handle seed = d.HandleSeed();
    if (seed == 0 || seed / 64 > count + 4096) return false;
    std::vector<std::uint64_t> seen(static_cast<std::size_t>(seed / 64) + 1, 0);
    bool clean = true;
    ForEachOwnHandle(d, [&](Handle& h) {
        const bool inside = h != 0 && h < seed;
        const Handle bit = inside ? h : 0;
        std::uint64_t& word = seen[static_cast<std::size_t>(bit / 64)];
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        clean = clean && inside && !(word & mask);
        word |= mask;
    });
    return clean;
}

// Handles: every one non-zero and unique, and the seed above all of them.
// A zero handle, or one an earlier record already uses, gets a fresh one
// (the earlier holder keeps it). The common case, all distinct and below
// the seed, costs one pass over the handles; otherwise two or three.
void RepairHandles(Drawing& d) {
    if (DistinctBelowSeed(d, d.entities.size() + d.objects.size())) return;
    std::size_t count = 0;
    Handle lowest = ~Handle{0}, highest = 0;
    ForEachOwnHandle(d, [&](Handle& h) {
        ++count;
        lowest = std::min(lowest, h);
        highest = std::max(highest, h);
    });
    if (count) d.ReserveHandle(highest);
    const bool clean = DistinctNonZero(d, count, lowest, highest);
    if (clean) return;
    const auto root = d.FindObject(d.rootDictionary);
    std::unordered_set<Handle> seen;
    seen.reserve(count * 2);
    ForEachOwnHandle(d, [&](Handle& h) {
        if (h == 0 || !seen.insert(h).second) {
            h = d.NewHandle();
            seen.insert(h);
        }
    });
    if (root != kNone) d.rootDictionary = d.objects[root].handle;
    d.RebuildIndexes();
}

bool Exists(const Drawing& d, Handle h) { return h != 0 && d.FindObject(h) != kNone; }

// Objects: each (but the named object dictionary) must hang below the
// named object dictionary through its owners; one that does not cannot be
// placed in the file and is removed. Dictionary entries, reactors, layer
// plot styles and the default of a dictionary-with-default that name no
// object are dropped.
void RepairObjects(Drawing& d) {
    const auto n = d.objects.size();
    std::vector<std::int8_t> state(n, 0);   // 0 unknown, 1 kept, -1 removed
    auto root = d.FindObject(d.rootDictionary);
    if (root != kNone) state[root] = 1;
    for (std::uint32_t i = 0; i < n; ++i) {
        std::vector<std::uint32_t> chain;
        std::uint32_t cur = i;
        std::int8_t verdict = -1;
        while (cur != kNone && chain.size() <= n) {
            if (state[cur] != 0) { verdict = state[cur]; break; }
            chain.push_back(cur);
            const auto& o = d.objects[cur];
            cur = o.owner ? d.FindObject(o.owner) : kNone;
        }
        for (auto c : chain) state[c] = verdict;
    }
    if (std::find(state.begin(), state.end(), -1) != state.end()) {
        std::vector<Object> kept;
        kept.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i)
            if (state[i] == 1) kept.push_back(std::move(d.objects[i]));
        d.objects = std::move(kept);
        d.RebuildIndexes();
    }
    for (auto& o : d.objects) {
        auto& r = o.reactors;
        r.erase(std::remove_if(r.begin(), r.end(), [&](Handle h) { return !Exists(d, h); }), r.end());
        auto& e = o.entries;
        e.erase(std::remove_if(e.begin(), e.end(), [&](const DictEntry& x) { return !Exists(d, x.target); }), e.end());
        if (o.type == ObjectType::DictionaryWithDefault && !Exists(d, o.defaultEntry))
            o.defaultEntry = o.entries.empty() ? 0 : o.entries.front().target;
    }
    for (auto& l : d.layers)
        if (l.plotStyle && !Exists(d, l.plotStyle)) l.plotStyle = 0;
}

// Entities and records refer to each other by index: an index that names
// nothing falls back to the default (layer "0", ByLayer); a colour outside
// 0..256 is by layer. The kind's own references and values are repaired by
// its rules (entity_kinds.cpp): an entity whose own data is missing, or
// that no reader takes, is removed.
void RepairReferences(Drawing& d, Entity& e, std::uint32_t zero) {
    if (e.layer >= d.layers.size()) e.layer = zero;
    if (e.linetype != kNone && e.linetype >= d.linetypes.size()) e.linetype = kNone;
    if (e.colour < 0 || e.colour > 256) e.colour = kColourByLayer;
}

bool Positive(double v) { return std::isfinite(v) && v > 0; }

// References and values in one pass over the entities; after changes to a
// normalised drawing (`since`), over the entities changed or added only.
void RepairEntities(Drawing& d, const NormalisedBefore* since = nullptr) {
    const auto zero = d.FindLayer("0");
    // assign(1, '0') rather than = "0": GCC 12 reports a false -Wrestrict on
    // the latter once optimised (bug 105329).
    if (d.FindLayer(d.header.currentLayer) == kNone) d.header.currentLayer.assign(1, '0');
    for (auto& l : d.layers)
        if (l.linetype != kNone && l.linetype >= d.linetypes.size()) l.linetype = kNone;
    const double textSize = Positive(d.header.textSize) ? d.header.textSize : 2.5;
    auto repair = [&](Entity& e) {
        RepairReferences(d, e, zero);
        if (!KindRepair(d, e, textSize)) e.flags |= kEntityDeleted;
    };
    if (!since) {
        for (auto& e : d.entities) repair(e);
        return;
    }
    for (auto i : *since->changed) repair(d.entities[i]);
    for (std::size_t i = since->entityCount; i < d.entities.size(); ++i) repair(d.entities[i]);
}

std::uint32_t AddSeqEnd(Drawing& d, const Entity& head) {
    Entity s;
    s.type = EntityType::SeqEnd;
    s.handle = d.NewHandle();
    s.layer = head.layer;
    s.flags = head.flags & kEntityPaperSpace;
    auto si = static_cast<std::uint32_t>(d.entities.size());
    d.entities.push_back(s);
    return si;
}

// The run a POLYLINE (its VERTEX entities) or an INSERT (its ATTRIB
// entities) opens in a block's list, while it is open.
struct OpenRun {
    std::uint32_t head = kNone;
    bool members = false;       // an ATTRIB was kept (an INSERT's SEQEND follows only then)
    bool Takes(const Drawing& d, EntityType member) const {
        if (head == kNone) return false;
        const bool polyline = d.entities[head].type == EntityType::Polyline;
        return member == EntityType::SeqEnd ? polyline || members : polyline == (member == EntityType::Vertex);
    }
    bool NeedsSeqEnd(const Drawing& d) const {
        return head != kNone && (members || d.entities[head].type == EntityType::Polyline);
    }
};

// The BLOCK and ENDBLK of a block, remade when their indexes name no entity
// of that kind.
void RepairBlockEnds(Drawing& d, std::uint32_t bi, bool paper) {
    auto& blk = d.blocks[bi];
    if (blk.beginEntity != kNone &&
        (blk.beginEntity >= d.entities.size() || d.entities[blk.beginEntity].type != EntityType::Block))
        blk.beginEntity = kNone;
    if (blk.endEntity != kNone &&
        (blk.endEntity >= d.entities.size() || d.entities[blk.endEntity].type != EntityType::EndBlk))
        blk.endEntity = kNone;
    d.EnsureBlockEnds(bi);
    for (auto end : {d.blocks[bi].beginEntity, d.blocks[bi].endEntity}) {
        auto& e = d.entities[end];
        e.geom.block.block = bi;
        e.flags = static_cast<std::uint8_t>(paper ? (e.flags | kEntityPaperSpace) : (e.flags & ~kEntityPaperSpace));
    }
}

// Block contents: every block has its BLOCK and ENDBLK; deleted entities,
// INSERTs of the block itself and entities listed before leave the list; a
// VERTEX, ATTRIB or SEQEND outside its POLYLINE or INSERT is dropped; a
// polyline (or an insert with attributes) left open gets its SEQEND (then
// every VERTEX, ATTRIB and SEQEND follows the entity opening its run, which
// owns it); VERTEX and SEQEND take their polyline's layer; every entity
// carries the paper-space flag exactly when the block is a paper space.
// The first `kept` entries of the list are known to need nothing.
void RepairBlockList(Drawing& d, std::uint32_t bi, bool paper, std::vector<bool>& listed, std::size_t kept) {
    // The list is rewritten in place: what is kept is written over what
    // has been read. Only an added SEQEND could overtake the reading;
    // from then on the rest goes to a list of its own, appended at the end.
    auto& list = d.blocks[bi].entities;
    const std::size_t count = list.size();
    for (std::size_t k = 0; k < kept; ++k) listed[list[k]] = true;
    std::size_t read = kept, written = kept;
    std::vector<std::uint32_t> spill;
    auto keep = [&](std::uint32_t idx) {
        if (spill.empty() && written < read) list[written++] = idx;
        else spill.push_back(idx);
    };
    OpenRun run;
    while (read < count) {
        const auto idx = list[read++];
        if (idx >= listed.size() || listed[idx]) continue;
        listed[idx] = true;
        auto& e = d.entities[idx];
        if (e.flags & kEntityDeleted) continue;
        if (e.type == EntityType::Insert && e.geom.insert.block == bi) continue;
        if (e.type == EntityType::Block || e.type == EntityType::EndBlk) continue;
        const auto flags = static_cast<std::uint8_t>(paper ? (e.flags | kEntityPaperSpace) : (e.flags & ~kEntityPaperSpace));
        if (e.flags != flags) e.flags = flags;     // an entity's memory is written only when it changes
        if (e.type == EntityType::Vertex || e.type == EntityType::Attrib || e.type == EntityType::SeqEnd) {
            if (!run.Takes(d, e.type)) continue;
            const auto& head = d.entities[run.head];
            if (e.type != EntityType::Attrib) e.layer = head.layer;
            run.members = run.members || e.type == EntityType::Attrib;
            keep(idx);
            if (e.type == EntityType::SeqEnd) run = OpenRun{};
            continue;
        }
        if (run.NeedsSeqEnd(d)) keep(AddSeqEnd(d, d.entities[run.head]));
        run = OpenRun{};
        const auto& cur = d.entities[idx];     // AddSeqEnd may have moved it
        if (cur.type == EntityType::Polyline || cur.type == EntityType::Insert) run.head = idx;
        keep(idx);
    }
    if (run.NeedsSeqEnd(d)) keep(AddSeqEnd(d, d.entities[run.head]));
    list.resize(written);
    list.insert(list.end(), spill.begin(), spill.end());
}

bool IsMember(EntityType t) { return t == EntityType::Vertex || t == EntityType::Attrib || t == EntityType::SeqEnd; }

// How much of a block's list needs no repair after changes to a normalised
// drawing: the list as it was, up to the first entity changed since
// (`changed`), less the run that entity stands in (from its POLYLINE or
// INSERT on). All of it when nothing in it changed; 0 when the list or its
// space differ, or an earlier list took one of its entities.
std::size_t UnchangedPrefix(const Drawing& d, const NormalisedBefore& since, std::uint32_t bi,
                            const std::vector<bool>& changed, const std::vector<bool>& listed) {
    const auto& before = since.before->blocks;
    if (bi >= before.size()) return 0;
    const auto& b = d.blocks[bi];
    if (b.handle != before[bi].handle || b.IsPaperSpace() != before[bi].IsPaperSpace() ||
        b.entities != before[bi].entities)
        return 0;
    const auto& list = b.entities;
    std::size_t end = 0;
    for (; end < list.size() && !changed[list[end]]; ++end)
        if (listed[list[end]]) return 0;
    if (end == list.size()) return end;
    while (end > 0 && IsMember(d.entities[list[end - 1]].type)) --end;
    return end > 0 ? end - 1 : 0;
}

// Every block's list; after changes to a normalised drawing whose entities
// are still repaired (`since`), what changed in them.
void RepairBlockLists(Drawing& d, const NormalisedBefore* since = nullptr) {
    // An entity belongs to one list once: a repeat (in the same block or
    // another) would be written twice under one handle.
    std::vector<bool> listed(d.entities.size(), false);
    std::vector<bool> changed;
    if (since) {
        changed.assign(since->entityCount, false);
        for (auto i : *since->changed)
            if (i < changed.size()) changed[i] = true;
    }
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        const bool paper = d.blocks[bi].IsPaperSpace();
        RepairBlockEnds(d, bi, paper);
        RepairBlockList(d, bi, paper, listed, since ? UnchangedPrefix(d, *since, bi, changed, listed) : 0);
    }
}

// A paper layout that holds viewports needs its own overall viewport (id 1,
// the sheet as a whole) as the first of them; the layout names it as its
// last active viewport.
void RepairPaperViewports(Drawing& d) {
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        auto& b = d.blocks[bi];
        if (!b.IsPaperSpace()) continue;
        auto* lo = d.ObjectByHandle(b.layout);
        LayoutData* layout = lo && lo->layout ? lo->layout.get() : nullptr;
        Handle overall = 0;
        bool any = false;
        for (auto idx : b.entities) {
            const auto& e = d.entities[idx];
            if (e.type != EntityType::Viewport) continue;
            any = true;
            if (!overall && d.viewports[e.geom.extra.index].id == 1) overall = e.handle;
        }
        if (any && !overall) {
            ViewportData v;
            const double w = layout ? layout->paperWidth : 420, h = layout ? layout->paperHeight : 297;
            v.center = {w / 2, h / 2, 0};
            v.width = w;
            v.height = h;
            v.viewCenter = v.center;
            v.viewHeight = h;
            v.id = 1;
            d.viewports.push_back(v);
            Entity e;
            e.type = EntityType::Viewport;
            e.handle = d.NewHandle();
            e.flags = kEntityPaperSpace;
            e.layer = d.FindLayer("0");
            e.geom.extra.index = static_cast<std::uint32_t>(d.viewports.size() - 1);
            auto ei = static_cast<std::uint32_t>(d.entities.size());
            d.entities.push_back(e);
            b.entities.insert(b.entities.begin(), ei);
            overall = e.handle;
        }
        if (layout) {
            bool valid = false;
            for (auto idx : b.entities)
                valid = valid || (d.entities[idx].type == EntityType::Viewport && d.entities[idx].handle == layout->lastViewport);
            if (!valid) layout->lastViewport = overall;
        }
    }
    for (auto& b : d.blocks) {
        if (b.IsPaperSpace()) continue;
        auto* lo = d.ObjectByHandle(b.layout);
        if (lo && lo->layout) lo->layout->lastViewport = 0;   // model space keeps no paper viewport
    }
}

// Whether the entities the normalised drawing had and that were not changed
// since are still as RepairEntities leaves them: nothing they may refer to
// has gone or turned invalid (tables, blocks and side data only grew; the
// blocks keep their spaces; side data valid then is valid now).
bool EntitiesStillRepaired(const Drawing& d, const NormalisedBefore& since) {
    const Drawing& b = *since.before;
    if (d.layers.size() < b.layers.size() || d.linetypes.size() < b.linetypes.size() ||
        d.styles.size() < b.styles.size() || d.blocks.size() < b.blocks.size() ||
        d.dimstyles.size() < b.dimstyles.size() || d.textPool.size() < since.textSize ||
        d.viewports.size() < b.viewports.size() || d.hatches.size() < b.hatches.size() ||
        d.lwpolylines.size() < b.lwpolylines.size() || d.splines.size() < b.splines.size() ||
        d.attributes.size() < b.attributes.size() || d.dimensions.size() < b.dimensions.size())
        return false;
    for (std::size_t i = 0; i < b.blocks.size(); ++i)
        if (d.blocks[i].IsModelSpace() != b.blocks[i].IsModelSpace() ||
            d.blocks[i].IsPaperSpace() != b.blocks[i].IsPaperSpace())
            return false;
    for (std::size_t i = 0; i < b.hatches.size(); ++i)
        if ((d.hatches[i].boundary.size() >= 3) != (b.hatches[i].boundary.size() >= 3)) return false;
    for (std::size_t i = 0; i < b.lwpolylines.size(); ++i)
        if (d.lwpolylines[i].vertices.empty() != b.lwpolylines[i].vertices.empty()) return false;
    auto pointless = [](const SplineData& s) { return s.controlPoints.empty() && s.fitPoints.empty(); };
    for (std::size_t i = 0; i < b.splines.size(); ++i)
        if (pointless(d.splines[i]) != pointless(b.splines[i])) return false;
    for (std::size_t i = 0; i < b.attributes.size(); ++i) {
        const auto& t = d.attributes[i].text;
        if (t.style >= d.styles.size() || !TextInPool(d, t.textOffset, t.textLength)) return false;
    }
    for (std::size_t i = 0; i < b.dimensions.size(); ++i) {
        const auto& m = d.dimensions[i];
        if ((m.block != kNone && m.block >= d.blocks.size()) || (m.dimstyle != kNone && m.dimstyle >= d.dimstyles.size()))
            return false;
    }
    return true;
}

// Whether every handle is non-zero, unique and below the seed, judged by the
// records' and the added entities' alone: the entities the normalised
// drawing had keep handles below its seed, unlike any of its records, so
// records must keep to its handles or take ones above its seed, as added
// entities must.
bool HandlesCleanSince(Drawing& d, const NormalisedBefore& since) {
    const Handle seed = since.before->HandleSeed();
    std::vector<Handle> then;
    ForEachRecordHandle(*since.before, [&](const Handle& h) { then.push_back(h); });
    std::sort(then.begin(), then.end());
    std::vector<Handle> now;
    bool kept = true;
    ForEachRecordHandle(d, [&](Handle& h) {
        kept = kept && (h >= seed || std::binary_search(then.begin(), then.end(), h));
        now.push_back(h);
    });
    for (std::size_t i = since.entityCount; i < d.entities.size(); ++i) {
        kept = kept && d.entities[i].handle >= seed;
        now.push_back(d.entities[i].handle);
    }
    if (!kept) return false;
    std::sort(now.begin(), now.end());
    return (now.empty() || (now.front() != 0 && now.back() < d.HandleSeed())) &&
           std::adjacent_find(now.begin(), now.end()) == now.end();
}

} // namespace

void NormalizeForSave(Drawing& d, const NormalisedBefore& since) {
    if (!since.before || !since.changed || d.entities.size() < since.entityCount || !HandlesCleanSince(d, since))
        return NormalizeForSave(d);
    RepairObjects(d);
    EnsureStandardContent(d);
    const NormalisedBefore* kept = EntitiesStillRepaired(d, since) ? &since : nullptr;
    RepairEntities(d, kept);
    RepairBlockLists(d, kept);
    RepairPaperViewports(d);
}

void NormalizeForSave(Drawing& d) {
    RepairHandles(d);
    RepairObjects(d);
    EnsureStandardContent(d);
    RepairEntities(d);
    RepairBlockLists(d);
    RepairPaperViewports(d);
}

} // namespace ostrel::cad
