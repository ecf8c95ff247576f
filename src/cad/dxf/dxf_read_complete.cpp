// Completes a drawing read from a DXF file so that any writer can save it:
// objects nobody reaches are left out and references to left-out objects
// removed; records without a handle (R12) or with a handle already taken get
// new handles; the standard records, dictionaries and layouts every drawing
// holds are made when the file lacked them; owners are set from the blocks.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "cad/dxf/dxf_read_context.h"

namespace ostrel::cad {

namespace {

bool IsDictionary(const Object& o) {
    return o.type == ObjectType::Dictionary || o.type == ObjectType::DictionaryWithDefault;
}

// Keeps the objects reachable from the root dictionary, root first.
void KeepReachableObjects(Drawing& d) {
    std::unordered_map<Handle, std::uint32_t> byHandle;
    for (std::uint32_t i = 0; i < d.objects.size(); ++i) byHandle.emplace(d.objects[i].handle, i);
    auto root = byHandle.find(d.rootDictionary);
    if (d.rootDictionary == 0 || root == byHandle.end() || !IsDictionary(d.objects[root->second])) {
        d.objects.clear();
        d.rootDictionary = 0;
        return;
    }
    std::vector<std::uint32_t> order{root->second};
    std::unordered_map<Handle, Handle> parent{{d.rootDictionary, 0}};
    for (std::size_t k = 0; k < order.size(); ++k) {
        const auto& o = d.objects[order[k]];
        if (!IsDictionary(o)) continue;
        auto visit = [&](Handle target) {
            auto it = byHandle.find(target);
            if (it == byHandle.end() || parent.count(target)) return;
            parent.emplace(target, o.handle);
            order.push_back(it->second);
        };
        for (auto& e : o.entries) visit(e.target);
        if (o.defaultEntry) visit(o.defaultEntry);
    }
    std::vector<Object> kept;
    kept.reserve(order.size());
    std::sort(order.begin() + 1, order.end());
    for (auto i : order) kept.push_back(std::move(d.objects[i]));
    for (auto& o : kept) {
        auto keptHandle = [&](Handle h) { return parent.count(h) != 0; };
        std::erase_if(o.entries, [&](const DictEntry& e) { return !keptHandle(e.target); });
        if (o.defaultEntry && !keptHandle(o.defaultEntry)) o.defaultEntry = 0;
        std::erase_if(o.reactors, [&](Handle h) { return !keptHandle(h); });
        Handle p = parent[o.handle];
        if (o.handle == d.rootDictionary) o.owner = 0;
        else if (!keptHandle(o.owner)) o.owner = p;
        if (o.owner != 0 && std::find(o.reactors.begin(), o.reactors.end(), o.owner) == o.reactors.end() &&
            o.type != ObjectType::Dictionary)
            o.reactors.push_back(o.owner);
    }
    d.objects = std::move(kept);
}

[[noreturn]] void ThrowSharedHandle(Handle h) {
    throw CadError(std::string("object handle ") + HandleText(h) + " is also held by another record (damaged file)");
}

// Gives every record a handle of its own: records without one and the later
// holders of a repeated handle get new handles.
void AssignHandles(Drawing& d) {
    std::vector<Handle*> slots;
    slots.reserve(d.entities.size() + d.layers.size() + d.objects.size() + 64);
    auto& c = d.controls;
    for (Handle* h : {&c.block, &c.layer, &c.style, &c.linetype, &c.view, &c.ucs, &c.vport, &c.appid, &c.dimstyle,
                      &c.vx})
        slots.push_back(h);
    for (auto& r : d.layers) slots.push_back(&r.handle);
    for (auto& r : d.linetypes) slots.push_back(&r.handle);
    for (auto& r : d.styles) slots.push_back(&r.handle);
    for (auto* v : {&d.appids, &d.views, &d.ucss, &d.dimstyles})
        for (auto& r : *v) slots.push_back(&r.handle);
    for (auto& r : d.vports) slots.push_back(&r.handle);
    for (auto& r : d.blocks) slots.push_back(&r.handle);
    if (d.rootDictionary != 0) slots.push_back(&d.rootDictionary);
    for (auto& o : d.objects)
        if (o.handle != d.rootDictionary) slots.push_back(&o.handle);
    for (auto& e : d.entities) slots.push_back(&e.handle);

    std::vector<Handle> values;
    values.reserve(slots.size());
    for (auto* s : slots)
        if (*s != 0) values.push_back(*s);
    std::sort(values.begin(), values.end());
    std::vector<Handle> repeated;
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] == values[i - 1] && (repeated.empty() || repeated.back() != values[i]))
            repeated.push_back(values[i]);
    for (auto v : values) d.ReserveHandle(v);
    // Dictionaries name their objects by handle: an object that shares its
    // handle with another record cannot be told apart from it.
    auto sharedObjectHandle = [&](Handle h) { return std::binary_search(repeated.begin(), repeated.end(), h); };
    if (sharedObjectHandle(d.rootDictionary)) ThrowSharedHandle(d.rootDictionary);
    for (auto& o : d.objects)
        if (sharedObjectHandle(o.handle)) ThrowSharedHandle(o.handle);

