// Whole conversions of line, contour and triangle records, read back from
// the DXF file with ezdxf: polylines with their vertices, widths and flags,
// clipped pieces, faces, and the trim and boundary polygons across runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "run/run.h"
#include "ostrel/clsDWG.h"
#include "support/test_support.h"

namespace ostrel::test {
namespace {

using Row = std::vector<std::string>;

struct Polyline {
    Row header;
    std::vector<Row> vertices;
};

double Num(const std::string& s) { return std::stod(s); }

class LinesDxf : public ::testing::Test {
protected:
    TempDir dir;
    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    std::unique_ptr<clsDWG> converter;
    std::vector<Row> rows;
    std::vector<Polyline> polylines;

    void SetUp() override {
        WriteFile(dir.file("settings.ini"),
                  "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nBYENT=0\r\nLAYERSTYLE=0\r\nDXFVersion=2000\r\n"
                  "[LAYERS]\r\nEDGE-LINE=ROAD-EDGE\r\n"
                  "[COLORTABLE]\r\n1=1\r\n2=2\r\n3=3\r\nMajorContour=1,2\r\nMinorContour=3,4\r\n");
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        converter = std::make_unique<clsDWG>(HostOptions{prompter, nullptr, dir.file("user.ini")});
    }

    // Converts the export text (exactly as given) and reads the DXF back.
    void Convert(const std::string& text, const std::string& name = "site") {
        const std::string in = dir.file(name + ".txt"), out = dir.file(name + ".dxf");
        WriteFile(in, text);
        converter->SaveAsDWG(in, out);
        ASSERT_TRUE(std::filesystem::exists(out));
        auto strict = RunChecker("check_dxf.py", out);
        EXPECT_EQ(strict.exitCode, 0) << strict.err;
        auto readers = RunChecker("check_readers.py", out);
        EXPECT_EQ(readers.exitCode, 0) << readers.err;
        auto dump = RunChecker("dump_lines.py", out);
        ASSERT_EQ(dump.exitCode, 0) << dump.out << dump.err;
        polylines.clear();
        rows.clear();
        for (auto& row : SplitRows(dump.out)) {
            if (row.empty() || row[0].empty()) continue;
            if (row[0] == "POLYLINE") polylines.push_back({row, {}});
            else if (row[0] == "VERTEX" && !polylines.empty()) polylines.back().vertices.push_back(row);
            rows.push_back(row);
        }
        const Row* audit = Find("AUDIT");
        ASSERT_NE(audit, nullptr);
        EXPECT_EQ((*audit)[1], "0") << dump.out;
    }

    const Row* Find(const std::string& kind, const std::string& key = "") {
        for (auto& r : rows)
            if (r[0] == kind && (key.empty() || (r.size() > 1 && r[1] == key))) return &r;
        return nullptr;
    }

    std::vector<const Polyline*> On(const std::string& layer) {
        std::vector<const Polyline*> out;
        for (auto& p : polylines)
            if (p.header[1] == layer) out.push_back(&p);
        return out;
    }

