// The drawing database: handles, name lookups, the new drawing's content.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <unordered_set>
#include <utility>

#include "cad/drawing.h"
#include "cad/dxf/dxf_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;

// Handles as text; names looked up without case, whatever their length.
TEST(Handles, TextIsUpperHexAndRoundTripsNamesIgnoreCase) {
    EXPECT_EQ(HandleText(0x2af), "2AF");
    EXPECT_EQ(HandleText(0), "0");
    EXPECT_EQ(ParseHandle("2af").value(), 0x2afu);
    EXPECT_FALSE(ParseHandle("").has_value());
    EXPECT_FALSE(ParseHandle("xyz").has_value());
    EXPECT_FALSE(ParseHandle("12345678901234567").has_value());
    auto d = NewDrawing();
    Layer l;
    l.name = "Contour-Major-Index-Lines";
    l.handle = d->NewHandle();
    auto i = d->AddLayer(l);
    EXPECT_EQ(d->FindLayer("CONTOUR-MAJOR-INDEX-LINES"), i);
    EXPECT_EQ(d->FindLayer("contour-major-index-lines"), i);
    EXPECT_EQ(d->FindLayer("contour-major-index-line"), kNone);
    EXPECT_EQ(d->FindLayer("contour-major-index-linez"), kNone);
    EXPECT_EQ(FoldedNameHash{}("Abc-\xe9"), FoldedNameHash{}("aBC-\xe9"));
    EXPECT_FALSE(FoldedNameEqual{}("\xe9", "\xc9"));   // only ASCII letters fold
    EXPECT_TRUE(d->blocks[d->PaperSpace()].IsPaperSpace());
    BlockRecord b;
    for (auto [name, paper, model] : {std::tuple{"*PAPER_space7", true, false}, {"*Paper_Spac", false, false},
                                      {"*MODEL_SPACE", false, true}}) {
        b.name = name;
        EXPECT_EQ(b.IsPaperSpace(), paper) << name;
        EXPECT_EQ(b.IsModelSpace(), model) << name;
    }
}

TEST(NewDrawing, HoldsTheStandardContentWithUniqueHandles) {
    auto d = NewDrawing();
    EXPECT_EQ(d->FindLayer("0"), 0u);
    EXPECT_NE(d->FindLinetype("BYLAYER"), kNone);
    EXPECT_NE(d->FindStyle("Standard"), kNone);
    ASSERT_NE(d->PaperSpace(), kNone);
    EXPECT_NE(d->blocks[d->PaperSpace()].endEntity, kNone);
    auto& root = d->Root();
    std::set<std::string> names;
    for (auto& e : root.entries) names.insert(e.name);
    for (auto n : {"ACAD_GROUP", "ACAD_LAYOUT", "ACAD_MLINESTYLE", "ACAD_PLOTSETTINGS", "ACAD_PLOTSTYLENAME"})
        EXPECT_TRUE(names.count(n)) << n;
    // Layer 0's plot style is the "Normal" placeholder.
    auto* ps = d->ObjectByHandle(root.entries[4].target);
    ASSERT_NE(ps, nullptr);
    ASSERT_EQ(ps->entries.size(), 1u);
    EXPECT_EQ(ps->entries[0].name, "Normal");
    EXPECT_EQ(d->layers[0].plotStyle, ps->entries[0].target);
    ostrel::test::ExpectConsistentHandles(*d);
}

// ------------------------------------------------------- NormalizeForSave

namespace {

Entity MakeEntity(Drawing& d, EntityType type) {
    Entity e;
    e.type = type;
    e.handle = d.NewHandle();
    return e;
}

} // namespace

TEST(Normalize, RepeatedAndZeroHandlesGetFreshOnesAboveTheSeed) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Entity a = MakeEntity(*d, EntityType::Point);
    Entity b = a;                       // same handle
    Entity c = MakeEntity(*d, EntityType::Point);
    c.handle = 0;
    d->AppendEntity(ms, a);
    d->AppendEntity(ms, b);
    d->entities.push_back(c);
    d->blocks[ms].entities.push_back(static_cast<std::uint32_t>(d->entities.size() - 1));
    d->layers[0].handle = d->linetypes[0].handle;   // a record reusing another's handle
    NormalizeForSave(*d);
    ostrel::test::ExpectConsistentHandles(*d);
    // The first holder keeps its handle.
    EXPECT_EQ(d->entities[d->blocks[ms].entities[0]].handle, a.handle);
    EXPECT_NE(d->entities[d->blocks[ms].entities[1]].handle, a.handle);
}

