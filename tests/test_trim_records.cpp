// TRIM and TRIMEND records, the strict number conversion of their fields,
// and the boundary scan of an export without the header line.
#include <gtest/gtest.h>

#include <string>

#include "run/strict_number.h"
#include "ostrel/errors.h"
#include "support/record_run_fixture.h"

using namespace ostrel;
using ostrel::test::RecordRunFixture;

namespace {

// Lines that no scan picks up, "X,pad...\r\n", exactly `bytes` long in all.
std::string Filler(std::size_t bytes) {
    std::string text;
    while (bytes > 0) {
        const std::size_t line = bytes >= 80 + 4 ? 80 : bytes;
        if (line < 4) {
            // Too short for "X,\r\n": widen the previous line instead.
            text.insert(text.size() - 2, std::string(line, 'p'));
            break;
        }
        text += "X," + std::string(line - 4, 'p') + "\r\n";
        bytes -= line;
    }
    return text;
}

// "count: x,y x,y ...": the polygon's points 0 to count (the last one the
// all-zero extra), or only those counted.
std::string Points(const Polygon& p, bool extra = true) {
    std::string out = std::to_string(p.count) + ":";
    char xy[64];
    for (std::size_t i = 0; i < p.points.size() && (extra || i < static_cast<std::size_t>(p.count)); ++i) {
        const auto& pt = p.points[i];
        std::snprintf(xy, sizeof xy, " %g,%g", pt.X, pt.Y);
        out += xy;
    }
    return out;
}

ConversionError ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return e;
    }
    return ConversionError(ErrorCode::Internal, "no error");
}

} // namespace

// ------------------------------------------------------------------ TRIM records

TEST(TrimRecord, PairsCountedFromTheCommasAndConvertedStrictly) {
    const std::pair<const char*, const char*> cases[] = {
        {"TRIM,1,2,3,4,5,6,", "3: 1,2 3,4 5,6 0,0"},   // the trailing field completes the last pair
        {"TRIM,1,2,3,4,5,6", "2: 1,2 3,4 0,0"},        // without it the last pair is lost
        {"TRIM,1,2,3,4,z", "2: 1,2 3,4 0,0"},
        {"TRIM,1,2,3,4,5,6,7,8", "4: 1,2 3,4 5,6 7,8 0,0"},   // 8 commas: 3.5 gives 4
        {"TRIM,1,2,3,4,5", "2: 1,2 3,4 0,0"}, {"TRIM,1,2,3", "1: 1,2 0,0"},
        {"TRIM,1,2,3,4,5,6,7,8,9,10", "4: 1,2 3,4 5,6 7,8 0,0"},   // 4.5 gives 4
        {"TRIMEND", "0: 0,0"}, {"TRIMEND,1", "0: 0,0"}, {"TRIM", "0: 0,0"}, {"TRIM,", "0: 0,0"},
        {"TRIM, 1.5 ,-2,1E3,.25,", "2: 1.5,-2 1000,0.25 0,0"},
    };
    RecordRunFixture f;
    for (auto [line, points] : cases) {
        f.run().ReadTrimRecord("TRIM,1,2,3,4,5,6,7,8,9,9,");   // each record replaces the last
        f.run().ReadTrimRecord(line);
        EXPECT_EQ(Points(f.run().TrimPolygon), points) << line;
    }
    // Field numbers name the field that is not a number; the lenient scan would read 12.5m.
    const std::pair<const char*, const char*> bad[] = {
        {"TRIM,1,,3,4,", "field 2"}, {"TRIM,1,2,3,north,", "field 4"}, {"TRIM,12.5m,1,", "field 1"}};
    for (auto [line, field] : bad) {
        auto e = ErrorOf([&] { f.run().ReadTrimRecord(line); });
        EXPECT_EQ(e.code(), ErrorCode::TypeMismatch) << line;
        EXPECT_NE(std::string(e.what()).find(field), std::string::npos) << e.what();
    }
}

// ------------------------------------------------------------------ strict numbers

