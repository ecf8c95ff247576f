// The trim pass at the end of a conversion: exports with STARTTB converted by
// clsDWG to DXF (R2000 and R12) and DWG, the drawing before the pass and after
// it read back by outside readers, and each rule of the sheet checked against
// what the conversion wrote.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "cad/dwg/dwg_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "run/run.h"
#include "ostrel/clsDWG.h"
#include "trim/frmDWGTrim.h"
#include "support/trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;

namespace {

constexpr double kTol = 1e-6;

struct ConversionCase {
    double scale;
    double rotation;
    const char* output;          // "site.dxf" or "site.dwg"
    int version;                 // EXPORT/DXFVersion or DWGVersion
    bool titleBlockPolyline;
};

struct Box {
    double x0 = 9999999.0, y0 = 9999999.0, x1 = -9999999.0, y1 = -9999999.0;
    void Add(double x, double y) {
        if (x < x0) x0 = x;
        if (y < y0) y0 = y;
        if (x > x1) x1 = x;
        if (y > y1) y1 = y;
    }
};

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }
bool TrimLayer(std::string layer) {
    for (auto& c : layer) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return Contains(layer, "TRIM");
}
bool TitleBlockLayer(const std::string& layer) { return layer.rfind("$TB-", 0) == 0; }

class TrimConversion : public ::testing::TestWithParam<ConversionCase> {
protected:
    TempDir dir;

    std::string Export(const ConversionCase& c) {
        std::string e =
            "TALVERO\r\n"
            "POINT,1,1000,2000,50\r\n"
            "POLY,KERB,3,0.2,0,1000,2005,1030,2005,1060,2008\r\n"
            "POLY,BKFILL_GRASS,3,0,0,1010,2010,1020,2010,1020,2020,1010,2020,1010,2010\r\n"
            "TEXT,NOTES,7,^Datum 50,1005,2068,2,0\r\n"
            "TEXT,NOTES,7,plain,1006,2069,2,0\r\n"
            "SYM,TREES,3,TREE,1015,2025,51.2,2,2,0\r\n"
            "STARTTB," + std::to_string(c.scale) + "," + std::to_string(c.rotation) + "\r\n"
            "POLY,TRIM-FRAME,1,0,0,990,1990,1110,1990,1110,2085,990,2085,990,1990\r\n";
        if (c.titleBlockPolyline)
            e += "POLY,SHEET,7,0,0,980,1960,1190,1960,1190,2108.5,980,2108.5,980,1960\r\n"
                 "POLY,SHEET,7,0,0,1120,1960,1120,2108.5\r\n";
        e += "TEXT,TITLE,7,Site survey,1125,2095,4,0\r\n"
             "TEXT,TITLE,7,^Scale 1:" + std::to_string(static_cast<int>(c.scale)) + ",1125,2085,3,0\r\n"
             "SYM,TITLE,7,NORTH,1155,2050,0,5,5,0\r\n"
             "CIRCLE,TITLE,7,1155,2050,0,12\r\n";
        return e;
    }

    void Setup(const ConversionCase& c) {
        const bool dwg = Contains(c.output, ".dwg");
        WriteFile(dir.file("settings.ini"), "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nBYENT=0\r\nLAYERSTYLE=0\r\n" +
                                                std::string(dwg ? "DWGVersion=" : "DXFVersion=") +
                                                std::to_string(c.version) + "\r\n");
        WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
        WriteFile(dir.file("site.SYM"),
                  "SYMDEF,TREE\r\n1,0,0,1,-1,0,0,-1,1,0,-9.999,-9.999,\r\nENDSYM\r\n"
                  "SYMDEF,NORTH\r\n0,-1,0.4,-0.6,0,1,-0.4,-0.6,0,-1,-9.999,-9.999,\r\nENDSYM\r\n");
        WriteFile(dir.file("site.txt"), Export(c));
    }

