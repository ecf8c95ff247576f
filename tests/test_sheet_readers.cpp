// What readers show of the sheet and the trim pass: the turned viewport seen
// through ezdxf's model-to-paper transform, background fills in releases
// without HATCH, the pass after a failed save, title-block layers in every
// release, and overflows in the sheet's arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "ostrel/clsDWG.h"
#include "ostrel/errors.h"
#include "trim/frmDWGTrim.h"
#include "trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

double JsonNumber(const std::string& json, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"" + key + "\": ([-0-9.e+]+)"))) return NAN;
    return std::stod(m[1]);
}

// A title block with its trim frame and a concave background fill.
std::unique_ptr<cad::Drawing> SheetDrawing() {
    auto d = cad::NewDrawing();
    auto ms = d->ModelSpace();
    AddPolyline(*d, ms, "$TB-SHEET", Rect(1000, 2000, 1210, 2148.5));
    AddPolyline(*d, ms, "$TB-TRIM-FRAME", Rect(1010, 2030, 1130, 2125));
    AddPolyline(*d, ms, "BKFILL_GRASS", {{1020, 2040}, {1060, 2040}, {1060, 2050}, {1030, 2050}, {1030, 2070}, {1020, 2070}});
    AddPolyline(*d, ms, "KERB", {{1015, 2035}, {1100, 2100}});
    return d;
}

std::string Save(cad::Drawing& d, cad::Release r, const std::string& path) {
    if (path.find(".dwg") != std::string::npos) cad::SaveDwg(d, r, path);
    else cad::SaveDxf(d, r, path);
    return path;
}

bool DwgCheckerInstalled() {
    return std::filesystem::exists(SourcePath(".checkers/dwg/node_modules/@mlightcad/libredwg-web/wasm/libredwg-web.wasm"));
}

} // namespace

// ------------------------------------------------------------ the turned sheet

struct TurnCase {
    const char* file;
    cad::Release release;
    double rotation;
};

class TurnedSheet : public ::testing::TestWithParam<TurnCase> {
protected:
    TempDir dir;
};

TEST_P(TurnedSheet, TheTrimFrameFillsTheViewportInTheReadersTransform) {
    const auto c = GetParam();
    auto d = SheetDrawing();
    auto path = Save(*d, c.release, dir.file(c.file));
    frmDWGTrim().TrimDWG(path, 500, c.rotation);
    std::string dxf = path;
    if (path.find(".dwg") != std::string::npos) {
        // The DWG as an outside DWG reader sees it, handed to ezdxf as DXF.
        if (!DwgCheckerInstalled()) GTEST_SKIP() << "DWG checker not installed (scripts/install-dwg-checker)";
        dxf = path + ".dxf";
        auto r = RunCommand("node " + SourcePath("tests/checkers/dwg/check_dwg.mjs") + " " + path + " --dxf " + dxf);
        ASSERT_NE(r.out.find("\"error\":0"), std::string::npos) << r.out << r.err;
    }
    auto r = RunCommand(kPython + SourcePath("tests/checkers/viewport_frame.py") + " " + dxf);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Paper units: the frame is 240 x 190 mm at 1:500.
    EXPECT_LT(JsonNumber(r.out, "off"), 1e-6) << "a frame corner falls off the viewport's corners: " << r.out;
    EXPECT_LT(JsonNumber(r.out, "missed"), 1e-6) << "a viewport corner shows no frame corner: " << r.out;
}

INSTANTIATE_TEST_SUITE_P(Rotations, TurnedSheet,
                         ::testing::Values(TurnCase{"a.dxf", cad::Release::R2000, 0.3},
                                           TurnCase{"b.dxf", cad::Release::R2000, -1.1},
                                           TurnCase{"c.dxf", cad::Release::R2018, 2.5},
                                           TurnCase{"d.dxf", cad::Release::R2000, 0},
                                           TurnCase{"f.dwg", cad::Release::R2000, -2}));
