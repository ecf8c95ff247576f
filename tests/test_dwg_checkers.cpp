// DWG files Ostrel writes, read by outside readers: the libredwg WebAssembly
// build (installed by scripts/install-dwg-checker; these tests skip when it
// is not installed) and GDAL's CAD driver (ogrinfo). Each check is also run
// on a damaged file, to show the reader would notice a fault.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "support/drawings.h"
#include "support/test_support.h"

using namespace ostrel::cad;
using ostrel::test::RunCommand;
using ostrel::test::TempDir;

namespace {

bool DwgCheckerInstalled() {
    return ostrel::test::DwgCheckerHas("node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm");
}

bool OgrinfoInstalled() { return RunCommand("command -v ogrinfo").exitCode == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct LibreDwgReport {
    int error = -1;
    std::string json;
    int Count(const std::string& type) const {
        std::smatch m;
        std::regex re("\"" + type + "\":([0-9]+)");
        return std::regex_search(json, m, re) ? std::stoi(m[1]) : 0;
    }
};

LibreDwgReport RunLibreDwg(const std::string& dwg, const std::string& extra = "") {
    auto r = ostrel::test::RunDwgChecker("check_dwg.mjs", Quote(dwg) + " " + extra);
    LibreDwgReport report;
    report.json = r.out;
    std::smatch m;
    if (std::regex_search(r.out, m, std::regex("\"error\":([0-9]+)"))) report.error = std::stoi(m[1]);
    return report;
}

std::string SaveDrawing(std::unique_ptr<Drawing> d, const TempDir& dir, const std::string& name) {
    auto path = dir.file(name);
    SaveDwg(*d, Release::R2000, path);
    return path;
}

void FlipByte(const std::string& path, std::size_t at) {
    auto bytes = ostrel::test::ReadFile(path);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    ostrel::test::WriteFile(path, bytes);
}

std::size_t HeaderSectionAddress(const std::string& path) {
    auto b = ostrel::test::ReadFile(path);
    auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(b[i])); };
    return u(0x1A) | (u(0x1B) << 8) | (u(0x1C) << 16) | (u(0x1D) << 24);
}

} // namespace

// Every object of the every-kind drawing, and libredwg's DXF of it holds the
// layers, blocks and entities of our DXF.
TEST(LibreDwgChecker, ReadsTheEveryKindDrawingCleanlyAndItsDxfIsOurs) {
    if (!DwgCheckerInstalled()) GTEST_SKIP() << "DWG checker not installed (scripts/install-dwg-checker)";
    TempDir dir;
    auto path = SaveDrawing(ostrel::test::EveryKindDrawing(), dir, "every.dwg");
    auto converted = dir.file("converted.dxf");
    auto r = RunLibreDwg(path, "--dxf " + Quote(converted));
    ASSERT_EQ(r.error, 0) << r.json;
    const std::pair<const char*, int> expected[] = {
        {"POINT", 1},        {"LINE", 3},          {"CIRCLE", 2},       {"ARC", 1},
        {"TEXT", 3},         {"INSERT", 1},        {"MINSERT", 1},      {"POLYLINE_2D", 1},
        {"VERTEX_2D", 4},    {"POLYLINE_3D", 1},   {"VERTEX_3D", 3},    {"SEQEND", 2},
        {"3DFACE", 2},       {"HATCH", 1},         {"VIEWPORT", 2},     {"VX_TABLE_RECORD", 2},
        {"LAYOUT", 2},       {"LAYER", 3},         {"LTYPE", 4},        {"BLOCK_HEADER", 3},
        {"BLOCK", 3},        {"ENDBLK", 3},        {"ACDBPLACEHOLDER", 1}, {"ACDBDICTIONARYWDFLT", 1},
        {"MLINESTYLE", 1},   {"DICTIONARY", 12},   {"SCALE", 17},       {"DICTIONARYVAR", 11},
        {"MLEADERSTYLE", 1}, {"TABLESTYLE", 1},    {"MATERIAL", 3},     {"VISUALSTYLE", 24},
    };
    for (auto [type, count] : expected) EXPECT_EQ(r.Count(type), count) << type << " in " << r.json;

    auto ours = dir.file("ours.dxf");
    SaveDxf(*ostrel::test::EveryKindDrawing(), Release::R2000, ours);
    auto summary = [](const std::string& path) {
        auto s = RunCommand("/usr/bin/python3 " + Quote(ostrel::test::SourcePath("tests/checkers/dwg/dxf_summary.py")) +
                            " " + Quote(path));
        EXPECT_EQ(s.exitCode, 0) << s.err;
        return s.out;
    };
    auto theirs = summary(converted);
    EXPECT_NE(theirs.find("\"SYM1\": {\"CIRCLE\": 1, \"LINE\": 1}"), std::string::npos) << theirs;
    EXPECT_EQ(theirs, summary(ours));
}

