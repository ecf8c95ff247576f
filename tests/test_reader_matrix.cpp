// Every release we write, read by every outside reader here that reads it:
// DXF R12 to R2018 by ezdxf (with its audit), GDAL's DXF driver and dime;
// DWG of every release the DWG writer accepts by libredwg, libdxfrw and
// GDAL's CAD driver; heavy and (R2000 on) lightweight polylines. Each
// reader's entity counts are compared with ours, so a loss in any reader
// fails with its words; known limits: tests/checkers/reader_limits.tsv.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "support/trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

using Counts = std::map<std::string, int>;

// One entity of each kind the conversion writes, and a symbol of one line.
std::unique_ptr<cad::Drawing> ConvertedKinds(bool lightweight) {
    auto d = cad::NewDrawing();
    auto ms = d->ModelSpace();
    AddPolyline(*d, ms, "KERB-LINE", {{0, 0}, {10, 0}, {10, 5}});
    AddPolyline(*d, ms, "BKFILL", Rect(20, 20, 30, 30), 1);
    AddPolyline(*d, ms, "GROUND", {{0, 0, 1}, {5, 5, 2}, {9, 1, 3}}, 8);
    AddText(*d, ms, "NOTES", {5, 5}, 1, "Spot 12.34");
    AddCircle(*d, ms, "TREES", {40, 40}, 2);
    AddInsert(*d, ms, "TREES", "SYMTREE", {40, 40}, 1, 1);
    for (auto type : {cad::EntityType::Point, cad::EntityType::Face3D}) {
        cad::Entity e;
        e.type = type;
        e.handle = d->NewHandle();
        if (type == cad::EntityType::Point) e.geom.point.pos = {10, 20, 30};
        else e.geom.face = cad::FaceGeom{{{0, 0, 1}, {4, 0, 2}, {0, 4, 3}, {0, 4, 3}}};
        d->AppendEntity(ms, e);
    }
    d->lightweightPolylines = lightweight;
    return d;
}

// What we wrote (model space, or every block): polylines as POLYLINE2D,
// POLYLINE3D or LWPOLYLINE.
Counts Ours(const cad::Drawing& d, cad::Release r, bool allBlocks) {
    Counts c;
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b)
        for (auto i : d.blocks[b].entities) {
            const auto& e = d.entities[i];
            if ((!allBlocks && b != d.ModelSpace()) || e.type == cad::EntityType::Vertex || e.type == cad::EntityType::SeqEnd)
                continue;
            const bool flat = !(e.geom.polyline.flags & 8);
            ++c[e.type != cad::EntityType::Polyline ? cad::EntityTypeName(e.type)
                : !flat                             ? "POLYLINE3D"
                : d.lightweightPolylines && r >= cad::Release::R2000 ? "LWPOLYLINE" : "POLYLINE2D"];
        }
    return c;
}

// Rows of reader_limits.tsv: reader, releases, type (a prefix), what, evidence.
bool Limited(const std::string& reader, const std::string& type) {
    static const auto rows = [] {
        std::vector<std::pair<std::string, std::string>> out;
        std::ifstream in(SourcePath("tests/checkers/reader_limits.tsv"));
        std::smatch m;
        for (std::string line; std::getline(in, line);)
            if (std::regex_search(line, m, std::regex("^([^#\t]+)\t[^\t]*\t([^\t]+)\t"))) out.push_back({m[1], m[2]});
        return out;
    }();
    for (const auto& [r, t] : rows)
        if (r == reader && type.rfind(t, 0) == 0) return true;
    return false;
}

// The "NAME": n pairs of the first JSON object after `key`, renamed.
Counts JsonCounts(const std::string& json, const std::string& key, const std::map<std::string, std::string>& names = {}) {
    Counts c;
    auto at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return c;
    const std::string body = json.substr(at, json.find('}', at) - at);
    std::regex pair("\"([^\"]+)\": ?([0-9]+)");
    for (std::sregex_iterator i(body.begin(), body.end(), pair), end; i != end; ++i)
        c[names.count((*i)[1]) ? names.at((*i)[1]) : std::string((*i)[1])] += std::stoi((*i)[2]);
    return c;
}

void ExpectSameCounts(const std::string& reader, const std::string& file, const Counts& ours, const Counts& theirs,
                      const std::string& said) {
    std::set<std::string> types;
    for (auto& [t, n] : ours) types.insert(t);
    for (auto& [t, n] : theirs) types.insert(t);
    for (const auto& t : types) {
        if (Limited(reader, t)) continue;
        EXPECT_EQ(theirs.count(t) ? theirs.at(t) : 0, ours.count(t) ? ours.at(t) : 0)
            << reader << " on " << file << ": " << t << " counted against ours\n" << said;
    }
}

const cad::Release kReleases[] = {cad::Release::R12,   cad::Release::R13,   cad::Release::R14,
                                  cad::Release::R2000, cad::Release::R2004, cad::Release::R2007,
                                  cad::Release::R2010, cad::Release::R2013, cad::Release::R2018};

} // namespace

