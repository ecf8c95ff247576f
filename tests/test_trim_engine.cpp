// The trim pass's drawing engine: the walk cursor, copies, layouts, kind
// views, fills, versions and the save.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "ostrel/errors.h"
#include "trim/frmDWGTrim.h"
#include "trim/vd_control.h"
#include "trim/vd_document.h"
#include "support/trim_fixture.h"

using namespace ostrel;
using namespace ostrel::trim;
using namespace ostrel::test;
using cad::EntityType;
using cad::kNone;

namespace {

class Engine : public ::testing::Test {
protected:
    vdDocument doc;
    cad::Drawing* d = nullptr;

    void SetUp() override {
        auto drawing = cad::NewDrawing();
        d = drawing.get();
        auto ms = d->ModelSpace();
        AddPolyline(*d, ms, "A", {{0, 0}, {10, 0}, {10, 10}});       // 0
        AddText(*d, ms, "B", {1, 2}, 2.5, "first");                   // 1
        AddCircle(*d, ms, "C", {5, 5}, 1);                            // 2
        AddText(*d, ms, "D", {3, 4}, 1, "last");                      // 3
        doc.Adopt(std::move(drawing), "memory.dxf");
    }

    std::vector<std::string> Walk(vdEntities list) {
        std::vector<std::string> seen;
        for (vdEntity e = list.First(); e; e = list.Next()) seen.push_back(e.LayerName());
        return seen;
    }
};

} // namespace

// ------------------------------------------------------------------ the walk

TEST_F(Engine, TheWalkSeesEachEntityOnceAndSurvivesDeletionsAndAdditions) {
    EXPECT_EQ(doc.ModelEntities().Count(), 4);
    vdEntity circle;
    std::vector<std::string> seen;
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next()) {
        seen.push_back(e.LayerName());   // not the vertices
        if (e.TypeName() == "VDCIRCLE") circle = e;
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_FALSE(doc.ModelEntities().Next()) << "the end stays the end";
    ASSERT_TRUE(circle);
    seen.clear();
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next()) {
        seen.push_back(e.LayerName());
        if (e.LayerName() == "A") e.Delete();        // the current one
        if (e.LayerName() == "B") circle.Delete();   // one ahead of the cursor
        if (e.LayerName() == "D") doc.ModelEntities().PlaceString("added", {0, 0, 0}, 160);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "B", "D"})) << "the added text is not visited";
    EXPECT_EQ(Walk(doc.ModelEntities()), (std::vector<std::string>{"B", "D", "0"}));
    EXPECT_EQ(doc.ModelEntities().Count(), 3);
    // Each list keeps a cursor of its own.
    auto layout = doc.Layouts().Add("Other");
    layout.Entities().AddPolyline({0, 0, 0, 1, 1, 0});
    layout.Entities().PlaceString("x", {0, 0, 0}, 160);
    auto model = doc.ModelEntities();
    ASSERT_EQ(model.First().LayerName(), "B");
    ASSERT_TRUE(layout.Entities().First());
    EXPECT_EQ(model.Next().LayerName(), "D") << "walking the layout left model space's cursor alone";
}

// ------------------------------------------------------------------ copies