TEST(StrictNumber, AcceptsOneWholeNumberAndRefusesAnythingElse) {
    const std::pair<const char*, double> good[] = {
        {"42", 42},       {"-0.5", -0.5}, {"+.5", 0.5},       {"7.", 7},  {"  3.25\t", 3.25}, {"2.5e-3", 0.0025},
        {"1D2", 100},     {"0001.000", 1}, {"1e-400", 0},     {"0.000e999", 0}, {"1.7e308", 1.7e308},
    };
    for (auto [text, value] : good) EXPECT_EQ(StrictNumber(text, "f"), value) << text;
    for (const char* text : {"", " ", "-", ".", "1.2.3", "1e", "1e+", "abc", "12m", "1 000", "--1", "&H10", "1,5", "e5"}) {
        auto e = ErrorOf([&] { StrictNumber(text, "field 9 of the TRIM record"); });
        EXPECT_EQ(e.code(), ErrorCode::TypeMismatch) << text;
        EXPECT_NE(std::string(e.what()).find("field 9 of the TRIM record"), std::string::npos) << text;
    }
    for (const char* text : {"1e309", "-1e400", "123456789e305"})
        EXPECT_EQ(ErrorOf([&] { StrictNumber(text, "f"); }).code(), ErrorCode::Overflow) << text;
}

// ------------------------------------------------------------------ boundary scan

TEST(BoundaryScan, AnExportIsScannedFromItsFirstByteOrOverItsLast10024Bytes) {
    // Read from its first byte, this line's field 1 is "AB"; read from its
    // third byte, it is "TRIM".
    const std::string shifted = "Q,AB,TRIM,c,c,c,1,2,3,4\r\n";
    const std::string small = "POLY,Site-trim-line,1,0,0,1,2,3,4,5,6\r\n";
    std::string early = "POLY,TRIM,1,0,0,50,50,60,60\r\n";
    early += Filler(9973 - early.size()) + shifted;   // the shifted line begins at byte 9974
    const std::pair<std::string, const char*> cases[] = {
        {small + Filler(9000 - small.size()), "3: 1,2 3,4 5,6"},   // small: from the first byte
        {shifted + Filler(10025 - shifted.size()), "0:"},            // from byte 1: "AB"
        {shifted + Filler(10026 - shifted.size()), "0:"},            // from byte 2, the comma: still "AB"
        {shifted + Filler(10027 - shifted.size()), "2: 1,2 3,4"},    // from byte 3, mid-line
        {early + Filler(20000 - early.size()), "2: 1,2 3,4"},        // from byte 9976: the early line is not seen
    };
    for (const auto& [text, points] : cases) {
        RecordRunFixture f;
        auto& file = f.Open(text);
        f.run().ScanBoundary(file);
        EXPECT_EQ(Points(f.run().BoundaryPolygon, false), points) << text.size() << " bytes";
        EXPECT_EQ(file.Position(), 1) << "left at the first byte";
    }
}

TEST(BoundaryScan, TheFirstLineWhoseField1SaysTrimInAnyCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"TRIM,1,2,3,4,5,6\r\nTEXT,trimmed,1,1,1,7,8\r\nPOLY,TRIM,1,0,0,9,9,9,9\r\n", "1: 7,8"},
        // Z fields are skipped; continuation lines are not followed.
        {"POLY3D,TRIM,1,0,0,1,2,99,3,4,99,5,6,99\r\nPOLY3D,TRIM,1,0,0,5,6,99,7,7,99\r\n", "3: 1,2 3,4 5,6"},
        {"POLY,TRIM,1,0,0\r\n", "1: 0,0"},   // an empty field 5: one point at the origin
        {"POLY,KERB,1,0,0,1,2,3,4\r\nPOINT,A,1\r\n", "0:"},
    };
    for (auto [text, points] : cases) {
        RecordRunFixture f;
        f.run().BoundaryPolygon.count = 4;
        f.run().BoundaryPolygon.points.assign(5, Point3D{1, 1, 0});
        auto& file = f.Open(text);
        file.ReadLine();
        f.run().ScanBoundary(file);
        EXPECT_EQ(Points(f.run().BoundaryPolygon, false), points) << text;
        EXPECT_EQ(f.run().BoundaryPolygon.points[0].Z, 0);
        EXPECT_EQ(file.Position(), 1) << "left at the first byte";
        EXPECT_EQ(file.ReadLine(), std::string_view(text).substr(0, std::string_view(text).find('\r')));
    }
}