    // The summary of a drawing file: a DXF directly, a DWG through the outside
    // DWG reader's DXF (which keeps carets unescaped).
    SheetSummary Read(const std::string& path) {
        if (!Contains(path, ".dwg")) return Summarise(path);
        if (Contains(path, "before")) {
            // The reference for the expectations only: our reader, as DXF.
            auto drawing = cad::ReadDwg(path);
            cad::SaveDxf(*drawing, drawing->release, path + ".dxf");
            return Summarise(path + ".dxf");
        }
        auto dxf = path + ".dxf";
        auto r = RunDwgChecker("check_dwg.mjs", path + " --dxf " + dxf);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(Contains(r.out, "\"error\":0,"))
            << "the outside reader reports a problem: " << r.out;
        return Summarise(dxf, true);
    }
};

} // namespace

TEST_P(TrimConversion, TheSheetFollowsWhatTheConversionWrote) {
    const auto c = GetParam();
    const bool dwg = Contains(c.output, ".dwg");
    if (dwg && !DwgReadersInstalled()) GTEST_SKIP() << kNoDwgReaders;
    const bool r12 = !dwg && c.version == 12;
    Setup(c);
    const auto out = dir.file(c.output);
    const auto before = dir.file(std::string("before") + (dwg ? ".dwg" : ".dxf"));
    std::string trimError;
    auto prompter = std::make_shared<ScriptedPrompter>();
    clsDWG converter(HostOptions{prompter, nullptr, dir.file("user.ini")});
    double passedScale = 0, passedRotation = 0;
    converter.run().trimHandOff = [&](const std::string& strOUT, double scale, double rotation) {
        passedScale = scale;
        passedRotation = rotation;
        std::filesystem::copy_file(strOUT, before);
        try {
            frmDWGTrim form;
            form.TrimDWG(strOUT, scale, rotation);
        } catch (const std::exception& e) {
            trimError = e.what();
            throw;
        }
    };
    converter.SaveAsDWG(dir.file("site.txt"), out);
    for (auto& shown : prompter->shown) ADD_FAILURE() << "message: " << shown.text;
    ASSERT_EQ(trimError, "");
    EXPECT_DOUBLE_EQ(passedScale, c.scale);
    EXPECT_DOUBLE_EQ(passedRotation, c.rotation);
    ASSERT_TRUE(std::filesystem::exists(before));

    if (!dwg) ExpectStrictDxf(out, r12);
    const auto a = Read(before);
    const auto s = Read(out);
    EXPECT_EQ(s.Value("AUDIT"), "0") << s.raw;
    EXPECT_EQ(s.Value("VERSION"), a.Value("VERSION")) << "saved in the release it was written in";
    EXPECT_EQ(a.Value("TILEMODE"), "1");
    EXPECT_EQ(s.Value("TILEMODE"), "0");
    if (!r12) {
        EXPECT_EQ(s.Value("ACTIVE"), "PVO2");
        EXPECT_EQ(s.Layouts(), (std::vector<std::string>{"Layout1", "PVO2"}));
    }

    // The boxes, measured here from the drawing the conversion wrote.
    Box T, B;
    for (auto* p : a.All("MS", "POLYLINE")) {
        const auto& layer = p->f[2];
        Box* box = TrimLayer(layer) ? &T : TitleBlockLayer(layer) ? &B : nullptr;
        if (box)
            for (std::size_t i = 4; i + 1 < p->f.size(); i += 2) box->Add(p->num(i), p->num(i + 1));
    }
    ASSERT_LT(T.x0, T.x1);
    EXPECT_EQ(B.x0 < B.x1, c.titleBlockPolyline);
    const double sInv = 1 / c.scale, f = 1000 * sInv, r = c.rotation;
    auto sheetX = [&](double x) { return (x - B.x0) * 1000 * sInv; };
    auto sheetY = [&](double y) { return (y - B.y0) * 1000 * sInv; };

    // Frame and viewport.
    auto psPolys = s.All("PS", "POLYLINE");
    ASSERT_FALSE(psPolys.empty());
    const auto& frame = *psPolys[0];
    const double w = (B.x1 - B.x0) * f, h = (B.y1 - B.y0) * f;
    const double corners[] = {0, 0, 0, h, w, h, w, 0, 0, 0};
    ASSERT_EQ(frame.f.size(), 14u);
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(frame.num(4 + i), corners[i], std::abs(corners[i]) * 1e-12 + kTol);
    const SummaryLine* view = nullptr;
    for (auto* v : s.All("PS", "VIEWPORT"))
        if (v->f[3] != "1") view = v;
    ASSERT_NE(view, nullptr) << s.raw;
    const double vw = (T.x1 - T.x0) * f, vh = (T.y1 - T.y0) * f;
    EXPECT_NEAR(view->num(4), vw / 2 + (T.x0 - B.x0) * f, 1e-6);
    EXPECT_NEAR(view->num(5), vh / 2 + (T.y0 - B.y0) * f, 1e-6);
    EXPECT_NEAR(view->num(6), vw, kTol);
    EXPECT_NEAR(view->num(7), vh, kTol);
    EXPECT_NEAR(view->num(10), T.y1 - T.y0, kTol);
    const double dx = (T.x1 - T.x0) / 2, dy = (T.y1 - T.y0) / 2;
    // The file holds the twist from model to display (+r) and the view centre
    // in the display frame: turned back, the model point of the turned box's centre.
    const double tw = view->num(11) / 57.2957795130823;
    EXPECT_NEAR(tw, r, 1e-9);
    const double mx = std::cos(tw) * view->num(8) + std::sin(tw) * view->num(9);
    const double my = -std::sin(tw) * view->num(8) + std::cos(tw) * view->num(9);
    EXPECT_NEAR(mx, r == 0 ? (T.x0 + T.x1) / 2 : T.x0 + std::cos(r) * dx - std::sin(r) * dy, kTol);
    EXPECT_NEAR(my, r == 0 ? (T.y0 + T.y1) / 2 : T.y1 - std::cos(r) * dy - std::sin(r) * dx, kTol);

    // Every title-block text, polyline and insert has its sheet-scale copy.
    std::size_t companions = 0;
    for (auto* t : a.All("MS", "TEXT")) {
        if (!TitleBlockLayer(t->f[2])) continue;
        bool found = false;
        for (auto* u : s.All("PS", "TEXT"))
            if (u->text == t->text && u->f[2] == t->f[2] && std::abs(u->num(3) - sheetX(t->num(3))) < kTol &&
                std::abs(u->num(4) - sheetY(t->num(4))) < kTol && std::abs(u->num(5) - t->num(5) * f) < kTol)
                found = true;
        EXPECT_TRUE(found) << "copy of " << t->text;
        if (t->text.rfind("^", 0) == 0) {
            ++companions;
            bool companion = false;
            for (auto* u : s.All("PS", "TEXT"))
                if (u->text == t->text.substr(1) && u->f[2] == "0" && std::abs(u->num(5) - t->num(5) * f) < 1e-9)
                    companion = true;
            EXPECT_TRUE(companion) << "companion of " << t->text;
        }
    }
    EXPECT_EQ(companions, 1u);
    for (auto* i : a.All("MS", "INSERT")) {
        if (!TitleBlockLayer(i->f[2])) continue;
        bool found = false;
        for (auto* u : s.All("PS", "INSERT"))
            if (u->f[3] == i->f[3] && std::abs(u->num(4) - sheetX(i->num(4))) < kTol &&
                std::abs(u->num(6) - i->num(6) * f) < kTol && std::abs(u->num(7) - i->num(7) * f) < kTol)
                found = true;
        EXPECT_TRUE(found) << "copy of the insert of " << i->f[3];
    }
    std::size_t tbPolys = 0;
    for (auto* p : a.All("MS", "POLYLINE")) {
        if (!TitleBlockLayer(p->f[2])) continue;
        ++tbPolys;
        bool found = false;
        for (auto* u : psPolys) {
            if (u->f[2] != p->f[2] || u->f.size() != p->f.size()) continue;
            bool same = true;
            for (std::size_t k = 4; k + 1 < p->f.size(); k += 2)
                same = same && std::abs(u->num(k) - (p->num(k) - B.x0) * f) < kTol &&
                       std::abs(u->num(k + 1) - (p->num(k + 1) - B.y0) * f) < kTol;
            found = found || same;
        }
        EXPECT_TRUE(found) << "copy of the polyline on " << p->f[2];
    }
    EXPECT_EQ(psPolys.size(), tbPolys + 1);

    // Model space: what stays, what left, what turned, what was added.
    std::map<std::string, int> kinds;
    for (auto& l : s.lines)
        if (l.f.size() > 2 && l.f[0] == "MS") {
            ++kinds[l.f[1]];
            if (TitleBlockLayer(l.f[2])) {
                EXPECT_TRUE(TrimLayer(l.f[2])) << "title block left model space: " << l.f[2];
            }
        }
    std::map<std::string, int> expected;
    for (auto& l : a.lines)
        if (l.f.size() > 2 && l.f[0] == "MS" && (!TitleBlockLayer(l.f[2]) || TrimLayer(l.f[2]))) ++expected[l.f[1]];
    expected["TEXT"] += 1;                             // the model-space caret text's companion
    expected[r12 ? "SOLID" : "HATCH"] += r12 ? 2 : 1;  // the BKFILL polyline's fill (two triangles in R12)
    EXPECT_EQ(kinds, expected);
    for (auto* p : s.All("MS", "POLYLINE")) {
        if (!TrimLayer(p->f[2])) continue;
        // T's lower-left corner, turned by -r about the upper-left one.
        const double ex = T.x0 + (T.y0 - T.y1) * -std::sin(-r), ey = T.y1 + (T.y0 - T.y1) * std::cos(-r);
        EXPECT_NEAR(p->num(4), ex, 1e-6);
        EXPECT_NEAR(p->num(5), ey, 1e-6);
    }
    for (auto* hatch : s.All("MS", "HATCH")) EXPECT_TRUE(Contains(hatch->f[2], "BKFILL"));
    bool datum = false;
    for (auto* t : s.All("MS", "TEXT"))
        if (t->f[2] == "0") datum = Contains(t->text, "Datum 50") && t->text[0] != '^';
    EXPECT_TRUE(datum);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, TrimConversion,
    ::testing::Values(ConversionCase{500, 0, "site.dxf", 2000, true}, ConversionCase{1000, 0.3, "site.dxf", 2000, true},
                      ConversionCase{500, 0.3, "site.dxf", 12, true}, ConversionCase{1000, 0, "site.dxf", 12, true},
                      ConversionCase{1000, 0.3, "site.dwg", 2000, true}, ConversionCase{1000, 0.3, "site.dwg", 2004, true},
                      ConversionCase{500, 0.3, "site.dwg", 2007, true}, ConversionCase{1000, 0, "site.dwg", 2018, true},
                      ConversionCase{500, 0, "site.dxf", 2000, false}),
    [](const auto& info) {
        const auto& c = info.param;
        std::string name = "S" + std::to_string(static_cast<int>(c.scale)) + (c.rotation != 0 ? "_turned" : "") +
                           (Contains(c.output, ".dwg") ? "_dwg" : "_dxf") + std::to_string(c.version);
        return c.titleBlockPolyline ? name : name + "_no_title_block";
    });