    std::unordered_set<Handle> seen;
    for (auto* s : slots) {
        if (*s == 0) {
            *s = d.NewHandle();
        } else if (std::binary_search(repeated.begin(), repeated.end(), *s)) {
            if (!seen.insert(*s).second) *s = d.NewHandle();
        }
    }
}

Object NewObject(Drawing& d, ObjectType type, Handle owner) {
    Object o;
    o.type = type;
    o.handle = d.NewHandle();
    o.owner = owner;
    if (owner != 0) o.reactors.push_back(owner);
    return o;
}

// The dictionary named in the root, made (with the given type) when absent.
Handle EnsureRootEntry(Drawing& d, const char* name, ObjectType type) {
    auto& root = d.Root();
    for (auto& e : root.entries) {
        if (e.name != name) continue;
        const Object* target = d.ObjectByHandle(e.target);
        if (!target || !IsDictionary(*target))
            throw CadError(std::string("the root dictionary's entry ") + name + " names " + HandleText(e.target) +
                           ", which is not a dictionary (damaged file)");
        return e.target;
    }
    Object o = NewObject(d, type, d.rootDictionary);
    Handle h = o.handle;
    d.Root().entries.push_back({name, h});
    d.AddObject(std::move(o));
    return h;
}

void EnsureStandardObjects(Drawing& d) {
    if (d.rootDictionary == 0) {
        Object root;
        root.type = ObjectType::Dictionary;
        root.handle = d.NewHandle();
        d.rootDictionary = root.handle;
        d.objects.insert(d.objects.begin(), std::move(root));
    }
    d.RebuildIndexes();
    EnsureRootEntry(d, "ACAD_GROUP", ObjectType::Dictionary);
    EnsureRootEntry(d, "ACAD_LAYOUT", ObjectType::Dictionary);
    Handle mline = EnsureRootEntry(d, "ACAD_MLINESTYLE", ObjectType::Dictionary);
    EnsureRootEntry(d, "ACAD_PLOTSETTINGS", ObjectType::Dictionary);
    Handle pstyles = EnsureRootEntry(d, "ACAD_PLOTSTYLENAME", ObjectType::DictionaryWithDefault);

    auto* ml = d.ObjectByHandle(mline);
    bool standardStyle = false;
    for (auto& e : ml->entries) {
        auto* s = d.ObjectByHandle(e.target);
        if (s && s->type == ObjectType::MLineStyle && FoldName(e.name) == "STANDARD") standardStyle = true;
    }
    if (!standardStyle) {
        Object s = NewObject(d, ObjectType::MLineStyle, mline);
        s.name = "Standard";
        d.ObjectByHandle(mline)->entries.push_back({"Standard", s.handle});
        d.AddObject(std::move(s));
    }

    auto* ps = d.ObjectByHandle(pstyles);
    ps->type = ObjectType::DictionaryWithDefault;
    Handle normal = 0;
    for (auto& e : ps->entries) {
        auto* o = d.ObjectByHandle(e.target);
        if (o && o->type == ObjectType::Placeholder && e.name == "Normal") normal = e.target;
    }
    if (normal == 0) {
        Object n = NewObject(d, ObjectType::Placeholder, pstyles);
        normal = n.handle;
        d.ObjectByHandle(pstyles)->entries.push_back({"Normal", normal});
        d.AddObject(std::move(n));
    }
    ps = d.ObjectByHandle(pstyles);
    auto* def = d.ObjectByHandle(ps->defaultEntry);
    if (!def || def->type != ObjectType::Placeholder) ps->defaultEntry = normal;

    for (auto& layer : d.layers) {
        auto* o = d.ObjectByHandle(layer.plotStyle);
        if (!o || o->type != ObjectType::Placeholder) layer.plotStyle = ps->defaultEntry;
    }
}

