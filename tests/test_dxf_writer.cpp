// The DXF writer: every release read back by independent readers (ezdxf with
// its audit and our tag checks, GDAL, dime), the tag stream itself, and the
// atomic replacement of the target file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <tuple>

#include "cad/atomic_file.h"
#include "cad/drawing.h"
#include "cad/dxf/dxf_writer.h"
#include "toolkit/toolkit.h"
#include "support/dxf_tags.h"
#include "support/facade_drawing.h"
#include "support/test_support.h"

namespace ostrel::test {
namespace {

using cad::Release;

// The number after "key": in the checker's JSON (0 when absent).
int JsonCount(const std::string& json, const std::string& object, const std::string& key) {
    auto o = json.find("\"" + object + "\": {");
    if (o == std::string::npos) return 0;
    auto end = json.find('}', o);
    auto k = json.find("\"" + key + "\": ", o);
    if (k == std::string::npos || k > end) return 0;
    return std::atoi(json.c_str() + k + key.size() + 4);
}

const Release kAllReleases[] = {Release::R12,   Release::R13,   Release::R14,   Release::R2000, Release::R2004,
                                Release::R2007, Release::R2010, Release::R2013, Release::R2018};

bool PreR2000(Release r) { return r == Release::R12 || r == Release::R13 || r == Release::R14; }

// ======================================================= every release

class EveryRelease : public ::testing::TestWithParam<Release> {
protected:
    TempDir dir;
    FacadeDrawing f;
    std::string path;

    void SetUp() override {
        f.BuildEveryKind();
        f.SecondLayout();
        path = dir.file(std::string("every-") + cad::ReleaseName(GetParam()) + ".dxf");
        cad::SaveDxf(f.d(), GetParam(), path);
    }
};

TEST_P(EveryRelease, EzdxfAuditAndTagChecksPass) {
    auto r = RunChecker("check_dxf.py", "--allow-r12-seqend " + path);
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_NE(r.out.find(std::string("\"version\": \"") + cad::AcadVersionString(GetParam()) + "\""),
              std::string::npos);
    // Model space as ezdxf sees it (polylines count once; before R2000 the
    // fill is two SOLID triangles), then the tag stream of ENTITIES. GDAL
    // and dime read every release: test_reader_matrix.
    const int old = PreR2000(GetParam()) ? 1 : 0;
    const std::tuple<const char*, const char*, int> counts[] = {
        {"Model", "POINT", 1}, {"Model", "CIRCLE", 1}, {"Model", "TEXT", 1}, {"Model", "INSERT", 1},
        {"Model", "3DFACE", 1}, {"Model", "LINE", 1}, {"Model", "ARC", 1}, {"Model", "HATCH", 1 - old},
        {"Model", "POLYLINE", 2}, {"Model", "SOLID", 2 * old}, {"entities_section", "VERTEX", 6},
        {"entities_section", "SEQEND", 2}, {"entities_section", "VIEWPORT", 2}};
    for (auto [space, type, n] : counts) EXPECT_EQ(JsonCount(r.out, space, type), n) << space << " " << type;
    for (auto layer : {"\"KERB\"", "\"TREES\"", "\"ZERO\""}) EXPECT_NE(r.out.find(layer), std::string::npos) << layer;
    EXPECT_NE(r.out.find("\"TREE\""), std::string::npos);
    // The second layout exists from R2000 on, with its point.
    if (!old) {
        EXPECT_EQ(JsonCount(r.out, "Layout2", "POINT"), 1) << r.out;
        EXPECT_EQ(JsonCount(r.out, "Layout1", "VIEWPORT"), 2);
    }
}

TEST_P(EveryRelease, SavingAgainGivesTheSameBytes) {
    // Repairs happen once: the second save finds nothing to change.
    auto again = dir.file("again.dxf");
    cad::SaveDxf(f.d(), GetParam(), again);
    auto first = ReadFile(path), second = ReadFile(again);
    if (PreR2000(GetParam())) {
        // Writer-made handles (the fill's outline) move up with each save.
        EXPECT_EQ(first.size(), second.size());
    } else {
        EXPECT_EQ(first, second);
    }
}

INSTANTIATE_TEST_SUITE_P(Dxf, EveryRelease, ::testing::ValuesIn(kAllReleases),
                         [](const auto& info) { return std::string(cad::ReleaseName(info.param)); });

// ======================================================= tag stream

class TagStream : public ::testing::Test {
protected:
    TempDir dir;
    FacadeDrawing f;
    std::vector<Tag> tags;
    std::vector<Structure> all;