TEST(Normalize, ObjectsOutsideTheDictionaryTreeAreRemoved) {
    auto d = NewDrawing();
    Object orphan;
    orphan.type = ObjectType::Placeholder;
    orphan.handle = d->NewHandle();
    orphan.owner = 0;                   // never entered in a dictionary
    d->AddObject(orphan);
    Object child;                       // owned by the orphan
    child.type = ObjectType::Placeholder;
    child.handle = d->NewHandle();
    child.owner = orphan.handle;
    d->AddObject(child);
    Layer l;
    l.name = "KERB";
    l.handle = d->NewHandle();
    l.plotStyle = orphan.handle;
    d->AddLayer(l);
    d->Root().entries.push_back({"GONE", 0xFFFFF});
    NormalizeForSave(*d);
    EXPECT_EQ(d->ObjectByHandle(orphan.handle), nullptr);
    EXPECT_EQ(d->ObjectByHandle(child.handle), nullptr);
    EXPECT_EQ(d->layers[d->FindLayer("KERB")].plotStyle, 0u);
    for (auto& e : d->Root().entries) EXPECT_NE(e.name, "GONE");
    // What stays all hangs below the root.
    for (auto& o : d->objects) {
        if (o.handle == d->rootDictionary) continue;
        EXPECT_NE(d->ObjectByHandle(o.owner), nullptr) << HandleText(o.handle);
    }
    // The standard content survived.
    EXPECT_NE(d->layers[0].plotStyle, 0u);
}

TEST(Normalize, BadReferencesFallBackToDefaults) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Entity p = MakeEntity(*d, EntityType::Point);
    p.layer = static_cast<std::uint32_t>(d->layers.size());         // one past the end
    p.linetype = static_cast<std::uint32_t>(d->linetypes.size());
    p.colour = -4;
    d->AppendEntity(ms, p);
    Entity t = MakeEntity(*d, EntityType::Text);
    t.geom.text.style = 55;
    t.geom.text.textOffset = 1000;
    t.geom.text.textLength = 5;
    d->AppendEntity(ms, t);
    Entity self = MakeEntity(*d, EntityType::Insert);
    self.geom.insert.block = ms;        // model space inserted into itself
    d->AppendEntity(ms, self);
    Entity vp = MakeEntity(*d, EntityType::Viewport);
    vp.geom.extra.index = 3;            // no such viewport
    d->AppendEntity(ms, vp);
    Entity hatch = MakeEntity(*d, EntityType::Hatch);
    d->hatches.push_back(HatchData{});  // no boundary
    hatch.geom.extra.index = 0;
    d->AppendEntity(ms, hatch);
    d->header.currentLayer = "MISSING";
    NormalizeForSave(*d);
    auto& list = d->blocks[ms].entities;
    ASSERT_EQ(list.size(), 2u);
    auto& point = d->entities[list[0]];
    EXPECT_EQ(point.layer, d->FindLayer("0"));
    EXPECT_EQ(point.linetype, kNone);
    EXPECT_EQ(point.colour, kColourByLayer);
    auto& text = d->entities[list[1]].geom.text;
    EXPECT_EQ(text.style, 0u);
    EXPECT_EQ(d->Text(text), "");
    EXPECT_EQ(d->header.currentLayer, "0");
}

