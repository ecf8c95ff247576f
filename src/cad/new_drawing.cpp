// The content every drawing file must hold, made for a new drawing and
// completed in one that lacks some of it.
#include <algorithm>
#include <utility>

#include "cad/drawing.h"
#include "cad/render_styles.h"

namespace ostrel::cad {

namespace {

Object* ObjectAt(Drawing& d, Handle h) { return d.ObjectByHandle(h); }

// The entry of a dictionary that names an object of the given type, or 0.
Handle EntryOfType(Drawing& d, Handle dict, std::string_view name, ObjectType type) {
    auto* o = ObjectAt(d, dict);
    if (!o) return 0;
    for (auto& e : o->entries) {
        if (e.name != name) continue;
        auto* target = ObjectAt(d, e.target);
        if (target && target->type == type) return e.target;
    }
    return 0;
}

Handle AddOwnedObject(Drawing& d, ObjectType type, Handle owner, std::string_view entryName) {
    Object o;
    o.type = type;
    o.handle = d.NewHandle();
    o.owner = owner;
    o.reactors.push_back(owner);
    Handle h = o.handle;
    d.AddObject(std::move(o));
    ObjectAt(d, owner)->entries.push_back({std::string(entryName), h});
    return h;
}

// The named entry of the root dictionary, made when missing.
Handle EnsureRootEntry(Drawing& d, std::string_view name, ObjectType type) {
    Handle h = EntryOfType(d, d.rootDictionary, name, type);
    if (h) return h;
    auto* root = ObjectAt(d, d.rootDictionary);
    // A stale entry of that name (wrong type or missing target) is replaced.
    auto& entries = root->entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const DictEntry& e) { return e.name == name; }),
                  entries.end());
    return AddOwnedObject(d, type, d.rootDictionary, name);
}

std::string UniqueLayoutName(Drawing& d, Handle layoutDict) {
    auto* dict = ObjectAt(d, layoutDict);
    for (int n = 1;; ++n) {
        std::string name = "Layout" + std::to_string(n);
        bool used = false;
        for (auto& e : dict->entries) used = used || FoldName(e.name) == FoldName(name);
        if (!used) return name;
    }
}

std::int16_t NextTabOrder(Drawing& d) {
    std::int16_t tab = 0;
    for (auto& o : d.objects)
        if (o.type == ObjectType::Layout && o.layout) tab = std::max<std::int16_t>(tab, o.layout->tabOrder);
    return static_cast<std::int16_t>(tab + 1);
}

Handle MakeLayout(Drawing& d, std::uint32_t block, Handle layoutDict) {
    auto& b = d.blocks[block];
    auto data = std::make_shared<LayoutData>();
    data->blockRecord = b.handle;
    if (b.IsModelSpace()) {
        // Model layout: no paper, limits follow the drawing.
        data->name = "Model";
        data->tabOrder = 0;
        data->layoutFlags = 1;
        data->plotFlags = 1712;
        data->limMax[0] = 12;
        data->limMax[1] = 9;
    } else {
        data->name = UniqueLayoutName(d, layoutDict);
        data->tabOrder = NextTabOrder(d);
    }
    Object lo;
    lo.type = ObjectType::Layout;
    lo.handle = d.NewHandle();
    lo.owner = layoutDict;
    lo.reactors.push_back(layoutDict);
    lo.layout = data;
    Handle h = lo.handle;
    std::string name = data->name;
    d.AddObject(std::move(lo));
    // Layouts are listed as AutoCAD lists them: paper layouts first, "Model" last.
    auto& entries = ObjectAt(d, layoutDict)->entries;
    if (b.IsModelSpace()) entries.push_back({name, h});
    else {
        auto model = std::find_if(entries.begin(), entries.end(), [](const DictEntry& e) { return e.name == "Model"; });
        entries.insert(model, {name, h});
    }
    d.blocks[block].layout = h;
    return h;
}

std::uint32_t EnsureSpace(Drawing& d, const char* name) {
    auto bi = d.FindBlock(name);
    if (bi == kNone) {
        BlockRecord b;
        b.name = name;
        b.handle = d.NewHandle();
        bi = d.AddBlock(b);
    }
    d.EnsureBlockEnds(bi);
    return bi;
}

