// Every release we write, read by every outside reader here that reads it:
// DXF R12 to R2018 by ezdxf (with its audit), GDAL's DXF driver and dime;
// DWG of every release the DWG writer accepts by libredwg, libdxfrw and
// GDAL's CAD driver. Each reader's entity counts are compared with what we
// wrote, so a loss in any reader fails with that reader's words. Known reader
// limits live in tests/checkers/reader_limits.tsv.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

using Counts = std::map<std::string, int>;

// One entity of each kind the conversion writes, in model space, and a
// symbol block holding one line.
std::unique_ptr<cad::Drawing> ConvertedKinds(bool lightweight) {
    auto d = cad::NewDrawing();
    auto ms = d->ModelSpace();
    cad::Entity p;
    p.type = cad::EntityType::Point;
    p.handle = d->NewHandle();
    p.layer = LayerNamed(*d, "POINTS");
    p.geom.point.pos = {10, 20, 30};
    d->AppendEntity(ms, p);
    AddPolyline(*d, ms, "KERB-LINE", {{0, 0}, {10, 0}, {10, 5}});
    AddPolyline(*d, ms, "BKFILL", Rect(20, 20, 30, 30), 1);
    AddPolyline(*d, ms, "GROUND", {{0, 0, 1}, {5, 5, 2}, {9, 1, 3}}, 8);
    AddText(*d, ms, "NOTES", {5, 5}, 1, "Spot 12.34");
    AddCircle(*d, ms, "TREES", {40, 40}, 2);
    AddInsert(*d, ms, "TREES", "SYMTREE", {40, 40}, 1, 1);
    cad::Entity f;
    f.type = cad::EntityType::Face3D;
    f.handle = d->NewHandle();
    f.layer = LayerNamed(*d, "TIN");
    f.geom.face = cad::FaceGeom{{{0, 0, 1}, {4, 0, 2}, {0, 4, 3}, {0, 4, 3}}, 0};
    d->AppendEntity(ms, f);
    d->lightweightPolylines = lightweight;
    return d;
}

// What we wrote, by a type name each reader maps to its own: POLYLINE2D and
// POLYLINE3D for heavy polylines, LWPOLYLINE where they were written light.
Counts Ours(const cad::Drawing& d, cad::Release r, bool allBlocks) {
    Counts c;
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b) {
        if (!allBlocks && b != d.ModelSpace()) continue;
        for (auto i : d.blocks[b].entities) {
            const auto& e = d.entities[i];
            if (e.type == cad::EntityType::Vertex || e.type == cad::EntityType::SeqEnd) continue;
            std::string t = cad::EntityTypeName(e.type);
            if (e.type == cad::EntityType::Polyline) {
                const bool flat = !(e.geom.polyline.flags & 8);
                t = flat ? (d.lightweightPolylines && r >= cad::Release::R2000 ? "LWPOLYLINE" : "POLYLINE2D")
                         : "POLYLINE3D";
            }
            ++c[t];
        }
    }
    return c;
}

struct Limit {
    std::string reader, type, what;
};

std::vector<Limit> Limits() {
    std::vector<Limit> out;
    std::ifstream in(SourcePath("tests/checkers/reader_limits.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, '\t')) f.push_back(cell);
        if (f.size() >= 4) out.push_back({f[0], f[2], f[3]});
    }
    return out;
}

bool Limited(const std::string& reader, const std::string& type) {
    static const auto limits = Limits();
    for (const auto& l : limits)
        if (l.reader == reader && type.rfind(l.type, 0) == 0) return true;   // the type or a variant of it
    return false;
}

// "NAME": n pairs of one JSON object (the first one after `key`).
Counts JsonCounts(const std::string& json, const std::string& key) {
    Counts c;
    auto at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return c;
    auto open = json.find('{', at), close = json.find('}', at);
    if (open == std::string::npos || close == std::string::npos || close < open) return c;
    const std::string body = json.substr(open, close - open);
    std::regex pair("\"([^\"]+)\": ?([0-9]+)");
    for (std::sregex_iterator i(body.begin(), body.end(), pair), end; i != end; ++i) c[(*i)[1]] = std::stoi((*i)[2]);
    return c;
}

// Compares one reader's counts (mapped to our names) with ours.
void ExpectSameCounts(const std::string& reader, const std::string& file, const Counts& ours, const Counts& theirs,
                      const std::string& message) {
    std::set<std::string> types;
    for (auto& [t, n] : ours) types.insert(t);
    for (auto& [t, n] : theirs) types.insert(t);
    for (const auto& t : types) {
        if (Limited(reader, t)) continue;
        auto o = ours.count(t) ? ours.at(t) : 0, r = theirs.count(t) ? theirs.at(t) : 0;
        EXPECT_EQ(r, o) << reader << " reports " << r << " " << t << " in " << file << ", we wrote " << o
                        << "\n" << message;
    }
}

Counts Renamed(const Counts& in, const std::map<std::string, std::string>& names) {
    Counts out;
    for (auto& [t, n] : in) {
        auto it = names.find(t);
        if (it != names.end() && it->second.empty()) continue;   // not an entity of the drawing
        out[it == names.end() ? t : it->second] += n;
    }
    return out;
}

bool DwgCheckersInstalled() {
    auto dir = SourcePath(".checkers/dwg/node_modules/@mlightcad/");
    return std::filesystem::exists(dir + "libredwg-web") && std::filesystem::exists(dir + "libdxfrw-web") &&
           RunCommand("command -v node").exitCode == 0;
}

const cad::Release kReleases[] = {cad::Release::R12,   cad::Release::R13,   cad::Release::R14,
                                  cad::Release::R2000, cad::Release::R2004, cad::Release::R2007,
                                  cad::Release::R2010, cad::Release::R2013, cad::Release::R2018};

} // namespace