    void Write(Release r) {
        auto path = dir.file("tags.dxf");
        cad::SaveDxf(f.d(), r, path);
        tags = ReadTags(path);
        all = Structures(tags);
    }
    void SetUp() override { f.BuildEveryKind(); }

    const Structure* Entity(const std::string& type, std::size_t n = 0) {
        auto list = OfType(all, type, "ENTITIES");
        return n < list.size() ? list[n] : nullptr;
    }
    const Structure* Record(const std::string& type, const std::string& name) { return test::Record(all, type, name); }
};

// The handle seed, the table counts and the final EOF of every release are
// check_dxf.py's (EveryRelease); here the order the tables come in.
TEST_F(TagStream, HeaderComesFirstAndTheTablesInTheirOrder) {
    for (Release r : {Release::R12, Release::R2000, Release::R2018}) {
        Write(r);
        std::vector<std::string> order;
        for (auto* t : OfType(all, "TABLE")) {
            order.push_back(t->Get(2));
            if (r != Release::R12) {
                EXPECT_EQ(t->All(100).at(0), "AcDbSymbolTable");
            }
        }
        std::vector<std::string> expected = {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE"};
        if (r != Release::R12) expected.push_back("BLOCK_RECORD");
        EXPECT_EQ(order, expected) << cad::ReleaseName(r);
    }
}

TEST_F(TagStream, R2000RecordsCarryOwnersAndSubclasses) {
    Write(Release::R2000);
    auto* ltypeTable = OfType(all, "TABLE")[1];
    ASSERT_EQ(ltypeTable->Get(2), "LTYPE");
    for (auto* rec : OfType(all, "LTYPE", "TABLES")) {
        EXPECT_EQ(rec->Get(330), ltypeTable->Get(5));
        EXPECT_EQ(rec->All(100), (std::vector<std::string>{"AcDbSymbolTableRecord", "AcDbLinetypeTableRecord"}));
    }
    auto* dashed = Record("LTYPE", "DASHED");
    ASSERT_NE(dashed, nullptr);
    EXPECT_EQ(dashed->All(49), (std::vector<std::string>{"0.5", "-0.25"}));
    EXPECT_EQ(dashed->Get(40), "0.75");
    // CLASSES: the nine classes with all their groups, no instance count before R2004.
    auto classes = OfType(all, "CLASS");
    ASSERT_EQ(classes.size(), 9u);
    EXPECT_EQ(classes[0]->Get(1), "ACDBDICTIONARYWDFLT");
    EXPECT_EQ(classes[2]->Get(1), "LAYOUT");
    EXPECT_EQ(classes[4]->Get(1), "SCALE");
    EXPECT_EQ(classes[5]->Get(3), "ACDB_MLEADERSTYLE_CLASS");
    for (auto* c : classes) {
        for (int code : {1, 2, 3, 90, 280, 281}) EXPECT_TRUE(c->Has(code)) << code;
        EXPECT_FALSE(c->Has(91));
    }
    // OBJECTS: the named object dictionary first, owned by nobody.
    auto objects = std::find_if(all.begin(), all.end(), [](const Structure& s) { return s.section == "OBJECTS" && s.type() != "SECTION"; });
    ASSERT_NE(objects, all.end());
    EXPECT_EQ(objects->type(), "DICTIONARY");
    EXPECT_EQ(objects->Get(330), "0");
    auto layouts = OfType(all, "LAYOUT", "OBJECTS");
    ASSERT_EQ(layouts.size(), 2u);
    EXPECT_EQ(layouts[0]->All(100), (std::vector<std::string>{"AcDbPlotSettings", "AcDbLayout"}));
    EXPECT_EQ(OfType(all, "ACDBPLACEHOLDER", "OBJECTS").size(), 1u);
    EXPECT_EQ(OfType(all, "MLINESTYLE", "OBJECTS").size(), 1u);
}

TEST_F(TagStream, R2004ClassesCountTheirInstances) {
    f.SecondLayout();
    Write(Release::R2004);
    auto classes = OfType(all, "CLASS");
    ASSERT_EQ(classes.size(), 9u);
    EXPECT_EQ(classes[0]->Get(91), "1");   // ACAD_PLOTSTYLENAME
    EXPECT_EQ(classes[1]->Get(91), "1");   // "Normal"
    EXPECT_EQ(classes[2]->Get(91), "3");   // Model, Layout1, the second layout
    EXPECT_EQ(classes[3]->Get(91), "11");  // the drawing's settings
    EXPECT_EQ(classes[4]->Get(91), "17");  // the scale list
    EXPECT_EQ(classes[5]->Get(91), "1");   // the standard multileader style
    EXPECT_EQ(classes[6]->Get(91), "1");   // and table style
    EXPECT_EQ(classes[7]->Get(91), "3");   // ByLayer, ByBlock, Global
    EXPECT_EQ(classes[8]->Get(91), "24");  // the visual styles
}

TEST_F(TagStream, R12HasNoneOfTheLaterStructures) {
    Write(Release::R12);
    for (auto& s : all) {
        EXPECT_NE(s.section, "CLASSES");
        EXPECT_NE(s.section, "OBJECTS");
        EXPECT_NE(s.type(), "BLOCK_RECORD");
        EXPECT_NE(s.type(), "HATCH");
        EXPECT_FALSE(s.Has(100)) << s.type();
        EXPECT_FALSE(s.Has(330)) << s.type();
    }
    EXPECT_EQ(HeaderValue(tags, "$HANDLING"), "1");
    // Linetypes by name, without the BYLAYER and BYBLOCK records.
    EXPECT_EQ(Record("LTYPE", "BYLAYER"), nullptr);
    ASSERT_NE(Record("LTYPE", "CONTINUOUS"), nullptr);
    EXPECT_EQ(Record("LAYER", "KERB")->Get(6), "DASHED");
    // Names in the R12 alphabet.
    EXPECT_NE(Record("LAYER", "BAD_NAME_1"), nullptr);
    EXPECT_NE(Record("LAYER", "STRA_E"), nullptr);
    // The spaces' blocks by their R12 names.
    std::vector<std::string> blockNames;
    for (auto* b : OfType(all, "BLOCK", "BLOCKS")) blockNames.push_back(b->Get(2));
    EXPECT_EQ(blockNames, (std::vector<std::string>{"$MODEL_SPACE", "$PAPER_SPACE", "TREE"}));
    // Viewports carry their view in the "ACAD" extended data.
    auto* vp = Entity("VIEWPORT", 1);
    ASSERT_NE(vp, nullptr);
    EXPECT_EQ(vp->Get(1001), "ACAD");
    EXPECT_EQ(vp->Get(1000), "MVIEW");
    EXPECT_FALSE(vp->Has(12));
    // The fill as SOLID triangles with writer-made handles.
    auto solids = OfType(all, "SOLID", "ENTITIES");
    ASSERT_EQ(solids.size(), 2u);
    EXPECT_EQ(solids[1]->Get(62), "8");
}

TEST_F(TagStream, LayerColoursAndLinetypesFollowTheFormatRules) {
    Write(Release::R2000);
    EXPECT_EQ(Record("LAYER", "KERB")->Get(62), "3");
    EXPECT_EQ(Record("LAYER", "KERB")->Get(6), "DASHED");
    EXPECT_EQ(Record("LAYER", "TREES")->Get(62), "-5");     // off
    EXPECT_EQ(Record("LAYER", "ZERO")->Get(62), "7");       // 0 is no layer colour
    EXPECT_EQ(Record("LAYER", "ZERO")->Get(6), "Continuous");
    EXPECT_NE(Record("LAYER", "BAD_NAME_1"), nullptr);      // "/" and ":" are not allowed
    EXPECT_NE(Record("LAYER", "Stra\xdf" "e"), nullptr);    // Windows-1252 up to R2004
    EXPECT_EQ(Record("LAYER", "0")->Get(390), OfType(all, "ACDBPLACEHOLDER", "OBJECTS")[0]->Get(5));
    EXPECT_FALSE(Record("LAYER", "KERB")->Has(390));         // made without a plot style

    // Entities: colour 256 and linetype ByLayer are left out.
    auto* point = Entity("POINT");
    EXPECT_FALSE(point->Has(62));
    EXPECT_FALSE(point->Has(6));
    EXPECT_EQ(point->Get(8), "KERB");
    EXPECT_EQ(Entity("CIRCLE")->Get(62), "1");
    EXPECT_EQ(Entity("INSERT")->Get(6), "DASHED");
    EXPECT_EQ(Entity("INSERT")->Get(2), "TREE");
    EXPECT_NEAR(std::stod(Entity("INSERT")->Get(50)), 30, 1e-12);   // degrees in the file
}

TEST_F(TagStream, NumbersAreTheShortestExactText) {
    Write(Release::R2000);
    auto* point = Entity("POINT");
    EXPECT_EQ(point->Get(10), "0.1");
    EXPECT_EQ(point->Get(20), "1e-07");
    EXPECT_EQ(point->Get(30), "123456.789");
    EXPECT_EQ(std::strtod(point->Get(30).c_str(), nullptr), 123456.789);
    EXPECT_EQ(Entity("TEXT")->Get(50), "90");

    // No spelling for NaN: written as 0 so the file still loads.
    auto& d = f.d();
    for (auto& e : d.entities)
        if (e.type == cad::EntityType::Point) e.geom.point.pos.x = std::numeric_limits<double>::quiet_NaN();
    Write(Release::R2000);
    EXPECT_EQ(Entity("POINT")->Get(10), "0");
}

TEST_F(TagStream, TextIsWindows1252UpToR2004AndUtf8After) {
    Write(Release::R2004);
    EXPECT_EQ(Entity("TEXT")->Get(1), "Caf\xe9 ^ top^Jline");   // caret notation for "^" and the line break
    EXPECT_EQ(Entity("TEXT")->Get(8), "Stra\xdf" "e");
    Write(Release::R2007);
    EXPECT_EQ(Entity("TEXT")->Get(1), "Caf\xc3\xa9 ^ top^Jline");
    EXPECT_EQ(Entity("TEXT")->Get(8), "Stra\xc3\x9f" "e");
    EXPECT_EQ(HeaderValue(tags, "$DWGCODEPAGE"), "ANSI_1252");
}

TEST_F(TagStream, PolylineSequencesBelongToTheirPolyline) {
    Write(Release::R2000);
    auto polylines = OfType(all, "POLYLINE", "ENTITIES");
    ASSERT_EQ(polylines.size(), 2u);
    auto* flat = polylines[0];
    auto* spatial = polylines[1];
    EXPECT_EQ(flat->Get(70), "128");
    EXPECT_EQ(flat->All(100)[1], "AcDb2dPolyline");
    EXPECT_EQ(flat->Get(40), "0.5");
    EXPECT_EQ(spatial->Get(70), "8");
    EXPECT_EQ(spatial->All(100)[1], "AcDb3dPolyline");
    auto vertices = OfType(all, "VERTEX", "ENTITIES");
    ASSERT_EQ(vertices.size(), 6u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(vertices[i]->Get(330), flat->Get(5));
        EXPECT_EQ(vertices[i]->All(100)[2], "AcDb2dVertex");
        EXPECT_EQ(vertices[3 + i]->Get(330), spatial->Get(5));
        EXPECT_EQ(vertices[3 + i]->All(100)[2], "AcDb3dPolylineVertex");
        EXPECT_EQ(vertices[3 + i]->Get(70), "32");
        EXPECT_EQ(vertices[i]->Get(8), "KERB");
    }
    // Widths only where they were set.
    EXPECT_FALSE(vertices[0]->Has(40));
    EXPECT_EQ(vertices[1]->Get(40), "0.75");
    EXPECT_EQ(vertices[1]->Get(41), "0.75");
    auto seqends = OfType(all, "SEQEND", "ENTITIES");
    ASSERT_EQ(seqends.size(), 2u);
    EXPECT_EQ(seqends[0]->Get(330), flat->Get(5));
    EXPECT_EQ(seqends[1]->Get(330), spatial->Get(5));
    EXPECT_EQ(seqends[0]->Get(8), "KERB");   // a sequence end takes its polyline's layer
}

TEST_F(TagStream, PaperSpaceViewportsAndFillR2000Form) {
    Write(Release::R2000);
    auto viewports = OfType(all, "VIEWPORT", "ENTITIES");
    ASSERT_EQ(viewports.size(), 2u);
    auto paper = f.d().blocks[f.d().PaperSpace()].handle;
    for (auto* v : viewports) {
        EXPECT_EQ(v->Get(67), "1");
        EXPECT_EQ(v->Get(330), cad::HandleText(paper));
        for (int code : {10, 40, 41, 68, 69, 12, 16, 17, 45, 90, 110, 111, 112}) EXPECT_TRUE(v->Has(code)) << code;
    }
    EXPECT_EQ(viewports[0]->Get(69), "1");
    // The paper layout names its own viewport.
    bool found = false;
    for (auto* lo : OfType(all, "LAYOUT", "OBJECTS"))
        if (lo->All(1).back() == "Layout1") {
            found = true;
            EXPECT_EQ(lo->Get(331), viewports[0]->Get(5));
        }
    EXPECT_TRUE(found);
    EXPECT_FALSE(Entity("POINT")->Has(67));

    auto* hatch = Entity("HATCH");
    ASSERT_NE(hatch, nullptr);
    EXPECT_EQ(hatch->Get(2), "SOLID");
    EXPECT_EQ(hatch->Get(70), "1");
    EXPECT_EQ(hatch->Get(91), "1");
    EXPECT_EQ(hatch->Get(93), "4");
    EXPECT_EQ(hatch->All(10).size(), 5u);   // elevation point and four vertices
}

TEST_F(TagStream, R13AndR14KeepToTheirOwnStructures) {
    for (Release r : {Release::R13, Release::R14}) {
        Write(r);
        EXPECT_TRUE(OfType(all, "CLASS").empty());
        EXPECT_TRUE(OfType(all, "LAYOUT").empty());
        EXPECT_TRUE(OfType(all, "ACDBPLACEHOLDER").empty());
        for (auto* l : OfType(all, "LAYER", "TABLES")) EXPECT_FALSE(l->Has(390));
        EXPECT_NE(Record("BLOCK_RECORD", "*MODEL_SPACE"), nullptr);
        EXPECT_FALSE(Record("BLOCK_RECORD", "*MODEL_SPACE")->Has(340));
        EXPECT_EQ(HeaderValue(tags, "$PSTYLEMODE"), "<missing>");
        EXPECT_EQ(Entity("VIEWPORT", 1)->Get(1000), "MVIEW");
    }
}

TEST_F(TagStream, BlockContentsStayInBlocks) {
    f.SecondLayout();
    Write(Release::R2000);
    // BLOCK ... ENDBLK of the symbol, with its circle and polyline between.
    std::vector<std::string> inTree;
    bool inside = false;
    for (auto& s : all) {
        if (s.section != "BLOCKS") continue;
        if (s.type() == "BLOCK") inside = s.Get(2) == "TREE";
        if (inside) inTree.push_back(s.type());
        if (s.type() == "ENDBLK") inside = false;
    }
    EXPECT_EQ(inTree, (std::vector<std::string>{"BLOCK", "CIRCLE", "POLYLINE", "VERTEX", "VERTEX", "VERTEX", "SEQEND",
                                                "ENDBLK"}));
    // The second layout's point is in BLOCKS, flagged as paper space; not in ENTITIES.
    auto points = OfType(all, "POINT", "BLOCKS");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0]->Get(67), "1");
    EXPECT_EQ(OfType(all, "POINT", "ENTITIES").size(), 1u);
}

// ======================================================= damaged drawings

// A drawing damaged at random (indexes naming nothing, repeated and zero
// handles, entities listed twice, objects cut loose, odd values) is still
// written as a file every checker accepts.
TEST(DamagedDrawing, IsStillWrittenAsAValidFile) {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&](std::uint64_t bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return bound ? state % bound : 0;
    };
    for (int round = 0; round < 6; ++round) {
        FacadeDrawing f;
        f.BuildEveryKind();
        f.SecondLayout();
        auto& d = f.d();
        const auto n = d.entities.size();
        for (int k = 0; k < 25; ++k) {
            auto& e = d.entities[next(n)];
            switch (next(12)) {
            case 0: e.layer = static_cast<std::uint32_t>(next(1000)); break;
            case 1: e.linetype = static_cast<std::uint32_t>(next(1000)); break;
            case 2: e.handle = d.entities[next(n)].handle; break;
            case 3: e.handle = 0; break;
            case 4: e.colour = static_cast<std::int16_t>(next(2000)) - 1000; break;
            case 5: d.blocks[next(d.blocks.size())].entities.push_back(static_cast<std::uint32_t>(next(n + 5))); break;
            case 6: if (e.type == cad::EntityType::Insert) e.geom.insert.block = static_cast<std::uint32_t>(next(9)); break;
            case 7: if (e.type == cad::EntityType::Viewport || e.type == cad::EntityType::Hatch) e.geom.extra.index = static_cast<std::uint32_t>(next(5)); break;
            case 8: d.objects[next(d.objects.size())].owner = next(0x200); break;
            case 9: d.layers[next(d.layers.size())].plotStyle = next(0x200); break;
            case 10: d.layers[next(d.layers.size())].linetype = static_cast<std::uint32_t>(next(50)); break;
            case 11: e.flags ^= static_cast<std::uint8_t>(1u << next(3)); break;
            }
        }
        for (Release r : {Release::R12, Release::R2000}) {
            TempDir dir;
            auto path = dir.file("damaged.dxf");
            ASSERT_NO_THROW(cad::SaveDxf(d, r, path)) << round;
            auto c = RunChecker("check_dxf.py", "--allow-r12-seqend " + path);
            EXPECT_EQ(c.exitCode, 0) << "round " << round << " " << cad::ReleaseName(r) << "\n" << c.err;
        }
    }
}

