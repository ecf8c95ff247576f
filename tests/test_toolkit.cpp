// The toolkit facade: statuses for expected misses, errors for what it
// cannot work with, the format rules it applies on the way into the
// database. Block ends and header settings reach the written file in the
// handler tests (test_symbols, test_lines_dxf).
#include <gtest/gtest.h>

#include "support/facade_drawing.h"
#include "support/test_support.h"

namespace ostrel::test {
namespace {

class Toolkit : public ::testing::Test, public FacadeDrawing {
protected:
    void SetUp() override {
        ASSERT_NE(id, 0);
        ASSERT_EQ(db.DrawingStatus(), 0);
    }
    EntityList ModelSpace() { return Open("*Model_Space"); }

    // AddLayer with a colour; returns the status.
    std::int16_t AddLayer(const std::string& name, std::int16_t colour, std::string* handle = nullptr) {
        std::int16_t status = -1;
        const std::string h = Layer(name, colour, "", &status);
        if (handle) *handle = h;
        return status;
    }

    const cad::Layer& LayerNamed(const std::string& name) { return d().layers.at(d().FindLayer(name)); }

    void ExpectToolkitError(const std::function<void()>& call, const std::string& words) {
        try {
            call();
            ADD_FAILURE() << "no error for: " << words;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.code(), ErrorCode::Toolkit);
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    }
};

// ------------------------------------------------------- errors

TEST_F(Toolkit, UnusableArgumentsRaiseToolkitErrors) {
    ExpectToolkitError([&] { header.SetEntityKind(5); }, "unknown entity kind 5");
    ExpectToolkitError([&] { header.SetEntityHandle("12G"); }, "malformed entity handle '12G'");
    ExpectToolkitError([&] { header.SetEntityHandle(""); }, "malformed entity handle");
    ExpectToolkitError([&] { lib.NewHandle(99); }, "no drawing 99");
    LayerRecord l(db);
    ExpectToolkitError([&] { l.SetLayerHandle("-1"); }, "malformed layer handle");
    LinetypeRecord lt(db);
    ExpectToolkitError([&] { lt.SetDashCount(13); }, "dash count 13");
    lt.SetDashCount(2);
    ExpectToolkitError([&] { lt.SetDashLength(2, 1.0); }, "dash index 2");
    PointData p;
    ExpectToolkitError([&] { p.SetPointCoord(3, 1.0); }, "axis 3");
    DrawingHeader h;
    ExpectToolkitError([&] { h.WriteHeader(db, id); }, "before it was read");
    h.ReadHeader(db, id);
    ExpectToolkitError([&] { h.SetHeaderShort(77, 1); }, "unknown header setting 77");
    KindRegistry first(0);
    ExpectToolkitError([&] { first.GetObjectKindCode(db, id, 4); }, "getter 4");
}

TEST_F(Toolkit, AppendChecksItsKindDataAndList) {
    auto ms = ModelSpace();
    header.SetEntityKind(kKindPoint);
    header.InitEntityDefaults(id);
    CircleData c;
    c.InitCircle(id);
    ExpectToolkitError([&] { header.AppendEntity(id, ms, c.GetCircleData()); }, "kind data of CIRCLE appended as POINT");
    ExpectToolkitError([&] { header.AppendEntity(id, ms, nullptr); }, "no kind data for POINT");
    PointData p;
    p.InitPoint(id);
    ExpectToolkitError([&] { header.AppendEntity(id, cad::kNone, p.GetPointData()); }, "not open");

    header.SetEntityKind(kKindInsert);
    header.InitEntityDefaults(id);
    InsertData in;
    in.InitInsert(id);
    in.SetInsertBlock("FFFF");
    ExpectToolkitError([&] { header.AppendEntity(id, ms, in.GetInsertData()); }, "unknown block 'FFFF'");
    EXPECT_TRUE(d().blocks[d().ModelSpace()].entities.empty());   // nothing half-appended
}

// ------------------------------------------------------- statuses

TEST_F(Toolkit, LookupMissesSetLastStatus) {
    EXPECT_EQ(lib.FindBlockByName(id, "NOPE"), "");
    EXPECT_EQ(lib.LastStatus(), kStatusNotFound);
    EXPECT_EQ(lib.FindBlockByName(id, "*model_space"), cad::HandleText(d().blocks[d().ModelSpace()].handle));
    EXPECT_EQ(lib.LastStatus(), kStatusOk);
    EXPECT_EQ(lib.FindLayerByName(id, "KERB"), "");
    EXPECT_EQ(lib.LastStatus(), kStatusNotFound);
    EXPECT_EQ(lib.FindLayerByName(id, "0"), cad::HandleText(d().layers[0].handle));
    EXPECT_EQ(lib.LastStatus(), kStatusOk);

    blocks.OpenBlockForAppend(id, "ABC");
    EXPECT_EQ(blocks.BlockStatus(), kStatusCannotOpen);
    blocks.OpenBlockForAppend(id, "not a handle");
    EXPECT_EQ(blocks.BlockStatus(), kStatusCannotOpen);
    EXPECT_EQ(blocks.GetEntityList(), cad::kNone);
}

TEST_F(Toolkit, RepeatedNamesGiveStatusesNotErrors) {
    EXPECT_EQ(AddLayer("KERB", 3), 0);
    const auto layers = d().layers.size();
    EXPECT_EQ(AddLayer("kerb", 4), 0);        // there already (names ignore case): no second record
    EXPECT_EQ(d().layers.size(), layers);
    EXPECT_EQ(LayerNamed("KERB").colour, 3);  // the first one stays
    EXPECT_EQ(AddLayer("", 1), kStatusBadValue);

    blocks.ResetBlockRecord();
    blocks.SetBlockName("TREE");
    blocks.SetBlockHandle(lib.NewHandle(id));
    blocks.AddBlockRecord(id);
    EXPECT_EQ(blocks.BlockStatus(), 0);
    blocks.ResetBlockRecord();
    blocks.SetBlockName("Tree");
    blocks.SetBlockHandle(lib.NewHandle(id));
    blocks.AddBlockRecord(id);
    EXPECT_EQ(blocks.BlockStatus(), kStatusDuplicate);
    EXPECT_EQ(blocks.GetBlockEntityList(), "");
}

TEST_F(Toolkit, SaveStatusNamesAnUnsupportedRelease) {
    TempDir dir;
    lib.SaveDrawingFile(id, dir.file("x.dxf"), 1, 2001, 0, 6, 1, 1);
    EXPECT_EQ(lib.LastStatus(), kStatusUnsupportedRelease);
    auto text = db.StatusText(lib.LastStatus());
    EXPECT_NE(text.find("2001"), std::string::npos) << text;
    EXPECT_NE(text.find("2018"), std::string::npos) << text;
    EXPECT_NE(text.find("12"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.dxf")));

    for (auto [code, acadver] : std::vector<std::pair<std::int16_t, std::string>>{
             {0, "AC1015"}, {12, "AC1009"}, {13, "AC1012"}, {14, "AC1014"}, {2004, "AC1018"}, {2007, "AC1021"},
             {2010, "AC1024"}, {2013, "AC1027"}, {2018, "AC1032"}}) {
        lib.SaveDrawingFile(id, dir.file("x.dxf"), 1, code, 0, 6, 1, 1);
        EXPECT_EQ(lib.LastStatus(), 0) << code;
        EXPECT_NE(ReadFile(dir.file("x.dxf")).find("$ACADVER\n  1\n" + acadver + "\n"), std::string::npos) << code;
    }
    for (std::int16_t bad : {1, 11, 15, 1999, 2005, 2019, -12}) EXPECT_FALSE(ReleaseForCode(bad).ok) << bad;
}

TEST_F(Toolkit, AnyCodecFailureIsAFailedSaveStatus) {
    lib.SetWriter([](cad::Drawing&, const std::string&, bool, cad::Release) { throw std::bad_alloc(); });
    lib.SaveDrawingFile(id, "/tmp/out.dwg", 0, 2000, 0, 6, 1, 1);
    EXPECT_EQ(lib.LastStatus(), kStatusWriteFailed);
    EXPECT_NE(db.StatusText(lib.LastStatus()).find("/tmp/out.dwg"), std::string::npos);
    lib.SetWriter([](cad::Drawing&, const std::string&, bool, cad::Release) { throw cad::CadError("disk on fire"); });
    lib.SaveDrawingFile(id, "/tmp/out.dwg", 0, 2000, 0, 6, 1, 1);
    EXPECT_EQ(db.StatusText(lib.LastStatus()), "disk on fire");
}

// ------------------------------------------------------- format rules

TEST_F(Toolkit, LayerColoursAreStoredAsEveryFormatHoldsThem) {
    struct Case { std::int16_t given; std::int16_t colour; bool off; };
    const Case cases[] = {{1, 1, false},   {255, 255, false}, {0, 7, false},    {256, 7, false},
                          {-5, 5, true},   {-255, 255, true}, {-256, 7, false}, {1000, 7, false}};
    int n = 0;
    for (auto c : cases) {
        std::string name = "L" + std::to_string(n++);
        ASSERT_EQ(AddLayer(name, c.given), 0);
        EXPECT_EQ(LayerNamed(name).colour, c.colour) << c.given;
        EXPECT_EQ(LayerNamed(name).off, c.off) << c.given;
    }
}

TEST_F(Toolkit, EntityDefaultsColoursAndReferences) {
    std::string kerb;
    ASSERT_EQ(AddLayer("KERB", 3, &kerb), 0);
    auto ms = ModelSpace();
    auto append = [&](std::int16_t colour, const std::string& layer) {
        header.SetEntityKind(kKindPoint);
        header.InitEntityDefaults(id);
        header.SetEntityHandle(lib.NewHandle(id));
        header.SetEntityColour(colour);
        if (!layer.empty()) header.SetEntityLayer(layer);
        PointData p;
        p.InitPoint(id);
        header.AppendEntity(id, ms, p.GetPointData());
        return d().entities.back();
    };
    EXPECT_EQ(append(-1, "").colour, cad::kColourByLayer);
    EXPECT_EQ(append(257, "").colour, cad::kColourByLayer);
    EXPECT_EQ(append(0, "").colour, 0);           // by block
    EXPECT_EQ(append(12, "").colour, 12);
    EXPECT_EQ(append(256, kerb).layer, d().FindLayer("KERB"));
    EXPECT_EQ(append(256, "").layer, d().FindLayer("0"));
    EXPECT_EQ(append(256, "ABCDEF").layer, d().FindLayer("0"));   // no such layer: the default
    // Defaults are reset for each entity: the layer of the previous one does not stick.
    header.SetEntityKind(kKindPoint);
    header.SetEntityLayer(kerb);
    header.InitEntityDefaults(id);
    PointData p;
    p.InitPoint(id);
    header.AppendEntity(id, ms, p.GetPointData());
    EXPECT_EQ(d().entities.back().layer, d().FindLayer("0"));
    EXPECT_NE(d().entities.back().handle, 0u);    // a handle even when none was set
}

TEST_F(Toolkit, ObjectHeaderStatuses) {
    ObjectHeader h(db);
    h.ReadObjectByHandle(id, "FFFFF");
    EXPECT_EQ(h.ObjectStatus(), kStatusNotFound);
    h.ReadObjectByHandle(id, "zz");
    EXPECT_EQ(h.ObjectStatus(), kStatusNotFound);
    h.OpenRootDictionary(42);
    EXPECT_EQ(h.ObjectStatus(), kStatusNoDrawing);
    // Only plot-style name objects can be added; a handle in use is a duplicate.
    h.SetObjectKind(kObjectLayout);
    h.InitObjectDefaults(id);
    h.SetObjectHandle(lib.NewHandle(id));
    PlotStyleNameData name;
    ExpectToolkitError([&] { h.AddObject(id, name.GetPlotStyleNameData()); }, "object kind 500");
    h.SetObjectKind(kObjectPlaceholder);
    h.InitObjectDefaults(id);
    h.SetObjectHandle(cad::HandleText(d().rootDictionary));
    h.AddObject(id, name.GetPlotStyleNameData());
    EXPECT_EQ(h.ObjectStatus(), kStatusDuplicate);
}

} // namespace
} // namespace ostrel::test
