// POINT, SYM, TEXT, TEXT3D and CIRCLE records, and the layer-name helpers
// they share.
#include <gtest/gtest.h>

#include <cmath>

#include "tables/text_placement.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

TEST(LayerNames, StripBracketedAndShortenTextLayer) {
    const std::pair<const char*, const char*> stripped[] = {
        {"TREES(OAK)", "TREES"}, {"KERB(2)-LEFT", "KERB-LEFT"}, {"A(B)C(D)E", "AC(D)E"},   // only the first pair
        {"(ALL)", ""},           {"TREES(OAK", "TREES(OAK"},    {"A)B(C", "A)BB(C"},       // closing before opening
    };
    for (auto [name, expected] : stripped) EXPECT_EQ(StripBracketed(name), expected) << name;
    struct Case {
        const char* layer;
        std::int16_t style;
        const char* expected;
    };
    const Case shortened[] = {
        {"SPOT-HEIGHTS-1", 1, "SPOT"},    {"SPOT", 1, "SPOT"},          {"-SPOT", 1, ""},
        {"SPOT-HEIGHTS-1", 2, "HEIGHTS"}, {"SPOT-HEIGHTS", 2, "HEIGHTS"}, {"SPOT", 2, ""},
        {"-A-B", 2, "A"},                 {"SPOT-", 2, ""},
        {"ANNOTATION-SPOT-HEIGHTS", 1, "ANNOTATION-SPOT-HEIGHTS"},
        {"ANNOTATION-SPOT-HEIGHTS", 2, "ANNOTATION-SPOT-HEIGHTS"},
        {"ANNOTATIONS-X", 1, "ANNOTATIONS"}, {"SPOT-HEIGHTS-1", 0, "SPOT-HEIGHTS-1"}, {"SPOT-HEIGHTS-1", 3, "SPOT-HEIGHTS-1"},
    };
    for (const auto& c : shortened) {
        std::string layer = c.layer;
        ShortenTextLayer(layer, c.style);
        EXPECT_EQ(layer, c.expected) << c.layer << " style " << c.style;
    }
}

class Records : public TablesTest {
protected:
    void StartWithSymbols(const std::string& settings = "") {
        Start(settings);
        WriteFile(dir.file("job.SYM"), "SYMDEF,MH\r\n0,0,1,0,1,1,-9.999,-9.999,\r\nENDSYM\r\n");
        auto file = OpenForInput(dir.file("job.SYM"), true, *prompter);
        ASSERT_TRUE(file);
        run->LoadSymbolLibrary(*file);
    }
    void Add(const std::string& record) {
        const std::string keyword(GetCommaField(0, record));
        if (keyword == "POINT") run->AddPointRecord(record);
        else if (keyword == "SYM") run->AddSymbolRecord(record);
        else if (keyword == "CIRCLE") run->AddCircleRecord(record);
        else run->AddTextRecord(record, keyword == "TEXT3D");
    }
    // "layer colour" of each entity of model space, joined by " | ".
    std::string Layers() {
        std::string out;
        for (const auto* e : ModelSpace())
            out += (out.empty() ? "" : " | ") + LayerOf(*e) + " " + std::to_string(e->colour);
        return out;
    }
};

