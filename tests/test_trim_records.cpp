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

struct TrimResult {
    int count;
    std::vector<Point3D> points;
};

TrimResult Trim(ConversionRun& run, std::string_view line) {
    run.ReadTrimRecord(line);
    return {run.TrimPolygon.count, run.TrimPolygon.points};
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

TEST(TrimRecord, TheTrailingFieldCompletesTheLastPair) {
    RecordRunFixture f;
    auto r = Trim(f.run(), "TRIM,1,2,3,4,5,6,");
    ASSERT_EQ(r.count, 3);
    ASSERT_EQ(r.points.size(), 4u) << "points 0 to count";
    EXPECT_EQ(r.points[0].X, 1);
    EXPECT_EQ(r.points[0].Y, 2);
    EXPECT_EQ(r.points[2].X, 5);
    EXPECT_EQ(r.points[2].Y, 6);
    EXPECT_EQ(r.points[3].X, 0) << "the extra point is all zero";
    EXPECT_EQ(r.points[3].Y, 0);
}

TEST(TrimRecord, WithoutTheTrailingFieldTheLastPairIsLost) {
    RecordRunFixture f;
    EXPECT_EQ(Trim(f.run(), "TRIM,1,2,3,4,5,6").count, 2);
    auto r = Trim(f.run(), "TRIM,1,2,3,4,z");
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.points[1].X, 3);
    EXPECT_EQ(r.points[1].Y, 4);
}

TEST(TrimRecord, HalvesGoToTheEvenCount) {
    RecordRunFixture f;
    EXPECT_EQ(Trim(f.run(), "TRIM,1,2,3,4,5,6,7,8").count, 4) << "8 commas: 3.5 gives 4";
    EXPECT_EQ(Trim(f.run(), "TRIM,1,2,3,4,5").count, 2) << "5 commas: 2";
    EXPECT_EQ(Trim(f.run(), "TRIM,1,2,3").count, 1) << "3 commas: 1";
    EXPECT_EQ(Trim(f.run(), "TRIM,1,2,3,4,5,6,7,8,9,10").count, 4) << "10 commas: 4.5 gives 4";
}

TEST(TrimRecord, TrimEndAndEmptyRecordsClearThePolygon) {
    RecordRunFixture f;
    Trim(f.run(), "TRIM,1,2,3,4,5,6,");
    auto r = Trim(f.run(), "TRIMEND");
    EXPECT_EQ(r.count, 0);
    ASSERT_EQ(r.points.size(), 1u);
    EXPECT_EQ(r.points[0].X, 0);
    Trim(f.run(), "TRIM,1,2,3,4,5,6,");
    EXPECT_EQ(Trim(f.run(), "TRIMEND,1").count, 0) << "read as a TRIM record with one comma";
    Trim(f.run(), "TRIM,1,2,3,4,5,6,");
    EXPECT_EQ(Trim(f.run(), "TRIM").count, 0);
    EXPECT_EQ(Trim(f.run(), "TRIM,").count, 0);
}

TEST(TrimRecord, EachRecordReplacesTheLast) {
    RecordRunFixture f;
    Trim(f.run(), "TRIM,1,2,3,4,5,6,7,8,");
    auto r = Trim(f.run(), "TRIM,9,9,");
    EXPECT_EQ(r.count, 1);
    ASSERT_EQ(r.points.size(), 2u);
    EXPECT_EQ(r.points[1].X, 0) << "earlier points are discarded";
}

TEST(TrimRecord, CoordinatesAreConvertedStrictly) {
    RecordRunFixture f;
    auto r = Trim(f.run(), "TRIM, 1.5 ,-2,1E3,.25,");
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.points[0].X, 1.5);
    EXPECT_EQ(r.points[0].Y, -2);
    EXPECT_EQ(r.points[1].X, 1000);
    EXPECT_EQ(r.points[1].Y, 0.25);

    auto empty = ErrorOf([&] { f.run().ReadTrimRecord("TRIM,1,,3,4,"); });
    EXPECT_EQ(empty.code(), ErrorCode::TypeMismatch);
    EXPECT_NE(std::string(empty.what()).find("field 2"), std::string::npos) << empty.what();

    auto text = ErrorOf([&] { f.run().ReadTrimRecord("TRIM,1,2,3,north,"); });
    EXPECT_EQ(text.code(), ErrorCode::TypeMismatch);
    EXPECT_NE(std::string(text.what()).find("field 4"), std::string::npos) << text.what();

    // The lenient scan would read 12.5m as 12.5; the strict one refuses it.
    EXPECT_EQ(ErrorOf([&] { f.run().ReadTrimRecord("TRIM,12.5m,1,"); }).code(), ErrorCode::TypeMismatch);
}

