// What readers show of the trim pass's sheet: the turned viewport through
// ezdxf's model-to-paper transform, background fills in every release, the
// pass after a failed save, layer decisions alike in every release, and the
// overflow error of the sheet's arithmetic, the settings objects a current
// drawing holds carried through the pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "ostrel/clsDWG.h"
#include "ostrel/errors.h"
#include "trim/frmDWGTrim.h"
#include "support/trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

double Json(const std::string& json, const std::string& key) {
    std::smatch m;
    return std::regex_search(json, m, std::regex("\"" + key + "\": ([-0-9.e+]+)")) ? std::stod(m[1]) : -1;
}

// A title block, its trim frame and an L-shaped background fill of 600;
// lightweight polylines when asked.
std::string SheetFile(const TempDir& dir, cad::Release r, const std::string& name, bool light = false) {
    auto d = cad::NewDrawing();
    d->lightweightPolylines = light;
    auto ms = d->ModelSpace();
    AddPolyline(*d, ms, "$TB-SHEET", Rect(1000, 2000, 1210, 2148.5));
    AddPolyline(*d, ms, "$TB-TRIM-FRAME", Rect(1010, 2030, 1130, 2125));
    AddPolyline(*d, ms, "BKFILL_GRASS", {{1020, 2040}, {1060, 2040}, {1060, 2050}, {1030, 2050}, {1030, 2070}, {1020, 2070}});
    const auto path = dir.file(name);
    if (name.find(".dwg") != std::string::npos) cad::SaveDwg(*d, r, path);
    else cad::SaveDxf(*d, r, path);
    return path;
}

const std::string kExport = "TALVERO\r\nTEXT,$tb-Text,7,not title block,1040,2060,2,0\r\n"
                            "POLY,bkfill,3,0,0,1050,2060,1060,2060,1060,2070,1050,2060\r\nSTARTTB,500,0\r\n"
                            "POLY,TRIM,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n";

std::string Convert(const TempDir& dir, const std::string& exportSettings, const std::string& out,
                    ScriptedPrompter& prompter, const std::string& exportText = kExport) {
    WriteFile(dir.file("settings.ini"), "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nLAYERSTYLE=0\r\n" + exportSettings);
    WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
    WriteFile(dir.file("site.txt"), exportText);
    clsDWG(HostOptions{std::shared_ptr<Prompter>(&prompter, [](Prompter*) {}), nullptr, dir.file("user.ini")})
        .SaveAsDWG(dir.file("site.txt"), dir.file(out));
    return dir.file(out);
}

// The sheet's viewport shows the trim frame turned to fill it, as ezdxf
// transforms model to paper; the frame is of the kind asked for.
void ExpectFrameFillsViewport(std::string path, bool light) {
    SCOPED_TRACE(path);
    if (path.find(".dwg") != std::string::npos && light) {
        // The pass is looked at here, the outside readers' view of a light sheet in the next tests.
        auto d = cad::ReadDwg(path);
        cad::SaveDxf(*d, cad::Release::R2018, path + ".dxf");
        path += ".dxf";
    } else if (path.find(".dwg") != std::string::npos) {   // as the outside DWG reader sees it
        if (!DwgReadersInstalled()) return;                 // the DXF cases still run
        auto c = RunDwgChecker("check_dwg.mjs", path + " --dxf " + path + ".dxf");
        ASSERT_NE(c.out.find("\"error\":0"), std::string::npos) << c.out << c.err;
        path += ".dxf";
    }
    auto v = RunCommand(kPython + SourcePath("tests/checkers/viewport_frame.py") + " " + path);
    ASSERT_EQ(v.exitCode, 0) << v.err;
    EXPECT_LT(Json(v.out, "off"), 1e-6) << "a frame corner off the viewport's corners " << v.out;
    EXPECT_LT(Json(v.out, "missed"), 1e-6) << "a viewport corner shows no frame corner " << v.out;
    EXPECT_NE(v.out.find(light ? "[\"LWPOLYLINE\"]" : "[\"POLYLINE\"]"), std::string::npos) << v.out;
}

} // namespace

