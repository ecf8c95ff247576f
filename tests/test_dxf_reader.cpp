// The DXF reader: tags and text, malformed files (any bytes: the
// fuzz_dxf_reader harness of scripts/fuzz), files written by ezdxf,
// our own writer's files of every release, and the completion of what a
// file leaves out (handles, owners, standard objects, layouts).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <random>
#include <set>

#include "cad/dxf/dxf_read_tags.h"
#include "cad/dxf/dxf_read_text.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "support/drawings.h"
#include "support/trim_fixture.h"

using namespace ostrel::cad;
using namespace ostrel::test;

namespace {

constexpr double kDeg = std::numbers::pi / 180;

std::string Expected(const std::string& path) {
    try {
        ReadDxf(path);
    } catch (const CadError& e) {
        return e.what();
    }
    return "(no error)";
}

// The entities of a block by type, vertices and sequence ends left out.
std::vector<const Entity*> Top(const Drawing& d, std::uint32_t block) {
    std::vector<const Entity*> out;
    for (auto i : d.blocks.at(block).entities) {
        const auto& e = d.entities[i];
        if (e.type != EntityType::Vertex && e.type != EntityType::SeqEnd) out.push_back(&e);
    }
    return out;
}

// The file read, its handles consistent; written again as R2000 it passes the strict checks.
std::unique_ptr<Drawing> ReadRewritten(const TempDir& dir, const std::string& path, const std::string& text = "") {
    if (!text.empty()) WriteFile(path, text);
    auto d = ReadDxf(path);
    ExpectConsistentHandles(*d);
    SaveDxf(*d, Release::R2000, dir.file("rewritten.dxf"));
    ExpectStrictDxf(dir.file("rewritten.dxf"));
    return d;
}

std::vector<Vec3> VerticesAfter(const Drawing& d, std::uint32_t block, Handle polyline) {
    std::vector<Vec3> out;
    bool in = false;
    for (auto i : d.blocks.at(block).entities) {
        const auto& e = d.entities[i];
        if (e.type == EntityType::Polyline) in = e.handle == polyline;
        else if (in && e.type == EntityType::Vertex) out.push_back(e.geom.vertex.pos);
    }
    return out;
}

} // namespace

// ------------------------------------------------------------------ tags and text

TEST(DxfTags, PairsCarryTheirLineAndToleratesCrLfAndPadding) {
    DxfTagReader r("  0\r\nSECTION\r\n  2\r\nHEADER\n 10\n1.5\n");
    DxfTag t;
    ASSERT_TRUE(r.Next(t));
    EXPECT_EQ(t.code, 0);
    EXPECT_EQ(t.value, "SECTION");
    EXPECT_EQ(t.line, 1);
    ASSERT_TRUE(r.Peek(t));
    EXPECT_EQ(t.line, 3);
    ASSERT_TRUE(r.Next(t));
    EXPECT_EQ(t.value, "HEADER");
    ASSERT_TRUE(r.Next(t));
    EXPECT_EQ(t.code, 10);
    EXPECT_DOUBLE_EQ(TagDouble(t), 1.5);
    EXPECT_FALSE(r.Next(t));
}

