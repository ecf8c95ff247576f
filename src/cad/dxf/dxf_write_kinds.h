#pragma once
// The DXF groups of the entity kinds with side data or a form of their own
// in older releases (LWPOLYLINE, ELLIPSE, SPLINE, MTEXT, SOLID, ATTDEF,
// ATTRIB, DIMENSION). A release without a kind gets what shows the same:
// LWPOLYLINE as POLYLINE, ELLIPSE and SPLINE as polylines through their
// points, MTEXT as one TEXT a line.
#include <cstdint>

#include "cad/dxf/dxf_write_context.h"
#include "cad/lightweight_polyline.h"

namespace ostrel::cad::dxf {

// The common groups of an entity written as `type` with these handles.
void WriteCommonGroups(WriteContext& c, const Entity& e, std::string_view type, Handle handle, Handle owner);
// The AcDbText groups of a TEXT, ATTDEF or ATTRIB, with `value` as its text.
void WriteTextGroups(WriteContext& c, const TextGeom& t, std::string_view value);
// A LWPOLYLINE's own groups after its common ones.
void WriteLightweightGroups(WriteContext& c, const LightweightPolyline& lw, double thickness, const Vec3& normal);

void WriteLwPolyline(WriteContext& c, const Entity& e);
void WriteEllipse(WriteContext& c, const Entity& e);
void WriteSpline(WriteContext& c, const Entity& e);
void WriteMText(WriteContext& c, const Entity& e);
void WriteSolid(WriteContext& c, const Entity& e);
void WriteAttribute(WriteContext& c, const Entity& e);   // ATTDEF or ATTRIB
void WriteDimension(WriteContext& c, const Entity& e);

// Writer-made handles the kind takes in the release (its other forms).
std::uint64_t ExtraHandlesOf(const Drawing& d, const Entity& e, Release r);

} // namespace ostrel::cad::dxf
