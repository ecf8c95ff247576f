// TRI records: one three-dimensional face per ground-model triangle, on the
// fixed layer "TRI", with no mapping, clipping or extents.
//
// Layout: TRI,colour,X1,Y1,Z1,X2,Y2,Z2,X3,Y3,Z3
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/field_cursor.h"

namespace ostrel {

void ConversionRun::AddTriangleRecord(std::string_view line) {
    std::string name = "TRI";
    FieldCursor fields(line);
    const std::int32_t colourCode = RoundToInt32(LeadingNumber(fields.Field(1)));
    if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);
    if (!OpenModelSpace()) return Dropped(DropReason::ModelSpaceNotOpened);

    Toolkit& t = *tk;
    EntityHeader& header = t.header;
    header.SetEntityKind(kKindFace);
    header.InitEntityDefaults(DrawingHandle);
    header.SetEntityHandle(t.library->NewHandle(DrawingHandle));
    // The first triangle of a run makes the layer with its own colour code.
    ResolveEntityLayer(name, colourCode, 0, -1);
    if (ByEntity) ApplyEntityStyle(header, colourCode, 0, -1);

    FaceData& face = t.faceData;
    face.InitFace(DrawingHandle);
    for (std::int16_t axis = 0; axis < 3; ++axis) face.SetFaceCorner1(axis, LeadingNumber(fields.Field(2 + axis)));
    for (std::int16_t axis = 0; axis < 3; ++axis) face.SetFaceCorner2(axis, LeadingNumber(fields.Field(5 + axis)));
    for (std::int16_t axis = 0; axis < 3; ++axis) face.SetFaceCorner3(axis, LeadingNumber(fields.Field(8 + axis)));
    // A triangle is a face whose fourth corner repeats the third.
    for (std::int16_t axis = 0; axis < 3; ++axis) face.SetFaceCorner4(axis, face.GetFaceCorner3(axis));
    header.AppendEntity(DrawingHandle, t.blockWriter.GetEntityList(), face.GetFaceData());
}

} // namespace ostrel
