// POINT, SYM, TEXT, TEXT3D and CIRCLE records, and the layer-name helpers
// they share.
#include <gtest/gtest.h>

#include <cmath>

#include "tables/text_placement.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

constexpr double kPiHalf = 1.5707963267949;

TEST(StripBracketedName, RemovesTheBracketedStretch) {
    EXPECT_EQ(StripBracketed("TREES(OAK)"), "TREES");
    EXPECT_EQ(StripBracketed("KERB(2)-LEFT"), "KERB-LEFT");
    EXPECT_EQ(StripBracketed("A(B)C(D)E"), "AC(D)E");   // only the first pair
    EXPECT_EQ(StripBracketed("(ALL)"), "");
    EXPECT_EQ(StripBracketed("TREES"), "TREES");
    EXPECT_EQ(StripBracketed("TREES(OAK"), "TREES(OAK");   // both brackets are needed
}

TEST(StripBracketedName, ClosingBeforeOpeningOverlapsThePieces) {
    EXPECT_EQ(StripBracketed("A)B(C"), "A)BB(C");
}

std::string Shorten(std::string layer, std::int16_t style) {
    ShortenTextLayer(layer, style);
    return layer;
}

TEST(TextLayer, StyleOneKeepsTheFirstWord) {
    EXPECT_EQ(Shorten("SPOT-HEIGHTS-1", 1), "SPOT");
    EXPECT_EQ(Shorten("SPOT", 1), "SPOT");
    EXPECT_EQ(Shorten("-SPOT", 1), "");
}

TEST(TextLayer, StyleTwoKeepsTheSecondWord) {
    EXPECT_EQ(Shorten("SPOT-HEIGHTS-1", 2), "HEIGHTS");
    EXPECT_EQ(Shorten("SPOT-HEIGHTS", 2), "HEIGHTS");
    EXPECT_EQ(Shorten("SPOT", 2), "");
    EXPECT_EQ(Shorten("-A-B", 2), "A");
    EXPECT_EQ(Shorten("SPOT-", 2), "");
}

TEST(TextLayer, AnnotationNamesAndOtherStylesStayWhole) {
    EXPECT_EQ(Shorten("ANNOTATION-SPOT-HEIGHTS", 1), "ANNOTATION-SPOT-HEIGHTS");
    EXPECT_EQ(Shorten("ANNOTATION-SPOT-HEIGHTS", 2), "ANNOTATION-SPOT-HEIGHTS");
    EXPECT_EQ(Shorten("ANNOTATIONS-X", 1), "ANNOTATIONS");
    EXPECT_EQ(Shorten("SPOT-HEIGHTS-1", 0), "SPOT-HEIGHTS-1");
    EXPECT_EQ(Shorten("SPOT-HEIGHTS-1", 3), "SPOT-HEIGHTS-1");
}

// ------------------------------------------------------------------ POINT

class PointRecords : public TablesTest {};

TEST_F(PointRecords, PointGoesToLayerPointAndWidensTheExtents) {
    Start();
    run->AddPointRecord("POINT,17,1000.5,2000.25,50.4");
    const auto& e = OnlyEntity();
    EXPECT_EQ(e.type, cad::EntityType::Point);
    EXPECT_EQ(LayerOf(e), "POINT");
    EXPECT_EQ(e.colour, cad::kColourByLayer);
    EXPECT_EQ(e.geom.point.pos, (cad::Vec3{1000.5, 2000.25, 50.4}));
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MinX, 1000.5);
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MaxY, 2000.25);
    EXPECT_NE(e.handle, 0u);
}

TEST_F(PointRecords, PointLayerIsMappedButNeverPrefixed) {
    Start("[LAYERS]\nPOINT=SURVEY-POINTS\n");
    run->TitleBlockMode = true;
    run->AddPointRecord("POINT,1,1,2,3");
    EXPECT_EQ(LayerOf(OnlyEntity()), "SURVEY-POINTS");
    EXPECT_EQ(OnlyEntity().colour, cad::kColourByLayer);
}

TEST_F(PointRecords, PointOutsideTheBoundaryIsSkipped) {
    Start();
    run->BoundaryPolygon = Square(0, 0, 10, 10);
    run->TrimPolygon = Square(100, 100, 110, 110);   // points ignore the trim window
    run->AddPointRecord("POINT,1,20,5,0");
    EXPECT_TRUE(ModelSpace().empty());
    EXPECT_EQ(run->DrawingExtents.MaxX, 0);
    run->AddPointRecord("POINT,2,5,5,0");
    EXPECT_EQ(ModelSpace().size(), 1u);
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MaxX, 5);
}