TEST(LibreDwgChecker, ReadsALargeDrawingWithAPagedObjectMapCleanly) {
    if (!DwgCheckerInstalled()) GTEST_SKIP() << "DWG checker not installed (scripts/install-dwg-checker)";
    TempDir dir;
    ostrel::test::SiteMix mix;
    auto path = SaveDrawing(ostrel::test::SiteDrawing(20000, &mix), dir, "large.dwg");
    auto r = RunLibreDwg(path);
    ASSERT_EQ(r.error, 0) << r.json.substr(0, 300);
    EXPECT_EQ(r.Count("POINT"), static_cast<int>(mix.points));
    EXPECT_EQ(r.Count("3DFACE"), static_cast<int>(mix.faces));
    EXPECT_EQ(r.Count("VERTEX_2D"), static_cast<int>(mix.vertices));
}

TEST(LibreDwgChecker, ReadsAnObjectLargerThan32KilobytesCleanly) {
    if (!DwgCheckerInstalled()) GTEST_SKIP() << "DWG checker not installed (scripts/install-dwg-checker)";
    TempDir dir;
    auto d = NewDrawing();
    HatchData h;
    for (int i = 0; i < 3000; ++i) h.boundary.push_back({static_cast<double>(i), static_cast<double>(i % 17), 0});
    d->hatches.push_back(h);
    Entity e;
    e.type = EntityType::Hatch;
    e.handle = d->NewHandle();
    e.geom.extra.index = 0;
    d->AppendEntity(d->ModelSpace(), e);
    Entity p;
    p.type = EntityType::Point;
    p.handle = d->NewHandle();
    d->AppendEntity(d->ModelSpace(), p);
    auto r = RunLibreDwg(SaveDrawing(std::move(d), dir, "hatch.dwg"));
    EXPECT_EQ(r.error, 0) << r.json;
    EXPECT_EQ(r.Count("HATCH"), 1);
    EXPECT_EQ(r.Count("POINT"), 1);
}

namespace {

// Entities per kind, every block's: ours by name, libredwg's with its
// subtypes (DIMENSION_LINEAR, POLYLINE_2D, ...) under the kind.
std::map<std::string, int> KindCounts(const Drawing& d) {
    std::map<std::string, int> n;
    for (const auto& e : d.entities) ++n[EntityTypeName(e.type)];
    return n;
}

std::map<std::string, int> KindCounts(std::string json) {
    std::map<std::string, int> n;
    for (std::smatch m; std::regex_search(json, m, std::regex("\"([A-Z0-9]+)(_[A-Z0-9_]+)?\":([0-9]+)")); json = m.suffix())
        n[m[1]] += std::stoi(m[3]);
    return n;
}

class EveryRelease : public ::testing::TestWithParam<Release> {};

} // namespace