TEST(Normalize, PaperLayoutWithViewportsGetsItsOverallViewport) {
    auto d = NewDrawing();
    auto ps = d->PaperSpace();
    ViewportData v;
    v.id = 2;
    v.width = 100;
    v.height = 50;
    d->viewports.push_back(v);
    Entity e = MakeEntity(*d, EntityType::Viewport);
    e.geom.extra.index = 0;
    d->AppendEntity(ps, e);
    NormalizeForSave(*d);
    auto& list = d->blocks[ps].entities;
    ASSERT_EQ(list.size(), 2u);
    auto& overall = d->entities[list[0]];
    ASSERT_EQ(overall.type, EntityType::Viewport);
    EXPECT_EQ(d->viewports[overall.geom.extra.index].id, 1);
    EXPECT_EQ(d->viewports[overall.geom.extra.index].width, 420);
    auto* layout = d->ObjectByHandle(d->blocks[ps].layout);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->layout->lastViewport, overall.handle);
    // A second pass adds nothing.
    auto entities = d->entities.size();
    NormalizeForSave(*d);
    EXPECT_EQ(d->entities.size(), entities);
    EXPECT_EQ(d->blocks[ps].entities.size(), 2u);
}

TEST(StandardContent, IsCompletedWhereMissingAndLayoutsLinkBack) {
    auto d = std::make_unique<Drawing>();
    BlockRecord extra;
    extra.name = "*Paper_Space3";
    extra.handle = d->NewHandle();
    d->AddBlock(extra);
    EnsureStandardContent(*d);
    for (auto name : {"*Model_Space", "*Paper_Space", "*Paper_Space3"}) {
        auto bi = d->FindBlock(name);
        ASSERT_NE(bi, kNone) << name;
        auto* lo = d->ObjectByHandle(d->blocks[bi].layout);
        ASSERT_NE(lo, nullptr) << name;
        EXPECT_EQ(lo->type, ObjectType::Layout);
        EXPECT_EQ(lo->layout->blockRecord, d->blocks[bi].handle);
    }
    EXPECT_NE(d->blocks[d->FindBlock("*Model_Space")].beginEntity, kNone);
    EXPECT_EQ(d->ObjectByHandle(d->blocks[d->FindBlock("*Model_Space")].layout)->layout->name, "Model");
    // Two paper layouts, two distinct names, "Model" listed last.
    auto* layouts = d->ObjectByHandle(d->Root().entries[1].target);
    ASSERT_EQ(layouts->entries.size(), 3u);
    EXPECT_NE(layouts->entries[0].name, layouts->entries[1].name);
    EXPECT_EQ(layouts->entries[2].name, "Model");
    EXPECT_NE(d->FindLayer("0"), kNone);
    EXPECT_NE(d->FindLinetype("Continuous"), kNone);
    // Running it again changes nothing.
    auto objects = d->objects.size();
    auto seed = d->HandleSeed();
    EnsureStandardContent(*d);
    EXPECT_EQ(d->objects.size(), objects);
    EXPECT_EQ(d->HandleSeed(), seed);
}

// Saved, the values no reader takes come out as a reader draws them.
TEST(Normalize, ValuesNoReaderTakesAreWrittenReadable) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    auto add = [&](EntityType type, std::int16_t colour, auto fill) {
        Entity e = MakeEntity(*d, type);
        e.colour = colour;
        fill(e.geom);
        d->AppendEntity(ms, e);
    };
    add(EntityType::Circle, -4, [](EntityGeom& g) { g.circle = {{1, 2, 3}, -2}; });
    add(EntityType::Circle, 257, [](EntityGeom& g) { g.circle = {{4, 5, 6}, 0}; });
    add(EntityType::Arc, 3, [](EntityGeom& g) { g.arc = {{7, 8, 0}, 0, 0, 1}; });
    add(EntityType::Text, 256, [](EntityGeom& g) { g.text = {}; g.text.height = -1.5; g.text.widthFactor = 0; g.text.hAlign = 9; });
    add(EntityType::Text, 0, [](EntityGeom& g) { g.text = {}; g.text.height = 0; g.text.widthFactor = 0.8; });
    BlockRecord sym;
    sym.name = "SYM";
    sym.handle = d->NewHandle();
    const auto symIndex = d->AddBlock(sym);
    add(EntityType::Insert, 256, [&](EntityGeom& g) {
        g.insert = {};
        g.insert.block = symIndex;
        g.insert.xScale = 0;
        g.insert.yScale = -2;   // mirrored is fine
        g.insert.zScale = 1;
    });
    d->header.textSize = 3.5;
    Layer negative;                     // a negative colour: the layer is off
    negative.name = "NEG";
    negative.handle = d->NewHandle();
    negative.colour = -5;
    d->AddLayer(negative);
    ostrel::test::TempDir dir;
    SaveDxf(*d, Release::R2000, dir.file("repaired.dxf"));
    auto tables = ostrel::test::RunChecker("dump_dxf.py", "tables " + dir.file("repaired.dxf"));
    EXPECT_NE(tables.out.find("\nLAYER|NEG|-5|"), std::string::npos) << tables.out << tables.err;
    auto r = ostrel::test::RunChecker("dump_dxf.py", "values " + dir.file("repaired.dxf"));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "CIRCLE|0|256|2.0\n"                 // the radius's absolute value; colour by layer
                     "POINT|0|256|4.0|5.0|6.0\n"          // no radius: a point at the centre; 257 is no colour
                     "POINT|0|3|7.0|8.0|0.0\n"
                     "TEXT|0|256|1.5|1.0|0|0\n"           // the height's absolute value
                     "TEXT|0|0|3.5|0.8|0|0\n"             // no height: the drawing's text size
                     "INSERT|0|256|1.0|-2.0|1.0|1|1\n");
}

