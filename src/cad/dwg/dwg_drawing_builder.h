#pragma once
// Puts a drawing together from the decoded objects: tables in the order of
// their control objects, blocks with their entities in file order, the
// non-graphic objects (the named object dictionary first) and the header.
#include <memory>

#include "cad/drawing.h"
#include "cad/dwg/dwg_decoded.h"
#include "cad/dwg/dwg_header_vars.h"

namespace ostrel::cad::dwg {

// `release`: the release the file was written in.
std::unique_ptr<Drawing> BuildDrawing(DecodedObjects& objects, const HeaderVars& vars, const HeaderHandles& handles,
                                      Release release);

} // namespace ostrel::cad::dwg
