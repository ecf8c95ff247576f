#pragma once
// The dimension variables at their defaults, in the order the header
// variables and a DIMSTYLE record both hold them (DIMPOST to DIMMZS): the
// header's current dimension settings are those of the STANDARD style.
#include "cad/drawing.h"
#include "cad/dwg/bit_writer.h"

namespace ostrel::cad::dwg {

void DimensionDefaults(BitWriter& w, Release release);

} // namespace ostrel::cad::dwg