TEST(DxfTags, BadCodesAndValuesNameTheLine) {
    DxfTag t;
    DxfTagReader notNumber("0\nSECTION\nxyz\nvalue\n");
    ASSERT_TRUE(notNumber.Next(t));
    try {
        notNumber.Next(t);
        FAIL() << "accepted a group code that is not a number";
    } catch (const CadError& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
    DxfTagReader noValue("0\nSECTION\n2\n");
    ASSERT_TRUE(noValue.Next(t));
    EXPECT_THROW(noValue.Next(t), CadError);
    DxfTagReader range("99999\nx\n");
    EXPECT_THROW(range.Next(t), CadError);
    for (const char* bad : {"12abc", "inf"}) EXPECT_THROW(TagDouble(DxfTag{40, bad, 7}), CadError) << bad;
    EXPECT_EQ(TagInt(DxfTag{70, " 3.0", 1}), 3);
    EXPECT_EQ(TagHandle(DxfTag{5, "2AF", 1}), 0x2AFu);
    EXPECT_THROW(TagHandle(DxfTag{5, "G1", 1}), CadError);
}

TEST(DxfText, Utf8BecomesWindows1252WithEscapesForTheRest) {
    std::string out;
    AppendUtf8AsCp1252("H\xC3\xA4ll\xE2\x82\xAC \xE2\x9C\x93", out);
    EXPECT_EQ(out, "H\xE4ll\x80 \\U+2713");
    out.clear();
    AppendUtf8AsCp1252("\xF0\x9F\x98\x80", out);   // beyond 16 bits: two escapes
    EXPECT_EQ(out, "\\U+D83D\\U+DE00");
    out.clear();
    AppendUtf8AsCp1252("caf\xE9", out);            // not UTF-8: the byte stays
    EXPECT_EQ(out, "caf\xE9");
    EXPECT_EQ(Cp1252FromCodePoint(0x2122), 0x99);
    out.clear();
    AppendCaretDecoded("^ x^Iy^J^?^^z^", out);
    EXPECT_EQ(out, "^x\ty\n\x7F\x1Ez^") << "\"^^\" is control character 30";
    EXPECT_EQ(Cp1252FromCodePoint(0x81), -1);
}

// ------------------------------------------------------------------ malformed input

class DxfReaderMalformed : public ::testing::Test {
protected:
    TempDir dir;
    std::string Write(const std::string& name, const std::string& bytes) {
        auto p = dir.file(name);
        WriteFile(p, bytes);
        return p;
    }
};

// Empty, binary and missing files, bad values and structures: a clear error
// naming the line where there is one.
TEST_F(DxfReaderMalformed, ErrorsSayWhatIsWrongAndWhere) {
    const std::string head = "0\nSECTION\n2\nENTITIES\n";
    const std::pair<std::string, const char*> cases[] = {
        {"", "empty"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + std::string("\0\0SECTION", 9), "binary DXF, byte 24"},
        {std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) + std::string("\0SECTION\0\x0a\x01", 11), "byte 32"},
        {head + "0\nLINE\n10\nabc\n0\nENDSEC\n0\nEOF\n", "line 7"},
        {"0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nX\n0\nENDSEC\n0\nEOF\n", "no ENDTAB"},
        {"5\nSECTION\n0\nEOF\n", "line 1"},
        {"0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nXY1015\n0\nENDSEC\n0\nEOF\n", "$ACADVER"},
        {head + "0\nLINE\n10\n1\n0\nENDSEC\n", "EOF"}};
    for (const auto& [bytes, words] : cases) {
        const auto msg = Expected(Write("bad.dxf", bytes));
        EXPECT_NE(msg.find(words), std::string::npos) << msg;
    }
    EXPECT_NE(Expected(dir.file("missing.dxf")).find("cannot open"), std::string::npos);
}

TEST_F(DxfReaderMalformed, EveryTruncationOfAFileIsRefused) {
    auto full = dir.file("full.dxf"), binary = dir.file("ez_binary.dxf");
    auto d = NewDrawing();
    AddPolyline(*d, d->ModelSpace(), "A", Rect(0, 0, 1, 1));
    AddText(*d, d->ModelSpace(), "B", {1, 2}, 2.5, "hello");
    SaveDxf(*d, Release::R2000, full);
    ASSERT_EQ(RunChecker("ezdxf_sample.py", "R2018 " + dir.file("ez.dxf") + " " + binary).exitCode, 0);
    for (const auto& path : {full, binary}) {
        const std::string bytes = ReadFile(path);
        ASSERT_GT(bytes.size(), 1000u);
        ASSERT_NO_THROW(ReadDxf(path));
        // Every cut that loses the final "EOF" is an error, never a half drawing.
        const auto eof = bytes.rfind("EOF");
        for (std::size_t cut = 0; cut < eof; cut += 97) {
            auto p = Write("cut.dxf", bytes.substr(0, cut));
            EXPECT_THROW(ReadDxf(p), CadError) << path << " cut at " << cut;
        }
    }
}

