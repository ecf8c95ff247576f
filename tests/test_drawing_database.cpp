// The drawing database: handles, name lookups, the new drawing's content.
#include <gtest/gtest.h>

#include <set>

#include "cad/drawing.h"

using namespace ostrel::cad;

TEST(Handles, TextIsUpperHexAndRoundTrips) {
    EXPECT_EQ(HandleText(0x2af), "2AF");
    EXPECT_EQ(HandleText(0), "0");
    EXPECT_EQ(ParseHandle("2af").value(), 0x2afu);
    EXPECT_FALSE(ParseHandle("").has_value());
    EXPECT_FALSE(ParseHandle("xyz").has_value());
    EXPECT_FALSE(ParseHandle("12345678901234567").has_value());
}

TEST(NewDrawing, HoldsTheStandardContentWithUniqueHandles) {
    auto d = NewDrawing();
    ASSERT_NE(d->FindLayer("0"), kNone);
    EXPECT_EQ(d->FindLayer("0"), 0u);
    EXPECT_NE(d->FindLinetype("BYLAYER"), kNone);
    EXPECT_NE(d->FindLinetype("continuous"), kNone);
    EXPECT_NE(d->FindStyle("Standard"), kNone);
    ASSERT_NE(d->ModelSpace(), kNone);
    ASSERT_NE(d->PaperSpace(), kNone);
    EXPECT_NE(d->blocks[d->ModelSpace()].beginEntity, kNone);
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

    std::set<Handle> seen;
    auto add = [&](Handle h) {
        EXPECT_NE(h, 0u);
        EXPECT_TRUE(seen.insert(h).second) << HandleText(h);
        EXPECT_LT(h, d->HandleSeed());
    };
    for (auto& l : d->layers) add(l.handle);
    for (auto& l : d->linetypes) add(l.handle);
    for (auto& b : d->blocks) add(b.handle);
    for (auto& e : d->entities) add(e.handle);
    for (auto& o : d->objects) add(o.handle);
    for (auto& s : d->styles) add(s.handle);
}

TEST(Drawing, RepeatedLinetypeNamesAreMadeUnique) {
    auto d = NewDrawing();
    Linetype a; a.name = "DASHED"; a.handle = d->NewHandle();
    Linetype b; b.name = "dashed"; b.handle = d->NewHandle();
    auto ia = d->AddLinetype(a), ib = d->AddLinetype(b);
    EXPECT_EQ(d->linetypes[ia].name, "DASHED");
    EXPECT_EQ(d->linetypes[ib].name, "dashed_2");
    EXPECT_EQ(d->FindLinetype("DASHED_2"), ib);
}

TEST(Drawing, NormalizeRepairsPolylineSequences) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Entity orphan; orphan.type = EntityType::Vertex; orphan.handle = d->NewHandle();
    d->AppendEntity(ms, orphan);
    Entity poly; poly.type = EntityType::Polyline; poly.handle = d->NewHandle(); poly.layer = 0;
    d->AppendEntity(ms, poly);
    Entity v; v.type = EntityType::Vertex; v.handle = d->NewHandle();
    d->AppendEntity(ms, v);
    Entity pt; pt.type = EntityType::Point; pt.handle = d->NewHandle();
    d->AppendEntity(ms, pt);
    NormalizeForSave(*d);
    auto& list = d->blocks[ms].entities;
    ASSERT_EQ(list.size(), 4u);   // polyline, vertex, (new) seqend, point
    EXPECT_EQ(d->entities[list[0]].type, EntityType::Polyline);
    EXPECT_EQ(d->entities[list[1]].type, EntityType::Vertex);
    EXPECT_EQ(d->entities[list[2]].type, EntityType::SeqEnd);
    EXPECT_EQ(d->entities[list[2]].owner, d->entities[list[0]].handle);
    EXPECT_EQ(d->entities[list[3]].type, EntityType::Point);
}

TEST(Drawing, EntityStaysCompact) {
    EXPECT_LE(sizeof(Entity), 144u);
}
