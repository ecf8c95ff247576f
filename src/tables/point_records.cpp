// POINT records (point entities on layer "POINT") and SYM records (inserts of
// the symbol blocks).
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/field_cursor.h"
#include "geometry/plane_geometry.h"
#include "tables/colour_index.h"
#include "tables/strip_bracketed.h"

namespace ostrel {

namespace {

constexpr double kSymbolRotationBase = 6.28318530717958;   // the record turns the other way
constexpr double kNoElevation = -998.0;                    // Z below this means "no Z"

bool OutsideOf(const Polygon& polygon, double x, double y) {
    return polygon.count > 0 && !PointInBoundary(x, y, polygon);
}

} // namespace

void ConversionRun::AddPointRecord(std::string_view line) {
    FieldCursor fields(line);
    const double x = LeadingNumber(fields.Field(2));
    const double y = LeadingNumber(fields.Field(3));
    const double z = LeadingNumber(fields.Field(4));
    if (OutsideOf(BoundaryPolygon, x, y)) return Dropped(DropReason::OutsideBoundary);

    std::string& layer = RecordLayer;
    layer.assign("POINT");
    MapLayerName(layer);
    if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);

    if (OpenModelSpace()) {
        EntityHeader& header = tk->header;
        header.SetEntityKind(kKindPoint);
        header.InitEntityDefaults(DrawingHandle);
        header.SetEntityHandle(tk->library->NewHandle(DrawingHandle));
        ResolveEntityLayer(layer, 0, 0, -1);
        PointData& point = tk->pointData;
        point.InitPoint(DrawingHandle);
        point.SetPointCoord(0, x);
        point.SetPointCoord(1, y);
        point.SetPointCoord(2, z);
        header.AppendEntity(DrawingHandle, tk->blockWriter.GetEntityList(), point.GetPointData());
    } else {
        Dropped(DropReason::ModelSpaceNotOpened);
    }
    UpdateExtents(x, y);
}

void ConversionRun::AddSymbolRecord(std::string_view line) {
    std::string& layer = RecordLayer;
    FieldCursor fields(line);
    StripBracketedInto(fields.Field(1), layer);
    const std::int32_t colourCode = RoundToInt32(LeadingNumber(fields.Field(2)));
    const std::string_view symbol = fields.Field(3);
    const double x = LeadingNumber(fields.Field(4));
    const double y = LeadingNumber(fields.Field(5));
    const double z = LeadingNumber(fields.Field(6));
    const double xScale = LeadingNumber(fields.Field(7));
    const double yScale = LeadingNumber(fields.Field(8));
    const double rotation = LeadingNumber(fields.Field(9));

    if (OutsideOf(TrimPolygon, x, y)) return Dropped(DropReason::OutsideTrimWindow);
    if (OutsideOf(BoundaryPolygon, x, y)) return Dropped(DropReason::OutsideBoundary);
    const bool mapped = MapLayerName(layer);
    if (TitleBlockMode) layer.insert(0, "$TB-");
    if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);

    CadLibrary& library = *tk->library;
    const std::string modelSpace = library.FindBlockByName(DrawingHandle, "*Model_Space");
    std::string& blockName = RecordName;
    blockName.assign("SYM").append(symbol);
    const std::string symbolBlock = library.FindBlockByName(DrawingHandle, blockName);
    if (library.LastStatus() == kStatusOk) {
        tk->blockWriter.OpenBlockForAppend(DrawingHandle, modelSpace);
        if (tk->blockWriter.BlockStatus() == kStatusOk) {
            EntityHeader& header = tk->header;
            header.SetEntityKind(kKindInsert);
            header.InitEntityDefaults(DrawingHandle);
            header.SetEntityHandle(library.NewHandle(DrawingHandle));
            ResolveEntityLayer(layer, colourCode, 0, -1);
            if (ByEntity) ApplyEntityStyle(header, colourCode, 0, -1);

            InsertData& insert = tk->insertData;
            insert.InitInsert(DrawingHandle);
            insert.SetInsertBlock(symbolBlock);
            insert.SetInsertCoord(0, x);
            insert.SetInsertCoord(1, y);
            insert.SetInsertCoord(2, z);
            if (insert.GetInsertCoord(2) < kNoElevation) insert.SetInsertCoord(2, 0.0);
            insert.SetInsertXScale(xScale);
            insert.SetInsertYScale(yScale);
            insert.SetInsertRotation(kSymbolRotationBase - rotation);
            insert.SetInsertColumns(1);
            insert.SetInsertRows(1);

            if (mapped) header.SetEntityColour(NarrowColourIndex(LookupColour(colourCode)));
            header.AppendEntity(DrawingHandle, tk->blockWriter.GetEntityList(), insert.GetInsertData());
        } else {
            Dropped(DropReason::ModelSpaceNotOpened);
        }
    } else {
        Dropped(DropReason::NoSymbol);
    }
    UpdateExtents(x, y);
}

} // namespace ostrel
