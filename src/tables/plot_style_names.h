#pragma once
// The plot-style name entry made for each new layer.
#include <cstdint>
#include <string>

#include "toolkit/toolkit.h"

namespace ostrel {

// Adds a plot-style name object and the entry layerName + "PSTYLE" naming it
// to the drawing's ACAD_PLOTSTYLENAME dictionary, and switches the drawing to
// named plot styles (header setting 35 = 0). Returns the object's handle,
// empty when the root dictionary, its ACAD_PLOTSTYLENAME entry or that
// dictionary cannot be read (the header setting is still made when only the
// entry or its dictionary is missing).
std::string AddPlotStyleName(CadLibrary& library, DrawingId drawing, std::int16_t plotStyleNameKind,
                             const std::string& layerName);

} // namespace ostrel