TEST(TrimConversionFailure, AnErrorInThePassIsSwallowedAndTheFileStaysAsConverted) {
    TempDir dir;
    WriteFile(dir.file("settings.ini"), "[EXPORT]\r\nLAYERSTYLE=0\r\nDXFVersion=2000\r\n");
    WriteFile(dir.file("user.ini"), "[OPTION]\r\ntxtDWGoverride=" + dir.file("settings.ini") + "\r\n");
    // A title block wider than a double can hold at sheet scale.
    WriteFile(dir.file("site.txt"), "TALVERO\r\nSTARTTB,500,0\r\nPOLY,TRIM,1,0,0,0,0,10,0,10,10,0,10,0,0\r\n"
                                    "POLY,SHEET,1,0,0,-1e308,0,1e308,0\r\n");
    std::string converted;
    bool raised = false;
    clsDWG converter(HostOptions{nullptr, nullptr, dir.file("user.ini")});
    converter.run().trimHandOff = [&](const std::string& out, double scale, double rotation) {
        converted = ReadFile(out);
        try {
            frmDWGTrim().TrimDWG(out, scale, rotation);
        } catch (...) {
            raised = true;
            throw;
        }
    };
    EXPECT_NO_THROW(converter.SaveAsDWG(dir.file("site.txt"), dir.file("site.dxf")));
    EXPECT_TRUE(raised) << "the sheet frame's width overflows";
    ASSERT_FALSE(converted.empty());
    EXPECT_EQ(ReadFile(dir.file("site.dxf")), converted);
}
