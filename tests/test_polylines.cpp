// POLY and POLY3D records: layer naming, styling, vertices, continuation
// records, the boundary and trim clip and the 16-bit limits.
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

Polygon Square() { return MakePolygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}); }

void ExpectVertex(const cad::Entity& v, double x, double y, double z = 0) {
    EXPECT_NEAR(v.geom.vertex.pos.x, x, 1e-9);
    EXPECT_NEAR(v.geom.vertex.pos.y, y, 1e-9);
    EXPECT_NEAR(v.geom.vertex.pos.z, z, 1e-9);
}

ErrorCode CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ConversionError& e) {
        return e.code();
    }
    return ErrorCode::Internal;
}

} // namespace

// ------------------------------------------------------------------ records

TEST(PolylineRecord, KerbLineOnItsOwnLayerWithTwoVertices) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,KERB(2),3,0,0,10,20,30,40\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    const auto& p = lines[0];
    EXPECT_EQ(p.layer, "KERB-LINE");
    EXPECT_EQ(p.header.geom.polyline.flags, 128);
    EXPECT_EQ(p.header.geom.polyline.startWidth, 0);
    EXPECT_EQ(p.header.geom.polyline.endWidth, 0);
    ASSERT_EQ(p.vertices.size(), 2u);
    ExpectVertex(p.vertices[0], 10, 20);
    ExpectVertex(p.vertices[1], 30, 40);
    for (const auto& v : p.vertices) {
        EXPECT_EQ(v.geom.vertex.flags, 0);
        EXPECT_EQ(v.geom.vertex.widthFlags, 0);
        EXPECT_EQ(v.colour, cad::kColourByLayer) << "no mapping, no vertex colour";
        EXPECT_NE(v.handle, 0u);
    }
    EXPECT_TRUE(p.hasSeqEnd);
    const auto* layer = f.FindLayer("KERB-LINE");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->colour, 3);
    const auto& e = f.run().DrawingExtents;
    EXPECT_EQ(e.MinX, 10);
    EXPECT_EQ(e.MinY, 20);
    EXPECT_EQ(e.MaxX, 30);
    EXPECT_EQ(e.MaxY, 40);
}