TEST(ReaderMatrix, EveryDxfReleaseReadsWholeInEzdxfGdalAndDime) {
    TempDir dir;
    for (auto release : kReleases) {
        for (bool lightweight : {false, true}) {
            if (lightweight && release < cad::Release::R2000) continue;
            auto d = ConvertedKinds(lightweight);
            const std::string name = std::string(cad::ReleaseName(release)) + (lightweight ? "_lw" : "") + ".dxf";
            const auto path = dir.file(name);
            cad::SaveDxf(*d, release, path);
            const Counts ours = Ours(*d, release, false);

            // ezdxf: audit and structure (check_dxf.py), and its model space.
            auto ez = RunCommand(kPython + SourcePath("tests/checkers/check_dxf.py") + " " + path +
                                 (release == cad::Release::R12 ? " --allow-r12-seqend" : ""));
            EXPECT_EQ(ez.exitCode, 0) << name << ": " << ez.err;
            Counts model = JsonCounts(ez.out.substr(ez.out.find("\"layouts\"")), "Model");
            // ezdxf names both heavy kinds POLYLINE: told apart by ours.
            if (model.count("POLYLINE")) {
                model["POLYLINE3D"] = ours.count("POLYLINE3D") ? ours.at("POLYLINE3D") : 0;
                model["POLYLINE2D"] = model["POLYLINE"] - model["POLYLINE3D"];
                model.erase("POLYLINE");
            }
            ExpectSameCounts("ezdxf", name, ours, model, ez.out);

            // GDAL's DXF driver: one feature per entity (the insert drawn as
            // its block's one line); dime: a clean parse.
            int features = 0;
            for (auto& [t, n] : ours) features += n;
            auto gdal = RunCommand(kPython + SourcePath("tests/checkers/check_readers.py") + " " + path +
                                   " --features " + std::to_string(features));
            EXPECT_EQ(gdal.exitCode, 0) << name << ": GDAL DXF or dime\n" << gdal.err;
        }
    }
}

TEST(ReaderMatrix, EveryDwgReleaseTheWriterAcceptsReadsWholeInLibredwgLibdxfrwAndGdal) {
    if (!DwgCheckersInstalled()) GTEST_SKIP() << "DWG checkers not installed (scripts/install-dwg-checker)";
    TempDir dir;
    int written = 0;
    for (auto release : kReleases) {
        for (bool lightweight : {false, true}) {
            auto d = ConvertedKinds(lightweight);
            const std::string name = std::string(cad::ReleaseName(release)) + (lightweight ? "_lw" : "") + ".dwg";
            const auto path = dir.file(name);
            try {
                cad::SaveDwg(*d, release, path);
            } catch (const cad::CadError&) {
                continue;   // a release the DWG writer refuses: not in the matrix (yet)
            }
            ++written;
            const Counts all = Ours(*d, release, true), model = Ours(*d, release, false);

            auto redwg = RunCommand("node " + SourcePath("tests/checkers/dwg/check_dwg.mjs") + " " + path);
            EXPECT_NE(redwg.out.find("\"error\":0"), std::string::npos) << name << ": libredwg\n" << redwg.out << redwg.err;
            Counts seen = Renamed(JsonCounts(redwg.out, "types"),
                                  {{"POLYLINE_2D", "POLYLINE2D"}, {"POLYLINE_3D", "POLYLINE3D"}});
            Counts entities;
            for (auto& [t, n] : all) entities[t] = seen[t];
            ExpectSameCounts("libredwg", name, all, entities, redwg.out);

            auto rw = RunCommand("node " + SourcePath("tests/checkers/dwg/check_dxfrw.mjs") + " " + path + " 2>/dev/null");
            // It hands model-space entities over partly as the drawing's own
            // list and partly as the *Model_Space block's: both together.
            Counts shown = JsonCounts(rw.out, "model");
            auto block = rw.out.substr(std::min(rw.out.find("\"*Model_Space\""), rw.out.size()));
            for (auto& [t, n] : JsonCounts(block, "*Model_Space")) shown[t] += n;
            ExpectSameCounts("libdxfrw", name, model,
                             Renamed(shown, {{"E3DFACE", "3DFACE"}}),
                             rw.out);
            if (!Limited("libdxfrw", "READ")) {
                EXPECT_NE(rw.out.find("\"read\":true"), std::string::npos) << rw.out;
            }

            auto cad = RunCommand("ogrinfo -al " + path);
            EXPECT_EQ(cad.err.find("ERROR"), std::string::npos) << name << ": GDAL CAD\n" << cad.err;
            Counts features;
            std::regex kind("cadgeom_type \\(String\\) = CAD([A-Za-z0-9]+)");
            for (std::sregex_iterator i(cad.out.begin(), cad.out.end(), kind), end; i != end; ++i) ++features[(*i)[1]];
            ExpectSameCounts("gdal-cad", name, model,
                             Renamed(features, {{"Point", "POINT"}, {"Line", "LINE"}, {"Circle", "CIRCLE"},
                                                {"Text", "TEXT"}, {"LWPolyline", "LWPOLYLINE"},
                                                {"Polyline3D", "POLYLINE3D"}, {"Face3D", "3DFACE"},
                                                {"Insert", "INSERT"}}),
                             cad.out.substr(0, 2000));
        }
    }
    EXPECT_GT(written, 0) << "the DWG writer accepted no release";
}
