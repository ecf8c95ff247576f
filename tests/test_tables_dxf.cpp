// Whole conversions read back from the DXF file with ezdxf: layers with their
// colours, linetypes and plot-style names, symbol blocks, inserts, text,
// circles and points as a CAD program sees them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "ostrel/clsDWG.h"
#include "support/test_support.h"

namespace ostrel::test {
namespace {

using Row = std::vector<std::string>;

double Num(const std::string& s) { return std::stod(s); }

class TablesDxf : public ::testing::Test {
protected:
    TempDir dir;
    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();
    std::vector<Row> rows;

    void SetUp() override {
        WriteFile(dir.file("settings.ini"),
                  "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nBYENT=0\r\nLAYERSTYLE=0\r\nDXFVersion=2000\r\n"
                  "[LAYERS]\r\nMANHOLE=DRAINAGE-MH\r\n$FENCE=FENCE-POST-RAIL\r\n"
                  "[COLORTABLE]\r\n1=1\r\n3=3\r\n4=4\r\n5=5\r\n16777215=7\r\n");
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        std::filesystem::create_directories(dir.path() / "styles");
        WriteFile(dir.file("styles/style.lin"), "DASHED = Dashed __ __\r\nFENCE = Fence -x-x-\r\n");
        WriteFile(dir.file("site.SYM"),
                  "SYMDEF,TREE\r\n1,0,0,1,-1,0,0,-1,1,0,-9.999,-9.999,\r\n-0.3,0,0.3,0,\r\nENDSYM\r\n"
                  "SYMDEF,MH\r\n-0.5,-0.5,0.5,-0.5,0.5,0.5,-0.5,0.5,-9.999,-9.999,\r\nENDSYM\r\n");
    }

    // Converts the export and reads the DXF back.
    void Convert(const std::string& records) {
        WriteFile(dir.file("site.txt"), "TALVERO\r\n" + records);
        clsDWG converter(HostOptions{prompter, nullptr, dir.file("user.ini")});
        converter.SaveAsDWG(dir.file("site.txt"), dir.file("site.dxf"));
        ASSERT_TRUE(std::filesystem::exists(dir.file("site.dxf")));
        const auto out = dir.file("site.dxf");
        auto strict = RunChecker("check_dxf.py", out);
        EXPECT_EQ(strict.exitCode, 0) << strict.err;
        auto readers = RunChecker("check_readers.py", out);
        EXPECT_EQ(readers.exitCode, 0) << readers.err;
        auto r = RunChecker("dump_dxf.py", "tables " + out);
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        rows = SplitRows(r.out);
        const Row* audit = Find("AUDIT");
        ASSERT_NE(audit, nullptr);
        EXPECT_EQ((*audit)[1], "0") << "ezdxf audit errors\n" << r.out;
    }

