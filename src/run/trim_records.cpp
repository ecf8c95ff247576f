// TRIM and TRIMEND records, and the boundary scan of a header-less export.
#include <cmath>
#include <string>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/strict_number.h"
#include "run/field_cursor.h"
#include "ostrel/errors.h"

namespace ostrel {

namespace {

// The boundary scan looks at this many bytes at the end of the export.
constexpr std::int64_t kBoundaryScanBytes = 10024;

std::string FieldName(int n) { return "field " + std::to_string(n) + " of the TRIM record"; }

// Counts and field indexes are signed 16-bit.
std::int16_t NextIndex(int value, const char* what) {
    if (value > 32767) throw ConversionError(ErrorCode::Overflow, std::string("overflow: ") + what + " beyond 32767");
    return static_cast<std::int16_t>(value);
}

} // namespace

// TRIM,X1,Y1,...,Xn,Yn followed by one more field (or a trailing comma) sets
// the trim polygon; "TRIMEND" alone clears it. The point count is
// (commas - 1) / 2 to the nearest whole number, halves going to the even one,
// so a record without the trailing field loses its last pair.
void ConversionRun::ReadTrimRecord(std::string_view line) {
    auto& trim = TrimPolygon;
    if (line == "TRIMEND") {
        trim.count = 0;
        trim.points.assign(1, Point3D{});
        return;
    }
    const std::int16_t commas = CountOccurrences(line, ",");
    const std::int16_t count = RoundToInt16((commas - 1) / 2.0);
    trim.count = count;
    trim.points.assign(static_cast<std::size_t>(count) + 1, Point3D{});
    FieldCursor fields(line);
    for (int i = 0; i < count; ++i) {
        const int xField = 2 * i + 1, yField = 2 * i + 2;
        trim.points[i].X = StrictNumber(fields.Field(xField), FieldName(xField));
        trim.points[i].Y = StrictNumber(fields.Field(yField), FieldName(yField));
    }
}

// Looks for the boundary polyline among the last 10024 bytes of the export:
// the first line whose field 1 holds "TRIM" in any letter case. Its vertices
// from field 5 on become the boundary polygon (a POLY3D line's Z fields are
// skipped); continuation lines are not followed. The file is left at byte 1.
void ConversionRun::ScanBoundary(ExportFile& file) {
    auto& boundary = BoundaryPolygon;
    boundary.count = 0;
    const std::int64_t length = file.Length();
    file.Seek(length >= kBoundaryScanBytes + 1 ? length - kBoundaryScanBytes : 1);

    std::string_view found;
    bool any = false;
    while (!file.AtEnd()) {
        std::string_view line = file.ReadLine();
        if (FindNoCase(GetCommaField(1, line), "TRIM") != 0) {
            found = line;
            any = true;
            break;
        }
    }
    if (!any) {
        file.Seek(1);
        return;
    }

    const bool is3D = GetCommaField(0, found) == "POLY3D";
    FieldCursor fields(found);
    boundary.points.assign(1, Point3D{});
    int index = 5;
    std::int16_t count = 0;
    do {
        Point3D& p = boundary.points[count];
        p.X = LeadingNumber(fields.Field(index));
        p.Y = LeadingNumber(fields.Field(index + 1));
        index = NextIndex(index + (is3D ? 3 : 2), "field index of the boundary line");
        count = NextIndex(count + 1, "boundary point count");
        boundary.points.emplace_back();   // the extra all-zero point after the last
    } while (!fields.Field(index).empty());
    boundary.count = count;
    file.Seek(1);
}

} // namespace ostrel