TEST_F(PointRecords, MissingFieldsReadAsZero) {
    Start();
    run->AddPointRecord("POINT");
    run->AddPointRecord("POINT,1,abc,,x");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->geom.point.pos, (cad::Vec3{0, 0, 0}));
    EXPECT_EQ(all[1]->geom.point.pos, (cad::Vec3{0, 0, 0}));
}

// ------------------------------------------------------------------ SYM

class SymbolRecords : public TablesTest {
protected:
    void StartWithSymbols(const std::string& settings = "") {
        Start(settings);
        WriteFile(dir.file("job.SYM"), "SYMDEF,MH\r\n0,0,1,0,1,1,-9.999,-9.999,\r\nENDSYM\r\n");
        auto file = OpenForInput(dir.file("job.SYM"), true, *prompter);
        ASSERT_TRUE(file);
        run->LoadSymbolLibrary(*file);
    }
};

TEST_F(SymbolRecords, InsertTakesPositionScaleAndReversedRotation) {
    StartWithSymbols();
    run->AddSymbolRecord("SYM,MANHOLE(FOUL),1,MH,1040,2030,50.1,2,3,0");
    const auto& e = OnlyEntity();
    ASSERT_EQ(e.type, cad::EntityType::Insert);
    EXPECT_EQ(LayerOf(e), "MANHOLE");
    EXPECT_EQ(drawing().blocks[e.geom.insert.block].name, "SYMMH");
    EXPECT_EQ(e.geom.insert.pos, (cad::Vec3{1040, 2030, 50.1}));
    EXPECT_EQ(e.geom.insert.xScale, 2);
    EXPECT_EQ(e.geom.insert.yScale, 3);
    EXPECT_EQ(e.geom.insert.rotation, 6.28318530717958);
    EXPECT_EQ(e.geom.insert.columns, 1);
    EXPECT_EQ(e.geom.insert.rows, 1);
    EXPECT_EQ(e.colour, cad::kColourByLayer);
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MinX, 1040);
}

TEST_F(SymbolRecords, QuarterTurnBecomesThreeQuarterTurns) {
    StartWithSymbols();
    run->AddSymbolRecord("SYM,L,1,MH,0,0,0,1,1,1.5707963267949");
    EXPECT_DOUBLE_EQ(OnlyEntity().geom.insert.rotation, 6.28318530717958 - 1.5707963267949);
    EXPECT_NEAR(OnlyEntity().geom.insert.rotation, 3 * M_PI / 2, 1e-12);
}

TEST_F(SymbolRecords, ElevationBelowMinus998MeansNone) {
    StartWithSymbols();
    run->AddSymbolRecord("SYM,L,1,MH,0,0,-999,1,1,0");
    run->AddSymbolRecord("SYM,L,1,MH,0,0,-998,1,1,0");
    run->AddSymbolRecord("SYM,L,1,MH,0,0,-998.5,1,1,0");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->geom.insert.pos.z, 0);
    EXPECT_EQ(all[1]->geom.insert.pos.z, -998);
    EXPECT_EQ(all[2]->geom.insert.pos.z, 0);
}

TEST_F(SymbolRecords, MappedLayerGivesAnExplicitColourWhateverByEntity) {
    StartWithSymbols("[LAYERS]\nMANHOLE=DRAINAGE-MH\n[COLORTABLE]\n1=11\n");
    ASSERT_FALSE(run->ByEntity);
    run->AddSymbolRecord("SYM,MANHOLE,1,MH,0,0,0,1,1,0");
    run->AddSymbolRecord("SYM,TREES,1,MH,0,0,0,1,1,0");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(LayerOf(*all[0]), "DRAINAGE-MH");
    EXPECT_EQ(all[0]->colour, 11);
    EXPECT_EQ(all[1]->colour, cad::kColourByLayer);
    EXPECT_EQ(FindLayer("DRAINAGE-MH")->colour, 11);
}

