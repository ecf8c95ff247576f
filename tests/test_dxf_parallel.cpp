// The ENTITIES section spelled by two threads must be byte for byte what one
// thread writes, wherever the runs are cut: through 2D and 3D polylines and
// their vertices, past deleted entities, in every release it is used for.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../bench/site_drawing.h"
#include "cad/drawing.h"
#include "cad/dxf/dxf_entities_parallel.h"
#include "cad/dxf/dxf_write_context.h"

using namespace ostrel::cad;

namespace {

using ostrel::bench::NewEntity;

// An INSERT of block `sym` with `attributes` ATTRIBs (and then a SEQEND).
void AddInsert(Drawing& d, std::uint32_t sym, int attributes) {
    auto in = NewEntity(d, EntityType::Insert, 0);
    in.geom.insert = InsertGeom{{1, 2, 0}, 1, 1, 1, 0, sym, 1, 1, 0, 0};
    d.AppendEntity(d.ModelSpace(), in);
    for (int a = 0; a < attributes; ++a) {
        auto at = NewEntity(d, EntityType::Attrib, 0);
        AttributeData data;
        data.tag = "LEVEL";
        data.text.height = 1;
        data.text.widthFactor = 1;
        d.SetAttribute(at, data);
        d.AppendEntity(d.ModelSpace(), at);
    }
    if (attributes) d.AppendEntity(d.ModelSpace(), NewEntity(d, EntityType::SeqEnd, 0));
}

// A site: points, texts, circles, faces, and polylines of 1 to 9 vertices,
// every third one 3D, some entities deleted; with `inserts`, inserts with
// 0 to 2 attributes too.
std::unique_ptr<Drawing> Site(int groups, bool inserts = false) {
    auto d = NewDrawing();
    Layer kerb;
    kerb.name = "KERB";
    kerb.handle = d->NewHandle();
    const auto layer = d->AddLayer(kerb);
    const auto ms = d->ModelSpace();
    BlockRecord symbol;
    symbol.name = "SYM";
    const auto sym = d->AddBlock(symbol);
    for (int g = 0; g < groups; ++g) {
        if (inserts) AddInsert(*d, sym, g % 3);
        const double x = 512000 + g * 0.125, y = 184000 + g * 0.375;
        auto p = NewEntity(*d, EntityType::Point, layer);
        p.geom.point.pos = {x, y, 10.5};
        d->AppendEntity(ms, p);

        auto t = NewEntity(*d, EntityType::Text, 0);
        t.geom.text = TextGeom{};
        t.geom.text.pos = {x, y, 0};
        t.geom.text.height = 0.5;
        t.geom.text.widthFactor = 1;
        d->SetText(t.geom.text, g % 2 ? "MH 12.5" : "Stra\xdf" "e");
        d->AppendEntity(ms, t);

        const bool threeD = g % 3 == 0;
        auto pl = NewEntity(*d, EntityType::Polyline, layer);
        pl.geom.polyline = PolylineGeom{};
        pl.geom.polyline.flags = threeD ? 8 : 0;
        d->AppendEntity(ms, pl);
        for (int v = 0; v <= g % 9; ++v) {
            auto vx = NewEntity(*d, EntityType::Vertex, layer);
            vx.geom.vertex = VertexGeom{};
            vx.geom.vertex.pos = {x + v, y - v * 0.5, threeD ? 3.25 * v : 0};
            vx.geom.vertex.flags = threeD ? 32 : 0;
            vx.geom.vertex.bulge = threeD ? 0 : 0.25;
            d->AppendEntity(ms, vx);
        }
        d->AppendEntity(ms, NewEntity(*d, EntityType::SeqEnd, layer));

        auto f = NewEntity(*d, EntityType::Face3D, 0);
        f.geom.face = FaceGeom{};
        f.geom.face.corner[0] = {x, y, 1};
        f.geom.face.corner[1] = {x + 1, y, 2};
        f.geom.face.corner[2] = {x, y + 1, 3};
        f.geom.face.corner[3] = {x, y + 1, 3};
        d->AppendEntity(ms, f);

        auto c = NewEntity(*d, EntityType::Circle, layer);
        c.colour = static_cast<std::int16_t>(1 + g % 200);
        c.geom.circle.center = {x, y, 0};
        c.geom.circle.radius = 0.75;
        const auto ci = d->AppendEntity(ms, c);
        if (g % 97 == 0) d->entities[ci].flags |= kEntityDeleted;
    }
    NormalizeForSave(*d);
    return d;
}

std::string OneThread(Drawing& d, Release r) {
    std::string text;
    dxf::TagWriter w(text);
    dxf::WriteContext c(d, r, w);
    c.blockOwner = d.blocks[d.ModelSpace()].handle;
    for (auto i : d.blocks[d.ModelSpace()].entities)
        if (!(d.entities[i].flags & kEntityDeleted)) dxf::WriteEntity(c, d.entities[i]);
    w.Flush();
    return text;
}

std::string TwoThreads(Drawing& d, Release r, std::size_t runLength) {
    std::string text;
    dxf::TagWriter w(text);
    dxf::WriteContext c(d, r, w);
    c.blockOwner = d.blocks[d.ModelSpace()].handle;
    dxf::WriteEntitiesInParallel(c, d.blocks[d.ModelSpace()].entities, runLength);
    w.Flush();
    return text;
}

} // namespace

