// Our DWG reader on files the leading CAD program and ACadSharp wrote (the
// shared cases' real-dwg folder, every release): each reads, the entities of
// the kinds we keep are those libredwg sees, damaged copies end in a clear
// error, and the sheet pass works on one given a trim frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/render_styles.h"
#include "support/trim_fixture.h"
#include "trim/frmDWGTrim.h"

namespace ostrel {
namespace {

using cad::Entity;
using cad::EntityType;

// The folder's files, or one empty name that skips when it is absent.
std::vector<std::string> RealDwgFiles() {
    std::vector<std::string> files;
    if (std::filesystem::is_directory(test::SharedCases("real-dwg")))
        for (const auto& f : std::filesystem::directory_iterator(test::SharedCases("real-dwg")))
            if (f.path().extension() == ".dwg") files.push_back(f.path().string());
    std::sort(files.begin(), files.end());
    return files.empty() ? std::vector<std::string>{""} : files;
}

class RealDwg : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam().empty()) GTEST_SKIP() << "no DWG files in " << test::SharedCases("real-dwg") << " (absent)";
    }
};

// What tests/checkers/dwg/entity_sample.py prints of the entity at `pos` of a block's list.
std::string Described(const cad::Drawing& d, const std::vector<std::uint32_t>& list, std::size_t pos) {
    const Entity& e = d.entities[list[pos]];
    const auto& g = e.geom;
    cad::Vec3 p;
    switch (e.type) {
    case EntityType::Point: p = g.point.pos; break;
    case EntityType::Line: p = g.line.start; break;
    case EntityType::Circle: p = g.circle.center; break;
    case EntityType::Arc: p = g.arc.center; break;
    case EntityType::Text: p = g.text.pos; break;
    case EntityType::Insert: p = g.insert.pos; break;
    case EntityType::Face3D: p = g.face.corner[0]; break;
    case EntityType::Viewport: p = d.viewports[g.extra.index].center; break;
    case EntityType::Polyline: p = d.entities[list[pos + 1]].geom.vertex.pos; break;
    case EntityType::LwPolyline: p = {d.lwpolylines[g.extra.index].vertices.at(0).x, d.lwpolylines[g.extra.index].vertices[0].y, 0}; break;
    case EntityType::Ellipse: p = g.ellipse.center; break;
    case EntityType::MText: p = g.mtext.pos; break;
    case EntityType::Solid: p = g.face.corner[0]; break;
    default: break;
    }
    std::string linetype = e.linetype == cad::kNone ? "BYLAYER" : d.linetypes[e.linetype].name;
    std::transform(linetype.begin(), linetype.end(), linetype.begin(), [](unsigned char c) { return std::toupper(c); });
    char xy[64];
    std::snprintf(xy, sizeof xy, "%.9g|%.9g", p.x, p.y);
    return std::string(cad::EntityTypeName(e.type)) + "|" + d.layers[e.layer].name + "|" + std::to_string(e.colour) +
           "|" + linetype + "|" + xy;
}