TEST(PolylineRecord, LayerStyleOtherThanZeroKeepsTheFeatureCode) {
    RecordRunFixture f("[EXPORT]\r\nLAYERSTYLE=1\r\n");
    f.Polyline(f.Open("POLY,KERB,3,0,0,10,20,30,40\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].layer, "KERB");
}

TEST(PolylineRecord, TitleBlockModePrefixesTheLayer) {
    RecordRunFixture f;
    f.run().TitleBlockMode = true;
    f.Polyline(f.Open("POLY,FRAME,1,0,0,0,0,10,0\r\n"));
    f.Polyline(f.Open("POLY,CONTOUR-MAJ,1,0,0,0,0,10,0\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].layer, "$TB-FRAME-LINE");
    EXPECT_EQ(lines[1].layer, "$TB-CONTOUR-MAJ-LINE");
}

TEST(PolylineRecord, WidthGoesOnTheHeaderAndEveryVertex) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,WALL,1,0.5,0,0,0,5,0,5,5\r\n"));
    f.Polyline(f.Open("POLY,EDGE,1,-1,0,0,0,5,0\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].header.geom.polyline.startWidth, 0.5);
    EXPECT_EQ(lines[0].header.geom.polyline.endWidth, 0.5);
    ASSERT_EQ(lines[0].vertices.size(), 3u);
    for (const auto& v : lines[0].vertices) {
        EXPECT_EQ(v.geom.vertex.startWidth, 0.5);
        EXPECT_EQ(v.geom.vertex.endWidth, 0.5);
        EXPECT_EQ(v.geom.vertex.widthFlags, 3) << "both width flags set";
    }
    EXPECT_EQ(lines[1].header.geom.polyline.startWidth, 0);
    for (const auto& v : lines[1].vertices) {
        EXPECT_EQ(v.geom.vertex.startWidth, 0);
        EXPECT_EQ(v.geom.vertex.widthFlags, 0);
    }
}

TEST(PolylineRecord, ThreeDimensionalLinesCarryZAndTheirFlags) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY3D,BREAK,2,0,0,1,2,3,4,5,6,7,8,9\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].header.geom.polyline.flags, 8);
    ASSERT_EQ(lines[0].vertices.size(), 3u);
    ExpectVertex(lines[0].vertices[0], 1, 2, 3);
    ExpectVertex(lines[0].vertices[1], 4, 5, 6);
    ExpectVertex(lines[0].vertices[2], 7, 8, 9);
    for (const auto& v : lines[0].vertices) EXPECT_EQ(v.geom.vertex.flags, 32);
}

TEST(PolylineRecord, MappedLayersPutTheColourOnEveryVertex) {
    RecordRunFixture f(
        "[EXPORT]\r\nLAYERSTYLE=0\r\n[LAYERS]\r\nKERB-LINE=ROADS\r\n[COLORTABLE]\r\n3=41\r\n");
    f.Polyline(f.Open("POLY,KERB,3,0,0,10,20,30,40\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].layer, "ROADS");
    ASSERT_EQ(lines[0].vertices.size(), 2u);
    for (const auto& v : lines[0].vertices) EXPECT_EQ(v.colour, 41);
    EXPECT_EQ(lines[0].header.colour, cad::kColourByLayer) << "the header keeps its layer's colour";
}

TEST(PolylineRecord, LinetypeCodeAndStyleLineMakeTheLayersLinetype) {
    RecordRunFixture f;
    std::filesystem::create_directories(f.dir().path() / "styles");
    test::WriteFile(f.dir().file("styles/style.lin"), "DASHED=1\r\nHIDDEN=2\r\nCENTER=3\r\nFENCE=4\r\n");
    f.Polyline(f.Open("POLY,FENCE,1,0,1020:3,0,0,5,0\r\n"));
    f.Polyline(f.Open("POLY,HEDGE,1,0,1020,0,0,5,0\r\n"));
    auto& d = f.drawing();
    const auto* fence = f.FindLayer("FENCE-LINE");
    ASSERT_NE(fence, nullptr);
    ASSERT_NE(fence->linetype, cad::kNone);
    EXPECT_EQ(d.linetypes[fence->linetype].name, "FENCE") << "style line 3 names it";
    ASSERT_EQ(d.linetypes[fence->linetype].dashes.size(), 4u);
    EXPECT_NEAR(d.linetypes[fence->linetype].dashes[0], 0.1, 1e-6);
    EXPECT_NEAR(d.linetypes[fence->linetype].dashes[2], 0.2, 1e-6);
    const auto* hedge = f.FindLayer("HEDGE-LINE");
    ASSERT_NE(hedge, nullptr);
    ASSERT_NE(hedge->linetype, cad::kNone);
    EXPECT_EQ(d.linetypes[hedge->linetype].name, "DASHED") << "no ':' means style line 0";
}

TEST(PolylineRecord, ContourLayersTakeTheContourColour) {
    const std::string ini =
        "[EXPORT]\r\nLAYERSTYLE=1\r\n[LAYERS]\r\nTOPO=CONTOUR-MIN\r\n"
        "[COLORTABLE]\r\nMajorContour=11,12\r\nMinorContour=13,14\r\n";
    RecordRunFixture f(ini);
    f.Polyline(f.Open("POLY,CONTOUR-MAJ,5,0,0,0,0,1,1\r\n"));
    f.Polyline(f.Open("POLY,TOPO,5,0,0,0,0,1,1\r\n"));
    f.Polyline(f.Open("POLY,contour-maj,5,0,0,0,0,1,1\r\n"));
    ASSERT_NE(f.FindLayer("CONTOUR-MAJ"), nullptr);
    EXPECT_EQ(f.FindLayer("CONTOUR-MAJ")->colour, 11);
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].layer, "CONTOUR-MIN") << "the mapped name decides";
    EXPECT_EQ(f.FindLayer("CONTOUR-MIN")->colour, 13);
    for (const auto& v : lines[1].vertices) EXPECT_EQ(v.colour, 13) << "contour colour on mapped vertices";
    // Layer lookups ignore case; the lower-case record kept its own colour code 5.
    EXPECT_EQ(lines[2].layer, "CONTOUR-MAJ");
}

TEST(PolylineRecord, ContourMarkersAreCaseSensitive) {
    RecordRunFixture f("[EXPORT]\r\nLAYERSTYLE=1\r\n[COLORTABLE]\r\nMajorContour=11,12\r\n");
    f.Polyline(f.Open("POLY,contour-maj,5,0,0,0,0,1,1\r\n"));
    ASSERT_NE(f.FindLayer("contour-maj"), nullptr);
    EXPECT_EQ(f.FindLayer("contour-maj")->colour, 5);
}

TEST(PolylineRecord, WithoutADrawingTheChainIsStillConsumed) {
    RecordRunFixture f;
    f.run().DrawingHandle = 0;
    auto& file = f.Open("POLY,A,1,0,0,0,0,5,5\r\nPOLY,A,1,0,0,5,5,9,9\r\nTEXT,after\r\n");
    f.Polyline(file);
    EXPECT_EQ(file.ReadLine(), "TEXT,after");
    EXPECT_EQ(f.run().DrawingExtents.MaxX, 0);
}

// ------------------------------------------------------------------ empty vertex fields

TEST(PolylineEmptyVertices, ARecordWithoutVertexFieldsWritesNothing) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,A,1,0,0\r\nPOLY,A,1,0,0,0,0,5,5\r\n");
    f.Polyline(file);
    EXPECT_TRUE(f.Polylines().empty()) << "no vertex at the origin";
    EXPECT_EQ(file.ReadLine(), "POLY,A,1,0,0,0,0,5,5") << "and no continuation is looked for";
}

TEST(PolylineEmptyVertices, AnEmptyXFieldEndsTheRecord) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,A,1,0,0,,7\r\n"));
    f.Polyline(f.Open("POLY,B,1,0,0,1,2,,,3,4\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].layer, "B-LINE");
    ASSERT_EQ(lines[0].vertices.size(), 1u);
    ExpectVertex(lines[0].vertices[0], 1, 2);
}

TEST(PolylineEmptyVertices, AContinuationWithoutASecondVertexAddsNothing) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,A,1,0,0,10,20,30,40\r\nPOLY,A,1,0,0,30,40\r\nPOLY,A,1,0,0,30,40,50,60\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 3u);
    ExpectVertex(lines[0].vertices[0], 10, 20);
    ExpectVertex(lines[0].vertices[1], 30, 40);
    ExpectVertex(lines[0].vertices[2], 50, 60);
}