// Each layout block (model space, paper spaces) has exactly one LAYOUT,
// which names it back; other blocks have none. LAYOUT objects no block
// names are removed with their dictionary entries.
void LinkLayouts(Drawing& d, Handle layoutDict) {
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        auto& b = d.blocks[bi];
        const bool space = b.IsModelSpace() || b.IsPaperSpace();
        auto* lo = ObjectAt(d, b.layout);
        if (!space) {
            b.layout = 0;
            continue;
        }
        if (lo && lo->type == ObjectType::Layout) {
            if (!lo->layout) lo->layout = std::make_shared<LayoutData>();
            lo->layout->blockRecord = b.handle;
            continue;
        }
        b.layout = 0;
        for (auto& o : d.objects)
            if (o.type == ObjectType::Layout && o.layout && o.layout->blockRecord == b.handle) b.layout = o.handle;
        if (!b.layout) MakeLayout(d, bi, layoutDict);
    }
    std::vector<Handle> linked;
    for (auto& b : d.blocks)
        if (b.layout) linked.push_back(b.layout);
    std::vector<Handle> stale;
    for (auto& o : d.objects)
        if (o.type == ObjectType::Layout && std::find(linked.begin(), linked.end(), o.handle) == linked.end())
            stale.push_back(o.handle);
    if (stale.empty()) return;
    auto isStale = [&](Handle h) { return std::find(stale.begin(), stale.end(), h) != stale.end(); };
    for (auto& o : d.objects) {
        auto& entries = o.entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const DictEntry& e) { return isStale(e.target); }),
                      entries.end());
    }
    d.objects.erase(std::remove_if(d.objects.begin(), d.objects.end(), [&](const Object& o) { return isStale(o.handle); }),
                    d.objects.end());
    d.RebuildIndexes();
}

// The annotation scales a current drawing lists (ACAD_SCALELIST), under the
// keys the leading program gives them.
struct StandardScale {
    const char* key;
    const char* name;
    double paper, drawing;
};
constexpr StandardScale kStandardScales[] = {
    {"A0", "1:1", 1, 1},     {"A1", "1:2", 1, 2},     {"A2", "1:4", 1, 4},   {"A3", "1:5", 1, 5},
    {"A4", "1:8", 1, 8},     {"A5", "1:10", 1, 10},   {"A6", "1:16", 1, 16}, {"A7", "1:20", 1, 20},
    {"A8", "1:30", 1, 30},   {"A9", "1:40", 1, 40},   {"B0", "1:50", 1, 50}, {"B1", "1:100", 1, 100},
    {"B2", "2:1", 2, 1},     {"B3", "4:1", 4, 1},     {"B4", "8:1", 8, 1},   {"B5", "10:1", 10, 1},
    {"B6", "100:1", 100, 1},
};

// The settings a current drawing keeps in AcDbVariableDictionary, with the
// values of a new drawing (the header's own HIDETEXT and DIMASSOC among them).
// Settings that name styles this database does not hold are left out (the
// current multileader and table styles come with those styles).
constexpr std::pair<const char*, const char*> kDrawingVariables[] = {
    {"CANNOSCALE", "1:1"},   {"DIMASSOC", "2"},       {"HIDETEXT", "1"},    {"LAYEREVAL", "1"},
    {"LAYERNOTIFY", "15"},   {"LIGHTINGUNITS", "0"},  {"MSLTSCALE", "0"},   {"PROJECTNAME", ""},
    {"TEXTJUSTIFY", "Align"},
};

void EnsureLinetypes(Drawing& d) {
    for (const char* name : {"ByBlock", "ByLayer", "Continuous"}) {
        if (d.FindLinetype(name) != kNone) continue;
        Linetype lt;
        lt.name = name;
        lt.handle = d.NewHandle();
        if (std::string_view(name) == "Continuous") lt.description = "Solid line";
        d.AddLinetype(lt);
    }
}

void EnsureRootDictionary(Drawing& d) {
    if (d.rootDictionary == 0) d.rootDictionary = d.NewHandle();
    if (!ObjectAt(d, d.rootDictionary) || ObjectAt(d, d.rootDictionary)->type != ObjectType::Dictionary) {
        Object root;
        root.type = ObjectType::Dictionary;
        root.handle = ObjectAt(d, d.rootDictionary) ? d.NewHandle() : d.rootDictionary;
        d.rootDictionary = root.handle;
        d.AddObject(std::move(root));
    }
    ObjectAt(d, d.rootDictionary)->owner = 0;
}