// ezdxf's drawing of every kind, read from DXF and written as DWG: it reads
// back with the same entities per kind, libredwg reads it cleanly and sees
// the same, with the geometry ezdxf read (each kind's fields in their places),
// and libdxfrw reads it.
TEST_P(EveryRelease, EzdxfKindsWrittenAsDwgReadBackAndOutsideReadersAgree) {
    TempDir dir;
    ASSERT_EQ(ostrel::test::RunChecker("ezdxf_sample.py", "R2018 " + Quote(dir.file("ez.dxf"))).exitCode, 0);
    auto d = ReadDxf(dir.file("ez.dxf"));
    const auto path = dir.file("ez.dwg");
    SaveDwg(*d, GetParam(), path);
    const auto ours = KindCounts(*d);
    EXPECT_EQ(KindCounts(*ReadDwg(path)), ours);
    if (!ostrel::test::DwgReadersInstalled()) GTEST_SKIP() << ostrel::test::kNoDwgReaders;
    auto r = RunLibreDwg(path, "--dxf " + Quote(dir.file("l.dxf")));
    ASSERT_EQ(r.error, 0) << r.json;
    const auto theirs = KindCounts(r.json);
    auto geometry = [](const std::string& dxf) { return ostrel::test::RunChecker("kind_geometry.py", Quote(dxf)).out; };
    EXPECT_EQ(geometry(dir.file("l.dxf")), geometry(dir.file("ez.dxf")));
    for (const char* kind : {"LWPOLYLINE", "ELLIPSE", "SPLINE", "MTEXT", "SOLID", "ATTDEF", "ATTRIB", "DIMENSION",
                             "INSERT", "POLYLINE", "SEQEND", "HATCH", "TEXT"})
        EXPECT_EQ(theirs.count(kind) ? theirs.at(kind) : 0, ours.count(kind) ? ours.at(kind) : 0) << kind << r.json;
    // libdxfrw calls every read of ours failed once past the entities
    // (reader_limits.tsv); it hands model space over partly as the drawing's
    // list, partly as the block's.
    const std::string rw = ostrel::test::RunDwgChecker("check_dxfrw.mjs", Quote(path)).out;
    auto section = [&rw](const std::string& key) {
        const auto at = rw.find("\"" + key + "\":{");
        return at == std::string::npos ? std::string() : rw.substr(at, rw.find('}', at) - at);
    };
    auto shown = KindCounts(section("model"));
    for (const auto& [kind, n] : KindCounts(section("*Model_Space"))) shown[kind] += n;
    std::map<std::string, int> model;
    for (auto i : d->blocks[d->ModelSpace()].entities) ++model[EntityTypeName(d->entities[i].type)];
    for (const char* kind : {"LWPOLYLINE", "ELLIPSE", "SPLINE", "MTEXT", "SOLID", "DIMENSION", "INSERT"})
        EXPECT_EQ(shown[kind], model[kind]) << kind << rw;
}

INSTANTIATE_TEST_SUITE_P(Releases, EveryRelease,
                         ::testing::Values(Release::R2000, Release::R2004, Release::R2007, Release::R2010,
                                           Release::R2013, Release::R2018),
                         [](const auto& info) { return std::string(ReleaseName(info.param)); });

// Each reader notices a damaged header section: its checks would see a fault.
TEST(OutsideReaders, NoticeADamagedHeaderSection) {
    TempDir dir;
    auto path = SaveDrawing(ostrel::test::EveryKindDrawing(), dir, "bad.dwg");
    FlipByte(path, HeaderSectionAddress(path) + 40);
    if (DwgCheckerInstalled()) {
        EXPECT_NE(RunLibreDwg(path).error, 0);
    }
    if (OgrinfoInstalled()) {
        auto r = RunCommand("ogrinfo -al " + Quote(path));
        EXPECT_NE((r.out + r.err).find("CRC"), std::string::npos) << r.out << r.err;
    }
}

TEST(GdalCadDriver, OpensTheFileAndReturnsTheFeaturesItKnows) {
    if (!OgrinfoInstalled()) GTEST_SKIP() << "ogrinfo (gdal-bin) not installed";
    TempDir dir;
    auto path = SaveDrawing(ostrel::test::EveryKindDrawing(), dir, "every.dwg");
    auto r = RunCommand("ogrinfo -al " + Quote(path));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.find("ERROR"), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("corrupted"), std::string::npos) << r.out;
    const char* features[] = {
        "cadgeom_type (String) = CADPoint",
        "POINT Z (100.25 200.5 12.75)",
        "cadgeom_type (String) = CADCircle",
        "CIRCULARSTRING Z (274.5 300.0 0,300.0 325.5 0,325.5 300.0 0,300.0 274.5 0,274.5 300.0 0)",
        "text (String) = Spot 12.34",
        "POINT Z (50 60 0)",
        "cadgeom_type (String) = CADFace3D",
        "POLYGON Z ((1 2 3,11 2 4,11 12 5,1 2 3))",
        "POLYGON Z ((0 0 0,5 0 0,5 5 0,0 5 0,0 0 0))",
        "$EXTMIN=[10,20,0]",
        "$EXTMAX=[500,400,30]",
    };
    for (const char* f : features) EXPECT_NE(r.out.find(f), std::string::npos) << f;
}
