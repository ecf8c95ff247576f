// Layer naming through LAYERS, layer creation with its plot-style name entry,
// and the layer resolution of the record handlers.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/dxf_tags.h"
#include "support/tables_fixture.h"

namespace ostrel::test {
namespace {

class LayerMapping : public TablesTest {
protected:
    // The mapped name, or "-" + the name when nothing matched.
    std::string Map(std::string name) {
        const bool matched = run->MapLayerName(name);
        return matched ? name : "-" + name;
    }
};

TEST_F(LayerMapping, ExactThenNameStarThenFirstWordStarThenPatterns) {
    struct Case {
        const char* settings;
        std::vector<std::pair<const char*, const char*>> names;   // name, mapped ("-" + name: none)
    };
    const Case cases[] = {
        // An empty value counts as no entry; the name with "*" comes before its first word with "*".
        {"KERB*=STAR\nKERB=EXACT\nKERB-LINE*=NAMESTAR\nWALL=\nWALL*=WALLS\n",
         {{"KERB", "EXACT"}, {"WALL", "WALLS"}, {"KERB-LINE", "NAMESTAR"}, {"KERB-EDGE", "STAR"}}},
        // The first word's key serves the word and its dashed names only.
        {"ROAD*=HIGHWAYS\n", {{"ROAD", "HIGHWAYS"}, {"ROAD-EDGE-LEFT", "HIGHWAYS"}, {"ROADSIDE", "-ROADSIDE"},
                               {"MAIN-ROAD", "-MAIN-ROAD"}}},
        // Keys match without regard to case, patterns do not.
        {"road*=HIGHWAYS\n*HEDGE=VEGETATION\n", {{"ROAD", "HIGHWAYS"}, {"OLDHEDGEROW", "VEGETATION"}, {"hedge", "-hedge"}}},
        // Patterns are tried in section order; a value is cut at the next "=".
        {"*EDGE=FIRST\nOTHER=X\n*ROAD=SECOND\n",
         {{"ROAD-EDGE", "FIRST"}, {"MAIN-ROAD", "SECOND"}, {"OTHER", "X"}, {"FENCE", "-FENCE"}}},
        {"*HEDGE=VEG=EXTRA\n", {{"HEDGE", "VEG"}}},
        // An empty pattern maps every name no earlier rule matched.
        {"KERB=KERBS\n*=EVERYTHING\n", {{"KERB", "KERBS"}, {"ANY-NAME", "EVERYTHING"}}},
    };
    for (const auto& c : cases) {
        Start(std::string("[LAYERS]\n") + c.settings);
        for (auto [name, mapped] : c.names) EXPECT_EQ(Map(name), mapped) << c.settings;
    }
}

TEST_F(LayerMapping, WildcardsAreLoadedOnceInOrderWithoutTheirStar) {
    Start("[LAYERS]\n*HEDGE=VEG\nKERB=K\n*=ALL\n$FENCE=F\n");
    EXPECT_EQ(run->LayerWildcardCount, -1);
    EXPECT_EQ(Map("KERB"), "K");   // the first call loads the list, whatever it maps
    ASSERT_EQ(run->LayerWildcardCount, 2);
    EXPECT_EQ(run->LayerWildcards, (std::vector<std::string>{"HEDGE=VEG", "=ALL"}));

    // A changed section is not read again within the run: the old "*=ALL" still applies.
    WriteSettings("[LAYERS]\n*WALL=WALLS\n");
    EXPECT_EQ(Map("OLDWALL"), "ALL");
    // Marked not loaded (as every conversion call does), the new list is read.
    run->LayerWildcardCount = -1;
    EXPECT_EQ(Map("OLDWALL"), "WALLS");
    EXPECT_EQ(run->LayerWildcards, (std::vector<std::string>{"WALL=WALLS"}));
}

// ------------------------------------------------------------------ MakeLayer

class MakeLayerTest : public TablesTest {
protected:
    cad::Object& PlotStyleDictionary() {
        for (auto& e : drawing().Root().entries)
            if (e.name == "ACAD_PLOTSTYLENAME") return *drawing().ObjectByHandle(e.target);
        throw std::runtime_error("no ACAD_PLOTSTYLENAME");
    }
    const cad::DictEntry* PlotStyleEntry(const std::string& name) {
        auto& entries = PlotStyleDictionary().entries;
        auto it = std::find_if(entries.begin(), entries.end(), [&](auto& e) { return e.name == name; });
        return it == entries.end() ? nullptr : &*it;
    }
};

TEST_F(MakeLayerTest, NewLayerTakesLookedUpColourLinetypeAndPlotStyleName) {
    Start("[COLORTABLE]\n3=5\n");
    const auto before = PlotStyleDictionary().entries.size();
    EXPECT_EQ(drawing().header.pstyleMode, 1);
    std::string name = "KERB";
    run->MakeLayer(name, 3, 0, 1020, -1);

    const cad::Layer* layer = FindLayer("KERB");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->colour, 5);
    ASSERT_NE(layer->linetype, cad::kNone);
    EXPECT_EQ(drawing().linetypes[layer->linetype].name, "lstyle1");
    EXPECT_EQ(drawing().linetypes[layer->linetype].dashes.size(), 4u);