// Which layer each record lands on, and whether it carries its own colour:
// a mapped layer gives one to inserts and circles, not to points and texts.
TEST_F(Records, LayerAndColourOfEachKind) {
    struct Case {
        const char* settings;
        bool byEntity, titleBlock;
        std::vector<const char*> records;
        const char* layers;
        const char* colouredLayer = "";   // and that layer's colour
        int layerColour = 0;
    };
    const Case cases[] = {
        {"", false, false, {"POINT,17,1,2,3", "TEXT,NOTES,7,x,0,0,2,0", "CIRCLE,TREES(OAK),3,0,0,0,2", "SYM,MANHOLE(FOUL),1,MH,0,0,0,1,1,0"},
         "POINT 256 | NOTES 256 | TREES 256 | MANHOLE 256"},
        {"[LAYERS]\nPOINT=SURVEY-POINTS\n", false, true, {"POINT,1,1,2,3"}, "SURVEY-POINTS 256"},   // never prefixed
        {"[LAYERS]\nWALL=WALLS\n", false, true, {"SYM,WALL,1,MH,0,0,0,1,1,0", "TEXT,TITLE,7,S,0,0,2,0", "CIRCLE,FRAME,7,0,0,0,2"},
         "$TB-WALLS 1 | $TB-TITLE 256 | $TB-FRAME 256"},
        {"[LAYERS]\nMANHOLE=DRAINAGE-MH\n[COLORTABLE]\n1=11\n", false, false,
         {"SYM,MANHOLE,1,MH,0,0,0,1,1,0", "SYM,TREES,1,MH,0,0,0,1,1,0"}, "DRAINAGE-MH 11 | TREES 256", "DRAINAGE-MH", 11},
        {"[COLORTABLE]\n3=33\n", true, false, {"SYM,TREES,3,MH,0,0,0,1,1,0", "CIRCLE,SHRUBS,3,0,0,0,2"}, "TREES 33 | SHRUBS 33"},
        {"[LAYERS]\nTREES=VEGETATION\n[COLORTABLE]\n3=33\n", false, false,
         {"CIRCLE,TREES,3,0,0,0,2", "CIRCLE,SHRUBS,3,0,0,0,2"}, "VEGETATION 33 | SHRUBS 256"},
        {"[LAYERS]\nNOTES=ANNOTATION\n[COLORTABLE]\n7=3\n", false, false, {"TEXT,NOTES,7,x,0,0,2,0"}, "ANNOTATION 256", "ANNOTATION", 3},
        // The contour colour is taken before the mapping.
        {"[LAYERS]\nCONTOUR-MAJ=LABELS\n[COLORTABLE]\n1=11\nMajorContour=1,2\nMinorContour=3,4\n", true, false,
         {"TEXT,CONTOUR-MAJ,9,50.0,0,0,2,0"}, "LABELS 11", "LABELS", 11},
        // The layer style shortens text layers before the mapping.
        {"[EXPORT]\nLAYERSTYLE=1\n[LAYERS]\nSPOT=LEVELS\n", false, false,
         {"TEXT,SPOT-HEIGHTS-1,4,x,0,0,1,0", "TEXT,ANNOTATION-SPOT-HEIGHTS,4,x,0,0,1,0"}, "LEVELS 256 | ANNOTATION-SPOT-HEIGHTS 256"},
        {"[EXPORT]\nLAYERSTYLE=2\n", false, false, {"TEXT,NOTES,4,x,0,0,1,0", "TEXT,SPOT-HEIGHTS,4,x,0,0,1,0"}, "0 256 | HEIGHTS 256"},
        {"", false, false, {"TEXT"}, "0 256"},
    };
    for (const auto& c : cases) {
        StartWithSymbols(c.settings);
        run->ByEntity = c.byEntity;
        run->TitleBlockMode = c.titleBlock;
        for (const char* r : c.records) Add(r);
        EXPECT_EQ(Layers(), c.layers) << c.settings << c.records[0];
        if (*c.colouredLayer) {
            EXPECT_EQ(FindLayer(c.colouredLayer)->colour, c.layerColour) << c.colouredLayer;
        }
    }
}

TEST_F(Records, OnlyPointsAndInsertsWidenTheExtents) {
    StartWithSymbols();
    run->AddTextRecord("TEXT,NOTES,7,Kestrel Road,100,200,2,0", false);
    run->AddCircleRecord("CIRCLE,T,3,1015,2025,51.2,3");
    EXPECT_EQ(run->DrawingExtents.MaxX, 0);
    run->AddPointRecord("POINT,17,1000.5,2000.25,50.4");
    EXPECT_EQ(ModelSpace()[2]->geom.point.pos, (cad::Vec3{1000.5, 2000.25, 50.4}));
    run->AddSymbolRecord("SYM,TREES,3,OAK,1007,2008,0,1,1,0");   // an unknown symbol widens them too
    const auto& e = run->DrawingExtents;
    EXPECT_EQ(std::vector<double>({e.MinX, e.MinY, e.MaxX, e.MaxY}), std::vector<double>({1000.5, 2000.25, 1007, 2008}));
}

