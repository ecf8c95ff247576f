// TEXT and TEXT3D records: single-line text entities in model space.
#include <cmath>
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/field_cursor.h"
#include "geometry/contour_colour.h"
#include "geometry/plane_geometry.h"
#include "tables/colour_index.h"
#include "tables/strip_bracketed.h"
#include "tables/text_placement.h"

namespace ostrel {

namespace {

constexpr std::string_view kAnnotationPrefix = "ANNOTATION-";

} // namespace

void ShortenTextLayer(std::string& layer, std::int16_t layerStyle) {
    if (std::string_view(layer).substr(0, kAnnotationPrefix.size()) == kAnnotationPrefix) return;
    const std::size_t first = layer.find('-');
    if (layerStyle == 1) {
        if (first != std::string::npos) layer.resize(first);
    } else if (layerStyle == 2) {
        if (first == std::string::npos) {
            layer.clear();
            return;
        }
        const std::size_t second = layer.find('-', first + 1);
        if (second != std::string::npos) layer.resize(second);
        layer.erase(0, first + 1);
    }
}

TextPlacement PlaceText(double x, double y, double h, double r) {
    TextPlacement p;
    p.x = x + std::sin(r) * 0.75 * h;
    p.y = y - std::cos(r) * 0.75 * h;
    p.height = 0.5 * h;
    return p;
}

void ConversionRun::AddTextRecord(std::string_view line, bool is3D) {
    std::string& layer = RecordLayer;
    FieldCursor fields(line);
    StripBracketedInto(fields.Field(1), layer);
    ShortenTextLayer(layer, LayerStyle);
    std::int32_t colourCode = RoundToInt32(LeadingNumber(fields.Field(2)));
    const std::string_view text = fields.Field(3);
    const double x = LeadingNumber(fields.Field(4));
    const double y = LeadingNumber(fields.Field(5));
    const int next = is3D ? 7 : 6;   // field of the size h; the rotation follows it
    const double z = is3D ? LeadingNumber(fields.Field(6)) : 0.0;
    const double size = LeadingNumber(fields.Field(next));
    const double rotation = LeadingNumber(fields.Field(next + 1));
    const TextPlacement place = PlaceText(x, y, size, rotation);

    if (layer.find("CONTOUR") != std::string::npos) colourCode = ContourColour(layer, colourCode);
    MapLayerName(layer);
    if (TitleBlockMode) layer.insert(0, "$TB-");
    if (BoundaryPolygon.count > 0 && !PointInBoundary(place.x, place.y, BoundaryPolygon))
        return Dropped(DropReason::OutsideBoundary);
    if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);
    if (!OpenModelSpace()) return Dropped(DropReason::ModelSpaceNotOpened);

    EntityHeader& header = tk->header;
    header.SetEntityKind(kKindText);
    header.InitEntityDefaults(DrawingHandle);
    const std::string handle = tk->library->NewHandle(DrawingHandle);
    ResolveEntityLayer(layer, colourCode, 0, -1);
    if (ByEntity) ApplyEntityStyle(header, colourCode, 0, -1);
    header.SetEntityHandle(handle);

    TextData& data = tk->textData;
    data.InitText(DrawingHandle);
    data.SetTextCoord(0, place.x);
    data.SetTextCoord(1, place.y);
    data.SetTextCoord(2, z);
    data.SetTextHeight(place.height);
    RecordName.assign(text);
    data.SetTextString(RecordName);
    data.SetTextRotation(rotation);
    header.AppendEntity(DrawingHandle, tk->blockWriter.GetEntityList(), data.GetTextData());
}

} // namespace ostrel