// ------------------------------------------------------------------ files from ezdxf

// Every block's entities by kind, with the kinds the reader skipped, are
// those ezdxf counts; from
// R2000, so are the objects it skipped (ezdxf adds objects to an R12 file).
// The layers of the table have ezdxf's colours and linetypes.
void ExpectKindsAsEzdxf(const std::string& path, const Drawing& d) {
    auto listed = RunChecker("kind_counts.py", "'" + path + "'");
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::map<std::string, std::int64_t> ours, theirs, oursSkipped, theirsSkipped;
    std::map<std::string, std::string> ourLayers;
    for (const auto& l : d.layers)
        ourLayers[l.name] = std::to_string(l.colour) + "|" +
                            FoldName(l.linetype < d.linetypes.size() ? d.linetypes[l.linetype].name : "Continuous");
    for (const auto& b : d.blocks)
        for (auto i : b.entities) ++ours[EntityTypeName(d.entities[i].type)];
    for (auto part : {"BLOCK", "ENDBLK", "VERTEX", "SEQEND"}) ours.erase(part);
    for (const auto& [kind, n] : d.notRead) ours[kind] += n;
    for (const auto& [kind, n] : d.objectsNotRead) oursSkipped[kind] = n;
    const std::set<std::string> kept = {"DICTIONARY", "ACDBDICTIONARYWDFLT", "ACDBPLACEHOLDER", "MLINESTYLE", "LAYOUT",
                                        "DICTIONARYVAR", "SCALE", "MLEADERSTYLE", "TABLESTYLE",
                                        "MATERIAL", "VISUALSTYLE"};
    for (const auto& row : SplitRows(listed.out)) {
        if (row[0] == "layer") { EXPECT_EQ(ourLayers[row.at(1)], row.at(2) + "|" + row.at(3)) << path; continue; }
        ASSERT_EQ(row.size(), 3u);
        const auto n = std::stoll(row[2]);
        if (row[0] == "entity") theirs[row[1]] += n;
        else if (!kept.count(row[1])) theirsSkipped[row[1]] = n;
    }
    EXPECT_EQ(ours, theirs) << path;
    if (d.release > Release::R12) EXPECT_EQ(oursSkipped, theirsSkipped) << path;
}

// The kinds R12 cannot hold, by the kind our writer gives them there.
const std::map<std::string, std::string> kR12Form = {
    {"LWPOLYLINE", "POLYLINE"}, {"ELLIPSE", "POLYLINE"}, {"SPLINE", "POLYLINE"}, {"MTEXT", "TEXT"}};

class DxfReaderEzdxf : public ::testing::TestWithParam<const char*> {
protected:
    TempDir dir;
};

