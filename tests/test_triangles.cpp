// TRI records: one three-dimensional face on layer "TRI" per triangle (its
// corners as a reader sees them: test_lines_dxf).
#include <gtest/gtest.h>

#include "support/record_run_fixture.h"

using namespace ostrel;
using ostrel::test::RecordRunFixture;

namespace {

void ExpectCorner(const cad::Vec3& c, double x, double y, double z) {
    EXPECT_EQ(c.x, x);
    EXPECT_EQ(c.y, y);
    EXPECT_EQ(c.z, z);
}

} // namespace

TEST(TriangleRecord, TheFirstTriangleDecidesTheLayerColourByEntityColoursEachFace) {
    for (bool byEntity : {false, true}) {
        RecordRunFixture f(byEntity ? "[EXPORT]\r\nBYENT=1\r\n[COLORTABLE]\r\n7=40\r\n" : "");
        f.run().AddTriangleRecord("TRI,5,0,0,0,1,0,0,0,1,0");
        f.run().AddTriangleRecord("TRI,7,0,0,0,1,0,0,0,1,0");
        auto faces = f.EntitiesOf(cad::EntityType::Face3D);
        ASSERT_EQ(faces.size(), 2u);
        EXPECT_EQ(f.drawing().layers[faces[0].layer].name, "TRI");
        EXPECT_EQ(faces[0].layer, faces[1].layer);
        EXPECT_EQ(f.FindLayer("TRI")->colour, 5);
        EXPECT_EQ(faces[0].colour, byEntity ? 5 : cad::kColourByLayer);
        EXPECT_EQ(faces[1].colour, byEntity ? 40 : cad::kColourByLayer);
    }
}

TEST(TriangleRecord, NoMappingPrefixClippingOrExtents) {
    RecordRunFixture f("[EXPORT]\r\nLAYERSTYLE=0\r\n[LAYERS]\r\nTRI=SURFACE\r\n");
    auto& run = f.run();
    run.TitleBlockMode = true;
    Polygon square;
    square.points = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {}};
    square.count = 5;
    run.TrimPolygon = square;
    run.BoundaryPolygon = square;
    run.AddTriangleRecord("TRI,1,100,100,0,110,100,0,100,110,0");
    auto faces = f.EntitiesOf(cad::EntityType::Face3D);
    ASSERT_EQ(faces.size(), 1u);
    EXPECT_EQ(f.drawing().layers[faces[0].layer].name, "TRI");
    EXPECT_EQ(run.DrawingExtents.MaxX, 0);
    EXPECT_EQ(run.DrawingExtents.MaxY, 0);
}

TEST(TriangleRecord, MissingFieldsReadAsZero) {
    RecordRunFixture f;
    f.run().AddTriangleRecord("TRI");
    f.run().AddTriangleRecord("TRI,2,1,2,3,4,5,6,7,8,9,99,99");
    auto faces = f.EntitiesOf(cad::EntityType::Face3D);
    ASSERT_EQ(faces.size(), 2u);
    for (const auto& c : faces[0].geom.face.corner) ExpectCorner(c, 0, 0, 0);
    ExpectCorner(faces[1].geom.face.corner[3], 7, 8, 9);   // fields after the third corner are ignored
}

TEST(TriangleRecord, WithoutADrawingNothingIsWritten) {
    RecordRunFixture f;
    const auto before = f.drawing().entities.size();
    const auto handle = f.run().DrawingHandle;
    f.run().DrawingHandle = 0;
    f.run().AddTriangleRecord("TRI,5,0,0,10,10,0,11,0,10,12");
    f.run().DrawingHandle = handle;
    EXPECT_EQ(f.drawing().entities.size(), before);
}
