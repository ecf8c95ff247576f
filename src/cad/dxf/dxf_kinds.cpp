// The one switch over the kinds for DXF, made from their list.
#include "cad/dxf/dxf_kinds.h"

#include <string>

namespace ostrel::cad::dxf {

namespace {

// Calls `f` with the kind's DxfKind.
template <class F>
decltype(auto) WithDxfKind(EntityType t, F&& f) {
    switch (t) {
#define OSTREL_DXF_KIND_CASE(kind, name) \
    case EntityType::kind: return f(DxfKind<EntityType::kind>{});
        OSTREL_ENTITY_KINDS(OSTREL_DXF_KIND_CASE)
#undef OSTREL_DXF_KIND_CASE
    }
    throw CadError("an entity of unknown kind " + std::to_string(static_cast<int>(t)));
}

} // namespace

bool ReadKind(DxfReadContext& ctx, Entity& e, std::uint32_t block) {
    return WithDxfKind(e.type, [&](auto k) { return k.Read(ctx, e, block); });
}

void WriteKind(WriteContext& c, const Entity& e) {
    WithDxfKind(e.type, [&](auto k) { k.Write(c, e); });
}

std::uint64_t ExtraHandlesOf(const Drawing& d, const Entity& e, Release r) {
    return WithDxfKind(e.type, [&](auto k) { return k.ExtraHandles(d, e, r); });
}

void SetAxis(Vec3& v, int axis, const DxfTag& t) {
    double value = TagDouble(t);
    if (axis == 0) v.x = value;
    else if (axis == 1) v.y = value;
    else v.z = value;
}

} // namespace ostrel::cad::dxf