TEST_F(Records, BoundaryAndTrimDecideWhatIsWritten) {
    StartWithSymbols();
    run->BoundaryPolygon = Square(0, 0, 10, 10);
    run->TrimPolygon = Square(100, 100, 110, 110);   // points, texts and circles ignore the trim
    for (const char* r : {"POINT,1,20,5,0", "POINT,2,5,5,0", "TEXT,N,7,in,5,10.5,2,0", "TEXT,N,7,out,5,0.5,2,0",
                          "CIRCLE,T,3,50,50,0,2"})
        Add(r);
    // Texts are tested where they are moved to: (5, 9) inside, (5, -1) outside.
    EXPECT_EQ(Layers(), "POINT 256 | N 256 | T 256");
    EXPECT_EQ(drawing().Text(ModelSpace()[1]->geom.text), "in");
    EXPECT_DOUBLE_EQ(run->DrawingExtents.MaxX, 5);
    // Inserts: outside either polygon, skipped without extents.
    StartWithSymbols();
    run->TrimPolygon = Square(0, 0, 10, 10);
    run->BoundaryPolygon = Square(0, 0, 4, 4);
    for (const char* r : {"SYM,L,1,MH,20,5,0,1,1,0", "SYM,L,1,MH,5,5,0,1,1,0", "SYM,L,1,MH,2,2,0,1,1,0.5"}) Add(r);
    ASSERT_EQ(ModelSpace().size(), 1u);
    EXPECT_EQ(run->DrawingExtents.MaxX, 2);
    // The record turns clockwise; the insert counter-clockwise from a full turn.
    EXPECT_NEAR(ModelSpace()[0]->geom.insert.rotation, 6.28318530717958 - 0.5, 1e-12);
}

// Placement as a reader sees it: test_tables_dxf. Here the field rules.
TEST_F(Records, TextFieldsShiftWithTheKindAndWithACommaInTheString) {
    Start();
    for (const char* r : {"TEXT3D,SPOT,4,50.40,10,20,50,1.5,0", "TEXT,SPOT,4,50.40,10,20,50,1.5,0",
                          "TEXT,NOTES,7,Smith, J,100,200,2,0"})
        Add(r);
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 3u);
    struct Expect {
        double x, y, z, height, rotation;
    };
    const Expect expected[] = {
        {10, 20 - 1.125, 50, 0.75, 0},                                        // TEXT3D keeps its elevation
        {10 + std::sin(1.5) * 37.5, 20 - std::cos(1.5) * 37.5, 0, 25, 1.5},   // field 6 is the size of a TEXT
        // A comma in the string shifts the fields: " J" is X, 100 Y, 200 the size, 2 the rotation.
        {std::sin(2.0) * 150, 100 - std::cos(2.0) * 150, 0, 100, 2},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& t = all[i]->geom.text;
        EXPECT_NEAR(t.pos.x, expected[i].x, 1e-9) << i;
        EXPECT_NEAR(t.pos.y, expected[i].y, 1e-9) << i;
        EXPECT_EQ(t.pos.z, expected[i].z) << i;
        EXPECT_DOUBLE_EQ(t.height, expected[i].height) << i;
        EXPECT_DOUBLE_EQ(t.rotation, expected[i].rotation) << i;
    }
    EXPECT_EQ(drawing().Text(all[2]->geom.text), "Smith");
}

TEST_F(Records, MissingFieldsReadAsZeroAndWithoutDrawingNothingHappens) {
    Start();
    run->AddPointRecord("POINT");
    run->AddPointRecord("POINT,1,abc,,x");
    for (const auto* e : ModelSpace()) EXPECT_EQ(e->geom.point.pos, (cad::Vec3{0, 0, 0}));
    Start();
    const auto id = run->DrawingHandle;
    run->DrawingHandle = 0;
    for (const char* r : {"CIRCLE,T,3,0,0,0,2", "TEXT,T,3,x,0,0,2,0", "POINT,1,5,5,0", "SYM,T,3,MH,5,5,0,1,1,0"}) Add(r);
    run->DrawingHandle = id;
    EXPECT_TRUE(ModelSpace().empty());
    EXPECT_EQ(FindLayer("T"), nullptr);
}

} // namespace
} // namespace ostrel::test
