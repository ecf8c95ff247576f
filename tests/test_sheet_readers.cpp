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

// ------------------------------------------------------------ fills

TEST(SheetFills, EveryReleaseShowsTheBackgroundFillOverItsWholeOutline) {
    TempDir dir;
    // The L-shaped fill: 40 x 10 plus 10 x 20 = 600 square units.
    for (auto release : {cad::Release::R12, cad::Release::R13, cad::Release::R14, cad::Release::R2000}) {
        auto d = SheetDrawing();
        auto path = Save(*d, release, dir.file(std::string("fill_") + cad::ReleaseName(release) + ".dxf"));
        frmDWGTrim().TrimDWG(path, 500, 0);
        ExpectStrictDxf(path, release == cad::Release::R12);
        auto r = RunCommand(kPython + SourcePath("tests/checkers/fill_cover.py") + " " + path + " BKFILL_GRASS");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NEAR(JsonNumber(r.out, "outline"), 600, 1e-9) << r.out;
        EXPECT_NEAR(JsonNumber(r.out, "filled"), 600, 1e-9) << cad::ReleaseName(release) << ": " << r.out;
        EXPECT_NE(r.out.find("\"inside\": true"), std::string::npos) << "a fill triangle outside the outline: " << r.out;
        if (release < cad::Release::R2000) EXPECT_EQ(JsonNumber(r.out, "solids"), 4) << "six corners, four triangles";
        else EXPECT_EQ(JsonNumber(r.out, "hatches"), 1);
    }
}

// ------------------------------------------------------------ the pass after the conversion

namespace {

struct Conversion {
    TempDir dir;
    std::shared_ptr<ScriptedPrompter> prompter = std::make_shared<ScriptedPrompter>();

    std::string Run(const std::string& exportText, const std::string& exportSettings, const std::string& out) {
        WriteFile(dir.file("settings.ini"), "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nBYENT=0\r\n" + exportSettings);
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        WriteFile(dir.file("site.txt"), exportText);
        clsDWG converter(HostOptions{prompter, nullptr, dir.file("user.ini")});
        converter.SaveAsDWG(dir.file("site.txt"), dir.file(out));
        return dir.file(out);
    }
};

const std::string kTitleBlockExport =
    "TALVERO\r\n"
    "TEXT,$tb-Text,7,not title block,1040,2060,2,0\r\n"
    "POLY,bkfill,3,0,0,1050,2060,1060,2060,1060,2070,1050,2070,1050,2060\r\n"
    "STARTTB,500,0\r\n"
    "POLY,TRIM-FRAME,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n"
    "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n";

} // namespace

TEST(SheetAfterConversion, AFailedSaveLeavesAnOlderFileOfThatNameUntouched) {
    Conversion c;
    // An earlier run's drawing, with a trim frame the pass would find.
    auto older = SheetDrawing();
    const auto out = Save(*older, cad::Release::R2000, c.dir.file("site.dxf"));
    const auto before = ReadFile(out);
    // This run's save fails: no DXF release 9.
    c.Run(kTitleBlockExport, "DXFVersion=9\r\n", "site.dxf");
    ASSERT_FALSE(c.prompter->shown.empty());
    EXPECT_EQ(c.prompter->shown.back().text.rfind("Error in CdSaveFile: ", 0), 0u) << c.prompter->shown.back().text;
    EXPECT_EQ(ReadFile(out), before) << "the pass reopened and rewrote the older file";
}

TEST(SheetAfterConversion, TitleBlockAndFillDecisionsAreTheSameInEveryRelease) {
    for (const char* version : {"12", "14", "2000"}) {
        Conversion c;
        auto out = c.Run(kTitleBlockExport, std::string("LAYERSTYLE=0\r\nDXFVersion=") + version + "\r\n", "site.dxf");
        auto s = Summarise(out);
        bool textInModelSpace = false;
        for (auto* t : s.All("MS", "TEXT")) textInModelSpace |= t->text == "not title block";
        EXPECT_TRUE(textInModelSpace) << "R" << version << ": a $tb-Text layer is not a title-block layer\n" << s.raw;
        EXPECT_TRUE(s.All("MS", "HATCH").empty() && s.All("MS", "SOLID").empty())
            << "R" << version << ": a layer named bkfill is not filled\n" << s.raw;
        EXPECT_FALSE(s.All("PS", "VIEWPORT").empty()) << "R" << version << ": the sheet was built\n" << s.raw;
    }
}

// ------------------------------------------------------------ overflow

TEST(SheetOverflow, ACaretCompanionTooLargeRaisesTheOverflowErrorAndLeavesTheFile) {
    TempDir dir;
    auto d = SheetDrawing();
    // At 1:0.00001 the sheet factor is 1e8: the title's height 1e299 becomes
    // 1e307 on the sheet, and its companion's size 160 times that.
    AddText(*d, d->ModelSpace(), "$TB-TITLE", {1100, 2140}, 1e299, "^Scale");
    auto path = Save(*d, cad::Release::R2000, dir.file("big.dxf"));
    const auto before = ReadFile(path);
    try {
        frmDWGTrim().TrimDWG(path, 0.00001, 0);
        ADD_FAILURE() << "no error raised";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.code(), ErrorCode::Overflow);
        EXPECT_NE(std::string(e.what()).find("caret companion"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(path), before);
}