TEST(ReaderMatrix, EveryDxfReleaseReadsWholeInEzdxfGdalAndDime) {
    TempDir dir;
    for (auto release : kReleases)
        for (bool lightweight : {false, true}) {
            if (lightweight && release < cad::Release::R2000) continue;
            auto d = ConvertedKinds(lightweight);
            const auto name = std::string(cad::ReleaseName(release)) + (lightweight ? "_lw.dxf" : ".dxf");
            cad::SaveDxf(*d, release, dir.file(name));
            const Counts ours = Ours(*d, release, false);
            auto ez = RunCommand(kPython + SourcePath("tests/checkers/check_dxf.py") + " " + dir.file(name) +
                                 (release == cad::Release::R12 ? " --allow-r12-seqend" : ""));
            EXPECT_EQ(ez.exitCode, 0) << name << ": " << ez.err;
            // The closed fill outline, heavy or lightweight, is closed as ezdxf reads it.
            EXPECT_NE(Summarise(dir.file(name)).raw.find("MS POLYLINE BKFILL 1 "), std::string::npos) << name;
            Counts model = JsonCounts(ez.out.substr(ez.out.find("\"layouts\"")), "Model");
            model["POLYLINE2D"] = model["POLYLINE"] - ours.at("POLYLINE3D");   // ezdxf calls both POLYLINE
            model["POLYLINE3D"] = ours.at("POLYLINE3D");
            model.erase("POLYLINE");
            ExpectSameCounts("ezdxf", name, ours, model, ez.out);
            int features = 0;   // GDAL: a feature per entity, the insert as its block's one line
            for (auto& [t, n] : ours) features += n;
            auto other = RunCommand(kPython + SourcePath("tests/checkers/check_readers.py") + " " + dir.file(name) +
                                    " --features " + std::to_string(features));
            EXPECT_EQ(other.exitCode, 0) << name << ": GDAL DXF or dime\n" << other.err;
        }
}

TEST(ReaderMatrix, EveryDwgReleaseTheWriterAcceptsReadsWholeInLibredwgLibdxfrwAndGdal) {
    if (!std::filesystem::exists(SourcePath(".checkers/dwg/node_modules/@mlightcad/libdxfrw-web")))
        GTEST_SKIP() << "DWG checkers not installed (scripts/install-dwg-checker)";
    TempDir dir;
    int written = 0;
    for (auto release : kReleases)
        for (bool lightweight : {false, true}) {
            auto d = ConvertedKinds(lightweight);
            const auto name = std::string(cad::ReleaseName(release)) + (lightweight ? "_lw.dwg" : ".dwg");
            const auto path = dir.file(name);
            try {
                cad::SaveDwg(*d, release, path);   // the writer says which releases it writes
            } catch (const cad::CadError&) {
                continue;
            }
            ++written;
            const Counts model = Ours(*d, release, false), all = Ours(*d, release, true);
            auto redwg = RunCommand("node " + SourcePath("tests/checkers/dwg/check_dwg.mjs") + " " + path);
            const bool r2007 = release == cad::Release::R2007;
            EXPECT_NE(redwg.out.find("\"error\":0,"), std::string::npos)
                << name << ": libredwg\n" << redwg.out;
            Counts seen = JsonCounts(redwg.out, "types", {{"POLYLINE_2D", "POLYLINE2D"}, {"POLYLINE_3D", "POLYLINE3D"}}), kept;
            for (auto& [t, n] : all) kept[t] = seen[t];   // its counts hold every object: entities only
            ExpectSameCounts("libredwg", name, all, kept, redwg.out);

            if (r2007 && lightweight) continue;    // libdxfrw reads nothing of R2007 files with LWPOLYLINE
            // libdxfrw hands model space over partly as the drawing's list, partly as the block's.
            auto rw = RunCommand("node " + SourcePath("tests/checkers/dwg/check_dxfrw.mjs") + " " + path);
            Counts shown = JsonCounts(rw.out, "model", {{"E3DFACE", "3DFACE"}});
            for (auto& [t, n] : JsonCounts(rw.out, "*Model_Space", {{"E3DFACE", "3DFACE"}})) shown[t] += n;
            ExpectSameCounts("libdxfrw", name, model, shown, rw.out);
            if (!Limited("libdxfrw", "READ")) {
                EXPECT_NE(rw.out.find("\"read\":true"), std::string::npos) << rw.out;
            }

            // GDAL's CAD driver reads R2000 (AC1015) files only.
            if (release != cad::Release::R2000) continue;
            auto cad = RunCommand("ogrinfo -al " + path);
            EXPECT_EQ(cad.err.find("ERROR"), std::string::npos) << name << ": GDAL CAD\n" << cad.err;
            Counts features;
            const std::map<std::string, std::string> names = {
                {"Point", "POINT"}, {"Line", "LINE"}, {"Circle", "CIRCLE"}, {"Text", "TEXT"}, {"Insert", "INSERT"},
                {"LWPolyline", "LWPOLYLINE"}, {"Polyline3D", "POLYLINE3D"}, {"Face3D", "3DFACE"}};
            std::regex kind("cadgeom_type \\(String\\) = CAD([A-Za-z0-9]+)");
            for (std::sregex_iterator i(cad.out.begin(), cad.out.end(), kind), end; i != end; ++i)
                ++features[names.count((*i)[1]) ? names.at((*i)[1]) : std::string((*i)[1])];
            ExpectSameCounts("gdal-cad", name, model, features, cad.out.substr(0, 2000));
        }
    EXPECT_GT(written, 0) << "the DWG writer accepted no release";
}
