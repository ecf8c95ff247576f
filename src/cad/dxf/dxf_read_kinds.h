#pragma once
// The entity kinds whose records carry more than a few points: each reads
// the record's tags (ctx.record) into the entity and the drawing's side
// data. Shared field helpers for every kind's reader are here too.
#include "cad/dxf/dxf_read_context.h"

namespace ostrel::cad {

// Point groups: base code 10 -> x, 20 -> y, 30 -> z (base 11 -> 11, 21, 31 ...).
inline bool PointCode(int code, int base, int& axis) {
    if (code == base) { axis = 0; return true; }
    if (code == base + 10) { axis = 1; return true; }
    if (code == base + 20) { axis = 2; return true; }
    return false;
}
void SetAxis(Vec3& v, int axis, const DxfTag& t);

// A TEXT, ATTDEF or ATTRIB's text geometry, read tag by tag: TextGroup takes
// the groups all three share (the two points, height, width factor,
// rotation, oblique angle, style, horizontal alignment) and says whether
// the tag was one of them; FinishText fills in what the record left out.
struct TextRead {
    TextGeom g{};
    bool alignSeen = false;
    TextRead() { g.widthFactor = 1; g.style = kNone; }
};
bool TextGroup(DxfReadContext& ctx, const DxfTag& t, TextRead& text);
void FinishText(DxfReadContext& ctx, TextRead& text);

void ReadLwPolylineRecord(DxfReadContext& ctx, Entity& e);
void ReadEllipse(DxfReadContext& ctx, Entity& e);
void ReadSpline(DxfReadContext& ctx, Entity& e);
void ReadMText(DxfReadContext& ctx, Entity& e);
void ReadAttribute(DxfReadContext& ctx, Entity& e);     // ATTDEF or ATTRIB, by e.type
void ReadDimension(DxfReadContext& ctx, Entity& e);

} // namespace ostrel::cad