// ACAD_PLOTSTYLENAME with its "Normal" placeholder as the default; returns "Normal".
Handle EnsurePlotStyles(Drawing& d) {
    const Handle pstyles = EnsureRootEntry(d, "ACAD_PLOTSTYLENAME", ObjectType::DictionaryWithDefault);
    Handle normal = EntryOfType(d, pstyles, "Normal", ObjectType::Placeholder);
    if (!normal) normal = AddOwnedObject(d, ObjectType::Placeholder, pstyles, "Normal");
    if (!ObjectAt(d, ObjectAt(d, pstyles)->defaultEntry)) ObjectAt(d, pstyles)->defaultEntry = normal;
    return normal;
}

void EnsureMLineStyle(Drawing& d, Handle mlineDict) {
    if (EntryOfType(d, mlineDict, "Standard", ObjectType::MLineStyle)) return;
    Handle h = AddOwnedObject(d, ObjectType::MLineStyle, mlineDict, "Standard");
    ObjectAt(d, h)->name = "Standard";
}

// The colour book dictionary (empty), the scale list (filled when it has no
// scales) and the drawing settings dictionary (each missing setting added).
void EnsureDrawingSettings(Drawing& d) {
    EnsureRootEntry(d, "ACAD_COLOR", ObjectType::Dictionary);
    const Handle scales = EnsureRootEntry(d, "ACAD_SCALELIST", ObjectType::Dictionary);
    if (ObjectAt(d, scales)->entries.empty()) {
        for (const auto& sc : kStandardScales) {
            Object* o = ObjectAt(d, AddOwnedObject(d, ObjectType::Scale, scales, sc.key));
            o->name = sc.name;
            o->paperUnits = sc.paper;
            o->drawingUnits = sc.drawing;
            o->unitScale = sc.paper == 1 && sc.drawing == 1;
        }
    }
    const Handle vars = EnsureRootEntry(d, "AcDbVariableDictionary", ObjectType::Dictionary);
    for (const auto& [name, value] : kDrawingVariables) {
        if (EntryOfType(d, vars, name, ObjectType::DictionaryVar)) continue;
        ObjectAt(d, AddOwnedObject(d, ObjectType::DictionaryVar, vars, name))->value = value;
    }
}

// The style's references that name no record of their kind go to the
// standard ones (ByBlock linetype, Standard text style; no block).
void RepairStyleReferences(Drawing& d, Object& o, Handle byBlock, Handle standardText) {
    const auto fields = o.type == ObjectType::MLeaderStyle ? MLeaderStyleFields() : TableStyleFields();
    if (o.style.size() != fields.size()) o.style = StandardStyleValues(fields, byBlock, standardText);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        Handle& h = o.style[i].handle;
        bool found = false;
        switch (fields[i].kind) {
        case StyleFieldKind::Linetype:
            for (const auto& lt : d.linetypes) found = found || lt.handle == h;
            if (!found) h = byBlock;
            break;
        case StyleFieldKind::TextStyle:
            for (const auto& st : d.styles) found = found || st.handle == h;
            if (!found) h = standardText;
            break;
        case StyleFieldKind::Block:
            for (const auto& b : d.blocks) found = found || b.handle == h;
            if (!found) h = 0;
            break;
        default: break;
        }
    }
}

// ACAD_MLEADERSTYLE and ACAD_TABLESTYLE with their "Standard" styles, made
// current in AcDbVariableDictionary (its entries kept in name order), and
// the application that names a multileader style's version.
void EnsureAnnotationStyles(Drawing& d) {
    const Handle byBlock = d.linetypes[d.FindLinetype("ByBlock")].handle;
    const Handle standardText = d.styles[d.FindStyle("Standard")].handle;
    const Handle vars = EnsureRootEntry(d, "AcDbVariableDictionary", ObjectType::Dictionary);
    for (ObjectType type : {ObjectType::MLeaderStyle, ObjectType::TableStyle}) {
        const bool mleader = type == ObjectType::MLeaderStyle;
        const Handle dict = EnsureRootEntry(d, mleader ? "ACAD_MLEADERSTYLE" : "ACAD_TABLESTYLE", ObjectType::Dictionary);
        if (!EntryOfType(d, dict, "Standard", type)) AddOwnedObject(d, type, dict, "Standard");
        const char* current = mleader ? "CMLEADERSTYLE" : "CTABLESTYLE";
        if (EntryOfType(d, vars, current, ObjectType::DictionaryVar)) continue;
        ObjectAt(d, AddOwnedObject(d, ObjectType::DictionaryVar, vars, current))->value = "STANDARD";
        auto& entries = ObjectAt(d, vars)->entries;
        std::stable_sort(entries.begin(), entries.end(), [](const DictEntry& a, const DictEntry& b) { return a.name < b.name; });
    }
    for (auto& o : d.objects)
        if (o.type == ObjectType::MLeaderStyle || o.type == ObjectType::TableStyle)
            RepairStyleReferences(d, o, byBlock, standardText);
    if (std::none_of(d.appids.begin(), d.appids.end(), [](const SimpleRecord& a) { return a.name == kMLeaderVersionApp; }))
        d.appids.push_back({kMLeaderVersionApp, d.NewHandle(), 0});
}

