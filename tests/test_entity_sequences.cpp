// VERTEX and SEQEND owners given by AppendEntity: the POLYLINE that starts the
// run of vertices ending the block's list, also when appends alternate
// between blocks or the list was changed directly; and the SEQENDs the save
// adds to polylines (and inserts with attributes) left open.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "cad/drawing.h"

using namespace ostrel::cad;

namespace {

std::uint32_t Append(Drawing& d, std::uint32_t block, EntityType type, Handle handle = 0) {
    Entity e;
    e.type = type;
    e.handle = handle ? handle : d.NewHandle();
    return d.AppendEntity(block, e);
}

Handle OwnerOf(const Drawing& d, std::uint32_t entity) { return d.entities[entity].owner; }

} // namespace

TEST(EntitySequences, EveryVertexOfALongPolylineAndItsSeqendBelongToIt) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Handle p = d->entities[Append(*d, ms, EntityType::Polyline)].handle, block = d->blocks[ms].handle;
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), p);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::SeqEnd)), p);
    // After the SEQEND a stray vertex belongs to the block.
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), block);
}

TEST(EntitySequences, AppendsAlternatingBetweenBlocksKeepEachBlocksPolyline) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace(), ps = d->PaperSpace();
    Handle p1 = d->entities[Append(*d, ms, EntityType::Polyline)].handle;
    Handle p2 = d->entities[Append(*d, ps, EntityType::Polyline)].handle;
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), p1);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ps, EntityType::Vertex)), p2);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), p1);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::SeqEnd)), p1);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ps, EntityType::SeqEnd)), p2);
}

TEST(EntitySequences, AnotherEntityBetweenEndsTheRun) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Handle block = d->blocks[ms].handle;
    Append(*d, ms, EntityType::Polyline);
    Append(*d, ms, EntityType::Vertex);
    Append(*d, ms, EntityType::Point);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), block);
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::SeqEnd)), block);
}

TEST(EntitySequences, AListChangedDirectlyIsReadAgain) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Handle p1 = d->entities[Append(*d, ms, EntityType::Polyline)].handle;
    Append(*d, ms, EntityType::Vertex);
    // A reader puts a second polyline straight into the list.
    Entity p2;
    p2.type = EntityType::Polyline;
    p2.handle = d->NewHandle();
    p2.owner = d->blocks[ms].handle;
    d->entities.push_back(p2);
    d->blocks[ms].entities.push_back(static_cast<std::uint32_t>(d->entities.size() - 1));
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), p2.handle);
    // The list loses its tail: the run of the first polyline shows again.
    d->blocks[ms].entities.pop_back();
    d->blocks[ms].entities.pop_back();
    EXPECT_EQ(OwnerOf(*d, Append(*d, ms, EntityType::Vertex)), p1);
}

TEST(EntitySequences, APolylineWithoutAHandleYetStillOwnsItsVertices) {
    auto d = NewDrawing();
    auto ms = d->ModelSpace();
    Entity p;
    p.type = EntityType::Polyline;   // handle 0: given later by the save's repair
    auto pi = d->AppendEntity(ms, p);
    auto v = Append(*d, ms, EntityType::Vertex);
    Handle block = d->blocks[ms].handle;
    EXPECT_EQ(OwnerOf(*d, v), 0u);
    EXPECT_NE(OwnerOf(*d, v), block);
    EXPECT_EQ(d->entities[pi].type, EntityType::Polyline);
}

// The save closes every polyline (and insert with attributes) left open with
// its SEQEND, in the list's order, wherever it stands, and drops what runs
// astray: P polyline, V vertex, I insert, A attribute, S SEQEND, O point.
TEST(EntitySequences, TheSaveClosesOpenPolylinesWhereTheyStand) {
    const std::pair<const char*, const char*> cases[] = {
        {"PVO", "PVSO"}, {"PV", "PVS"}, {"PVOPVO", "PVSOPVSO"}, {"OPVVSO", "OPVVSO"}, {"PPO", "PSPSO"},
        {"IAAO", "IAASO"}, {"ISO", "IO"}, {"PAVO", "PVSO"}, {"IVAI", "IASI"}, {"OAS", "O"}};
    for (const auto& [given, saved] : cases) {
        SCOPED_TRACE(given);
        auto d = NewDrawing();
        const auto ms = d->ModelSpace();
        BlockRecord symbol;
        symbol.name = "SYM";
        const auto sym = d->AddBlock(symbol);
        for (const char* c = given; *c; ++c) {
            Entity e;
            e.type = *c == 'P' ? EntityType::Polyline : *c == 'V' ? EntityType::Vertex : *c == 'I' ? EntityType::Insert
                     : *c == 'A' ? EntityType::Attrib : *c == 'S' ? EntityType::SeqEnd : EntityType::Point;
            e.handle = d->NewHandle();
            if (*c == 'I') e.geom.insert = InsertGeom{{}, 1, 1, 1, 0, sym, 1, 1, 0, 0};
            if (*c == 'A') d->SetAttribute(e, AttributeData{});
            d->AppendEntity(ms, e);
        }
        NormalizeForSave(*d);
        std::string types;
        Handle open = 0;
        for (auto i : d->blocks[ms].entities) {
            const auto& e = d->entities[i];
            types += e.type == EntityType::Polyline ? 'P' : e.type == EntityType::Vertex ? 'V'
                     : e.type == EntityType::SeqEnd ? 'S' : e.type == EntityType::Insert ? 'I'
                     : e.type == EntityType::Attrib ? 'A' : 'O';
            if (e.type == EntityType::Polyline || e.type == EntityType::Insert) open = e.handle;
            if (e.type == EntityType::SeqEnd || e.type == EntityType::Attrib) EXPECT_EQ(e.owner, open);
        }
        EXPECT_EQ(types, saved);
    }
}