TEST(PolylineEmptyVertices, AMissingYFieldReadsAsZero) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,A,1,0,0,1,2,3\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 2u);
    ExpectVertex(lines[0].vertices[1], 3, 0);
}

// ------------------------------------------------------------------ continuation

TEST(PolylineContinuation, ALineStartingAThousandthAwayIsJoined) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,KERB(2),3,0,0,10,20,30,40\r\nPOLY,KERB(2),3,0,0,30.001,40,50,60\r\nNEXT\r\n");
    f.Polyline(file);
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 3u);
    ExpectVertex(lines[0].vertices[0], 10, 20);
    ExpectVertex(lines[0].vertices[1], 30, 40);
    ExpectVertex(lines[0].vertices[2], 50, 60);
    EXPECT_EQ(file.ReadLine(), "NEXT");
}

TEST(PolylineContinuation, JustOverTheJoinDistanceStartsANewRecord) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,KERB,3,0,0,10,20,30,40\r\nPOLY,KERB,3,0,0,30.0021,40,50,60\r\n");
    f.Polyline(file);
    ASSERT_EQ(f.Polylines().size(), 1u);
    EXPECT_EQ(f.Polylines()[0].vertices.size(), 2u);
    EXPECT_EQ(file.ReadLine(), "POLY,KERB,3,0,0,30.0021,40,50,60") << "the read position is restored";
}