// ------------------------------------------------------------------ strict numbers

TEST(StrictNumber, AcceptsOneWholeNumber) {
    EXPECT_EQ(StrictNumber("42", "f"), 42);
    EXPECT_EQ(StrictNumber("-0.5", "f"), -0.5);
    EXPECT_EQ(StrictNumber("+.5", "f"), 0.5);
    EXPECT_EQ(StrictNumber("7.", "f"), 7);
    EXPECT_EQ(StrictNumber("  3.25\t", "f"), 3.25);
    EXPECT_EQ(StrictNumber("2.5e-3", "f"), 0.0025);
    EXPECT_EQ(StrictNumber("1D2", "f"), 100) << "D exponent";
    EXPECT_EQ(StrictNumber("0001.000", "f"), 1);
    EXPECT_EQ(StrictNumber("1e-400", "f"), 0) << "too small is 0";
    EXPECT_EQ(StrictNumber("0.000e999", "f"), 0);
}

TEST(StrictNumber, RefusesAnythingElse) {
    for (const char* bad : {"", " ", "-", ".", "1.2.3", "1e", "1e+", "abc", "12m", "1 000", "--1", "&H10", "1,5",
                            "e5"}) {
        try {
            StrictNumber(bad, "field 9 of the TRIM record");
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.code(), ErrorCode::TypeMismatch) << bad;
            EXPECT_NE(std::string(e.what()).find("field 9 of the TRIM record"), std::string::npos);
        }
    }
}

TEST(StrictNumber, TooLargeOverflows) {
    for (const char* big : {"1e309", "-1e400", "123456789e305"}) {
        try {
            StrictNumber(big, "f");
            ADD_FAILURE() << "accepted " << big;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Overflow) << big;
        }
    }
    EXPECT_EQ(StrictNumber("1.7e308", "f"), 1.7e308);
}

// ------------------------------------------------------------------ boundary scan

TEST(BoundaryScan, ASmallExportIsScannedFromItsFirstByte) {
    RecordRunFixture f;
    std::string text = "POLY,Site-trim-line,1,0,0,1,2,3,4,5,6\r\n";
    text += Filler(9000 - text.size());
    ASSERT_EQ(text.size(), 9000u);
    auto& file = f.Open(text);
    file.ReadLine();
    f.run().ScanBoundary(file);
    const auto& b = f.run().BoundaryPolygon;
    ASSERT_EQ(b.count, 3);
    EXPECT_EQ(b.points[0].X, 1);
    EXPECT_EQ(b.points[0].Y, 2);
    EXPECT_EQ(b.points[2].X, 5);
    EXPECT_EQ(b.points[2].Y, 6);
    EXPECT_EQ(file.Position(), 1) << "left at the first byte";
    EXPECT_EQ(file.ReadLine(), "POLY,Site-trim-line,1,0,0,1,2,3,4,5,6");
}

