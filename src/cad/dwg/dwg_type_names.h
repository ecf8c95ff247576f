#pragma once
// The DXF names of the fixed DWG object types, for counting what a reader
// skips and for naming an object in an error.
#include <cstdint>

namespace ostrel::cad::dwg {

// The DXF name of a fixed type (below 500): "ATTRIB", "DIMENSION",
// "MTEXT", ...; types the format leaves unused give "".
const char* FixedTypeDxfName(std::int16_t type);

} // namespace ostrel::cad::dwg
