#pragma once
// What the trim form's view shows: the drawing as the engine holds it, model
// space through its "*Active" view (where zooming to extents puts it) or,
// once the sheet is current, the layout through its overall viewport,
// painted with GDI on a white sheet.
#include <windows.h>

#include "cad/drawing.h"

namespace ostrel::com {

// Paints the picture onto dc, width x height pixels, within budgetMs (a
// large drawing is thinned evenly when the budget runs out).
void PaintFormView(HDC dc, int width, int height, const cad::Drawing& d, ULONGLONG budgetMs);

} // namespace ostrel::com