    // The first row of a kind whose second field (when given) matches.
    const Row* Find(const std::string& kind, const std::string& key = "") {
        for (auto& r : rows)
            if (r[0] == kind && (key.empty() || (r.size() > 1 && r[1] == key))) return &r;
        return nullptr;
    }
    std::vector<const Row*> All(const std::string& kind, const std::string& key = "") {
        std::vector<const Row*> out;
        for (auto& r : rows)
            if (r[0] == kind && (key.empty() || r[1] == key)) out.push_back(&r);
        return out;
    }
};

TEST_F(TablesDxf, LayersCarryColourAndTheirOwnPlotStyleName) {
    Convert("POINT,1,1000,2000,50\r\n"
            "SYM,MANHOLE(FOUL),1,MH,1040,2030,50,1,1,0\r\n"
            "CIRCLE,TREES,3,1015,2025,51.2,4\r\n"
            "CIRCLE,TREES,5,1016,2025,51.2,4\r\n"
            "TEXT3D,SPOT-HEIGHTS,4,50.40,1020.5,2010.25,50.4,1.5,0\r\n");
    EXPECT_EQ((*Find("HEADER", "PSTYLEMODE"))[2], "0");
    struct Expect { const char* name; int colour; };
    for (auto x : {Expect{"POINT", 7}, Expect{"DRAINAGE-MH", 1}, Expect{"TREES", 3}, Expect{"SPOT-HEIGHTS", 4}}) {
        const Row* layer = Find("LAYER", x.name);
        ASSERT_NE(layer, nullptr) << x.name;
        EXPECT_EQ(Num((*layer)[2]), x.colour) << x.name;
        EXPECT_EQ((*layer)[3], "Continuous") << x.name;
        const Row* ps = Find("PSTYLE", std::string(x.name) + "PSTYLE");
        ASSERT_NE(ps, nullptr) << x.name;
        EXPECT_EQ((*layer)[4], (*ps)[2]) << x.name;
    }
    EXPECT_EQ(Find("LAYER", "MANHOLE"), nullptr);
    EXPECT_EQ(All("PSTYLE", "TREESPSTYLE").size(), 1u);
}

TEST_F(TablesDxf, SymbolBlocksAndInserts) {
    Convert("SYM,MANHOLE,1,MH,1040,2030,-999,1,1,0.785398\r\n"
            "SYM,TREES(OAK),3,TREE,1015,2025,51.2,2,3,0\r\n"
            "SYM,TREES,3,NOSUCH,1015,2025,51.2,2,3,0\r\n");
    const Row* tree = Find("BLOCK", "SYMTREE");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ((*tree)[2], "2");
    auto mh = All("BPOLY", "SYMMH");
    ASSERT_EQ(mh.size(), 1u);
    EXPECT_EQ((*mh[0])[2], "1");
    EXPECT_EQ((*mh[0])[3], "-0.5,-0.5;0.5,-0.5;0.5,0.5;-0.5,0.5");
    auto treePolys = All("BPOLY", "SYMTREE");
    ASSERT_EQ(treePolys.size(), 2u);
    EXPECT_EQ((*treePolys[1])[2], "0");

    auto inserts = All("INSERT");
    ASSERT_EQ(inserts.size(), 2u);
    const Row& manhole = *inserts[0];
    EXPECT_EQ(manhole[1], "DRAINAGE-MH");
    EXPECT_EQ(manhole[2], "SYMMH");
    EXPECT_EQ(Num(manhole[3]), 1040);
    EXPECT_EQ(Num(manhole[4]), 2030);
    EXPECT_EQ(Num(manhole[5]), 0);   // -999: no elevation
    EXPECT_NEAR(Num(manhole[8]), (6.28318530717958 - 0.785398) * 180 / M_PI, 1e-9);
    EXPECT_EQ(manhole[9], "1");      // mapped layer: explicit colour
    const Row& oak = *inserts[1];
    EXPECT_EQ(oak[1], "TREES");
    EXPECT_EQ(oak[2], "SYMTREE");
    EXPECT_EQ(Num(oak[5]), 51.2);
    EXPECT_EQ(Num(oak[6]), 2);
    EXPECT_EQ(Num(oak[7]), 3);
    const double turn = std::fmod(Num(oak[8]), 360.0);
    EXPECT_LT(std::min(std::fabs(turn), std::fabs(turn - 360)), 1e-9);
    EXPECT_EQ(oak[9], "256");
}

TEST_F(TablesDxf, TextAndCirclePlacement) {
    Convert("TEXT,ANNOTATION-ROAD,7,Kestrel Road,1035,1996,4,0\r\n"
            "TEXT,NOTES,7,North,100,200,2,1.5707963267949\r\n"
            "TEXT3D,SPOT-HEIGHTS,4,50.40,1020.5,2010.25,50.4,1.5,0\r\n"
            "CIRCLE,TREES,3,1015,2025,51.2,4\r\n");
    const Row* road = Find("TEXT", "ANNOTATION-ROAD");
    ASSERT_NE(road, nullptr);
    EXPECT_EQ(Num((*road)[2]), 1035);
    EXPECT_EQ(Num((*road)[3]), 1993);
    EXPECT_EQ(Num((*road)[5]), 2);
    EXPECT_EQ((*road)[8], "Kestrel Road");
    const Row* north = Find("TEXT", "NOTES");
    ASSERT_NE(north, nullptr);
    EXPECT_NEAR(Num((*north)[2]), 101.5, 1e-9);
    EXPECT_NEAR(Num((*north)[3]), 200, 1e-9);
    EXPECT_NEAR(Num((*north)[6]), 90, 1e-9);
    const Row* spot = Find("TEXT", "SPOT-HEIGHTS");
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(Num((*spot)[4]), 50.4);
    EXPECT_EQ(Num((*spot)[5]), 0.75);
    const Row* circle = Find("CIRCLE", "TREES");
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(Num((*circle)[2]), 1015);
    EXPECT_EQ(Num((*circle)[4]), 51.2);
    EXPECT_EQ(Num((*circle)[5]), 2);
}

TEST_F(TablesDxf, LinetypeOfAPolylineLayerFromTheStyleFile) {
    Convert("POLY,FENCE,5,0,2211:1,1000,2075,1050,2078\r\n"
            "POLY,KERB,3,0,1020,1000,2005,1030,2005\r\n");
    // With LAYERSTYLE 0 polyline layers end in "-LINE"; a code without ":" takes style line 0.
    const Row* fence = Find("LAYER", "FENCE-LINE");
    ASSERT_NE(fence, nullptr);
    EXPECT_EQ((*fence)[3], "FENCE-POST-RAIL");
    const Row* lt = Find("LTYPE", "FENCE-POST-RAIL");
    ASSERT_NE(lt, nullptr);
    EXPECT_EQ((*lt)[2], "FENCE-POST-RAIL");
    EXPECT_NEAR(Num((*lt)[3]), 0.6, 1e-6);
    const Row* kerb = Find("LAYER", "KERB-LINE");
    ASSERT_NE(kerb, nullptr);
    EXPECT_EQ((*kerb)[3], "DASHED");
    const Row* lstyle = Find("LTYPE", "DASHED");
    ASSERT_NE(lstyle, nullptr);
    std::istringstream elements((*lstyle)[4]);
    std::vector<double> e;
    for (std::string v; std::getline(elements, v, ';');) e.push_back(Num(v));
    ASSERT_EQ(e.size(), 4u);
    EXPECT_NEAR(e[0], 0.1, 1e-7);
    EXPECT_EQ(e[1], 0);
    EXPECT_NEAR(e[2], 0.2, 1e-7);
    EXPECT_EQ(e[3], 0);
}

// Records on an empty layer name stay readable; diameters the record gives
// unchecked are repaired where the file is written: a negative one gives
// its size, none gives a point at the centre.
TEST_F(TablesDxf, EmptyLayerNamesAndNegativeOrZeroDiametersAreWrittenReadable) {
    Convert("CIRCLE,(GONE),7,0,0,0,1\r\n"
            "CIRCLE,,7,1,1,0,-4\r\n"
            "CIRCLE,TREES,3,7,8,9,0\r\n");
    auto circles = All("CIRCLE", "0");
    ASSERT_EQ(circles.size(), 2u);
    EXPECT_EQ(Num((*circles[0])[5]), 0.5);
    EXPECT_EQ(Num((*circles[1])[5]), 2);
    const Row* point = Find("POINT", "TREES");
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(std::vector<double>({Num((*point)[2]), Num((*point)[3]), Num((*point)[4])}), std::vector<double>({7, 8, 9}));
}

} // namespace
} // namespace ostrel::test
