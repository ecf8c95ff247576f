#pragma once
// Encodes the drawing's non-graphic objects: dictionaries (with and without
// default), placeholders, layouts, multiline styles and records.
#include "cad/dwg/dwg_encode_context.h"
#include "cad/dwg/dwg_object_stream.h"

namespace ostrel::cad::dwg {

void EncodeObjects(ObjectStream& s, const EncodeContext& c);

} // namespace ostrel::cad::dwg