TEST_P(DxfReaderEzdxf, ReadsTheKindsWeHoldAndNamesTheRest) {
    const std::string version = GetParam();
    const bool r12 = version == "R12";
    auto path = dir.file("ez.dxf"), binary = dir.file("ez_binary.dxf");
    auto made = RunChecker("ezdxf_sample.py", version + " " + path + " " + binary);
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto d = ReadDxf(path);
    // Its binary twin gives the same drawing; both skip the same kinds, which ezdxf counts alike.
    auto twin = ReadDxf(binary);
    ExpectSameDrawing(*d, *twin);
    EXPECT_EQ(d->notRead, twin->notRead);
    ExpectKindsAsEzdxf(path, *d);
    EXPECT_STREQ(ReleaseName(d->release), version.c_str());

    // The layers' colours and linetype names are ezdxf's (above); the dashes and the switch too.
    const auto& walls = d->layers.at(d->FindLayer("WALLS"));
    ASSERT_NE(walls.linetype, kNone);
    EXPECT_EQ(d->linetypes[walls.linetype].dashes, (std::vector<double>{0.5, -0.25}));
    EXPECT_TRUE(d->layers.at(d->FindLayer("OFF-LAYER")).off);
    for (auto [i, name] : {std::pair{0, "ByBlock"}, {1, "ByLayer"}, {2, "Continuous"}}) EXPECT_EQ(d->linetypes[i].name, name);

    auto ms = d->ModelSpace();
    std::map<EntityType, int> count;
    for (auto* e : Top(*d, ms)) ++count[e->type];
    std::map<EntityType, int> expected = {{EntityType::Line, 1},      {EntityType::Circle, 1}, {EntityType::Arc, 1},
                                          {EntityType::Point, 1},     {EntityType::Text, 2},   {EntityType::Polyline, 3},
                                          {EntityType::Face3D, 1},    {EntityType::Insert, 2}, {EntityType::Attrib, 1},
                                          {EntityType::Solid, 1},     {EntityType::Dimension, 1}};
    if (!r12) {
        expected[EntityType::Polyline] = 2;
        for (auto [kind, n] : {std::pair{EntityType::Hatch, 2}, {EntityType::LwPolyline, 1}, {EntityType::MText, 2},
                               {EntityType::Spline, 2}, {EntityType::Ellipse, 2}})
            expected[kind] = n;
    }
    EXPECT_EQ(count, expected);

    for (auto* e : Top(*d, ms)) {
        switch (e->type) {
        case EntityType::Line:
            EXPECT_EQ(d->layers[e->layer].name, "WALLS");
            EXPECT_EQ(e->geom.line.end, (Vec3{10, 5, 0}));
            break;
        case EntityType::Circle:
            EXPECT_EQ(e->colour, 1);
            EXPECT_DOUBLE_EQ(e->geom.circle.radius, 2);
            break;
        case EntityType::Arc:
            EXPECT_NEAR(e->geom.arc.startAngle, 30 * kDeg, 1e-12);
            EXPECT_NEAR(e->geom.arc.endAngle, 120 * kDeg, 1e-12);
            break;
        case EntityType::Point: EXPECT_EQ(e->geom.point.pos, (Vec3{7, 8, 9})); break;
        case EntityType::Text:
            if (d->Text(e->geom.text) == "Mid") {
                EXPECT_EQ(e->geom.text.hAlign, 1);
                EXPECT_EQ(e->geom.text.vAlign, 2);
                EXPECT_EQ(e->geom.text.align, (Vec3{50, 60, 0}));
            } else {
                // Windows-1252 bytes whatever the file's encoding; U+2713 escaped.
                EXPECT_EQ(d->Text(e->geom.text), "H\xE4ll\x80 \\U+2713");
                EXPECT_NEAR(e->geom.text.rotation, 30 * kDeg, 1e-12);
                EXPECT_DOUBLE_EQ(e->geom.text.height, 2.5);
                EXPECT_EQ(d->layers[e->layer].name, "NOTES");
            }
            break;
        case EntityType::Insert: {
            const auto& b = d->blocks[e->geom.insert.block];
            if (b.name == "SYM1") {
                EXPECT_DOUBLE_EQ(e->geom.insert.xScale, 2);
                EXPECT_DOUBLE_EQ(e->geom.insert.yScale, 3);
                EXPECT_NEAR(e->geom.insert.rotation, 45 * kDeg, 1e-12);
                EXPECT_EQ(Top(*d, e->geom.insert.block).size(), 2u);
            } else {
                EXPECT_EQ(b.name, "TAG");
            }
            break;
        }
        case EntityType::Hatch: {
            const auto& h = d->hatches[e->geom.extra.index];
            EXPECT_TRUE(h.solid);
            if (d->layers[e->layer].name == "FILL") {
                ASSERT_EQ(h.boundary.size(), 4u);
                EXPECT_EQ(h.boundary[2], (Vec3{4, 3, 0}));
            } else {
                EXPECT_GT(h.boundary.size(), 3u) << "edges flattened";
            }
            break;
        }
        default: break;
        }
    }
    // The first polyline (LWPOLYLINE from R2000, kept as one) has widths and a bulge.
    const Entity* first = nullptr;
    for (auto* e : Top(*d, ms))
        if (e->type == (r12 ? EntityType::Polyline : EntityType::LwPolyline)) { first = e; break; }
    ASSERT_NE(first, nullptr);
    if (r12) {
        EXPECT_EQ(first->geom.polyline.flags & 1, 1);
        EXPECT_EQ(VerticesAfter(*d, ms, first->handle).at(2), (Vec3{10, 10, 0}));
    } else {
        const auto& lw = d->lwpolylines.at(first->geom.extra.index);
        EXPECT_EQ(lw.flags & 1, 1);
        ASSERT_EQ(lw.vertices.size(), 3u);
        EXPECT_EQ(lw.vertices[0], (LwVertex{0, 0, 0.5, 0.25, 0.5}));
        EXPECT_EQ(lw.vertices[2], (LwVertex{10, 10, 0, 0, 0}));
    }

    // Paper space: the viewport and its view.
    auto ps = d->PaperSpace();
    ASSERT_NE(ps, kNone);
    const ViewportData* vp = nullptr;
    for (auto* e : Top(*d, ps))
        if (e->type == EntityType::Viewport && d->viewports[e->geom.extra.index].id != 1)
            vp = &d->viewports[e->geom.extra.index];
    ASSERT_NE(vp, nullptr);
    EXPECT_EQ(vp->center, (Vec3{100, 100, 0}));
    EXPECT_DOUBLE_EQ(vp->width, 200);
    EXPECT_DOUBLE_EQ(vp->viewCenter.x, 5);
    EXPECT_DOUBLE_EQ(vp->viewHeight, 20);

    ExpectConsistentHandles(*d);
    // What was read can be written again, by any release, cleanly; ezdxf
    // reads back the same entities with the same geometry (in R12, what it
    // cannot hold as lines and text: ELLIPSE, SPLINE, LWPOLYLINE as
    // POLYLINE, MTEXT as TEXT, fills as SOLID triangles).
    const auto source = RunChecker("kind_geometry.py", "'" + path + "'");
    for (auto rel : {Release::R2000, Release::R12, Release::R2018}) {
        auto out = dir.file(std::string("again_") + ReleaseName(rel) + ".dxf");
        SaveDxf(*d, rel, out);
        ExpectStrictDxf(out, rel == Release::R12);
        std::map<std::string, std::int64_t> ours, theirs;
        for (const auto& [file, counts] : {std::pair{path, &theirs}, {out, &ours}})
            for (const auto& row : SplitRows(RunChecker("kind_counts.py", "'" + file + "'").out))
                if (row[0] == "entity" && row[1] != "VIEWPORT")   // the save adds the layout's own
                    (*counts)[rel != Release::R12 || !kR12Form.count(row[1]) ? row[1] : kR12Form.at(row[1])] +=
                        std::stoll(row[2]);
        for (const auto& [kind, n] : d->notRead) theirs.erase(kind);
        if (rel == Release::R12) {   // fills become triangles, an MTEXT a TEXT a line
            EXPECT_GE(ours["TEXT"], theirs["TEXT"]);
            for (auto* counts : {&ours, &theirs})
                for (auto kind : {"HATCH", "SOLID", "TEXT"}) counts->erase(kind);
        }
        EXPECT_EQ(ours, theirs) << ReleaseName(rel);
        if (rel != Release::R12 && !r12) EXPECT_EQ(RunChecker("kind_geometry.py", "'" + out + "'").out, source.out);
    }
}

