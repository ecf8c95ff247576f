#include "cad/dwg/dwg_encode_context.h"

#include <algorithm>

#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

EncodeContext::EncodeContext(const Drawing& drawing, Release r) : d(drawing), release(r) {
    modelSpace = drawing.ModelSpace();
    paperSpace = drawing.PaperSpace();
    if (modelSpace == kNone) throw CadError("cannot write DWG: the drawing has no *Model_Space block");
    if (paperSpace == kNone) throw CadError("cannot write DWG: the drawing has no *Paper_Space block");
    modelSpaceHandle = drawing.blocks[modelSpace].handle;
    paperSpaceHandle = drawing.blocks[paperSpace].handle;
    ltByLayer = drawing.FindLinetype("ByLayer");
    ltByBlock = drawing.FindLinetype("ByBlock");
    ltContinuous = drawing.FindLinetype("Continuous");
    if (ltByLayer == kNone || ltByBlock == kNone || ltContinuous == kNone)
        throw CadError("cannot write DWG: the linetypes ByLayer, ByBlock and Continuous are required");
    if (drawing.layers.empty()) throw CadError("cannot write DWG: the drawing has no layer");

    // One VX record for each VIEWPORT entity, in the order of the viewports.
    handSeed = drawing.HandleSeed();
    vx_.assign(drawing.viewports.size(), 0);
    // Only the entities the file will hold: those in the blocks' lists.
    if (!drawing.viewports.empty()) {
        for (const auto& b : drawing.blocks) for (auto idx : b.entities) {
            const Entity& e = drawing.entities[idx];
            if (e.type != EntityType::Viewport) continue;
            if (e.geom.extra.index >= drawing.viewports.size())
                throw CadError("cannot write DWG: VIEWPORT " + HandleText(e.handle) + " has no viewport data");
            if (vx_[e.geom.extra.index] == 0 && Traits(release).vxTable) {
                vx_[e.geom.extra.index] = handSeed++;
                vxRecords_.push_back({vx_[e.geom.extra.index], e.handle});
            }
        }
    }
}

void EncodeContext::BadReference(const char* what, std::uint32_t index, Handle user) const {
    throw CadError(std::string("cannot write DWG: ") + HandleText(user) + " refers to " + what + " " +
                   std::to_string(index) + ", which does not exist");
}

Handle EncodeContext::LayerHandle(std::uint32_t index, Handle user) const {
    if (index >= d.layers.size()) BadReference("layer", index, user);
    return d.layers[index].handle;
}

Handle EncodeContext::StyleHandle(std::uint32_t index, Handle user) const {
    if (index >= d.styles.size()) {
        if (d.styles.empty()) return 0;
        BadReference("text style", index, user);
    }
    return d.styles[index].handle;
}

Handle EncodeContext::BlockHandle(std::uint32_t index, Handle user) const {
    if (index >= d.blocks.size()) BadReference("block", index, user);
    return d.blocks[index].handle;
}

unsigned EncodeContext::LinetypeFlags(std::uint32_t lt) const {
    if (lt == kNone || lt == ltByLayer) return 0;
    if (lt == ltByBlock) return 1;
    if (lt == ltContinuous) return 2;
    return 3;
}

Handle EncodeContext::LinetypeHandle(std::uint32_t index, Handle user) const {
    if (index >= d.linetypes.size()) BadReference("linetype", index, user);
    return d.linetypes[index].handle;
}

Handle EncodeContext::RootEntry(std::string_view name) const {
    const Object* root = d.ObjectByHandle(d.rootDictionary);
    if (!root) return 0;
    for (const auto& e : root->entries)
        if (FoldName(e.name) == FoldName(name)) return e.target;
    return 0;
}

Handle EncodeContext::FirstObject(ObjectType type) const {
    for (const auto& o : d.objects)
        if (o.type == type) return o.handle;
    return 0;
}

} // namespace ostrel::cad::dwg
