#pragma once
// LWPOLYLINE objects: the database's own, and its heavy 2D polylines
// written as the one entity (a save option, see Drawing::lightweightPolylines).
#include <vector>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_entity_frame.h"
#include "cad/lightweight_polyline.h"

namespace ostrel::cad::dwg {

// Fixed object type of LWPOLYLINE from R2000 on.
constexpr std::int16_t kTypeLwPolyline = 77;

// The polyline (its handle and links) with its vertices as one LWPOLYLINE object.
void EncodeLwPolyline(ObjectStream& s, const EncodeContext& c, const Entity& polyline,
                      const std::vector<const Entity*>& vertices, const EntityLinks& links);

// A native LWPOLYLINE's own data, after the common entity data (from R2010
// its vertex ids are read past).
void WriteLwPolylineData(BitWriter& w, const LwPolylineData& p);
LwPolylineData ReadLwPolylineData(BitReader& r, Release release);

} // namespace ostrel::cad::dwg