INSTANTIATE_TEST_SUITE_P(Releases, DxfReaderEzdxf,
                         ::testing::Values("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"));

// Other programs' files (the leading CAD program's, ASCII and binary, R12 to
// R2018): each reads, with ezdxf's counts.
TEST(DxfReaderRealFiles, ReadWithEzdxfsCountsAndTheirTwinsAlike) {
    const auto dir = SharedCases("real-dxf");
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << dir << " is absent";
    std::map<std::string, std::unique_ptr<Drawing>> read;
    for (const auto& f : std::filesystem::directory_iterator(dir)) {
        if (f.path().extension() != ".dxf") continue;
        SCOPED_TRACE(f.path().filename().string());
        std::unique_ptr<Drawing> d;
        ASSERT_NO_THROW(d = ReadDxf(f.path().string()));
        ExpectKindsAsEzdxf(f.path().string(), *d);
        read[f.path().filename().string()] = std::move(d);
    }
    ASSERT_FALSE(read.empty());
    for (const auto& [name, d] : read)   // a binary file and its ASCII twin skip the same kinds
        if (auto at = name.find("_binary"); at != std::string::npos && read.count(name.substr(0, at) + "_ascii.dxf"))
            EXPECT_EQ(read[name.substr(0, at) + "_ascii.dxf"]->notRead, d->notRead) << name;
}