TEST(SheetReaders, TheTurnedTrimFrameFillsItsViewportInEzdxfsTransform) {
    TempDir dir;
    for (auto [name, release, r, light] :
         {std::tuple{"a.dxf", cad::Release::R2000, 0.3, false}, {"b.dxf", cad::Release::R2000, -1.1, false},
          {"c.dxf", cad::Release::R2018, 2.5, false}, {"d.dxf", cad::Release::R2000, 0.0, false},
          {"e.dwg", cad::Release::R2000, -2.0, false}, {"f.dxf", cad::Release::R2018, 0.7, true},
          {"g.dwg", cad::Release::R2004, -0.4, true}}) {
        auto path = SheetFile(dir, release, name, light);
        frmDWGTrim().TrimDWG(path, 500, r);
        ExpectFrameFillsViewport(path, light);
    }
    // A conversion that writes lightweight polylines builds the sheet from its trim frame too.
    for (const char* out : {"lw.dxf", "lw.dwg"}) {
        ScriptedPrompter prompter;
        ExpectFrameFillsViewport(Convert(dir, "LWPOLYLINE=1\r\n", out, prompter,
                                         "TALVERO\r\nSTARTTB,500,0.6\r\n"
                                         "POLY,TRIM,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n"),
                                 true);
    }
}

// The multileader and table styles' values, each handle as the name of the
// linetype or text style it names.
std::string StyleValues(const cad::Drawing& d) {
    std::string out;
    for (const auto& o : d.objects) {
        if (o.type != cad::ObjectType::MLeaderStyle && o.type != cad::ObjectType::TableStyle) continue;
        out += cad::ObjectTypeName(o.type);
        for (const auto& v : o.style) {
            std::string named;
            for (const auto& lt : d.linetypes) named += v.handle && lt.handle == v.handle ? lt.name : "";
            for (const auto& st : d.styles) named += v.handle && st.handle == v.handle ? st.name : "";
            out += " " + std::to_string(v.number) + v.text + named;
        }
        out += "\n";
    }
    return out;
}

