// Entities name their layer and linetype by handle through the toolkit: the
// record with that handle is found however many records the table holds,
// records made between entities included, and after a table was changed
// directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/drawing.h"
#include "toolkit/toolkit.h"

namespace ostrel {
namespace {

class EntityTableHandles : public ::testing::Test {
protected:
    CadDatabase db;
    CadLibrary lib{db};
    EntityHeader header{db};
    BlockWriter blocks{db};
    PointData point;
    DrawingId id = 0;
    EntityList modelSpace = 0;

    void SetUp() override {
        ASSERT_EQ(lib.InitLibrary(), 0);
        id = db.CreateNewDrawing(7);
        ASSERT_NE(id, 0);
        blocks.OpenBlockForAppend(id, lib.FindBlockByName(id, "*Model_Space"));
        modelSpace = blocks.GetEntityList();
    }
    cad::Drawing& d() { return db.Get(id); }

    std::string Layer(const std::string& name) {
        LayerRecord l(db);
        l.InitLayer(id);
        l.SetLayerName(name);
        std::string h = lib.NewHandle(id);
        l.SetLayerHandle(h);
        l.SetLayerColour(3);
        l.AddLayer(id);
        EXPECT_EQ(l.AddLayerStatus(), 0) << name;
        return h;
    }
    std::string Linetype(const std::string& name) {
        LinetypeRecord t(db);
        t.ResetLinetype();
        std::string h = lib.NewHandle(id);
        t.SetLinetypeHandle(h);
        t.SetLinetypeName(name);
        t.AddLinetype(id);
        return h;
    }
    // A point on the layer (and linetype) with these handles; the layer and
    // linetype names of the entity appended.
    std::pair<std::string, std::string> Point(const std::string& layer, const std::string& linetype = "") {
        header.SetEntityKind(2);
        header.InitEntityDefaults(id);
        header.SetEntityHandle(lib.NewHandle(id));
        if (!layer.empty()) header.SetEntityLayer(layer);
        if (!linetype.empty()) header.SetEntityLinetype(linetype);
        point.InitPoint(id);
        header.AppendEntity(id, modelSpace, point.GetPointData());
        const auto& e = d().entities.back();
        return {d().layers.at(e.layer).name, e.linetype == cad::kNone ? "" : d().linetypes.at(e.linetype).name};
    }
};

TEST_F(EntityTableHandles, ManyLayersAndLinetypesMadeBetweenEntitiesAreEachFound) {
    std::vector<std::string> layers, linetypes;
    for (int i = 0; i < 600; ++i) {
        layers.push_back(Layer("L" + std::to_string(i)));
        linetypes.push_back(Linetype("T" + std::to_string(i)));
        // The newest, then an old one, then the newest again.
        ASSERT_EQ(Point(layers.back(), linetypes.back()),
                  std::make_pair("L" + std::to_string(i), "T" + std::to_string(i)));
        ASSERT_EQ(Point(layers[i / 2], linetypes[i / 3]).first, "L" + std::to_string(i / 2));
        ASSERT_EQ(Point(layers[i / 2], linetypes[i / 3]).second, "T" + std::to_string(i / 3));
    }
    EXPECT_EQ(Point(layers[0]).first, "L0");
    EXPECT_EQ(Point("").first, "0");   // no layer named: the default layer
}

TEST_F(EntityTableHandles, AHandleNoRecordHasLeavesTheDefaultLayer) {
    Layer("KERB");
    EXPECT_EQ(Point("FFFFF").first, "0");
    EXPECT_EQ(Point("", "FFFFF").second, "");
}

TEST_F(EntityTableHandles, ATableChangedDirectlyIsFoundAgain) {
    std::string a = Layer("A"), b = Layer("B"), c = Layer("C");
    EXPECT_EQ(Point(c).first, "C");
    EXPECT_EQ(Point(a).first, "A");
    // A layer is taken out and the rest moved up; the table is reindexed.
    d().layers.erase(d().layers.begin() + static_cast<std::ptrdiff_t>(d().FindLayer("A")));
    d().RebuildIndexes();
    EXPECT_EQ(Point(c).first, "C");
    EXPECT_EQ(Point(b).first, "B");
    EXPECT_EQ(Point(a).first, "0");
    // Two records with one handle: the first one in the table is the one.
    cad::Layer twin = d().layers[d().FindLayer("B")];
    twin.name = "B-TWIN";
    d().layers.insert(d().layers.begin() + 1, twin);
    d().RebuildIndexes();
    EXPECT_EQ(Point(b).first, "B-TWIN");
}

} // namespace
} // namespace ostrel