TEST(BoundaryScan, ALargeExportIsScannedOverItsLast10024Bytes) {
    // Read from its first byte, this line's field 1 is "AB"; read from its
    // third byte, it is "TRIM".
    const std::string shifted = "Q,AB,TRIM,c,c,c,1,2,3,4\r\n";
    {
        // 10025 bytes: the scan starts at byte 1 and sees "AB".
        RecordRunFixture f;
        auto& file = f.Open(shifted + Filler(10025 - shifted.size()));
        f.run().ScanBoundary(file);
        EXPECT_EQ(f.run().BoundaryPolygon.count, 0);
        EXPECT_EQ(file.Position(), 1);
    }
    {
        // 10026 bytes: it starts at byte 2, on the comma, and still sees "AB".
        RecordRunFixture f;
        auto& file = f.Open(shifted + Filler(10026 - shifted.size()));
        f.run().ScanBoundary(file);
        EXPECT_EQ(f.run().BoundaryPolygon.count, 0);
    }
    {
        // 10027 bytes: it starts at byte 3, in the middle of the line.
        RecordRunFixture f;
        auto& file = f.Open(shifted + Filler(10027 - shifted.size()));
        f.run().ScanBoundary(file);
        const auto& b = f.run().BoundaryPolygon;
        ASSERT_EQ(b.count, 2);
        EXPECT_EQ(b.points[0].X, 1);
        EXPECT_EQ(b.points[0].Y, 2);
        EXPECT_EQ(b.points[1].X, 3);
        EXPECT_EQ(b.points[1].Y, 4);
        EXPECT_EQ(file.Position(), 1);
    }
    {
        // 20000 bytes: it starts at byte 9976; a boundary line before it is not seen.
        RecordRunFixture f;
        const std::string early = "POLY,TRIM,1,0,0,50,50,60,60\r\n";
        std::string text = early + Filler(9973 - early.size());
        ASSERT_EQ(text.size(), 9973u);
        text += shifted;   // begins at byte 9974
        text += Filler(20000 - text.size());
        auto& file = f.Open(text);
        f.run().ScanBoundary(file);
        const auto& b = f.run().BoundaryPolygon;
        ASSERT_EQ(b.count, 2);
        EXPECT_EQ(b.points[0].X, 1);
        EXPECT_EQ(b.points[1].Y, 4);
    }
}

TEST(BoundaryScan, OnlyField1DecidesInAnyLetterCase) {
    RecordRunFixture f;
    auto& file = f.Open("TRIM,1,2,3,4,5,6\r\nTEXT,trimmed,1,1,1,7,8\r\nPOLY,TRIM,1,0,0,9,9,9,9\r\n");
    f.run().ScanBoundary(file);
    const auto& b = f.run().BoundaryPolygon;
    ASSERT_EQ(b.count, 1) << "the TEXT line is the first that qualifies";
    EXPECT_EQ(b.points[0].X, 7);
    EXPECT_EQ(b.points[0].Y, 8);
}

TEST(BoundaryScan, ThreeDimensionalLinesSkipTheirZFields) {
    RecordRunFixture f;
    auto& file = f.Open("POLY3D,TRIM,1,0,0,1,2,99,3,4,99,5,6,99\r\nPOLY3D,TRIM,1,0,0,5,6,99,7,7,99\r\n");
    f.run().ScanBoundary(file);
    const auto& b = f.run().BoundaryPolygon;
    ASSERT_EQ(b.count, 3) << "continuation lines are not followed";
    EXPECT_EQ(b.points[1].X, 3);
    EXPECT_EQ(b.points[1].Y, 4);
    EXPECT_EQ(b.points[2].X, 5);
    EXPECT_EQ(b.points[2].Y, 6);
    EXPECT_EQ(b.points[0].Z, 0);
}

TEST(BoundaryScan, AnEmptyField5GivesOnePointAtTheOrigin) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,TRIM,1,0,0\r\n");
    f.run().ScanBoundary(file);
    EXPECT_EQ(f.run().BoundaryPolygon.count, 1);
    EXPECT_EQ(f.run().BoundaryPolygon.points[0].X, 0);
}

TEST(BoundaryScan, NoQualifyingLineLeavesNoBoundary) {
    RecordRunFixture f;
    f.run().BoundaryPolygon.count = 4;
    f.run().BoundaryPolygon.points.assign(5, Point3D{1, 1, 0});
    auto& file = f.Open("POLY,KERB,1,0,0,1,2,3,4\r\nPOINT,A,1\r\n");
    file.ReadLine();
    file.ReadLine();
    f.run().ScanBoundary(file);
    EXPECT_EQ(f.run().BoundaryPolygon.count, 0);
    EXPECT_EQ(file.Position(), 1);
    EXPECT_EQ(file.ReadLine(), "POLY,KERB,1,0,0,1,2,3,4");
}