TEST(SheetReaders, TheSettingsObjectsOfACurrentDrawingSurviveThePassInEveryReleaseAndFormat) {
    TempDir dir;
    for (auto release : {cad::Release::R2000, cad::Release::R2004, cad::Release::R2007, cad::Release::R2010,
                         cad::Release::R2013, cad::Release::R2018})
        for (std::string ext : {".dxf", ".dwg"}) {
            auto path = SheetFile(dir, release, cad::ReleaseName(release) + ext);
            frmDWGTrim().TrimDWG(path, 500, 0);
            std::string reference;      // libredwg's DXF of the leading program's file of the release
            if (ext == ".dwg") {
                // The multileader and table styles hold the values of the leading program's drawing of the release.
                const auto example = SharedCases("real-dwg") /
                                     ("libredwg_example_" + std::string(cad::ReleaseName(release) + 1) + ".dwg");
                if (std::filesystem::exists(example))
                    EXPECT_EQ(StyleValues(*cad::ReadDwg(path)), StyleValues(*cad::ReadDwg(example.string()))) << path;
                if (!DwgReadersInstalled()) continue;   // as libredwg reads it: the header's handles name the dictionaries and material
                auto c = RunDwgChecker("check_dwg.mjs", path + " --dxf " + path + ".dxf");
                ASSERT_NE(c.out.find("\"error\":0"), std::string::npos) << c.out << c.err;
                for (const char* kind : {"\"MLEADERSTYLE\":1,", "\"TABLESTYLE\":1,"})
                    EXPECT_NE(c.out.find(kind), std::string::npos) << kind << c.out;
                for (auto [name, since] : {std::pair{"\"DICTIONARY_COLOR\":\"DICTIONARY\"", cad::Release::R2004},
                                           {"\"DICTIONARY_MATERIAL\":\"DICTIONARY\"", cad::Release::R2004},
                                           {"\"DICTIONARY_VISUALSTYLE\":\"DICTIONARY\"", cad::Release::R2007},
                                           {"\"CMATERIAL\":\"MATERIAL\"", cad::Release::R2007}})
                    if (release >= since) EXPECT_NE(c.out.find(name), std::string::npos) << name << " in " << c.out;
                path += ".dxf";
                // The oldest and the newest layout, against libredwg's DXF of the leading program's file.
                if ((release == cad::Release::R2000 || release == cad::Release::R2013) && std::filesystem::exists(example)) {
                    reference = path + ".reference.dxf";
                    RunDwgChecker("check_dwg.mjs", example.string() + " --dxf " + reference);
                }
            }
            auto r = RunCommand(kPython + SourcePath("tests/checkers/settings_objects.py") + " " + path + " " + reference);
            ASSERT_EQ(r.exitCode, 0) << r.err;
            // The scale list of the leading program's files, key for key; the
            // current styles; the standard styles naming the drawing's records;
            // its materials and visual styles, which the header, layer 0 and
            // the active viewport name from R2007 on.
            const bool named = release >= cad::Release::R2007;
            for (std::string line : {"audit 0\nACAD_COLOR 0 \nACAD_SCALELIST 17 A0=1:1 1:1 A1=1:2 1:2 ",
                                     "A9=1:40 1:40 B0=1:50 1:50 B1=1:100 1:100 B2=2:1 2:1 B3=4:1 4:1 B4=8:1 8:1 B5=10:1 10:1 B6=100:1 100:1\n",
                                     "AcDbVariableDictionary 11 CANNOSCALE=1:1 CMLEADERSTYLE=STANDARD CTABLESTYLE=STANDARD DIMASSOC=2 HIDETEXT=1 ",
                                     "\nACAD_MLEADERSTYLE 1 Standard=MLEADERSTYLE Standard ByBlock 4\n"
                                     "ACAD_TABLESTYLE 1 Standard=TABLESTYLE Standard\n",
                                     "ACAD_MATERIAL 3 ByBlock=MATERIAL:ByBlock ByLayer=MATERIAL:ByLayer Global=MATERIAL:Global\n",
                                     "ACAD_VISUALSTYLE 24 2dWireframe=VISUALSTYLE:2dWireframe Basic=VISUALSTYLE:Basic ",
                                     "X-Ray=VISUALSTYLE:X-Ray\n",
                                     named ? "refs CMATERIAL=ByLayer LAYER0=Global ACTIVE=2dWireframe\n"
                                           : "refs CMATERIAL=- LAYER0=- ACTIVE=-\n",
                                     reference.empty() ? "" : "reference 27 differ: \n"})
                EXPECT_NE(r.out.find(line), std::string::npos) << path << ": " << line << "\n" << r.out;
        }
}

TEST(SheetReaders, EveryReleaseShowsTheBackgroundFillOverItsWholeOutline) {
    TempDir dir;
    for (auto release : {cad::Release::R12, cad::Release::R13, cad::Release::R14, cad::Release::R2000}) {
        auto path = SheetFile(dir, release, std::string(cad::ReleaseName(release)) + ".dxf");
        frmDWGTrim().TrimDWG(path, 500, 0);
        ExpectStrictDxf(path, release == cad::Release::R12);
        auto r = RunCommand(kPython + SourcePath("tests/checkers/fill_cover.py") + " " + path + " BKFILL_GRASS");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Json(r.out, "outline"), 600) << r.out;
        EXPECT_NEAR(Json(r.out, "filled"), 600, 1e-9) << cad::ReleaseName(release) << ": " << r.out;
        EXPECT_NE(r.out.find("\"inside\": true"), std::string::npos) << "a fill outside its outline: " << r.out;
        EXPECT_EQ(Json(r.out, release < cad::Release::R2000 ? "solids" : "hatches"), release < cad::Release::R2000 ? 4 : 1);
    }
}