TEST_F(Engine, ACopyIsIndependentAndMovesIntoTheListItIsAddedTo) {
    vdEntity poly = doc.ModelEntities().First();
    vdPolyline copy(poly.Copy());
    EXPECT_NE(copy.Data().handle, poly.Data().handle);
    copy.SetVertex(1, {99, 98, 0});
    EXPECT_EQ(vdPolyline(poly).Vertices()(1, 0), 10) << "the original keeps its vertex";
    EXPECT_EQ(copy.Vertices()(1, 0), 99);
    EXPECT_EQ(doc.ModelEntities().Count(), 4) << "a copy is in no list until added";

    auto sheet = doc.Layouts().Add("Sheet");
    sheet.Entities().AddEntity(copy);
    EXPECT_EQ(sheet.Entities().Count(), 1);
    vdPolyline placed(sheet.Entities().First());
    EXPECT_EQ(placed.Vertices()(1, 1), 98);
    EXPECT_TRUE(placed.Data().flags & cad::kEntityPaperSpace);
    // Its vertices moved with it and follow it, closed by its SEQEND.
    const auto& list = d->blocks[sheet.Block()].entities;
    std::set<cad::Handle> handles;
    std::string after;      // what follows the placed polyline: V vertex, S SEQEND
    bool seen = false;
    for (auto i : list) {
        const auto& e = d->entities[i];
        if (seen) after += e.type == EntityType::Vertex ? 'V' : e.type == EntityType::SeqEnd ? 'S' : '?';
        seen = seen || e.handle == placed.Data().handle;
        handles.insert(e.handle);
    }
    EXPECT_EQ(after, "VVVS");
    for (auto i : d->blocks[d->ModelSpace()].entities) EXPECT_FALSE(handles.count(d->entities[i].handle));
    // The copy object now names the placed entity.
    copy.SetVertex(0, {-1, -2, 0});
    EXPECT_EQ(placed.Vertices()(0, 0), -1);

    // Adding a listed entity adds a copy; a deleted copy cannot be added.
    vdEntity text = doc.ModelEntities().First();
    text = doc.ModelEntities().Next();
    sheet.Entities().AddEntity(text);
    EXPECT_EQ(sheet.Entities().Count(), 2);
    EXPECT_EQ(doc.ModelEntities().Count(), 4);
    sheet.Entities().First();
    vdText added(sheet.Entities().Next());
    added.Height(7);
    EXPECT_EQ(vdText(text).Height(), 2.5);

    vdEntity gone = text.Copy();
    gone.Delete();
    EXPECT_THROW(sheet.Entities().AddEntity(gone), cad::CadError);
}

// ------------------------------------------------------------------ layouts

TEST_F(Engine, LayoutsCountPaperSpaceOnlyAndANewOneHasItsOwnBlockAndObject) {
    EXPECT_EQ(doc.Layouts().Count(), 1) << "Layout1";
    auto pvo = doc.Layouts().Add("PVO2");
    EXPECT_EQ(doc.Layouts().Count(), 2);
    EXPECT_EQ(pvo.Name(), "PVO2");
    ASSERT_NE(pvo.Block(), kNone);
    const auto& block = d->blocks[pvo.Block()];
    EXPECT_EQ(block.name, "*Paper_Space0");
    EXPECT_NE(block.beginEntity, kNone);
    EXPECT_NE(block.endEntity, kNone);
    auto* lo = d->ObjectByHandle(block.layout);
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->layout->blockRecord, block.handle);
    EXPECT_EQ(lo->layout->tabOrder, 2);
    // In the layout dictionary, and owned by it.
    bool listed = false;
    for (auto& root : d->Root().entries)
        if (root.name == "ACAD_LAYOUT")
            for (auto& e : d->ObjectByHandle(root.target)->entries)
                if (e.name == "PVO2" && e.target == lo->handle && lo->owner == root.target) listed = true;
    EXPECT_TRUE(listed);
    // The layout's own viewport exists (id 1) but is not one of its entities.
    ASSERT_EQ(block.entities.size(), 1u);
    const auto& vp = d->entities[block.entities[0]];
    ASSERT_EQ(vp.type, EntityType::Viewport);
    EXPECT_EQ(d->viewports[vp.geom.extra.index].id, 1);
    EXPECT_EQ(lo->layout->lastViewport, vp.handle);
    EXPECT_EQ(pvo.Entities().Count(), 0);
    EXPECT_THROW(doc.Layouts().Add("pvo2"), cad::CadError) << "names are unique, case ignored";
    const auto third = doc.Layouts().Add("PVO3").Block();
    EXPECT_EQ(third, d->FindBlock("*Paper_Space1"));
}

TEST_F(Engine, MakingALayoutCurrentGivesItThePaperSpaceName) {
    auto first = doc.ActiveLayout();
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Name(), "Layout1");
    auto pvo = doc.Layouts().Add("PVO2");
    const auto pvoBlock = pvo.Block();
    const auto oldBlock = first.Block();
    doc.ActiveLayout(pvo);
    EXPECT_EQ(d->blocks[pvoBlock].name, "*Paper_Space");
    EXPECT_EQ(d->blocks[oldBlock].name, "*Paper_Space0");
    EXPECT_EQ(d->PaperSpace(), pvoBlock);
    EXPECT_THROW(SetActiveLayout(*d, d->ModelSpace()), cad::CadError);
}

// ------------------------------------------------------------------ kind views