Handle LayoutDictionary(Drawing& d) {
    for (auto& e : d.Root().entries)
        if (e.name == "ACAD_LAYOUT") return e.target;
    return 0;
}

// Layouts whose block is missing (or is no space) are left out; a space
// block takes the first layout naming it when its own does not.
void DropLayoutsWithoutBlock(Drawing& d) {
    std::vector<Handle> dropped;
    for (auto& o : d.objects) {
        if (o.type != ObjectType::Layout) continue;
        auto b = d.FindBlockByHandle(o.layout->blockRecord);
        if (b == kNone || !(d.blocks[b].IsModelSpace() || d.blocks[b].IsPaperSpace())) {
            dropped.push_back(o.handle);
            continue;
        }
        auto& block = d.blocks[b];
        auto* current = d.ObjectByHandle(block.layout);
        if (!current || current->type != ObjectType::Layout || current->layout->blockRecord != block.handle)
            block.layout = o.handle;
    }
    if (dropped.empty()) return;
    std::erase_if(d.objects, [&](const Object& o) {
        return std::find(dropped.begin(), dropped.end(), o.handle) != dropped.end();
    });
    for (auto& o : d.objects)
        std::erase_if(o.entries, [&](const DictEntry& e) {
            return std::find(dropped.begin(), dropped.end(), e.target) != dropped.end();
        });
    d.RebuildIndexes();
}

// A new LAYOUT for a space block that has none: "Model", or the first
// free name of the form LayoutN with the next tab.
Object NewLayoutFor(Drawing& d, const BlockRecord& block, Handle dictHandle, std::int16_t& nextTab) {
    Object lo = NewObject(d, ObjectType::Layout, dictHandle);
    lo.layout = std::make_shared<LayoutData>();
    lo.layout->blockRecord = block.handle;
    if (block.IsModelSpace()) {
        lo.layout->name = "Model";
        lo.layout->tabOrder = 0;
        lo.layout->plotFlags = 1712;
        lo.layout->limMax[0] = 12;
        lo.layout->limMax[1] = 9;
        return lo;
    }
    for (int n = 1;; ++n) {
        std::string name = "Layout" + std::to_string(n);
        auto* dict = d.ObjectByHandle(dictHandle);
        bool taken = std::any_of(dict->entries.begin(), dict->entries.end(),
                                 [&](const DictEntry& e) { return FoldName(e.name) == FoldName(name); });
        if (!taken) {
            lo.layout->name = name;
            break;
        }
    }
    lo.layout->tabOrder = nextTab++;
    return lo;
}