// Read by us, and by libredwg (its DXF through ezdxf): the same counts of the
// kinds we keep in every block, and the same sampled entities.
TEST_P(RealDwg, ReadsWithTheKeptKindsLibreDwgSees) {
    std::unique_ptr<cad::Drawing> d;
    ASSERT_NO_THROW(d = cad::ReadDwg(GetParam()));
    if (!test::DwgReadersInstalled()) GTEST_SKIP() << test::kNoDwgReaders << ": read, not compared";
    test::TempDir dir;
    const auto conv = test::RunDwgChecker("check_dwg.mjs", "'" + GetParam() + "' --dxf '" + dir.file("l.dxf") + "'");
    const std::set<std::string> kept = {"POINT", "LINE",  "CIRCLE", "ARC",     "TEXT",   "INSERT", "POLYLINE",
                                        "3DFACE", "VIEWPORT", "HATCH", "LWPOLYLINE", "ELLIPSE", "SPLINE", "MTEXT",
                                        "SOLID", "DIMENSION"};
    // Attributes, which libredwg's DXF does not always keep: its own count,
    // ours with the multi-line ones (R2018) we name as not read.
    const std::string json = test::RunDwgChecker("check_dwg.mjs", "'" + GetParam() + "'").out;
    for (const auto kind : {EntityType::Attrib, EntityType::AttDef}) {
        const std::string name = cad::EntityTypeName(kind);
        std::smatch m;
        const long read = std::count_if(d->entities.begin(), d->entities.end(), [&](const Entity& e) { return e.type == kind; });
        EXPECT_EQ(std::regex_search(json, m, std::regex("\"" + name + "\":([0-9]+)")) ? std::stol(m[1]) : 0,
                  read + (d->notRead.count(name) ? d->notRead.at(name) : 0)) << name;
    }
    std::map<std::string, long> theirs, ours, totals;   // "BLOCK RECORD HANDLE|KIND" (totals: "KIND"): count
    std::map<std::string, std::string> seen;            // handle: as described
    for (const auto& b : d->blocks)
        for (std::size_t i = 0; i < b.entities.size(); ++i) {
            const std::string kind = cad::EntityTypeName(d->entities[b.entities[i]].type);
            if (!kept.count(kind)) continue;
            ++ours[cad::HandleText(b.handle) + "|" + kind];
            ++totals[kind];
            seen[cad::HandleText(d->entities[b.entities[i]].handle)] = Described(*d, b.entities, i);
        }
    // libredwg's DXF writer fails on a few files, and on some writes long
    // MTEXT past its buffer (what lands there varies from run to run): then
    // totals by kind.
    const auto sample = std::filesystem::exists(dir.file("l.dxf"))
                            ? test::RunChecker("dwg/entity_sample.py", "'" + dir.file("l.dxf") + "'")
                            : test::CommandResult{1, "", ""};
    if (sample.exitCode != 0) {
        std::string out = json;
        for (std::smatch m; std::regex_search(out, m, std::regex("\"([A-Z0-9_]+)\":([0-9]+)")); out = m.suffix()) {
            std::string kind = m[1] == "POLYLINE_2D" || m[1] == "POLYLINE_3D" ? "POLYLINE" : m[1].str();
            if (kind.rfind("DIMENSION_", 0) == 0) kind = "DIMENSION";
            if (kept.count(kind)) theirs[kind] += std::stol(m[2]);
        }
        EXPECT_EQ(totals, theirs) << conv.err;
        return;
    }
    for (const auto& row : test::SplitRows(sample.out)) {
        if (!kept.count(row[2])) continue;
        if (row[0] == "count") theirs[row[1] + "|" + row[2]] = std::stol(row[3]);
        else EXPECT_EQ(seen[row[1]], row[2] + "|" + row[3] + "|" + row[4] + "|" + row[5] + "|" + row[6] + "|" + row[7])
            << "entity " << row[1];
    }
    EXPECT_EQ(ours, theirs);
}

