// One entity as DXF tags: the common groups here, then the kind's own
// (DxfKind, through WriteKind).
#include "cad/dxf/dxf_kinds.h"

namespace ostrel::cad::dxf {

void WriteCommonGroups(WriteContext& c, const Entity& e, std::string_view type, Handle handle, Handle owner) {
    auto& w = c.w;
    w.Marker(type);
    w.HandleRef(5, handle);
    if (!c.r12) {
        w.HandleRef(330, owner);
        w.Name(100, "AcDbEntity");
    }
    if (e.flags & kEntityPaperSpace) w.Int(67, 1);
    w.Name(8, c.LayerName(e.layer));
    if (e.linetype != kNone && e.linetype != c.byLayerLinetype && e.linetype < c.names.linetypes.size())
        w.Name(6, c.names.linetypes[e.linetype]);
    if (e.colour != kColourByLayer) w.Int(62, e.colour);
    if (e.flags & kEntityInvisible) w.Int(60, 1);
}

void WriteEntity(WriteContext& c, const Entity& e) {
    if (HeldBack(c, e)) return;
    if (e.type == EntityType::Polyline || e.type == EntityType::Insert) c.runOwner = e.handle;
    WriteKind(c, e);
}

void WriteListed(WriteContext& c, const std::vector<std::uint32_t>& list, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        const auto& e = c.d.entities[list[i]];
        if (e.flags & kEntityDeleted) continue;
        c.attributesFollow = e.type == EntityType::Insert && i + 1 < list.size() &&
                             c.d.entities[list[i + 1]].type == EntityType::Attrib;
        WriteEntity(c, e);
    }
}

std::uint64_t ExtraHandlesNeeded(const Drawing& d, Release r) {
    std::uint64_t n = 0;
    for (const auto& e : d.entities)
        if (!(e.flags & kEntityDeleted)) n += ExtraHandlesOf(d, e, r);
    return n;
}

} // namespace ostrel::cad::dxf
