#pragma once
// MATERIAL and VISUALSTYLE records of the OBJECTS section, written and read.
#include "cad/drawing.h"

namespace ostrel::cad {
struct DxfReadContext;
namespace dxf {
struct WriteContext;

// The record's groups after its owner (the subclass marker on).
void WriteMaterialGroups(WriteContext& c, const Object& o);
void WriteVisualStyleGroups(WriteContext& c, const Object& o);

} // namespace dxf

// The record's data into o; false when the record cannot be held (a
// procedural texture map, or groups out of the release's order).
bool ReadMaterialRecord(DxfReadContext& ctx, Object& o);
bool ReadVisualStyleRecord(DxfReadContext& ctx, Object& o);

} // namespace ostrel::cad