// ======================================================= atomic save

class AtomicSave : public ::testing::Test {
protected:
    TempDir dir;

    std::vector<std::string> Files() {
        std::vector<std::string> out;
        for (auto& e : std::filesystem::directory_iterator(dir.path())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(AtomicSave, AnUncommittedFileLeavesTheTargetAndNoTemporary) {
    auto target = dir.file("site.dxf");
    WriteFile(target, "earlier contents");
    {
        cad::AtomicFile file(target);
        EXPECT_TRUE(std::filesystem::exists(file.temporaryPath()));
        EXPECT_EQ(std::filesystem::path(file.temporaryPath()).parent_path(), dir.path());
        file.Write("new", 3);
    }
    EXPECT_EQ(ReadFile(target), "earlier contents");
    EXPECT_EQ(Files(), std::vector<std::string>{"site.dxf"});

    {
        cad::AtomicFile file(target);
        file.Write("new", 3);
        file.Commit();
    }
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(Files(), std::vector<std::string>{"site.dxf"});
}

// The system refuses the bytes half-way (a file size limit, as a full disk
// would): the save fails with a CadError, the earlier file is untouched and
// no temporary is left. Run in a child process, which the limit applies to.
TEST_F(AtomicSave, AFailingWriteLeavesTheEarlierFileByteIdentical) {
    auto target = dir.file("site.dxf");
    FacadeDrawing small;
    small.BuildEveryKind();
    cad::SaveDxf(small.d(), Release::R2000, target);
    const std::string earlier = ReadFile(target);
    ASSERT_GT(earlier.size(), 1000u);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        auto big = cad::NewDrawing();
        auto ms = big->ModelSpace();
        for (int i = 0; i < 20000; ++i) {   // several MiB of DXF, more than one buffer
            cad::Entity e;
            e.type = cad::EntityType::Point;
            e.handle = big->NewHandle();
            e.geom.point.pos = {i * 0.1, i * 0.2, 0};
            big->AppendEntity(ms, e);
        }
        int code = 3;
        try {
            cad::SaveDxf(*big, Release::R2000, target);
            code = 1;                          // the limit did not stop it
        } catch (const cad::CadError& e) {
            code = std::string(e.what()).find(target) != std::string::npos ? 0 : 2;
        }
        std::_Exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no failure, 2: message without the path, 3: other";
    EXPECT_EQ(ReadFile(target), earlier);
    EXPECT_EQ(Files(), std::vector<std::string>{"site.dxf"});
}

TEST_F(AtomicSave, AMissingFolderGivesAClearErrorOrAStatusAndAFolderAsTargetIsRefused) {
    FacadeDrawing f;
    auto path = dir.file("no-such-folder/site.dxf");
    try {
        cad::SaveDxf(f.d(), Release::R2000, path);
        FAIL() << "no error";
    } catch (const cad::CadError& e) {
        std::string text = e.what();
        EXPECT_NE(text.find(path), std::string::npos) << text;
        EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    }
    std::filesystem::create_directories(dir.file("out.dxf"));
    EXPECT_THROW(cad::SaveDxf(f.d(), Release::R2000, dir.file("out.dxf")), cad::CadError);
    EXPECT_EQ(Files(), std::vector<std::string>{"out.dxf"});
    // Through the toolkit the failure is its status, the text naming the path.
    f.lib.SaveDrawingFile(f.id, path, 1, 2000, 0, 6, 1, 1);
    EXPECT_EQ(f.lib.LastStatus(), kStatusWriteFailed);
    EXPECT_NE(f.db.StatusText(f.lib.LastStatus()).find(path), std::string::npos);

    f.lib.SaveDrawingFile(f.id, dir.file("site.dxf"), 1, 2000, 0, 6, 1, 1);
    EXPECT_EQ(f.lib.LastStatus(), kStatusOk);
    EXPECT_EQ(ReadTags(dir.file("site.dxf"))[3].value, "AC1015");
}

// ======================================================= checkers

// The checkers must fail on the faults they are there to find.
class CheckerSelfTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string good;

    void SetUp() override {
        FacadeDrawing f;
        f.BuildEveryKind();
        good = dir.file("good.dxf");
        cad::SaveDxf(f.d(), Release::R2000, good);
    }

    // Replaces the value of the first tag with the given code that follows
    // the tag (afterCode, afterValue).
    std::string Mutate(int afterCode, const std::string& afterValue, int code, const std::string& value) {
        auto tags = ReadTags(good);
        bool armed = false;
        for (auto& t : tags) {
            if (armed && t.code == code) {
                t.value = value;
                break;
            }
            armed |= t.code == afterCode && t.value == afterValue;
        }
        auto path = dir.file("bad.dxf");
        WriteTags(path, tags);
        return path;
    }
};

TEST_F(CheckerSelfTest, FindsTheFaultsEzdxfMissesAndCountsFeatures) {
    EXPECT_EQ(RunChecker("check_dxf.py", good).exitCode, 0);
    auto r = RunChecker("check_dxf.py", Mutate(9, "$HANDSEED", 5, "10"));   // too low
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("HANDSEED"), std::string::npos) << r.err;
    r = RunChecker("check_dxf.py", Mutate(0, "POINT", 330, "FFFF"));     // a dangling owner
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("resolves to nothing"), std::string::npos) << r.err;
    r = RunChecker("check_dxf.py", Mutate(2, "LAYER", 70, "9"));         // a wrong table count
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("declares"), std::string::npos) << r.err;
    // The readers' checker counts features and refuses a cut file.
    EXPECT_EQ(RunChecker("check_readers.py", good + " --features 10").exitCode, 0);
    EXPECT_EQ(RunChecker("check_readers.py", good + " --features 11").exitCode, 1);
    auto bytes = ReadFile(good);
    WriteFile(dir.file("cut.dxf"), bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(RunChecker("check_readers.py", dir.file("cut.dxf")).exitCode, 1);
}

} // namespace
} // namespace ostrel::test
