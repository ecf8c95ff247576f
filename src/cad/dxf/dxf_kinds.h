#pragma once
// Every entity kind's DXF record: its own groups read and written side by
// side in the kind's file (dxf_kinds_*.cpp), reached through one switch
// made from the list of kinds (OSTREL_ENTITY_KINDS), so that a kind without
// its three functions does not link. The common groups (handle, owner,
// layer, linetype, colour) are read by dxf_read_entities.cpp and written by
// WriteCommonGroups; the helpers the kinds' files share are here too.
#include <cstdint>
#include <string_view>
#include <vector>

#include "cad/drawing.h"
#include "cad/dxf/dxf_read_context.h"
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad::dxf {

template <EntityType>
struct DxfKind {
    // The record's own groups (ctx.record) into the entity, which goes into
    // `block`; false when the entity is not kept.
    static bool Read(DxfReadContext& ctx, Entity& e, std::uint32_t block);
    // The entity's record, its common groups first, or what shows the same
    // in a release without the kind.
    static void Write(WriteContext& c, const Entity& e);
    // The handles that other form takes beyond the entity's own.
    static std::uint64_t ExtraHandles(const Drawing& d, const Entity& e, Release r);
};

#define OSTREL_DXF_KIND(kind, name)                                                                \
    template <>                                                                                    \
    bool DxfKind<EntityType::kind>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t block);     \
    template <>                                                                                    \
    void DxfKind<EntityType::kind>::Write(WriteContext& c, const Entity& e);                       \
    template <>                                                                                    \
    std::uint64_t DxfKind<EntityType::kind>::ExtraHandles(const Drawing& d, const Entity& e, Release r);
OSTREL_ENTITY_KINDS(OSTREL_DXF_KIND)
#undef OSTREL_DXF_KIND

// The entity's kind's DxfKind functions.
bool ReadKind(DxfReadContext& ctx, Entity& e, std::uint32_t block);
void WriteKind(WriteContext& c, const Entity& e);
std::uint64_t ExtraHandlesOf(const Drawing& d, const Entity& e, Release r);

// ---------------------------------------------------------------- reading

// Point groups: base code 10 -> x, 20 -> y, 30 -> z (base 11 -> 11, 21, 31 ...).
inline bool PointCode(int code, int base, int& axis) {
    if (code == base) { axis = 0; return true; }
    if (code == base + 10) { axis = 1; return true; }
    if (code == base + 20) { axis = 2; return true; }
    return false;
}
void SetAxis(Vec3& v, int axis, const DxfTag& t);

// ---------------------------------------------------------------- writing

// The common groups of an entity written as `type` with these handles.
void WriteCommonGroups(WriteContext& c, const Entity& e, std::string_view type, Handle handle, Handle owner);
// The common groups of the entity as it is, by its kind's name.
inline void WriteCommon(WriteContext& c, const Entity& e) {
    WriteCommonGroups(c, e, EntityTypeName(e.type), e.handle, c.OwnerOf(e));
}
// Points as a POLYLINE of the entity (2D at their common height, else 3D),
// with writer-made handles after the entity's own.
void WritePointsAsPolyline(WriteContext& c, const Entity& e, const std::vector<Vec3>& points, bool closed);
// Whether a polyline held back to be written as LWPOLYLINE took the entity
// (its vertices), or was written before it.
bool HeldBack(WriteContext& c, const Entity& e);

inline bool NormalIsUp(const Vec3& n) { return n.x == 0 && n.y == 0 && (n.z == 1 || n.z == 0); }
// Whether the release has the kinds R13 brought (the curves, MTEXT).
inline bool HasCurves(const WriteContext& c) { return !c.r12; }

} // namespace ostrel::cad::dxf