// ------------------------------------------------------------------ our writer, every release

class DxfReaderRoundTrip : public ::testing::TestWithParam<Release> {
protected:
    TempDir dir;
};

TEST_P(DxfReaderRoundTrip, WhatOurWriterWritesReadsBackTheSame) {
    const Release rel = GetParam();
    auto d = EveryKindDrawing();
    // Text with a caret, a tab and Windows-1252 bytes.
    AddText(*d, d->ModelSpace(), "NOTES", {3, 4}, 2, "^Caf\xE9\t\x80 5");
    auto first = dir.file("first.dxf");
    SaveDxf(*d, rel, first);   // repairs d as the file has it
    auto r = ReadDxf(first);
    EXPECT_EQ(r->release, rel);
    ExpectConsistentHandles(*r);
    if (rel >= Release::R2000) {
        ExpectSameDrawing(*d, *r, true);
    } else {
        // Before R2000 the writer gives a solid fill as SOLID triangles.
        std::map<EntityType, int> written, read;
        for (auto* e : Top(*d, d->ModelSpace()))
            if (e->type != EntityType::Hatch) ++written[e->type];
        for (auto* e : Top(*r, r->ModelSpace()))
            if (e->type != EntityType::Solid) ++read[e->type];
        EXPECT_EQ(read, written);
    }
    bool caret = false;
    for (auto* e : Top(*r, r->ModelSpace()))
        if (e->type == EntityType::Text) caret |= r->Text(e->geom.text) == "^Caf\xE9\t\x80 5";
    EXPECT_TRUE(caret);

    // Written again from what was read: the same file passes the strict checks.
    auto second = dir.file("second.dxf");
    SaveDxf(*r, rel, second);
    ExpectStrictDxf(second, rel == Release::R12);
    auto again = ReadDxf(second);
    EXPECT_EQ(Top(*again, again->ModelSpace()).size(), Top(*r, r->ModelSpace()).size());
}

INSTANTIATE_TEST_SUITE_P(Releases, DxfReaderRoundTrip,
                         ::testing::Values(Release::R12, Release::R13, Release::R14, Release::R2000, Release::R2004,
                                           Release::R2007, Release::R2010, Release::R2013, Release::R2018),
                         [](const auto& info) { return std::string(ReleaseName(info.param)); });

// ------------------------------------------------------------------ completion