    // One entry "KERBPSTYLE" naming a new plot-style name object owned by the dictionary.
    EXPECT_EQ(PlotStyleDictionary().entries.size(), before + 1);
    const cad::DictEntry* entry = PlotStyleEntry("KERBPSTYLE");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(layer->plotStyle, entry->target);
    const cad::Object* ps = drawing().ObjectByHandle(entry->target);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(ps->type, cad::ObjectType::Placeholder);
    EXPECT_EQ(ps->owner, PlotStyleDictionary().handle);
    EXPECT_EQ(ps->reactors, std::vector<cad::Handle>{PlotStyleDictionary().handle});
    EXPECT_NE(entry->target, layer->handle);
    EXPECT_EQ(drawing().header.pstyleMode, 0);
    EXPECT_TRUE(prompter->shown.empty());
    // Written out, the layer's 390 names an ACDBPLACEHOLDER of the file.
    run->tk->library->SaveDrawingFile(run->DrawingHandle, dir.file("p.dxf"), 1, 2000, 0, 6, 1, 1);
    const auto all = Structures(ReadTags(dir.file("p.dxf")));
    const auto target = Record(all, "LAYER", "KERB")->Get(390);
    EXPECT_EQ(target, cad::HandleText(entry->target));
    const auto placeholders = OfType(all, "ACDBPLACEHOLDER", "OBJECTS");
    EXPECT_TRUE(std::any_of(placeholders.begin(), placeholders.end(), [&](auto* p) { return p->Get(5) == target; }));

    // Every layer made adds its own entry; without a linetype code no linetype record is made.
    for (std::string other : {"A", "B"}) run->MakeLayer(other, 1, 0, 0, -1);
    EXPECT_EQ(PlotStyleDictionary().entries.size(), before + 3);
    for (auto n : {"APSTYLE", "BPSTYLE"}) EXPECT_NE(PlotStyleEntry(n), nullptr) << n;
    EXPECT_NE(FindLayer("A")->plotStyle, FindLayer("B")->plotStyle);
    EXPECT_EQ(FindLayer("A")->linetype, cad::kNone);
    EXPECT_EQ(run->LinetypeCounter, 1);
}

TEST_F(MakeLayerTest, WithoutAUsablePlotStyleDictionaryLayersHaveNoPlotStyle) {
    for (bool unreadableRoot : {false, true}) {
        Start();
        auto& root = drawing().Root().entries;
        if (unreadableRoot) drawing().rootDictionary = 0xFFFFF;   // names no object
        else root.erase(std::remove_if(root.begin(), root.end(), [](auto& e) { return e.name == "ACAD_PLOTSTYLENAME"; }),
                        root.end());
        const auto objects = drawing().objects.size();
        std::string name = "WALL";
        run->MakeLayer(name, 2, 0, 0, -1);
        ASSERT_NE(FindLayer("WALL"), nullptr);
        EXPECT_EQ(FindLayer("WALL")->plotStyle, 0u);
        EXPECT_EQ(FindLayer("WALL")->colour, 2);
        EXPECT_EQ(drawing().objects.size(), objects);
        EXPECT_EQ(drawing().header.pstyleMode, unreadableRoot ? 1 : 0) << "an unreadable root: before the header step";
    }
}

TEST_F(MakeLayerTest, EmptyNamesExistingLayersNoDrawingAndColoursBeyondSixteenBits) {
    Start();
    std::string name;
    run->MakeLayer(name, 1, 0, 0, -1);
    EXPECT_EQ(name, "0") << "an empty name becomes 0 for the caller too";
    name = "KERB";
    run->MakeLayer(name, 1, 0, 0, -1);
    const auto layers = drawing().layers.size();
    run->MakeLayer(name, 2, 0, 0, -1);   // again: no message, no second record
    EXPECT_EQ(CountShown("Failed to add layer."), 0);
    EXPECT_EQ(drawing().layers.size(), layers);
    EXPECT_EQ(FindLayer("KERB")->colour, 1);
    name = "BIG";
    try {
        run->MakeLayer(name, -40000, 0, 0, -1);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
    }
    EXPECT_EQ(FindLayer("BIG"), nullptr);
    const auto id = run->DrawingHandle;
    run->DrawingHandle = 0;
    name.clear();
    run->MakeLayer(name, 1, 0, 1111, -1);
    EXPECT_EQ(name, "0");
    run->DrawingHandle = id;
    EXPECT_EQ(drawing().layers.size(), layers);
    EXPECT_EQ(run->LinetypeCounter, 0);
}

// ------------------------------------------------------------------ layer resolution

TEST_F(MakeLayerTest, ResolutionMakesTheLayerOnceWithTheFirstRecordsColour) {
    Start("[COLORTABLE]\n3=30\n5=50\n");
    run->AddCircleRecord("CIRCLE,TREES,3,0,0,0,2");
    run->AddCircleRecord("CIRCLE,TREES,5,1,1,0,2");
    auto all = ModelSpace();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(LayerOf(*all[0]), "TREES");
    EXPECT_EQ(LayerOf(*all[1]), "TREES");
    EXPECT_EQ(FindLayer("TREES")->colour, 30);
    EXPECT_EQ(std::count_if(PlotStyleDictionary().entries.begin(), PlotStyleDictionary().entries.end(),
                            [](auto& e) { return e.name == "TREESPSTYLE"; }),
              1);
}

} // namespace
} // namespace ostrel::test