TEST_F(SymbolRecords, ByEntityColoursEveryInsert) {
    StartWithSymbols("[COLORTABLE]\n3=33\n");
    run->ByEntity = true;
    run->AddSymbolRecord("SYM,TREES,3,MH,0,0,0,1,1,0");
    EXPECT_EQ(OnlyEntity().colour, 33);
    EXPECT_EQ(OnlyEntity().linetype, cad::kNone);
}

TEST_F(SymbolRecords, UnknownSymbolWritesNothingButWidensTheExtents) {
    StartWithSymbols();
    run->AddSymbolRecord("SYM,TREES,3,OAK,7,8,0,1,1,0");
    run->AddSymbolRecord("SYM,TREES,3,mh,7,8,0,1,1,0");   // block names ignore case
    EXPECT_EQ(ModelSpace().size(), 1u);
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MaxX, 7);
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MaxY, 8);
}

TEST_F(SymbolRecords, OutsideEitherBoundaryIsSkippedWithoutExtents) {
    StartWithSymbols();
    run->TrimPolygon = Square(0, 0, 10, 10);
    run->AddSymbolRecord("SYM,L,1,MH,20,5,0,1,1,0");
    run->BoundaryPolygon = Square(0, 0, 4, 4);
    run->AddSymbolRecord("SYM,L,1,MH,5,5,0,1,1,0");
    EXPECT_TRUE(ModelSpace().empty());
    EXPECT_EQ(run->DrawingExtents.MaxX, 0);
    run->AddSymbolRecord("SYM,L,1,MH,2,2,0,1,1,0");
    EXPECT_EQ(ModelSpace().size(), 1u);
}

TEST_F(SymbolRecords, TitleBlockModePrefixesTheLayer) {
    StartWithSymbols("[LAYERS]\nWALL=WALLS\n");
    run->TitleBlockMode = true;
    run->AddSymbolRecord("SYM,WALL,1,MH,0,0,0,1,1,0");
    EXPECT_EQ(LayerOf(OnlyEntity()), "$TB-WALLS");
}

TEST_F(SymbolRecords, MissingFieldsReadAsZero) {
    StartWithSymbols();
    run->AddSymbolRecord("SYM,L,x,MH");
    const auto& e = OnlyEntity();
    EXPECT_EQ(e.geom.insert.pos, (cad::Vec3{0, 0, 0}));
    EXPECT_EQ(e.geom.insert.xScale, 0);
    EXPECT_EQ(e.geom.insert.rotation, 6.28318530717958);
    run->AddSymbolRecord("SYM");   // symbol "" names no block
    EXPECT_EQ(ModelSpace().size(), 1u);
}

// ------------------------------------------------------------------ TEXT

class TextRecords : public TablesTest {};

TEST_F(TextRecords, TextSitsThreeQuartersBelowAtHalfTheSize) {
    Start();
    run->AddTextRecord("TEXT,NOTES,7,Kestrel Road,100,200,2,0", false);
    const auto& e = OnlyEntity();
    ASSERT_EQ(e.type, cad::EntityType::Text);
    EXPECT_EQ(LayerOf(e), "NOTES");
    EXPECT_DOUBLE_EQ(e.geom.text.pos.x, 100);
    EXPECT_DOUBLE_EQ(e.geom.text.pos.y, 198.5);
    EXPECT_EQ(e.geom.text.pos.z, 0);
    EXPECT_DOUBLE_EQ(e.geom.text.height, 1);
    EXPECT_EQ(e.geom.text.rotation, 0);
    EXPECT_EQ(drawing().Text(e.geom.text), "Kestrel Road");
    EXPECT_EQ(e.geom.text.hAlign, 0);
    EXPECT_EQ(e.geom.text.vAlign, 0);
    EXPECT_EQ(e.colour, cad::kColourByLayer);
    // Texts do not widen the extents.
    EXPECT_EQ(run->DrawingExtents.MaxX, 0);
}

TEST_F(TextRecords, RotatedTextMovesAtRightAngles) {
    Start();
    run->AddTextRecord("TEXT,NOTES,7,T,100,200,2,1.5707963267949", false);
    const auto& t = OnlyEntity().geom.text;
    EXPECT_NEAR(t.pos.x, 101.5, 1e-9);
    EXPECT_NEAR(t.pos.y, 200, 1e-9);
    EXPECT_DOUBLE_EQ(t.rotation, 1.5707963267949);
}

