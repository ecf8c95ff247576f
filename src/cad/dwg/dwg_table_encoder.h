#pragma once
// Encodes the table control objects, the table records (layers, linetypes,
// text styles, application ids, views, UCSs, dimension styles, viewport
// records and VX records) and the block headers.
#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

void EncodeTables(ObjectStream& s, const EncodeContext& c);
void EncodeBlockHeaders(ObjectStream& s, const EncodeContext& c);

} // namespace ostrel::cad::dwg
