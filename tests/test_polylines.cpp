// POLY and POLY3D records: layer naming, styling, vertices, continuation
// records, the boundary and trim clip and the 16-bit limits. Mapped colours,
// widths and linetypes as a reader sees them: test_lines_dxf, test_tables_dxf.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "run/field_cursor.h"
#include "ostrel/errors.h"
#include "support/record_run_fixture.h"

using namespace ostrel;
using ostrel::test::RecordRunFixture;

namespace {

Polygon MakePolygon(std::initializer_list<Point3D> points) {
    Polygon p;
    p.points.assign(points.begin(), points.end());
    p.count = static_cast<std::int16_t>(p.points.size());
    p.points.push_back(Point3D{});
    return p;
}

const Polygon kSquare = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
// A square with a notch from the top down to y = 2 between x = 4 and 6.
const Polygon kNotched = MakePolygon({{0, 0}, {10, 0}, {10, 10}, {6, 10}, {6, 2}, {4, 2}, {4, 10}, {0, 10}, {0, 0}});

ErrorCode CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return e.code();
    }
    return ErrorCode::Internal;
}

// The export text, how many records the loop hands over, the polylines
// written and the line the next read gives ("" at the end of the file).
struct Case {
    const char* text;
    int records;
    const char* shape;
    const char* next;
    const Polygon* boundary = nullptr;
    const Polygon* trim = nullptr;
};

void RunCase(const Case& c, RecordRunFixture& f) {
    if (c.boundary) f.run().BoundaryPolygon = *c.boundary;
    if (c.trim) f.run().TrimPolygon = *c.trim;
    auto& file = f.Open(c.text);
    for (int i = 0; i < c.records; ++i) f.Polyline(file);
    EXPECT_EQ(f.Shape(), c.shape) << c.text;
    EXPECT_EQ(file.AtEnd() ? std::string() : std::string(file.ReadLine()), c.next) << c.text;
}

} // namespace

// ------------------------------------------------------------------ records

TEST(PolylineRecord, VerticesContinuationsAndClipping) {
    const Case cases[] = {
        {"POLY,KERB(2),3,0,0,10,20,30,40\r\n", 1, "KERB-LINE#128: 10,20,0 30,40,0", ""},
        {"POLY3D,BREAK,2,0,0,1,2,3,4,5,6,7,8,9\r\n", 1, "BREAK-LINE#8: 1,2,3 4,5,6 7,8,9", ""},
        // No vertex fields: nothing written, no continuation looked for.
        {"POLY,A,1,0,0\r\nPOLY,A,1,0,0,0,0,5,5\r\n", 1, "", "POLY,A,1,0,0,0,0,5,5"},
        // An empty x field ends the record; a missing y reads as zero.
        {"POLY,A,1,0,0,,7\r\nPOLY,B,1,0,0,1,2,,,3,4\r\n", 2, "B-LINE#128: 1,2,0", ""},
        {"POLY,A,1,0,0,1,2,3\r\n", 1, "A-LINE#128: 1,2,0 3,0,0", ""},
        // A continuation starts at the last vertex (a thousandth away joins);
        // one without a second vertex adds nothing.
        {"POLY,KERB(2),3,0,0,10,20,30,40\r\nPOLY,KERB(2),3,0,0,30.001,40,50,60\r\nNEXT\r\n", 1,
         "KERB-LINE#128: 10,20,0 30,40,0 50,60,0", "NEXT"},
        {"POLY,A,1,0,0,10,20,30,40\r\nPOLY,A,1,0,0,30,40\r\nPOLY,A,1,0,0,30,40,50,60\r\n", 1,
         "A-LINE#128: 10,20,0 30,40,0 50,60,0", ""},
        // Just over the join distance, or another layer field: the read position is restored.
        {"POLY,KERB,3,0,0,10,20,30,40\r\nPOLY,KERB,3,0,0,30.0021,40,50,60\r\n", 1, "KERB-LINE#128: 10,20,0 30,40,0",
         "POLY,KERB,3,0,0,30.0021,40,50,60"},
        {"POLY,Kerb,3,0,0,10,20,30,40\r\nPOLY,KERB,3,0,0,30,40,50,60\r\n", 1, "Kerb-LINE#128: 10,20,0 30,40,0",
         "POLY,KERB,3,0,0,30,40,50,60"},
        // Any keyword beginning with POLY continues, read as the chain's first record.
        {"POLY,EDGE,3,0,0,10,20,30,40\r\nPOLY3D,EDGE,3,0,0,30,40,5,50,60,6\r\n", 1,
         "EDGE-LINE#128: 10,20,0 30,40,0 5,50,0 60,6,0", ""},
        {"POLY,EDGE,3,0,0,10,20,30,40\r\nPOLYLINE,EDGE,9,9,9,30,40,70,80\r\n", 1,
         "EDGE-LINE#128: 10,20,0 30,40,0 70,80,0", ""},
        {"POLY3D,B,1,0,0,1,1,1,2,2,2\r\nPOLY3D,B,1,0,0,2,2,2,3,3,3,4,4,4\r\n", 1, "B-LINE#8: 1,1,1 2,2,2 3,3,3 4,4,4", ""},
        // Outside the boundary nothing is written; one vertex inside keeps the whole line.
        {"POLY,A,1,0,0,20,20,30,30\r\nPOLY,B,1,0,0,20,20,5,5,30,30\r\n", 2, "B-LINE#128: 20,20,0 5,5,0 30,30,0", "",
         &kSquare},
        // The trim keeps the inside of the first segment, each piece its own
        // polyline in order along it; a single vertex only inside.
        {"POLY,A,1,0,0,-5,5,15,5,5,5,6,6,7,7\r\n", 1, "A-LINE#128: 0,5,0 10,5,0", "", nullptr, &kSquare},
        {"POLY3D,A,1,0,0,12,5,0,-2,5,14\r\n", 1, "A-LINE#8: 10,5,2 6,5,6 | A-LINE#8: 4,5,8 0,5,12", "", nullptr,
         &kNotched},
        {"POLY,A,1,0,0,20,20,30,30,5,5,6,6\r\n", 1, "", "", nullptr, &kSquare},
        {"POLY,A,1,0,0,5,5\r\nPOLY,B,1,0,0,50,5\r\n", 2, "A-LINE#128: 5,5,0", "", nullptr, &kSquare},
    };
    for (const auto& c : cases) {
        RecordRunFixture f;
        RunCase(c, f);
        for (const auto& p : f.Polylines()) {
            EXPECT_TRUE(p.hasSeqEnd);
            for (const auto& v : p.vertices) EXPECT_EQ(v.geom.vertex.flags, p.header.geom.polyline.flags == 8 ? 32 : 0);
        }
    }
}