TEST(PolylineContinuation, TheLayerFieldMustMatchExactly) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,Kerb,3,0,0,10,20,30,40\r\nPOLY,KERB,3,0,0,30,40,50,60\r\n");
    f.Polyline(file);
    EXPECT_EQ(f.Polylines()[0].vertices.size(), 2u);
    EXPECT_EQ(file.ReadLine(), "POLY,KERB,3,0,0,30,40,50,60");
}

TEST(PolylineContinuation, APoly3DLineContinuesAPolyChainFromField7) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,EDGE,3,0,0,10,20,30,40\r\nPOLY3D,EDGE,3,0,0,30,40,5,50,60,6\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].header.geom.polyline.flags, 128) << "still a plan line";
    ASSERT_EQ(lines[0].vertices.size(), 4u);
    ExpectVertex(lines[0].vertices[2], 5, 50);
    ExpectVertex(lines[0].vertices[3], 60, 6);
}

TEST(PolylineContinuation, AnyKeywordBeginningWithPolyContinues) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,EDGE,3,0,0,10,20,30,40\r\nPOLYLINE,EDGE,9,9,9,30,40,70,80\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 3u);
    ExpectVertex(lines[0].vertices[2], 70, 80);
}

TEST(PolylineContinuation, AThreeDimensionalChainResumesAtField8) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY3D,B,1,0,0,1,1,1,2,2,2\r\nPOLY3D,B,1,0,0,2,2,2,3,3,3,4,4,4\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 4u);
    ExpectVertex(lines[0].vertices[2], 3, 3, 3);
    ExpectVertex(lines[0].vertices[3], 4, 4, 4);
}

TEST(PolylineContinuation, TheFirstRecordsStyleHoldsForTheChain) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,W,1,0.25,0,0,0,1,0\r\nPOLY,W,7,2,0,1,0,2,0\r\nPOLY,W,7,2,0,2,0,3,0\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 4u);
    EXPECT_EQ(lines[0].header.geom.polyline.startWidth, 0.25);
    EXPECT_EQ(lines[0].vertices[3].geom.vertex.startWidth, 0.25);
    EXPECT_EQ(f.FindLayer("W-LINE")->colour, 1);
}

TEST(PolylineContinuation, ReadContinuationLeavesTheFileWhereItWas) {
    RecordRunFixture f;
    auto& file = f.Open("POLY,A,1,0,0,0,0,1,1\r\nTEXT,A,1,0,0,1,1\r\nPOLY,A,1,0,0,1,1,2,2\r\n");
    const std::string_view first = file.ReadLine();
    const auto position = file.Position();
    EXPECT_EQ(f.run().ReadContinuation(file, first, {1, 1}), "");
    EXPECT_EQ(file.Position(), position);
    EXPECT_EQ(file.ReadLine(), "TEXT,A,1,0,0,1,1");
    const auto before = file.Position();
    EXPECT_EQ(f.run().ReadContinuation(file, first, {1, 1}), "POLY,A,1,0,0,1,1,2,2");
    EXPECT_GT(file.Position(), before);
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(f.run().ReadContinuation(file, first, {2, 2}), "") << "at the end of the file";
}

// ------------------------------------------------------------------ clipping