// Entities listed twice or in two blocks, indexes naming nothing, block
// ends that are no block ends, paper flags that do not follow the block,
// polylines without their sequence end.
TEST(Normalize, BrokenBlockListsFlagsAndSequencesAreRepaired) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace(), ps = d->PaperSpace();
    Entity orphan = MakeEntity(*d, EntityType::Vertex);   // a vertex before any polyline
    d->AppendEntity(ms, orphan);
    Entity p = MakeEntity(*d, EntityType::Point);
    auto pi = d->AppendEntity(ms, p);
    d->entities[pi].flags = kEntityPaperSpace;   // wrongly flagged
    d->blocks[ms].entities.push_back(pi);        // listed twice in its block
    d->blocks[ps].entities.push_back(pi);        // and once in another
    d->blocks[ms].entities.push_back(12345678);  // no such entity
    d->blocks[ps].beginEntity = 987654;          // no such entity
    d->blocks[ms].endEntity = pi;                // not an ENDBLK
    Entity poly = MakeEntity(*d, EntityType::Polyline);
    auto polyIndex = d->AppendEntity(ms, poly);
    Entity v = MakeEntity(*d, EntityType::Vertex);
    d->AppendEntity(ms, v);
    Entity last = MakeEntity(*d, EntityType::Point);
    auto lastIndex = d->AppendEntity(ms, last);
    Entity q = MakeEntity(*d, EntityType::Point);
    auto qi = d->AppendEntity(ps, q);
    d->entities[qi].flags = 0;                   // lost its flag
    NormalizeForSave(*d);
    const auto& list = d->blocks[ms].entities;
    ASSERT_EQ(list.size(), 5u);   // point, polyline, vertex, (new) seqend, point
    EXPECT_EQ(list[0], pi);
    EXPECT_EQ(list[1], polyIndex);
    EXPECT_EQ(d->entities[list[3]].type, EntityType::SeqEnd);
    EXPECT_EQ(list[4], lastIndex);
    EXPECT_EQ(d->blocks[ps].entities, std::vector<std::uint32_t>{qi});
    EXPECT_EQ(d->entities[d->blocks[ps].beginEntity].type, EntityType::Block);
    EXPECT_EQ(d->entities[d->blocks[ms].endEntity].type, EntityType::EndBlk);
    EXPECT_EQ(d->entities[pi].flags & kEntityPaperSpace, 0);
    EXPECT_EQ(d->entities[qi].flags & kEntityPaperSpace, kEntityPaperSpace);
    EXPECT_EQ(d->entities[d->blocks[ps].beginEntity].flags & kEntityPaperSpace, kEntityPaperSpace);
}

