// Layouts: count, a new layout with its block and LAYOUT object, and the
// current layout.
#include "trim/vd_layouts.h"

#include <algorithm>
#include <memory>


namespace ostrel::trim {

using cad::kNone;

namespace {

cad::Object* LayoutDictionary(cad::Drawing& d) {
    auto* root = d.ObjectByHandle(d.rootDictionary);
    if (!root) return nullptr;
    for (auto& e : root->entries)
        if (e.name == "ACAD_LAYOUT") return d.ObjectByHandle(e.target);
    return nullptr;
}

bool IsPaperLayout(const cad::Drawing& d, const cad::Object& o) {
    if (o.type != cad::ObjectType::Layout || !o.layout) return false;
    auto b = d.FindBlockByHandle(o.layout->blockRecord);
    return b != kNone && d.blocks[b].IsPaperSpace();
}

} // namespace

std::string vdLayout::Name() const {
    auto* o = store_->Drawing().ObjectByHandle(object_);
    return o && o->layout ? o->layout->name : std::string();
}

std::uint32_t vdLayout::Block() const {
    if (!store_) return kNone;
    auto& d = store_->Drawing();
    auto* o = d.ObjectByHandle(object_);
    return o && o->layout ? d.FindBlockByHandle(o->layout->blockRecord) : kNone;
}

vdEntities vdLayout::Entities() const { return vdEntities(store_, Block()); }

std::int32_t vdLayouts::Count() const {
    const auto& d = store_->Drawing();
    return static_cast<std::int32_t>(
        std::count_if(d.objects.begin(), d.objects.end(), [&](const cad::Object& o) { return IsPaperLayout(d, o); }));
}

vdLayout vdLayouts::Add(const std::string& name) {
    auto& d = store_->Drawing();
    auto* dict = LayoutDictionary(d);
    if (!dict) throw cad::CadError("the drawing has no layout dictionary");
    for (const auto& o : d.objects)
        if (o.type == cad::ObjectType::Layout && o.layout && cad::FoldName(o.layout->name) == cad::FoldName(name))
            throw cad::CadError("a layout named " + name + " exists already");
    const cad::Handle dictHandle = dict->handle;

    // The block: the first free *Paper_SpaceN.
    std::string blockName;
    for (int n = 0;; ++n) {
        blockName = "*Paper_Space" + std::to_string(n);
        if (d.FindBlock(blockName) == kNone) break;
    }
    cad::BlockRecord rec;
    rec.name = blockName;
    rec.handle = d.NewHandle();
    auto block = d.AddBlock(rec);
    d.EnsureBlockEnds(block);

    cad::Object lo;
    lo.type = cad::ObjectType::Layout;
    lo.handle = d.NewHandle();
    lo.owner = dictHandle;
    lo.reactors.push_back(dictHandle);
    lo.layout = std::make_shared<cad::LayoutData>();
    lo.layout->name = name;
    lo.layout->blockRecord = d.blocks[block].handle;
    std::int16_t tab = 1;
    for (const auto& o : d.objects)
        if (o.type == cad::ObjectType::Layout && o.layout && o.layout->tabOrder >= tab)
            tab = static_cast<std::int16_t>(o.layout->tabOrder + 1);
    lo.layout->tabOrder = tab;

    // The layout's own overall viewport (id 1), over the paper.
    cad::Entity vp;
    vp.type = cad::EntityType::Viewport;
    vp.handle = d.NewHandle();
    auto layer = d.FindLayer(d.header.currentLayer);
    vp.layer = layer == kNone ? 0 : layer;
    cad::ViewportData view;
    const auto& paper = *lo.layout;
    view.center = {paper.paperWidth / 2, paper.paperHeight / 2, 0};
    view.width = paper.paperWidth;
    view.height = paper.paperHeight;
    view.viewCenter = view.center;
    view.viewHeight = paper.paperHeight;
    view.id = 1;
    vp.geom.extra.index = static_cast<std::uint32_t>(d.viewports.size());
    d.viewports.push_back(view);
    d.AppendEntity(block, vp);
    lo.layout->lastViewport = vp.handle;

    const cad::Handle layoutHandle = lo.handle;
    d.blocks[block].layout = layoutHandle;
    d.ObjectByHandle(dictHandle)->entries.push_back({name, layoutHandle});
    d.AddObject(std::move(lo));
    return vdLayout(store_, layoutHandle);
}

void SetActiveLayout(cad::Drawing& d, std::uint32_t block) {
    auto& target = d.blocks.at(block);
    if (!target.IsPaperSpace()) throw cad::CadError("only a paper-space layout can be made current");
    d.header.tileMode = 0;
    auto current = d.PaperSpace();
    if (current == block) return;
    const std::string oldName = target.name;
    if (current != kNone) d.RenameBlock(current, "*Paper_Space*swap");
    d.RenameBlock(block, "*Paper_Space");
    if (current != kNone) d.RenameBlock(current, oldName);
}

} // namespace ostrel::trim
