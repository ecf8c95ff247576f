#pragma once
// LWPOLYLINE objects: the database's heavy 2D polylines written as the one
// entity (a save option, see Drawing::lightweightPolylines), and read back
// as heavy polylines.
#include <vector>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/dwg_decoded.h"
#include "cad/dwg/dwg_entity_frame.h"
#include "cad/lightweight_polyline.h"

namespace ostrel::cad::dwg {

// Fixed object type of LWPOLYLINE from R2000 on.
constexpr std::int16_t kTypeLwPolyline = 77;

// The polyline (its handle and links) with its vertices as one LWPOLYLINE object.
void EncodeLwPolyline(ObjectStream& s, const EncodeContext& c, const Entity& polyline,
                      const std::vector<const Entity*>& vertices, const EntityLinks& links);

// The LWPOLYLINE's own data, after the common entity data.
LightweightPolyline DecodeLwPolylineData(BitReader& r);

// Adds the heavy form to the decoded entities: the polyline `head` (common
// data and handles read), its vertices and SEQEND, owned by it, in order.
void AppendLwPolyline(DecodedObjects& out, const DecodedEntity& head, const LightweightPolyline& lw);

} // namespace ostrel::cad::dwg