// A save after changes to a normalised drawing repairs what the changes
// touched and takes the rest as it was: the file is the one a whole
// normalisation gives, byte for byte, whatever the changes were.
TEST(Normalize, AfterChangesTheSaveWritesWhatAWholeNormalisationWrites) {
    using Changed = std::unordered_set<std::uint32_t>;
    auto first = [](const Drawing& d, EntityType type) {
        for (auto i : d.blocks[d.ModelSpace()].entities)
            if (d.entities[i].type == type) return i;
        return kNone;
    };
    auto text = [](Drawing& d, double height) {
        Entity t = MakeEntity(d, EntityType::Text);
        t.geom.text = TextGeom{{1, 2, 0}, {}, height, 0, 1, 0, 0, 0, 0, 0, 0};
        d.SetText(t.geom.text, "late");
        d.AppendEntity(d.ModelSpace(), t);
    };
    const std::pair<const char*, std::function<void(Drawing&, Changed&)>> cases[] = {
        {"nothing", [](Drawing&, Changed&) {}},
        {"an open polyline added", [](Drawing& d, Changed&) {
             d.AppendEntity(d.ModelSpace(), MakeEntity(d, EntityType::Polyline));
             d.AppendEntity(d.ModelSpace(), MakeEntity(d, EntityType::Vertex));
         }},
        {"a text without height added", [&](Drawing& d, Changed&) { text(d, 0); }},
        {"an entity given a bad colour", [&](Drawing& d, Changed& c) { d.entities[*c.insert(first(d, EntityType::Line)).first].colour = 999; }},
        {"an entity deleted", [&](Drawing& d, Changed& c) { d.entities[*c.insert(first(d, EntityType::Circle)).first].flags |= kEntityDeleted; }},
        {"a polyline's head deleted", [&](Drawing& d, Changed& c) { d.entities[*c.insert(first(d, EntityType::Polyline)).first].flags |= kEntityDeleted; }},
        {"a vertex amid its run turned into a point", [](Drawing& d, Changed& c) {
             const auto& list = d.blocks[d.ModelSpace()].entities;
             auto at = std::find_if(list.begin(), list.end(), [&](auto i) { return d.entities[i].type == EntityType::Vertex; });
             ASSERT_TRUE(at + 1 < list.end() && d.entities[*(at + 1)].type == EntityType::Vertex);
             d.entities[*c.insert(*(at + 1)).first].type = EntityType::Point;
         }},
        {"an added entity repeats a handle", [&](Drawing& d, Changed&) {
             Entity e = MakeEntity(d, EntityType::Point);
             e.handle = d.entities[first(d, EntityType::Line)].handle;
             d.AppendEntity(d.ModelSpace(), e);
         }},
        {"a record without a handle", [](Drawing& d, Changed&) { d.AddLayer(Layer{"LATE"}); }},
        {"the layers cut back", [](Drawing& d, Changed&) { d.layers.resize(1); d.RebuildIndexes(); }},
        {"a block turned into a paper space", [&](Drawing& d, Changed&) {
             d.RenameBlock(d.entities[first(d, EntityType::Insert)].geom.insert.block, "*Paper_Space7");
         }},
        {"a hatch's boundary cleared", [](Drawing& d, Changed&) { d.hatches.at(0).boundary.clear(); }},
        {"an entity moved to the paper space", [&](Drawing& d, Changed&) {
             d.blocks[d.PaperSpace()].entities.push_back(first(d, EntityType::Line));
             d.blocks[d.ModelSpace()].entities.erase(d.blocks[d.ModelSpace()].entities.begin());
         }},
    };
    ostrel::test::TempDir dir;
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        auto base = ostrel::test::EveryKindDrawing();
        NormalizeForSave(*base);
        const Drawing before = *base;
        Drawing whole = before, since = before;
        Changed ignored, changed;
        change(whole, ignored);
        change(since, changed);
        NormalizeForSave(whole);
        NormalizeForSave(since, NormalisedBefore{&before, before.entities.size(), before.textPool.size(), &changed});
        WriteDxf(whole, Release::R2000, dir.file("whole.dxf"));
        WriteDxf(since, Release::R2000, dir.file("since.dxf"));
        const auto expected = ostrel::test::ReadFile(dir.file("whole.dxf"));
        EXPECT_TRUE(expected == ostrel::test::ReadFile(dir.file("since.dxf")));
        EXPECT_EQ(whole.entities.size(), since.entities.size());
    }
}
