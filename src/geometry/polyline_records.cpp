// POLY and POLY3D records: plan and three-dimensional lines, joined across
// continuation records, cut to the trim and boundary polygons and written as
// heavy polylines (header, vertices, end of sequence) in model space.
//
// Layout: POLY,layer,colour,width,linetype[:style line],X,Y,X,Y,...
//         POLY3D,layer,colour,width,linetype[:style line],X,Y,Z,X,Y,Z,...
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "geometry/contour_colour.h"
#include "run/field_cursor.h"
#include "geometry/plane_geometry.h"
#include "ostrel/errors.h"

namespace ostrel {

namespace {

// A continuation record starts within this plan distance of the last vertex.
constexpr double kJoinDistance = 0.002;
// Vertex counts and field indexes are signed 16-bit.
constexpr int kMaxVertices = 32767;
constexpr int kMaxFieldIndex = 32767;

constexpr std::int16_t kPolylineContinuousPattern = 128;
constexpr std::int16_t kPolyline3D = 8;
constexpr std::int16_t kVertex3D = 32;

// What the first record of a chain says for the whole chain.
struct PolylineStyle {
    std::int32_t colourCode = 0;
    double width = 0;
    std::int32_t linetypeCode = 0;
    std::int16_t styleLine = 0;
    bool matched = false;   // MapLayerName rewrote the name
    bool is3D = false;
};

int NextFieldIndex(int index, int step) {
    index += step;
    if (index > kMaxFieldIndex)
        throw ConversionError(ErrorCode::Overflow, "overflow: a polyline record has more than 32767 fields");
    return index;
}

// Reads the vertices of one record from field `index` on: a vertex begins at
// every non-empty X field. An X field that is empty ends the record, also
// where the first vertex would stand, so a record (or a continuation record)
// with empty vertex fields adds no vertex rather than one at the origin.
void ReadRecordVertices(std::string_view line, int index, bool is3D, std::vector<Point3D>& vertices) {
    FieldCursor fields(line);
    const int step = is3D ? 3 : 2;
    for (std::string_view x = fields.Field(index); !x.empty(); x = fields.Field(index)) {
        if (vertices.size() >= static_cast<std::size_t>(kMaxVertices))
            throw ConversionError(ErrorCode::Overflow, "overflow: a polyline has more than 32767 vertices");
        Point3D& p = vertices.emplace_back();
        p.X = LeadingNumber(x);
        p.Y = LeadingNumber(fields.Field(index + 1));
        if (is3D) p.Z = LeadingNumber(fields.Field(index + 2));
        index = NextFieldIndex(index, step);
    }
}

void WritePolylinePiece(ConversionRun& run, const PolylineStyle& style, const Point3D* points, int count) {
    const DrawingId drawing = run.DrawingHandle;
    Toolkit& tk = *run.tk;
    EntityHeader& header = tk.header;
    CadLibrary& library = *tk.library;

    header.SetEntityKind(kKindPolyline);
    header.InitEntityDefaults(drawing);
    header.SetEntityHandle(library.NewHandle(drawing));
    run.ResolveEntityLayer(run.PolylineLayer, style.colourCode, style.linetypeCode, style.styleLine);
    if (run.ByEntity) run.ApplyEntityStyle(header, style.colourCode, style.linetypeCode, style.styleLine);

    PolylineData& polyline = tk.polylineData;
    polyline.InitPolyline(drawing);
    polyline.SetPolylineFlags(0);
    polyline.SetPolylineFlags(style.is3D ? kPolyline3D : kPolylineContinuousPattern);
    if (style.width > 0) {
        polyline.SetPolylineStartWidth(style.width);
        polyline.SetPolylineEndWidth(style.width);
    }
    header.AppendEntity(drawing, tk.blockWriter.GetEntityList(), polyline.GetPolylineData());

    // A mapped layer name also puts the looked-up colour on every vertex.
    const std::int16_t vertexColour =
        style.matched ? NarrowColourIndex(run.LookupColour(style.colourCode)) : std::int16_t{0};
    VertexData& vertex = tk.vertexData;
    for (int i = 0; i < count; ++i) {
        const Point3D& p = points[i];
        header.SetEntityKind(kKindVertex);
        header.InitEntityDefaults(drawing);
        header.SetEntityHandle(library.NewHandle(drawing));
        vertex.InitVertex(drawing);
        vertex.SetVertexFlags(0);
        vertex.SetVertexCoord(0, p.X);
        vertex.SetVertexCoord(1, p.Y);
        if (style.is3D) {
            vertex.SetVertexCoord(2, p.Z);
            vertex.SetVertexFlags(kVertex3D);
        }
        if (style.width > 0) {
            vertex.SetVertexStartWidth(style.width);
            vertex.SetVertexEndWidth(style.width);
            vertex.SetVertexStartWidthFlag(1);
            vertex.SetVertexEndWidthFlag(1);
        }
        if (style.matched) header.SetEntityColour(vertexColour);
        header.AppendEntity(drawing, tk.blockWriter.GetEntityList(), vertex.GetVertexData());
        run.UpdateExtents(p.X, p.Y);
    }

    header.SetEntityKind(kKindSeqEnd);
    header.InitEntityDefaults(drawing);
    header.SetEntityHandle(library.NewHandle(drawing));
    header.AppendEntity(drawing, tk.blockWriter.GetEntityList(), nullptr);
}

} // namespace

void ConversionRun::AddPolylineRecord(std::string_view& line, ExportFile& file, bool is3D) {
    // Layer name: the feature code without its bracketed part, "-LINE" for
    // layer style 0, the LAYERS mapping, then the title-block prefix.
    std::string& name = PolylineLayer;
    name = StripBracketed(GetCommaField(1, line));
    if (LayerStyle == 0) name += "-LINE";
    PolylineStyle style;
    style.matched = MapLayerName(name);
    if (TitleBlockMode) name.insert(0, "$TB-");
    style.is3D = is3D;

    FieldCursor fields(line);
    style.colourCode = RoundToInt32(LeadingNumber(fields.Field(2)));
    style.width = LeadingNumber(fields.Field(3));
    const std::string_view linetypeField = fields.Field(4);
    style.linetypeCode = RoundToInt32(LeadingNumber(linetypeField));
    if (linetypeField.find(':') != std::string_view::npos)
        style.styleLine = RoundToInt16(LeadingNumber(GetField(1, linetypeField, ":")));

    if (name.find("CONTOUR") != std::string::npos) style.colourCode = ContourColour(name, style.colourCode);

    // Vertices of the record and of the continuation records that follow it.
    // A continuation record's first vertex repeats the last one read; reading
    // resumes after it at the position this record's kind dictates.
    std::vector<Point3D>& vertices = PolylineVertices;
    vertices.clear();
    ReadRecordVertices(line, 5, is3D, vertices);
    while (!vertices.empty()) {
        line = ReadContinuation(file, line, vertices.back());
        if (line.empty()) break;
        ReadRecordVertices(line, is3D ? 8 : 7, is3D, vertices);
    }
    line = {};
    if (vertices.empty()) return Dropped(DropReason::NoVertices);

    if (BoundaryPolygon.count >= 1 &&
        !AnyVertexInBoundary(vertices, static_cast<int>(vertices.size()), BoundaryPolygon))
        return Dropped(DropReason::OutsideBoundary);

    // Pieces: the whole chain, or with a trim polygon the parts of its first
    // segment that lie inside it (the later vertices are not written). A chain
    // of a single vertex is kept as it is when that vertex lies inside.
    const Point3D* pieceStart = vertices.data();
    int pieceCount = 1, pieceLength = static_cast<int>(vertices.size());
    if (TrimPolygon.count >= 1) {
        if (vertices.size() == 1) {
            if (!PointInBoundary(vertices[0].X, vertices[0].Y, TrimPolygon))
                return Dropped(DropReason::OutsideTrimWindow);
        } else {
            pieceCount = ClipSegmentToBoundary(vertices, TrimPolygon, PolylinePieces);
            if (pieceCount == 0) return Dropped(DropReason::OutsideTrimWindow);
            pieceStart = PolylinePieces.data();
            pieceLength = 2;
        }
    }

    for (int k = 0; k < pieceCount; ++k) {
        if (DrawingHandle == 0) return Dropped(DropReason::NoDrawing);
        if (!OpenModelSpace()) continue;
        WritePolylinePiece(*this, style, pieceStart + k * pieceLength, pieceLength);
    }
}

// The next line when it continues `line`: it begins with "POLY", has the same
// field 1 (exactly), and its first vertex lies within 0.002 of the last vertex
// read. Otherwise "" and the file stands exactly where it stood.
std::string_view ConversionRun::ReadContinuation(ExportFile& file, std::string_view line, const Point3D& lastVertex) {
    const std::int64_t position = file.Position();
    if (file.AtEnd()) return {};
    const std::string_view next = file.ReadLine();
    if (next.substr(0, 4) == "POLY" && GetCommaField(1, next) == GetCommaField(1, line)) {
        FieldCursor fields(next);
        const double x = LeadingNumber(fields.Field(5));
        const double y = LeadingNumber(fields.Field(6));
        if (PlanDistance(x, y, lastVertex.X, lastVertex.Y) <= kJoinDistance) return next;
    }
    file.Seek(position);
    return {};
}

} // namespace ostrel