TEST(PolylineRecord, ExtentsLayerColourAndTheBoundary) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,KERB(2),3,0,0,10,20,30,40\r\n"));
    ASSERT_NE(f.FindLayer("KERB-LINE"), nullptr);
    EXPECT_EQ(f.FindLayer("KERB-LINE")->colour, 3);
    const auto& e = f.run().DrawingExtents;
    EXPECT_EQ(std::vector<double>({e.MinX, e.MinY, e.MaxX, e.MaxY}), std::vector<double>({10, 20, 30, 40}));
    const auto lines = f.Polylines();
    for (const auto& v : lines[0].vertices) EXPECT_EQ(v.colour, cad::kColourByLayer) << "no mapping";

    // What the boundary or the trim leaves out does not reach the extents.
    RecordRunFixture b;
    b.run().BoundaryPolygon = kSquare;
    b.Polyline(b.Open("POLY,A,1,0,0,20,20,30,30\r\n"));
    EXPECT_EQ(b.run().DrawingExtents.MaxX, 0);
    RecordRunFixture t;
    t.run().TrimPolygon = kSquare;
    t.Polyline(t.Open("POLY,A,1,0,0,-5,5,15,5\r\n"));
    EXPECT_NEAR(t.run().DrawingExtents.MaxX, 10, 1e-9);
    // Without a drawing the chain is still consumed.
    RecordRunFixture none;
    none.run().DrawingHandle = 0;
    auto& file = none.Open("POLY,A,1,0,0,0,0,5,5\r\nPOLY,A,1,0,0,5,5,9,9\r\nTEXT,after\r\n");
    none.Polyline(file);
    EXPECT_EQ(file.ReadLine(), "TEXT,after");
    EXPECT_EQ(none.run().DrawingExtents.MaxX, 0);
}

TEST(PolylineRecord, LayerStyleAndTitleBlockModeNameTheLayer) {
    RecordRunFixture one("[EXPORT]\r\nLAYERSTYLE=1\r\n");
    RunCase({"POLY,KERB,3,0,0,10,20,30,40\r\n", 1, "KERB#128: 10,20,0 30,40,0", ""}, one);
    RecordRunFixture tb;
    tb.run().TitleBlockMode = true;
    RunCase({"POLY,FRAME,1,0,0,0,0,10,0\r\nPOLY,CONTOUR-MAJ,1,0,0,0,0,10,0\r\n", 2,
         "$TB-FRAME-LINE#128: 0,0,0 10,0,0 | $TB-CONTOUR-MAJ-LINE#128: 0,0,0 10,0,0", ""},
        tb);
}