TEST_F(Engine, KindViewsRefuseOtherKindsAndIndexesOutsideTheVertices) {
    vdEntity poly = doc.ModelEntities().First();
    EXPECT_THROW(vdText{poly}, cad::CadError);
    EXPECT_THROW(vdInsert{poly}, cad::CadError);
    EXPECT_THROW(vdViewport{poly}, cad::CadError);
    EXPECT_THROW(vdEntity().TypeName(), cad::CadError) << "nothing has no type";
    vdPolyline p(poly);
    EXPECT_EQ(p.VertexCount(), 3);
    EXPECT_THROW(p.Vertices()(3, 0), cad::CadError);
    EXPECT_THROW(p.Vertices()(0, 3), cad::CadError);
    EXPECT_THROW(p.SetVertex(3, {0, 0, 0}), cad::CadError);
    AddPolyline(*d, d->ModelSpace(), "BIG", std::vector<Pt>(32768, Pt{1, 1}));
    vdEntity big;
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next()) big = e;
    EXPECT_THROW(vdPolyline(big).VertexCount(), ConversionError) << "the count is sixteen-bit";
}

TEST_F(Engine, TextIsPlacedByItsAnchorAndScaledAboutIt) {
    auto ms = d->ModelSpace();
    AddText(*d, ms, "J", {10, 20}, 2, "centred", 1);
    vdEntity e = doc.ModelEntities().First();
    e = doc.ModelEntities().Next();
    vdText plain(e);
    EXPECT_EQ(plain.InsertionPoint(), (std::array<double, 3>{1, 2, 0}));
    EXPECT_EQ(plain.TextString(), "first");
    vdEntity found;
    for (vdEntity t = doc.ModelEntities().First(); t; t = doc.ModelEntities().Next())
        if (t.LayerName() == "J") found = t;
    vdText centred(found);
    auto& g = centred.Data().geom.text;
    g.pos = {8, 20, 0};                 // as a reader computes it: 2 left of the centre
    EXPECT_EQ(centred.InsertionPoint(), (std::array<double, 3>{10, 20, 0}));
    centred.Height(4);                  // twice the size: the left end twice as far
    EXPECT_DOUBLE_EQ(g.pos.x, 6);
    centred.InsertionPoint({100, 200, 0});
    EXPECT_DOUBLE_EQ(g.align.x, 100);
    EXPECT_DOUBLE_EQ(g.pos.x, 96);
    EXPECT_DOUBLE_EQ(g.pos.y, 200);
}

TEST_F(Engine, InsertScalesAndViewportIdsAndDegrees) {
    AddInsert(*d, d->ModelSpace(), "S", "TREE", {4, 5}, 2, 3);
    vdEntity last;
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next()) last = e;
    vdInsert ins(last);
    EXPECT_EQ(ins.InsertionPoint(), (std::array<double, 3>{4, 5, 0}));
    ins.XScale(ins.XScale() * 10);
    EXPECT_DOUBLE_EQ(ins.Data().geom.insert.xScale, 20);
    EXPECT_DOUBLE_EQ(ins.YScale(), 3);
    auto sheet = doc.Layouts().Add("S1");
    vdViewport vp(sheet.Entities().AddViewport({50, 60}, 100, 80));
    EXPECT_EQ(vp.View().id, 2) << "id 1 is the layout's own";
    vp.ViewRotation({0, 0, -17.1887338539247});
    EXPECT_NEAR(vp.View().twist, 0.3, 1e-12) << "the viewer's degrees given, the file's radians held";
    EXPECT_EQ(vdViewport(sheet.Entities().AddViewport({1, 1}, 1, 1)).View().id, 3);
}

// ------------------------------------------------------------------ fills and the save