INSTANTIATE_TEST_SUITE_P(Files, RealDwg, ::testing::ValuesIn(RealDwgFiles()), [](const auto& info) {
    std::string name = info.param.empty() ? "absent" : std::filesystem::path(info.param).stem().string();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

// Cut short or with bytes flipped, each release's file gives a drawing or an
// error naming what is wrong: never a crash (the sanitizer build checks).
TEST(RealDwgDamaged, CopiesCutShortOrFlippedEndInAClearError) {
    for (const char* name : {"sample_AC1015", "sample_AC1018", "sample_AC1021", "libredwg_example_2013", "sample_AC1032"}) {
        const auto path = test::SharedCases("real-dwg") / (std::string(name) + ".dwg");
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " absent";
        const auto good = test::ReadFile(path.string());
        auto read = [&](const std::string& bytes) {
            try {
                cad::dwg::DecodeDwg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            } catch (const cad::CadError& e) {
                EXPECT_TRUE(std::string(e.what()).rfind("DWG", 0) == 0 || std::string(e.what()).rfind("R2007 DWG", 0) == 0)
                    << name << ": " << e.what();
            }
        };
        for (double part : {0.0005, 0.01, 0.3, 0.6, 0.97, 0.9999})
            read(good.substr(0, static_cast<std::size_t>(static_cast<double>(good.size()) * part)));
        for (std::size_t at = 0x20; at < good.size(); at += good.size() / 23) {
            auto bytes = good;
            bytes[at] = static_cast<char>(bytes[at] ^ 0x41);
            read(bytes);
        }
    }
}

// The materials and visual styles of the leading program's file of each
// release: a new drawing of ours written in that release holds them with the
// same values, and the file's own (a user material among them) read, written
// and read again keep theirs.
TEST(RealDwgRenderStyles, OursHoldTheLeadingProgramsValuesAndItsOwnSurviveARewrite) {
    using Styles = std::map<std::string, const cad::Object*>;
    auto styles = [](const cad::Drawing& d) {
        Styles m;
        for (const auto& o : d.objects)
            if (o.material) m["material " + o.material->name] = &o;
            else if (o.visualStyle) m["style " + o.visualStyle->Name()] = &o;
        return m;
    };
    auto expectIn = [](const Styles& from, const Styles& in, const std::string& what) {
        for (const auto& [name, o] : from) {
            auto it = in.find(name);
            ASSERT_NE(it, in.end()) << what << ": " << name;
            EXPECT_TRUE(o->material ? *o->material == *it->second->material
                                    : o->visualStyle->slots == it->second->visualStyle->slots) << what << ": " << name;
        }
    };
    for (const char* release : {"2000", "2004", "2007", "2010", "2013", "2018"}) {
        const auto path = test::SharedCases("real-dwg") / ("libredwg_example_" + std::string(release) + ".dwg");
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " absent";
        auto theirs = cad::ReadDwg(path.string());
        test::TempDir dir;
        cad::SaveDwg(*cad::NewDrawing(), theirs->release, dir.file("new.dwg"));
        cad::SaveDwg(*theirs, theirs->release, dir.file("again.dwg"));
        const auto ours = cad::ReadDwg(dir.file("new.dwg")), again = cad::ReadDwg(dir.file("again.dwg"));
        const auto a = styles(*theirs), b = styles(*ours), c = styles(*again);
        EXPECT_EQ(a.size(), 28u) << release;   // 4 materials, 24 visual styles
        EXPECT_EQ(b.size(), 27u) << release;
        expectIn(b, a, std::string("new R") + release);
        expectIn(a, c, std::string("rewritten R") + release);
    }
}

// A real drawing given a trim frame and a title block, saved in its own
// release and handed to the sheet pass: its sheet holds one viewport onto the
// trim frame at the scale asked.
TEST(RealDwgSheet, TheSheetPassWorksOnARealDrawingGivenATrimFrame) {
    for (const char* name : {"sample_AC1015.dwg", "sample_AC1032.dwg"}) {
        const auto path = test::SharedCases("real-dwg") / name;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " absent";
        auto d = cad::ReadDwg(path.string());
        test::AddPolyline(*d, d->FindBlock("*Model_Space"), "TRIM", test::Rect(0, 0, 100, 50));
        test::AddPolyline(*d, d->FindBlock("*Model_Space"), "$TB-FRAME", test::Rect(-10, -10, 200, 150));
        test::TempDir dir;
        cad::SaveDwg(*d, d->release, dir.file("real.dwg"));
        frmDWGTrim().TrimDWG(dir.file("real.dwg"), 500, 0);
        auto sheet = cad::ReadDwg(dir.file("real.dwg"));
        EXPECT_EQ(sheet->release, d->release);
        const auto& ps = sheet->blocks.at(sheet->PaperSpace());
        EXPECT_EQ(sheet->ObjectByHandle(ps.layout)->layout->name.rfind("PVO", 0), 0u) << name;
        std::vector<std::pair<double, double>> views;  // width on the sheet, model height shown
        for (auto i : ps.entities)
            if (const auto& e = sheet->entities[i]; e.type == EntityType::Viewport)
                if (const auto& v = sheet->viewports[e.geom.extra.index]; v.id != 1) views.emplace_back(v.width, v.viewHeight);
        EXPECT_EQ(views, (std::vector<std::pair<double, double>>{{200, 50}})) << name;   // 100 units at 1:500
    }
}

} // namespace
} // namespace ostrel