TEST(DxfReaderCompletion, AnR12FileWithoutHandlesGetsThemAndTheStandardObjects) {
    TempDir dir;   // an R12 DIMSTYLE's group 5 names its arrow block
    auto d = ReadRewritten(dir, dir.file("bare.dxf"),
              "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nDIMSTYLE\n0\nDIMSTYLE\n2\nARCH\n5\nBOXBLANK\n0\nENDTAB\n0\nENDSEC\n"
              "0\nSECTION\n2\nENTITIES\n"
              "0\nLINE\n8\nROADS\n10\n0\n20\n0\n30\n0\n11\n5\n21\n5\n31\n0\n"
              "0\nPOLYLINE\n8\nROADS\n66\n1\n70\n1\n"
              "0\nVERTEX\n8\nROADS\n10\n0\n20\n0\n0\nVERTEX\n8\nROADS\n10\n3\n20\n4\n"
              "0\nSEQEND\n8\nROADS\n"
              "0\nTEXT\n8\n0\n67\n1\n10\n1\n20\n2\n40\n3\n1\nsheet\n"
              "0\nENDSEC\n0\nEOF\n");
    EXPECT_EQ(d->release, Release::R12);
    EXPECT_EQ(d->dimstyles.front().name, "ARCH");
    ASSERT_NE(d->FindLayer("ROADS"), kNone);
    EXPECT_EQ(Top(*d, d->ModelSpace()).size(), 2u);
    ASSERT_EQ(Top(*d, d->PaperSpace()).size(), 1u) << "67 1 puts the text in paper space";
    EXPECT_TRUE(Top(*d, d->PaperSpace())[0]->flags & kEntityPaperSpace);
    // Layouts for both spaces, in the layout dictionary.
    for (auto b : {d->ModelSpace(), d->PaperSpace()}) {
        auto* lo = d->ObjectByHandle(d->blocks[b].layout);
        ASSERT_NE(lo, nullptr);
        ASSERT_EQ(lo->type, ObjectType::Layout);
        EXPECT_EQ(lo->layout->blockRecord, d->blocks[b].handle);
    }
    EXPECT_EQ(d->ObjectByHandle(d->blocks[d->PaperSpace()].layout)->layout->name, "Layout1");
}

TEST(DxfReaderCompletion, RepeatedHandlesAndDanglingReferencesAreResolved) {
    TempDir dir;
    auto d = ReadRewritten(dir, dir.file("dup.dxf"),
              "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n30\n0\nENDSEC\n"
              "0\nSECTION\n2\nENTITIES\n"
              "0\nLINE\n5\n20\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n"
              "0\nLINE\n5\n20\n8\n0\n10\n2\n20\n2\n11\n3\n21\n3\n"
              "0\nINSERT\n5\n21\n8\n0\n2\nNO_SUCH_BLOCK\n10\n0\n20\n0\n"
              "0\nENDSEC\n"
              "0\nSECTION\n2\nOBJECTS\n"
              "0\nDICTIONARY\n5\nC\n330\n0\n100\nAcDbDictionary\n3\nACAD_GROUP\n350\nD\n3\nSTRANGE\n350\nE\n"
              "0\nDICTIONARY\n5\nD\n330\nC\n100\nAcDbDictionary\n"
              "0\nSOMETHING_ELSE\n5\nE\n330\nC\n"
              "0\nENDSEC\n0\nEOF\n");
    auto top = Top(*d, d->ModelSpace());
    ASSERT_EQ(top.size(), 2u) << "an insert of a missing block is dropped";
    EXPECT_EQ(top[0]->handle, 0x20u);
    EXPECT_NE(top[1]->handle, 0x20u);
    EXPECT_GE(top[1]->handle, 0x30u) << "new handles start at the file's $HANDSEED";
    for (auto& e : d->Root().entries) EXPECT_NE(e.name, "STRANGE");
    EXPECT_EQ(d->Root().handle, 0xCu);
}

TEST(DxfReaderCompletion, SeveralLayoutsKeepTheirBlocksAndTheActiveOne) {
    TempDir dir;
    auto path = dir.file("layouts.dxf");
    auto made = RunCommand(kPython + "-c \"import ezdxf\n"
                                     "d=ezdxf.new('R2000')\n"
                                     "s=d.layouts.new('Second')\n"
                                     "s.add_line((0,0),(1,1))\n"
                                     "d.layouts.set_active_layout('Second')\n"
                                     "d.saveas('" + path + "')\"");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto d = ReadRewritten(dir, path);
    auto ps = d->PaperSpace();
    ASSERT_NE(ps, kNone);
    auto* lo = d->ObjectByHandle(d->blocks[ps].layout);
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->layout->name, "Second");
    EXPECT_EQ(Top(*d, ps).size(), 1u);
    int paperLayouts = 0;
    for (auto& o : d->objects)
        if (o.type == ObjectType::Layout && o.layout->name != "Model") ++paperLayouts;
    EXPECT_EQ(paperLayouts, 2);
    EXPECT_EQ(Summarise(dir.file("rewritten.dxf")).Value("ACTIVE"), "Second");
}
