#pragma once
// Encodes the blocks' contents: for each block its BLOCK entity, the
// entities in drawing order (a POLYLINE followed by its VERTEX entities and
// SEQEND, an INSERT followed by its ATTRIB entities and SEQEND) and its ENDBLK.
#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_entity_frame.h"
#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

void EncodeBlockContents(ObjectStream& s, const EncodeContext& c);

} // namespace ostrel::cad::dwg