TEST(SheetReaders, AFailedSaveLeavesAnOlderFileOfThatNameUntouched) {
    TempDir dir;
    ScriptedPrompter prompter;
    const auto out = SheetFile(dir, cad::Release::R2000, "site.dxf");   // an earlier run's, with a trim frame
    const auto before = ReadFile(out);
    Convert(dir, "DXFVersion=9\r\n", "site.dxf", prompter);                // no DXF release 9: the save fails
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back().text.rfind("Error in CdSaveFile: ", 0), 0u) << prompter.shown.back().text;
    EXPECT_EQ(ReadFile(out), before) << "the pass reopened and rewrote the older file";
}

TEST(SheetReaders, TitleBlockAndFillDecisionsAreTheSameInEveryRelease) {
    for (const char* version : {"12", "14", "2000"}) {
        TempDir dir;
        ScriptedPrompter prompter;
        auto s = Summarise(Convert(dir, std::string("DXFVersion=") + version + "\r\n", "site.dxf", prompter));
        bool kept = false;
        for (auto* t : s.All("MS", "TEXT")) kept |= t->text == "not title block";
        EXPECT_TRUE(kept) << "R" << version << ": a $tb-Text layer is no title-block layer\n" << s.raw;
        EXPECT_TRUE(s.All("MS", "HATCH").empty() && s.All("MS", "SOLID").empty()) << "R" << version << ": bkfill\n" << s.raw;
        EXPECT_FALSE(s.All("PS", "VIEWPORT").empty()) << "R" << version << ": no sheet\n" << s.raw;
    }
}

TEST(SheetReaders, ACaretCompanionTooLargeRaisesTheOverflowErrorAndLeavesTheFile) {
    TempDir dir;
    auto d = cad::NewDrawing();
    AddPolyline(*d, d->ModelSpace(), "$TB-TRIM", Rect(0, 0, 10, 10));
    // At 1:0.00001 the height 1e299 becomes 1e307 on the sheet, its companion 160 times that.
    AddText(*d, d->ModelSpace(), "$TB-TITLE", {1, 1}, 1e299, "^Scale");
    const auto path = dir.file("big.dxf");
    cad::SaveDxf(*d, cad::Release::R2000, path);
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

TEST(SheetReaders, WithLightweightPolylinesTheTrimmedDwgShowsEveryPolylineInGdalAndLibdxfrw) {
    TempDir dir;
    ScriptedPrompter prompter;
    auto out = Convert(dir, "LWPOLYLINE=1\r\n[LAYERS]\r\nKERB-LINE=KERBS\r\n", "site.dwg", prompter,
                       "TALVERO\r\nPOLY,KERB,3,0.2,0,1000,2005,1030,2005,1060,2008\r\n"
                       "POLY3D,GROUND,3,0,0,1000,2000,5,1010,2010,6\r\nSTARTTB,500,0.3\r\n"
                       "POLY,TRIM,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n"
                       "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n");
    // Model space: the kerb and the turned trim frame light, the ground 3D;
    // the sheet: its frame and the title block's two copies, light as read.
    auto cad = RunCommand("ogrinfo -al " + out);
    std::regex lw("CADLWPolyline"), p3("CADPolyline3D");
    auto count = [](const std::string& s, const std::regex& re) {
        return std::distance(std::sregex_iterator(s.begin(), s.end(), re), std::sregex_iterator());
    };
    EXPECT_EQ(count(cad.out, lw), 2) << cad.out.substr(0, 3000);
    EXPECT_EQ(count(cad.out, p3), 1) << cad.out.substr(0, 3000);
    if (!DwgReadersInstalled()) GTEST_SKIP() << kNoDwgReaders;
    auto rw = RunDwgChecker("check_dxfrw.mjs", out);
    int shown = 0;
    const std::regex n("\"LWPOLYLINE\":([0-9]+)");
    for (std::sregex_iterator i(rw.out.begin(), rw.out.end(), n), end; i != end; ++i) shown += std::stoi((*i)[1]);
    EXPECT_EQ(shown, 5) << "two in model space, three on the sheet: " << rw.out;
}
