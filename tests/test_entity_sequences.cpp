// The SEQENDs the save adds to polylines (and inserts with attributes) left
// open, and the members it drops when they stand outside their run.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "cad/drawing.h"

using namespace ostrel::cad;

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
        for (auto i : d->blocks[ms].entities) {
            const auto& e = d->entities[i];
            types += e.type == EntityType::Polyline ? 'P' : e.type == EntityType::Vertex ? 'V'
                     : e.type == EntityType::SeqEnd ? 'S' : e.type == EntityType::Insert ? 'I'
                     : e.type == EntityType::Attrib ? 'A' : 'O';
        }
        EXPECT_EQ(types, saved);
    }
}