TEST_F(TextRecords, Text3DKeepsItsElevation) {
    Start();
    run->AddTextRecord("TEXT3D,SPOT,4,50.40,10,20,50,1.5,0", true);
    run->AddTextRecord("TEXT,SPOT,4,50.40,10,20,50,1.5,0", false);   // field 6 is the size here
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->geom.text.pos.z, 50);
    EXPECT_DOUBLE_EQ(all[0]->geom.text.height, 0.75);
    EXPECT_DOUBLE_EQ(all[0]->geom.text.pos.y, 20 - 1.125);
    EXPECT_EQ(all[1]->geom.text.pos.z, 0);
    EXPECT_DOUBLE_EQ(all[1]->geom.text.height, 25);
    EXPECT_DOUBLE_EQ(all[1]->geom.text.rotation, 1.5);
}

TEST_F(TextRecords, LayerStyleShortensBeforeMapping) {
    Start("[EXPORT]\nLAYERSTYLE=1\n[LAYERS]\nSPOT=LEVELS\n");
    EXPECT_EQ(run->LayerStyle, 1);
    run->AddTextRecord("TEXT,SPOT-HEIGHTS-1,4,x,0,0,1,0", false);
    run->AddTextRecord("TEXT,ANNOTATION-SPOT-HEIGHTS,4,x,0,0,1,0", false);
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(LayerOf(*all[0]), "LEVELS");
    EXPECT_EQ(LayerOf(*all[1]), "ANNOTATION-SPOT-HEIGHTS");
}

TEST_F(TextRecords, StyleTwoWithoutDashLandsOnLayerZero) {
    Start();
    run->LayerStyle = 2;
    run->AddTextRecord("TEXT,NOTES,4,x,0,0,1,0", false);
    run->AddTextRecord("TEXT,SPOT-HEIGHTS,4,x,0,0,1,0", false);
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(LayerOf(*all[0]), "0");
    EXPECT_EQ(LayerOf(*all[1]), "HEIGHTS");
}

TEST_F(TextRecords, CommaInTheStringShiftsTheFields) {
    Start();
    run->AddTextRecord("TEXT,NOTES,7,Smith, J,100,200,2,0", false);
    const auto& e = OnlyEntity();
    EXPECT_EQ(drawing().Text(e.geom.text), "Smith");
    // " J" is read as X (0), 100 as Y, 200 as the size, 2 as the rotation.
    EXPECT_NEAR(e.geom.text.pos.x, std::sin(2.0) * 150, 1e-9);
    EXPECT_NEAR(e.geom.text.pos.y, 100 - std::cos(2.0) * 150, 1e-9);
    EXPECT_DOUBLE_EQ(e.geom.text.height, 100);
    EXPECT_DOUBLE_EQ(e.geom.text.rotation, 2);
}

TEST_F(TextRecords, ContourColourIsTakenBeforeTheMapping) {
    Start("[LAYERS]\nCONTOUR-MAJ=LABELS\n[COLORTABLE]\n1=11\nMajorContour=1,2\nMinorContour=3,4\n");
    run->ByEntity = true;
    run->AddTextRecord("TEXT,CONTOUR-MAJ,9,50.0,0,0,2,0", false);
    const auto& e = OnlyEntity();
    EXPECT_EQ(LayerOf(e), "LABELS");
    EXPECT_EQ(e.colour, 11);
    EXPECT_EQ(FindLayer("LABELS")->colour, 11);
}

TEST_F(TextRecords, MappingAloneGivesTextNoExplicitColour) {
    Start("[LAYERS]\nNOTES=ANNOTATION\n[COLORTABLE]\n7=3\n");
    run->AddTextRecord("TEXT,NOTES,7,x,0,0,2,0", false);
    EXPECT_EQ(LayerOf(OnlyEntity()), "ANNOTATION");
    EXPECT_EQ(OnlyEntity().colour, cad::kColourByLayer);
    EXPECT_EQ(FindLayer("ANNOTATION")->colour, 3);
}

TEST_F(TextRecords, BoundaryTestUsesTheMovedPointAndTrimIsIgnored) {
    Start();
    run->BoundaryPolygon = Square(0, 0, 10, 10);
    run->TrimPolygon = Square(100, 100, 110, 110);
    run->AddTextRecord("TEXT,N,7,in,5,10.5,2,0", false);   // moved to (5, 9): inside
    run->AddTextRecord("TEXT,N,7,out,5,0.5,2,0", false);   // moved to (5, -1): outside
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(drawing().Text(all[0]->geom.text), "in");
}