TEST_F(Engine, AFilledPolylineIsSavedWithASolidHatchBeneathIt) {
    AddPolyline(*d, d->ModelSpace(), "BKFILL", Rect(0, 0, 4, 3));
    vdEntity fillable;
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next())
        if (e.LayerName() == "BKFILL") fillable = e;
    vdPolyline p(fillable);
    p.FillMode(1);
    p.FillMode(1);
    EXPECT_EQ(p.FillMode(), 1);
    EXPECT_EQ(doc.ModelEntities().Count(), 5) << "the fill is part of the polyline, not a list member";
    p.SetVertex(2, {5, 3, 0});
    p.Update();

    TempDir dir;
    std::vector<EntityType> order;
    cad::HatchData seen;
    doc.beforeSave = [&](cad::Drawing& dr) {
        order.clear();
        for (auto i : dr.blocks[dr.ModelSpace()].entities) {
            const auto& e = dr.entities[i];
            if (e.flags & cad::kEntityDeleted) continue;
            if (e.type == EntityType::Hatch) seen = dr.hatches[e.geom.extra.index];
            if (e.type != EntityType::Vertex && e.type != EntityType::SeqEnd) order.push_back(e.type);
        }
    };
    const auto before = std::make_pair(d->entities.size(), d->blocks[d->ModelSpace()].entities);
    ASSERT_EQ(doc.SaveDocument(dir.file("f.dxf"), 7), 1);
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order[4], EntityType::Hatch) << "drawn just before its polyline";
    EXPECT_EQ(order[5], EntityType::Polyline);
    ASSERT_EQ(seen.boundary.size(), 4u) << "the repeated closing point is dropped";
    EXPECT_EQ(seen.boundary[2], (cad::Vec3{5, 3, 0})) << "Update follows the vertices";
    EXPECT_TRUE(seen.solid);
    auto s = Summarise(dir.file("f.dxf"));
    ASSERT_EQ(s.All("MS", "HATCH").size(), 1u);
    EXPECT_EQ(s.All("MS", "HATCH")[0]->f[2], "BKFILL");

    // R12 has no hatch: the writer gives the fill as SOLID triangles.
    ASSERT_EQ(doc.SaveDocument(dir.file("f12.dxf"), 4), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), EntityType::Hatch), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), EntityType::Polyline), 2);
    ExpectStrictDxf(dir.file("f12.dxf"), true);
    // The document itself is as before the saves, so saving again writes the same bytes.
    EXPECT_EQ(p.FillMode(), 1);
    EXPECT_EQ(doc.ModelEntities().Count(), 5);
    EXPECT_EQ(std::make_pair(d->entities.size(), d->blocks[d->ModelSpace()].entities), before);
    ASSERT_EQ(doc.SaveDocument(dir.file("f2.dxf"), 7), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), EntityType::Hatch), 1);
    EXPECT_EQ(ReadFile(dir.file("f2.dxf")), ReadFile(dir.file("f.dxf")));

    p.FillMode(0);
    ASSERT_EQ(doc.SaveDocument(dir.file("f3.dxf"), 7), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), EntityType::Hatch), 0) << "fill mode 0 removes the fill";
    p.FillMode(1);
    fillable.Delete();
    ASSERT_EQ(doc.SaveDocument(dir.file("f4.dxf"), 7), 1);
    EXPECT_EQ(std::count(order.begin(), order.end(), EntityType::Hatch), 0) << "deleted with its polyline";
}

TEST_F(Engine, SaveWritesOnlyTheReleasesOfTheTable) {
    TempDir dir;
    for (int index : {-1, 0, 1, 2, 3, 8}) {
        EXPECT_EQ(doc.SaveDocument(dir.file("x.dxf"), index), 0) << index;
        EXPECT_FALSE(std::filesystem::exists(dir.file("x.dxf"))) << index;
    }
    const std::pair<int, cad::Release> cases[] = {
        {4, cad::Release::R12}, {5, cad::Release::R13}, {6, cad::Release::R14}, {7, cad::Release::R2000}};
    for (auto [index, release] : cases) {
        auto path = dir.file("v" + std::to_string(index) + ".dxf");
        ASSERT_EQ(doc.SaveDocument(path, index), 1);
        EXPECT_EQ(cad::ReadDxf(path)->release, release) << index;
    }
    vdDocument none;
    EXPECT_EQ(none.SaveDocument(dir.file("n.dxf"), 7), 0);
    EXPECT_EQ(none.VersionText(), "");
}