TEST(PolylineClipping, OutsideTheBoundaryNothingIsWritten) {
    RecordRunFixture f;
    f.run().BoundaryPolygon = Square();
    f.Polyline(f.Open("POLY,A,1,0,0,20,20,30,30\r\n"));
    EXPECT_TRUE(f.Polylines().empty());
    EXPECT_EQ(f.run().DrawingExtents.MaxX, 0) << "extents unchanged";
    // One vertex inside keeps the whole line, the outside vertices included.
    f.Polyline(f.Open("POLY,A,1,0,0,20,20,5,5,30,30\r\n"));
    ASSERT_EQ(f.Polylines().size(), 1u);
    EXPECT_EQ(f.Polylines()[0].vertices.size(), 3u);
    EXPECT_EQ(f.run().DrawingExtents.MaxX, 30);
}

TEST(PolylineClipping, TheTrimPolygonKeepsOnlyTheInsideOfTheFirstSegment) {
    RecordRunFixture f;
    f.run().TrimPolygon = Square();
    f.Polyline(f.Open("POLY,A,1,0,0,-5,5,15,5,5,5,6,6,7,7\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].vertices.size(), 2u);
    ExpectVertex(lines[0].vertices[0], 0, 5);
    ExpectVertex(lines[0].vertices[1], 10, 5);
    EXPECT_NEAR(f.run().DrawingExtents.MaxX, 10, 1e-9);
}

TEST(PolylineClipping, EachPieceIsItsOwnPolylineInOrderAlongTheSegment) {
    RecordRunFixture f;
    f.run().TrimPolygon =
        MakePolygon({{0, 0}, {10, 0}, {10, 10}, {6, 10}, {6, 2}, {4, 2}, {4, 10}, {0, 10}, {0, 0}});
    f.Polyline(f.Open("POLY3D,A,1,0,0,12,5,0,-2,5,14\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 2u);
    ExpectVertex(lines[0].vertices[0], 10, 5, 2);
    ExpectVertex(lines[0].vertices[1], 6, 5, 6);
    ExpectVertex(lines[1].vertices[0], 4, 5, 8);
    ExpectVertex(lines[1].vertices[1], 0, 5, 12);
    for (const auto& p : lines) {
        EXPECT_EQ(p.header.geom.polyline.flags, 8);
        EXPECT_TRUE(p.hasSeqEnd);
    }
}

TEST(PolylineClipping, AFirstSegmentOutsideTheTrimWritesNothing) {
    RecordRunFixture f;
    f.run().TrimPolygon = Square();
    f.Polyline(f.Open("POLY,A,1,0,0,20,20,30,30,5,5,6,6\r\n"));
    EXPECT_TRUE(f.Polylines().empty());
}

TEST(PolylineClipping, ASingleVertexIsKeptOnlyInsideTheTrim) {
    RecordRunFixture f;
    f.run().TrimPolygon = Square();
    f.Polyline(f.Open("POLY,A,1,0,0,5,5\r\n"));
    f.Polyline(f.Open("POLY,B,1,0,0,50,5\r\n"));
    auto lines = f.Polylines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].layer, "A-LINE");
    ASSERT_EQ(lines[0].vertices.size(), 1u);
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

TEST(PolylineLimits, AStyleLineOutside16BitsOverflows) {
    RecordRunFixture f;
    EXPECT_EQ(CodeOf([&] { f.Polyline(f.Open("POLY,A,1,0,1020:40000,0,0,1,1\r\n")); }), ErrorCode::Overflow);
    EXPECT_EQ(CodeOf([&] { f.Polyline(f.Open("POLY,A,1,0,1020:-32769,0,0,1,1\r\n")); }), ErrorCode::Overflow);
}

TEST(PolylineLimits, BuffersAreReusedBetweenRecords) {
    RecordRunFixture f;
    f.Polyline(f.Open("POLY,A,1,0,0,0,0,1,1,2,2,3,3,4,4,5,5\r\n"));
    const auto capacity = f.run().PolylineVertices.capacity();
    const Point3D* storage = f.run().PolylineVertices.data();
    f.Polyline(f.Open("POLY,A,1,0,0,9,9,8,8\r\n"));
    EXPECT_EQ(f.run().PolylineVertices.data(), storage);
    EXPECT_EQ(f.run().PolylineVertices.capacity(), capacity);
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