TEST_F(TextRecords, TitleBlockModePrefixesTheLayer) {
    Start();
    run->TitleBlockMode = true;
    run->AddTextRecord("TEXT,TITLE,7,Sheet,0,0,2,0", false);
    EXPECT_EQ(LayerOf(OnlyEntity()), "$TB-TITLE");
}

TEST_F(TextRecords, BareRecordMakesAnEmptyTextOnLayerZero) {
    Start();
    run->AddTextRecord("TEXT", false);
    const auto& e = OnlyEntity();
    EXPECT_EQ(LayerOf(e), "0");
    EXPECT_EQ(e.geom.text.height, 0);
    EXPECT_EQ(drawing().Text(e.geom.text), "");
}

// ------------------------------------------------------------------ CIRCLE

class CircleRecords : public TablesTest {};

TEST_F(CircleRecords, DiameterBecomesRadius) {
    Start();
    run->AddCircleRecord("CIRCLE,TREES(OAK),3,1015,2025,51.2,3");
    const auto& e = OnlyEntity();
    ASSERT_EQ(e.type, cad::EntityType::Circle);
    EXPECT_EQ(LayerOf(e), "TREES");
    EXPECT_EQ(e.geom.circle.center, (cad::Vec3{1015, 2025, 51.2}));
    EXPECT_DOUBLE_EQ(e.geom.circle.radius, 1.5);
    EXPECT_EQ(e.colour, cad::kColourByLayer);
    EXPECT_EQ(run->DrawingExtents.MaxX, 0);
}

TEST_F(CircleRecords, ZeroMissingAndNegativeDiametersPassUnchecked) {
    Start();
    run->AddCircleRecord("CIRCLE,T,3,0,0,0,0");
    run->AddCircleRecord("CIRCLE,T,3,0,0,0");
    run->AddCircleRecord("CIRCLE,T,3,0,0,0,-4");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->geom.circle.radius, 0);
    EXPECT_EQ(all[1]->geom.circle.radius, 0);
    EXPECT_EQ(all[2]->geom.circle.radius, -2);
}

TEST_F(CircleRecords, CirclesAreNeverClipped) {
    Start();
    run->TrimPolygon = Square(0, 0, 10, 10);
    run->BoundaryPolygon = Square(0, 0, 10, 10);
    run->AddCircleRecord("CIRCLE,T,3,50,50,0,2");
    EXPECT_EQ(ModelSpace().size(), 1u);
}

TEST_F(CircleRecords, MappedLayerGivesAnExplicitColour) {
    Start("[LAYERS]\nTREES=VEGETATION\n[COLORTABLE]\n3=33\n");
    run->AddCircleRecord("CIRCLE,TREES,3,0,0,0,2");
    run->AddCircleRecord("CIRCLE,SHRUBS,3,0,0,0,2");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(LayerOf(*all[0]), "VEGETATION");
    EXPECT_EQ(all[0]->colour, 33);
    EXPECT_EQ(all[1]->colour, cad::kColourByLayer);
    run->ByEntity = true;
    run->AddCircleRecord("CIRCLE,SHRUBS,3,0,0,0,2");
    EXPECT_EQ(ModelSpace().back()->colour, 33);
}

TEST_F(CircleRecords, TitleBlockModePrefixesTheLayer) {
    Start();
    run->TitleBlockMode = true;
    run->AddCircleRecord("CIRCLE,FRAME,7,0,0,0,2");
    EXPECT_EQ(LayerOf(OnlyEntity()), "$TB-FRAME");
}

TEST_F(CircleRecords, WithoutDrawingNothingHappens) {
    Start();
    const auto id = run->DrawingHandle;
    run->DrawingHandle = 0;
    run->AddCircleRecord("CIRCLE,T,3,0,0,0,2");
    run->AddTextRecord("TEXT,T,3,x,0,0,2,0", false);
    run->AddPointRecord("POINT,1,5,5,0");
    run->AddSymbolRecord("SYM,T,3,MH,5,5,0,1,1,0");
    run->DrawingHandle = id;
    EXPECT_TRUE(ModelSpace().empty());
    EXPECT_EQ(FindLayer("T"), nullptr);
}

} // namespace
} // namespace ostrel::test