TEST(EngineVersions, EachReleaseComesBackAsItsIndexAndIsSavedInItsRelease) {
    using cad::Release;
    const std::pair<Release, int> expect[] = {{Release::R12, 4},   {Release::R13, 5},   {Release::R14, 6},
                                              {Release::R2000, 7}, {Release::R2004, 7}, {Release::R2007, 7},
                                              {Release::R2010, 7}, {Release::R2013, 7}, {Release::R2018, 7}};
    for (auto [release, index] : expect) {
        std::int32_t got = -1;
        frmDWGTrim::VersionIndex(VersionTextFor(release), got);
        EXPECT_EQ(got, index) << cad::ReleaseName(release) << ": " << VersionTextFor(release);
        auto saved = ReleaseForVersionIndex(got, release);
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(*saved, release) << "saved in the release it was read in";
    }
    EXPECT_EQ(ReleaseForVersionIndex(7, Release::R14), Release::R2000);
    EXPECT_FALSE(ReleaseForVersionIndex(2, Release::R2000).has_value());
    EXPECT_TRUE(IsDwgPath("C:\\a.dwg\\site.dxf"));
    EXPECT_TRUE(IsDwgPath("/x/SITE.Dwg"));
    EXPECT_FALSE(IsDwgPath("/x/site.dwt"));
}

TEST(EngineVersions, VersionIndexTakesTheFirstRowContainedIgnoringCase) {
    auto index = [](std::string_view text) {
        std::int32_t i = -1;
        frmDWGTrim::VersionIndex(text, i);
        return i;
    };
    const std::pair<std::string_view, int> cases[] = {
        {"Release 14", 6}, {"release 2.6", 1}, {"RELEASE 2.5", 0}, {"Version 9 then 14", 2},   // the earlier row wins
        {"AutoCAD 2000", 7}, {"", 7}, {"r 100", 3},   // " 10" followed by more digits
        {"Release 11/12", 4}, {"R13", 7},            // every searched text begins with a space
        {"x 13", 5}};
    for (auto [text, expected] : cases) EXPECT_EQ(index(text), expected) << text;
}

// ------------------------------------------------------------------ open and zoom

TEST(EngineOpen, AFileThatCannotBeReadLeavesAnEmptyDocument) {
    TempDir dir;
    WriteFile(dir.file("bad.dxf"), "not a drawing\n");
    vdDocument doc;
    EXPECT_EQ(doc.OpenDocument(dir.file("bad.dxf"), 0, 0), 0);
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_NE(doc.LastError().find("bad.dxf"), std::string::npos) << doc.LastError();
    EXPECT_EQ(doc.ModelEntities().Count(), 0);
    EXPECT_FALSE(doc.ModelEntities().First());
    EXPECT_THROW(doc.Layouts().Count(), cad::CadError);

    auto d = cad::NewDrawing();
    AddCircle(*d, d->ModelSpace(), "C", {1, 1}, 1);
    cad::SaveDxf(*d, cad::Release::R2013, dir.file("good.dxf"));
    EXPECT_EQ(doc.OpenDocument(dir.file("good.dxf"), 0, 0), 1);
    EXPECT_EQ(doc.ModelEntities().Count(), 1);
    EXPECT_EQ(doc.VersionText(), VersionTextFor(cad::Release::R2013));
}

TEST(EngineOpen, ZoomExtentsFramesTheCurrentSpace) {
    vdControl vd;
    auto d = cad::NewDrawing();
    AddPolyline(*d, d->ModelSpace(), "A", Rect(100, 200, 300, 260));
    vd.Document().Adopt(std::move(d));
    vd.Commands().Zoom("E", "USER", "USER");
    auto& dr = vd.Document().Drawing();
    const auto& active = dr.vports[0];
    EXPECT_DOUBLE_EQ(active.viewCenter.x, 200);
    EXPECT_DOUBLE_EQ(active.viewCenter.y, 230);
    EXPECT_GE(active.viewHeight * active.aspect, 200) << "the whole width is in view";

    auto sheet = vd.Document().Layouts().Add("S");
    vd.Document().ActiveLayout(sheet);
    sheet.Entities().AddPolyline({0, 0, 0, 420, 297, 0});
    vd.Commands().Zoom("E", std::int16_t{0}, std::int16_t{0});
    const auto& overall = dr.viewports[dr.entities[dr.blocks[sheet.Block()].entities[0]].geom.extra.index];
    EXPECT_EQ(overall.id, 1);
    EXPECT_DOUBLE_EQ(overall.viewCenter.x, 210);
    EXPECT_DOUBLE_EQ(overall.viewCenter.y, 148.5);
    EXPECT_GE(overall.height, 297);
}