TEST(PolylineRecord, TheFirstRecordsWidthGoesOnTheHeaderAndEveryVertexOfTheChain) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,W,1,0.25,0,0,0,1,0\r\nPOLY,W,7,2,0,1,0,2,0\r\nPOLY,W,7,2,0,2,0,3,0\r\n"));
    f.Polyline(f.Open("POLY,EDGE,1,-1,0,0,0,5,0\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].vertices.size(), 4u);
    EXPECT_EQ(lines[0].header.geom.polyline.startWidth, 0.25);
    EXPECT_EQ(lines[0].header.geom.polyline.endWidth, 0.25);
    for (const auto& v : lines[0].vertices) {
        EXPECT_EQ(v.geom.vertex.startWidth, 0.25);
        EXPECT_EQ(v.geom.vertex.endWidth, 0.25);
        EXPECT_EQ(v.geom.vertex.widthFlags, 3) << "both width flags set";
    }
    EXPECT_EQ(f.FindLayer("W-LINE")->colour, 1);
    EXPECT_EQ(lines[1].header.geom.polyline.startWidth, 0);
    for (const auto& v : lines[1].vertices) EXPECT_EQ(v.geom.vertex.widthFlags, 0);
}

TEST(PolylineRecord, ContourLayersTakeTheContourColourCaseSensitively) {
    RecordRunFixture f("[EXPORT]\r\nLAYERSTYLE=1\r\n[LAYERS]\r\nTOPO=CONTOUR-MIN\r\n"
                       "[COLORTABLE]\r\nMajorContour=11,12\r\nMinorContour=13,14\r\n");
    f.Polyline(f.Open("POLY,CONTOUR-MAJ,5,0,0,0,0,1,1\r\n"));
    f.Polyline(f.Open("POLY,TOPO,5,0,0,0,0,1,1\r\n"));
    EXPECT_EQ(f.FindLayer("CONTOUR-MAJ")->colour, 11);
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].layer, "CONTOUR-MIN") << "the mapped name decides";
    EXPECT_EQ(f.FindLayer("CONTOUR-MIN")->colour, 13);
    for (const auto& v : lines[1].vertices) EXPECT_EQ(v.colour, 13) << "contour colour on mapped vertices";
    RecordRunFixture lower("[EXPORT]\r\nLAYERSTYLE=1\r\n[COLORTABLE]\r\nMajorContour=11,12\r\n");
    lower.Polyline(lower.Open("POLY,contour-maj,5,0,0,0,0,1,1\r\n"));
    EXPECT_EQ(lower.FindLayer("contour-maj")->colour, 5);
}

// ------------------------------------------------------------------ limits

TEST(PolylineLimits, FieldIndexBeyond32767Overflows) {
    RecordRunFixture f;
    auto record = [](int vertices) {
        std::string line = "POLY,BIG,1,0,0";
        for (int i = 0; i < vertices; ++i) line += "," + std::to_string(i) + ",0";
        return line + "\r\n";
    };
    // The last vertex stands at field 32765: the next index, 32767, still fits.
    f.Polyline(f.Open(record(16381)));
    ASSERT_EQ(f.Polylines().size(), 1u);
    EXPECT_EQ(f.Polylines()[0].vertices.size(), 16381u);
    EXPECT_EQ(CodeOf([&] { f.Polyline(f.Open(record(16382))); }), ErrorCode::Overflow);
    for (const char* style : {"40000", "-32769"})
        EXPECT_EQ(CodeOf([&] { f.Polyline(f.Open(std::string("POLY,A,1,0,1020:") + style + ",0,0,1,1\r\n")); }),
                  ErrorCode::Overflow);
}

TEST(PolylineLimits, AChainOfMoreThan32767VerticesOverflows) {
    auto chain = [](int total) {
        std::string text;
        int written = 0;
        while (written < total) {
            std::string line = "POLY,LONG,1,0,0";
            const int start = written == 0 ? 0 : written - 1;   // repeat the last vertex
            const int end = std::min(total, start + 12000);
            for (int i = start; i < end; ++i) line += "," + std::to_string(i) + ",0";
            written = end;
            text += line + "\r\n";
        }
        return text;
    };
    {
        RecordRunFixture f;
        f.Polyline(f.Open(chain(32767)));
        ASSERT_EQ(f.Polylines().size(), 1u);
        EXPECT_EQ(f.Polylines()[0].vertices.size(), 32767u);
    }
    RecordRunFixture f;
    EXPECT_EQ(CodeOf([&] { f.Polyline(f.Open(chain(32768))); }), ErrorCode::Overflow);
}

// ------------------------------------------------------------------ field walking

TEST(FieldCursor, GivesWhatGetCommaFieldGivesInAnyOrder) {
    const std::string_view lines[] = {"POLY,A,1,0,0,10,20,30,40", "A,,B,", ",", "", "POINT", "a,b,c,d,e,f,g,h"};
    const int orders[][8] = {{0, 1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1, 0}, {3, 3, 9, 1, -2, 5, 12, 2}};
    for (auto line : lines) {
        for (const auto& order : orders) {
            FieldCursor cursor(line);
            for (int n : order) ASSERT_EQ(cursor.Field(n), GetCommaField(n, line)) << line << " field " << n;
        }
    }
}