// Adds each standard object of a dictionary that lacks one of its name;
// a dictionary it added to lists its entries by name.
template <class Data>
void EnsureNamedObjects(Drawing& d, Handle dict, ObjectType type, const std::vector<Data>& standard,
                        std::shared_ptr<Data> Object::*field) {
    bool added = false;
    for (const auto& data : standard) {
        const std::string& name = data.Name();
        if (EntryOfType(d, dict, name, type)) continue;
        ObjectAt(d, AddOwnedObject(d, type, dict, name))->*field = std::make_shared<Data>(data);
        added = true;
    }
    if (!added) return;
    auto& entries = ObjectAt(d, dict)->entries;
    std::stable_sort(entries.begin(), entries.end(), [](const DictEntry& a, const DictEntry& b) { return a.name < b.name; });
}

// The materials ByLayer, ByBlock and Global and the standard visual styles.
void EnsureRenderStyles(Drawing& d) {
    EnsureNamedObjects(d, EnsureRootEntry(d, "ACAD_MATERIAL", ObjectType::Dictionary), ObjectType::Material,
                       StandardMaterials(), &Object::material);
    EnsureNamedObjects(d, EnsureRootEntry(d, "ACAD_VISUALSTYLE", ObjectType::Dictionary), ObjectType::VisualStyle,
                       StandardVisualStyles(Release::R2018), &Object::visualStyle);
}

void EnsureTableRecords(Drawing& d, Handle normalPlotStyle) {
    if (d.FindLayer("0") == kNone) {
        Layer zero;
        zero.name = "0";
        zero.handle = d.NewHandle();
        zero.colour = 7;
        zero.plotStyle = normalPlotStyle;
        d.AddLayer(zero);
    }
    if (d.FindStyle("Standard") == kNone) {
        TextStyle standard;
        standard.name = "Standard";
        standard.handle = d.NewHandle();
        d.AddStyle(standard);
    }
    auto has = [](const std::vector<SimpleRecord>& v, std::string_view name) {
        return std::any_of(v.begin(), v.end(), [&](const SimpleRecord& r) { return FoldName(r.name) == FoldName(name); });
    };
    if (!has(d.appids, "ACAD")) d.appids.push_back({"ACAD", d.NewHandle(), 0});
    if (!has(d.dimstyles, "Standard")) d.dimstyles.push_back({"Standard", d.NewHandle(), 0});
    if (d.vports.empty()) {
        VportRecord active;
        active.handle = d.NewHandle();
        active.viewCenter = {210, 148.5, 0};
        active.viewHeight = 297;
        d.vports.push_back(active);
    }
}

// All of it but the multileader and table styles, which a new drawing gets
// when first saved: their handles then follow those of its records and
// entities.
void EnsureBaseContent(Drawing& d) {
    EnsureLinetypes(d);
    EnsureRootDictionary(d);
    EnsureRootEntry(d, "ACAD_GROUP", ObjectType::Dictionary);
    const Handle layoutDict = EnsureRootEntry(d, "ACAD_LAYOUT", ObjectType::Dictionary);
    const Handle mlineDict = EnsureRootEntry(d, "ACAD_MLINESTYLE", ObjectType::Dictionary);
    EnsureRootEntry(d, "ACAD_PLOTSETTINGS", ObjectType::Dictionary);
    const Handle normal = EnsurePlotStyles(d);
    EnsureMLineStyle(d, mlineDict);
    EnsureTableRecords(d, normal);
    EnsureSpace(d, "*Model_Space");
    EnsureSpace(d, "*Paper_Space");
    LinkLayouts(d, layoutDict);
    EnsureDrawingSettings(d);
    EnsureRenderStyles(d);
}

} // namespace

void EnsureStandardContent(Drawing& d) {
    EnsureBaseContent(d);
    EnsureAnnotationStyles(d);
}

std::unique_ptr<Drawing> NewDrawing() {
    auto dp = std::make_unique<Drawing>();
    dp->RebuildIndexes();  // reserves the fixed control and root dictionary handles
    EnsureBaseContent(*dp);
    return dp;
}

} // namespace ostrel::cad