    static void ExpectVertexAt(const Row& v, double x, double y, double z = 0) {
        EXPECT_NEAR(Num(v[1]), x, 1e-9);
        EXPECT_NEAR(Num(v[2]), y, 1e-9);
        EXPECT_NEAR(Num(v[3]), z, 1e-9);
    }
};

TEST_F(LinesDxf, PolylinesTheirVerticesAndFacesReachTheFile) {
    Convert("TALVERO\r\n"
            "POLY,KERB(2),3,0.5,1020,10,20,30,40\r\n"
            "POLY,KERB(2),3,0.5,1020,30.001,40,50,60\r\n"
            "POLY3D,BREAK,2,0,0,1,2,3,4,5,6\r\n"
            "POLY,EDGE,3,0,0,7,7,8,8\r\n"
            "TRI,5,0,0,10,10,0,11,0,10,12\r\n"
            "POLY,CONTOUR-MAJ,9,0,0,5,5,100,100\r\n");

    auto kerb = On("KERB-LINE");
    ASSERT_EQ(kerb.size(), 1u) << "the continuation joins the first record";
    EXPECT_EQ(kerb[0]->header[2], "128");
    EXPECT_EQ(Num(kerb[0]->header[3]), 0.5);
    EXPECT_EQ(Num(kerb[0]->header[4]), 0.5);
    ASSERT_EQ(kerb[0]->vertices.size(), 3u);
    ExpectVertexAt(kerb[0]->vertices[0], 10, 20);
    ExpectVertexAt(kerb[0]->vertices[1], 30, 40);
    ExpectVertexAt(kerb[0]->vertices[2], 50, 60);
    for (auto& v : kerb[0]->vertices) {
        EXPECT_EQ(Num(v[5]), 0.5);
        EXPECT_EQ(Num(v[6]), 0.5);
    }
    const Row* kerbLayer = Find("LAYER", "KERB-LINE");
    ASSERT_NE(kerbLayer, nullptr);
    EXPECT_EQ((*kerbLayer)[2], "3");

    auto brk = On("BREAK-LINE");
    ASSERT_EQ(brk.size(), 1u);
    EXPECT_EQ(std::stoi(brk[0]->header[2]) & 8, 8) << "a 3D polyline";
    ASSERT_EQ(brk[0]->vertices.size(), 2u);
    ExpectVertexAt(brk[0]->vertices[0], 1, 2, 3);
    ExpectVertexAt(brk[0]->vertices[1], 4, 5, 6);
    EXPECT_EQ(std::stoi(brk[0]->vertices[0][4]) & 32, 32);

    auto edge = On("ROAD-EDGE");
    ASSERT_EQ(edge.size(), 1u) << "mapped through LAYERS";
    for (auto& v : edge[0]->vertices) EXPECT_EQ(v[7], "3") << "mapped lines colour their vertices";

    const Row* contour = Find("LAYER", "CONTOUR-MAJ-LINE");
    ASSERT_NE(contour, nullptr);
    EXPECT_EQ((*contour)[2], "1") << "the major contour colour replaced code 9";

    const Row* face = Find("FACE");
    ASSERT_NE(face, nullptr);
    EXPECT_EQ((*face)[1], "TRI");
    EXPECT_EQ((*face)[3], "0.0,0.0,10.0;10.0,0.0,11.0;0.0,10.0,12.0;0.0,10.0,12.0");

    const Row* extents = Find("EXTENTS");
    ASSERT_NE(extents, nullptr);
    EXPECT_EQ(Num((*extents)[1]), 1);
    EXPECT_EQ(Num((*extents)[2]), 2);
    EXPECT_EQ(Num((*extents)[3]), 100);
    EXPECT_EQ(Num((*extents)[4]), 100);
}

TEST_F(LinesDxf, TrimRecordsCutTheFirstSegmentUntilTrimEnd) {
    Convert("TALVERO\r\n"
            "TRIM,0,0,10,0,10,10,0,10,0,0,\r\n"
            "POLY,A,1,0.25,0,-5,5,15,5,5,5,6,6\r\n"
            "POLY3D,C,1,0,0,-5,5,0,15,5,20\r\n"
            "TRIMEND\r\n"
            "POLY,B,1,0,0,-5,5,15,5\r\n");
    auto a = On("A-LINE");
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(a[0]->vertices.size(), 2u) << "the later vertices are not written";
    ExpectVertexAt(a[0]->vertices[0], 0, 5);
    ExpectVertexAt(a[0]->vertices[1], 10, 5);
    EXPECT_EQ(Num(a[0]->vertices[1][5]), 0.25);
    auto c = On("C-LINE");
    ASSERT_EQ(c.size(), 1u);
    ExpectVertexAt(c[0]->vertices[0], 0, 5, 5);
    ExpectVertexAt(c[0]->vertices[1], 10, 5, 15);
    auto b = On("B-LINE");
    ASSERT_EQ(b.size(), 1u);
    ExpectVertexAt(b[0]->vertices[0], -5, 5);
    ExpectVertexAt(b[0]->vertices[1], 15, 5);
}

TEST_F(LinesDxf, AHeaderlessExportIsClippedToItsBoundaryLine) {
    Convert("POLY,A,1,0,0,50,50,60,60\r\n"
            "POLY,B,1,0,0,500,500,600,600\r\n"
            "POLY,Site-trim-line,7,0,0,0,0,100,0,100,100,0,100,0,0\r\n");
    EXPECT_EQ(On("A-LINE").size(), 1u);
    EXPECT_TRUE(On("B-LINE").empty());
    EXPECT_EQ(converter->run().BoundaryPolygon.count, 5);
}

TEST_F(LinesDxf, PolygonsCarryOverToTheNextRunOfTheInstance) {
    Convert("TALVERO\r\nTRIM,0,0,10,0,10,10,0,10,0,0,\r\n", "first");
    Convert("TALVERO\r\nPOLY,A,1,0,0,-5,5,15,5\r\n", "second");
    auto a = On("A-LINE");
    ASSERT_EQ(a.size(), 1u);
    ExpectVertexAt(a[0]->vertices[0], 0, 5);
    ExpectVertexAt(a[0]->vertices[1], 10, 5);

    Convert("TRIMEND\r\nPOLY,X,1,0,0,0,0,1,1\r\nPOLY,Site-trim-line,7,0,0,0,0,100,0,100,100,0,100,0,0\r\n",
            "third");
    Convert("TALVERO\r\nPOLY,IN,1,0,0,50,50,60,60\r\nPOLY,OUT,1,0,0,500,500,600,600\r\n", "fourth");
    EXPECT_EQ(On("IN-LINE").size(), 1u);
    EXPECT_TRUE(On("OUT-LINE").empty()) << "the boundary of the third run still applies";
}

TEST_F(LinesDxf, ANonNumericTrimFieldEndsTheRunWithoutAFile) {
    const std::string in = dir.file("bad.txt"), out = dir.file("bad.dxf");
    WriteFile(in, "TALVERO\r\nPOLY,A,1,0,0,1,1,2,2\r\nTRIM,1,x,3,4,\r\n");
    try {
        converter->SaveAsDWG(in, out);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::TypeMismatch);
        const std::string what = e.what();
        EXPECT_NE(what.find("field 2"), std::string::npos) << what;
        EXPECT_NE(what.find("line 3"), std::string::npos) << what;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace
} // namespace ostrel::test