// A layout's last viewport must be a viewport of its own block.
void CheckLastViewports(Drawing& d) {
    std::unordered_map<Handle, std::uint32_t> viewports;
    for (std::uint32_t i = 0; i < d.entities.size(); ++i)
        if (d.entities[i].type == EntityType::Viewport) viewports.emplace(d.entities[i].handle, i);
    for (auto& o : d.objects) {
        if (o.type != ObjectType::Layout) continue;
        auto it = viewports.find(o.layout->lastViewport);
        auto b = d.FindBlockByHandle(o.layout->blockRecord);
        bool ok = it != viewports.end() && b != kNone &&
                  std::find(d.blocks[b].entities.begin(), d.blocks[b].entities.end(), it->second) !=
                      d.blocks[b].entities.end();
        if (!ok) o.layout->lastViewport = 0;
    }
}

void LinkLayouts(Drawing& d) {
    Handle dictHandle = LayoutDictionary(d);
    DropLayoutsWithoutBlock(d);
    std::int16_t nextTab = 1;
    for (auto& o : d.objects)
        if (o.type == ObjectType::Layout && o.layout->tabOrder >= nextTab)
            nextTab = static_cast<std::int16_t>(o.layout->tabOrder + 1);
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b) {
        auto& block = d.blocks[b];
        bool space = block.IsModelSpace() || block.IsPaperSpace();
        auto* current = d.ObjectByHandle(block.layout);
        bool linked = current && current->type == ObjectType::Layout && current->layout->blockRecord == block.handle;
        if (!space) {
            block.layout = 0;
            continue;
        }
        if (linked) continue;
        Object lo = NewLayoutFor(d, block, dictHandle, nextTab);
        d.blocks[b].layout = lo.handle;
        d.ObjectByHandle(dictHandle)->entries.push_back({lo.layout->name, lo.handle});
        d.AddObject(std::move(lo));
    }
    CheckLastViewports(d);
}

void EnsureStandardRecords(Drawing& d) {
    auto has = [](const std::vector<SimpleRecord>& v, const char* name) {
        return std::any_of(v.begin(), v.end(), [&](const SimpleRecord& r) { return FoldName(r.name) == FoldName(name); });
    };
    if (!has(d.appids, "ACAD")) d.appids.insert(d.appids.begin(), SimpleRecord{"ACAD", d.NewHandle(), 0});
    if (!has(d.dimstyles, "Standard")) d.dimstyles.push_back(SimpleRecord{"Standard", d.NewHandle(), 0});
    bool active = std::any_of(d.vports.begin(), d.vports.end(),
                              [](const VportRecord& v) { return FoldName(v.name) == "*ACTIVE"; });
    if (!active) {
        VportRecord v;
        v.handle = d.NewHandle();
        v.viewCenter = {210, 148.5, 0};
        v.viewHeight = 297;
        d.vports.push_back(v);
    }
    if (d.FindLayer(d.header.currentLayer) == kNone) d.header.currentLayer.assign(1, '0');
}

// The paper-space flag follows the blocks: set exactly on the entities of
// a paper space.
void SetPaperSpaceFlags(Drawing& d) {
    for (auto& b : d.blocks) {
        const bool paper = b.IsPaperSpace();
        for (auto idx : b.entities) {
            auto& e = d.entities[idx];
            if (paper) e.flags |= kEntityPaperSpace;
            else e.flags &= static_cast<std::uint8_t>(~kEntityPaperSpace);
        }
    }
}

} // namespace

void CompleteDrawing(DxfReadContext& ctx) {
    auto& d = ctx.d;
    FinishTables(ctx);
    EnsureSpaceBlocks(ctx);
    if (ctx.handleSeed > 0) d.ReserveHandle(ctx.handleSeed - 1);
    KeepReachableObjects(d);
    AssignHandles(d);
    d.RebuildIndexes();
    EnsureStandardObjects(d);
    LinkLayouts(d);
    EnsureStandardRecords(d);
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b) d.EnsureBlockEnds(b);
    SetPaperSpaceFlags(d);
    d.RebuildIndexes();
}

} // namespace ostrel::cad