TEST(DxfParallelEntities, TwoThreadsWriteWhatOneThreadWrites) {
    auto d = Site(3000);
    ASSERT_GT(d->blocks[d->ModelSpace()].entities.size(), 25000u);
    for (Release r : {Release::R2000, Release::R2007, Release::R2018}) {
        const std::string expected = OneThread(*d, r);
        ASSERT_GT(expected.size(), 1000000u);
        // Runs cut everywhere (mostly inside vertex runs), a few long runs,
        // and a single run.
        for (std::size_t run : {std::size_t{1}, std::size_t{7}, std::size_t{4099}, std::size_t{1} << 30})
            EXPECT_EQ(TwoThreads(*d, r, run), expected) << "release " << ReleaseName(r) << ", runs of " << run;
    }
}

TEST(DxfParallelEntities, A3dPolylineCutAfterItsHeaderKeepsItsVertexKind) {
    auto d = Site(40);
    const std::string text = TwoThreads(*d, Release::R2000, 3);
    EXPECT_EQ(text, OneThread(*d, Release::R2000));
    EXPECT_NE(text.find("AcDb3dPolylineVertex"), std::string::npos);
    EXPECT_NE(text.find("AcDb2dVertex"), std::string::npos);
}

TEST(DxfParallelEntities, AnEmptyOrTinyListIsWritten) {
    auto d = NewDrawing();
    EXPECT_EQ(TwoThreads(*d, Release::R2000, 16), "");
    auto s = Site(1);
    EXPECT_EQ(TwoThreads(*s, Release::R2000, 1), OneThread(*s, Release::R2000));
}

// Each entity two threads write names its owner (330): the model space's
// block record, or for a VERTEX, ATTRIB and SEQEND the POLYLINE or INSERT
// before it, wherever the runs are cut; an INSERT says (66) whether
// attributes follow.
TEST(DxfParallelEntities, EveryEntityNamesItsOwner) {
    auto d = Site(400, true);
    const std::string space = HandleText(d->blocks[d->ModelSpace()].handle);
    for (std::size_t run : {std::size_t{1}, std::size_t{5}, std::size_t{64}}) {
        SCOPED_TRACE(run);
        std::istringstream in(TwoThreads(*d, Release::R2000, run));
        struct Written { std::string type, handle, owner; bool attributesFollow = false; };
        std::vector<Written> all;
        for (std::string code, value; std::getline(in, code) && std::getline(in, value);) {
            const int c = std::stoi(code);
            if (c == 0) all.push_back({value, "", "", false});
            else if (c == 5) all.back().handle = value;
            else if (c == 330) all.back().owner = value;
            else if (c == 66 && all.back().type == "INSERT") all.back().attributesFollow = value == "1" || value == "     1";
        }
        ASSERT_GT(all.size(), 4000u);
        std::string head;
        int members = 0;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& e = all[i];
            const bool member = e.type == "VERTEX" || e.type == "ATTRIB" || e.type == "SEQEND";
            ASSERT_EQ(e.owner, member ? head : space) << i << " " << e.type;
            members += member;
            if (e.type == "POLYLINE" || e.type == "INSERT") head = e.handle;
            if (e.type == "INSERT")
                ASSERT_EQ(e.attributesFollow, i + 1 < all.size() && all[i + 1].type == "ATTRIB") << i;
        }
        EXPECT_GT(members, 2000);
    }
}
