// Entities name their layer and linetype by handle through the toolkit: the
// record with that handle is found however many records the table holds,
// records made between entities included, and after a table was changed
// directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/facade_drawing.h"

namespace ostrel {
namespace {

class EntityTableHandles : public ::testing::Test {
protected:
    test::FacadeDrawing f;
    EntityList modelSpace = f.Open("*Model_Space");

    cad::Drawing& d() { return f.d(); }
    std::string Layer(const std::string& name) { return f.Layer(name, 3); }
    std::string Linetype(const std::string& name) { return f.Linetype(name, {}); }
    // A point on the layer (and linetype) with these handles; the layer and
    // linetype names of the entity appended.
    std::pair<std::string, std::string> Point(const std::string& layer, const std::string& linetype = "") {
        f.Begin(kKindPoint, layer, 256, linetype);
        PointData point;
        point.InitPoint(f.id);
        f.header.AppendEntity(f.id, modelSpace, point.GetPointData());
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
