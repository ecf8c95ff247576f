// CIRCLE records: circle entities in model space, never clipped.
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "tables/colour_index.h"
#include "tables/strip_bracketed.h"

namespace ostrel {

void ConversionRun::AddCircleRecord(std::string_view line) {
    std::string& layer = RecordLayer;
    StripBracketedInto(GetCommaField(1, line), layer);
    const std::int32_t colourCode = ColourCodeField(2, line);
    const double x = GetNumField(3, line);
    const double y = GetNumField(4, line);
    const double z = GetNumField(5, line);
    const double radius = GetNumField(6, line) / 2;

    const bool mapped = MapLayerName(layer);
    if (TitleBlockMode) layer.insert(0, "$TB-");
    if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);
    if (!OpenModelSpace()) return Dropped(DropReason::ModelSpaceNotOpened);

    EntityHeader& header = tk->header;
    header.SetEntityKind(kKindCircle);
    header.InitEntityDefaults(DrawingHandle);
    header.SetEntityHandle(tk->library->NewHandle(DrawingHandle));
    ResolveEntityLayer(layer, colourCode, 0, -1);
    if (ByEntity) ApplyEntityStyle(header, colourCode, 0, -1);

    CircleData& circle = tk->circleData;
    circle.InitCircle(DrawingHandle);
    circle.SetCircleCoord(0, x);
    circle.SetCircleCoord(1, y);
    circle.SetCircleCoord(2, z);
    circle.SetCircleRadius(radius);
    if (mapped) header.SetEntityColour(NarrowColourIndex(LookupColour(colourCode)));
    header.AppendEntity(DrawingHandle, tk->blockWriter.GetEntityList(), circle.GetCircleData());
}

} // namespace ostrel
