// The trim pass over drawing files: the sheet layout, its frame and viewport,
// the title block at sheet scale, what leaves model space and what stays,
// fills and caret companions; the cases that leave the file untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "ostrel/errors.h"
#include "trim/frmDWGTrim.h"
#include "support/trim_fixture.h"

using namespace ostrel;
using namespace ostrel::test;
using cad::EntityType;
using cad::kNone;

namespace {

constexpr double kTol = 1e-9;

// The title block's extent B and the trim frame's extent T, in ground units.
constexpr double B0x = 1000, B0y = 2000, B1x = 1210, B1y = 2148.5;
constexpr double T0x = 1010, T0y = 2030, T1x = 1130, T1y = 2125;

struct CountingProgress : ProgressSink {
    long started = -1;
    long steps = 0;
    int finished = 0;
    void Start(long maximum) override { started = maximum; }
    void Step() override { ++steps; }
    void Finish() override { ++finished; }
};

// A survey drawing with a title block, as the conversion writes one. Layers
// whose case matters are left out for releases that upper-case layer names.
std::unique_ptr<cad::Drawing> SurveyWithTitleBlock(bool mixedCaseLayers = true) {
    auto d = cad::NewDrawing();
    auto ms = d->ModelSpace();
    AddPolyline(*d, ms, "KERB-LINE", {{1020, 2040}, {1100, 2050}});
    AddPolyline(*d, ms, "BKFILL_GREEN", Rect(1030, 2060, 1040, 2070));
    if (mixedCaseLayers) AddPolyline(*d, ms, "bkfill", Rect(1050, 2060, 1060, 2070));
    AddText(*d, ms, "NOTES", {1040, 2080}, 2, "^Datum");
    AddText(*d, ms, "NOTES", {1041, 2081}, 1, "^");
    if (mixedCaseLayers) AddText(*d, ms, "$tb-Text", {1042, 2082}, 1, "not title block");
    // A viewport in model space: the pass removes it.
    cad::Entity vp;
    vp.type = EntityType::Viewport;
    vp.handle = d->NewHandle();
    vp.geom.extra.index = static_cast<std::uint32_t>(d->viewports.size());
    cad::ViewportData v;
    v.center = {1, 1, 0};
    v.width = v.height = 1;
    d->viewports.push_back(v);
    d->AppendEntity(ms, vp);
    // The title block.
    AddPolyline(*d, ms, "$TB-SHEET", Rect(B0x, B0y, B1x, B1y));
    AddPolyline(*d, ms, "$TB-TRIM-FRAME", Rect(T0x, T0y, T1x, T1y));
    AddText(*d, ms, "$TB-TITLE", {1150, 2130}, 4, "Site survey");
    AddText(*d, ms, "$TB-TITLE", {1150, 2120}, 3, "^Scale");
    AddInsert(*d, ms, "$TB-NORTH", "NORTH", {1180, 2080}, 5, 5);
    AddCircle(*d, ms, "$TB-NORTH", {1180, 2080}, 12);
    AddText(*d, ms, "$TB-TRIM-NOTE", {1015, 2126}, 1, "frame note");
    return d;
}

class TrimSheet : public ::testing::Test {
protected:
    TempDir dir;

    std::string Write(cad::Drawing& d, cad::Release r, const std::string& name = "site.dxf") {
        auto path = dir.file(name);
        if (name.find(".dwg") != std::string::npos) cad::SaveDwg(d, r, path);
        else cad::SaveDxf(d, r, path);
        return path;
    }
};

} // namespace

// ------------------------------------------------------------------ the sheet

struct Case {
    double scale;
    double rotation;
    cad::Release release;
};

class TrimSheetCases : public TrimSheet, public ::testing::WithParamInterface<Case> {};

TEST_P(TrimSheetCases, BuildsTheSheetAndClearsTheTitleBlockFromModelSpace) {
    const auto [scale, r, release] = GetParam();
    const bool r12 = release == cad::Release::R12;
    const bool mixedCase = release >= cad::Release::R2000;   // R12 to R14 upper-case names
    auto d = SurveyWithTitleBlock(mixedCase);
    auto path = Write(*d, release);
    CountingProgress progress;
    frmDWGTrim form(&progress);
    form.TrimDWG(path, scale, r);
    EXPECT_EQ(form.Caption().rfind("Ostrel", 0), 0u);
    const long entities = mixedCase ? 14 : 12;
    EXPECT_EQ(progress.started, entities) << "one step per model-space entity";
    EXPECT_EQ(progress.steps, entities);
    EXPECT_EQ(progress.finished, 1);

    ExpectStrictDxf(path, r12);
    auto s = Summarise(path);
    EXPECT_EQ(s.Value("AUDIT"), "0") << s.raw;
    const bool layouts = release >= cad::Release::R2000;   // ezdxf reads R13 and R14 as R2000
    EXPECT_EQ(s.Value("VERSION"), cad::AcadVersionString(layouts || r12 ? release : cad::Release::R2000))
        << "saved in the release it was read in";
    EXPECT_EQ(s.Value("TILEMODE"), "0");
    if (layouts) {
        // R12 to R14 hold one paper space and no layout names.
        EXPECT_EQ(s.Value("ACTIVE"), "PVO2");
        EXPECT_EQ(s.Layouts(), (std::vector<std::string>{"Layout1", "PVO2"}));
    }
    const double f = 1000 / scale;

    // The frame and the viewport at sheet scale: test_trim_conversion measures
    // them against the boxes of each converted drawing; here their number, and
    // the title-block polylines copied at sheet scale, z flattened.
    auto polylines = s.All("PS", "POLYLINE");
    ASSERT_EQ(polylines.size(), 3u) << s.raw;   // the frame and two title-block copies
    EXPECT_EQ(s.All("PS", "VIEWPORT").size(), 2u) << s.raw;
    const double w = (B1x - B0x) * f;
    const auto& tbFrame = *polylines[2];
    EXPECT_EQ(tbFrame.f[2], "$TB-TRIM-FRAME");
    EXPECT_NEAR(tbFrame.num(4), (T0x - B0x) * f, kTol);
    EXPECT_NEAR(tbFrame.num(5), (T0y - B0y) * f, kTol);
    EXPECT_NEAR(tbFrame.num(8), (T1x - B0x) * f, kTol);
    EXPECT_EQ(polylines[1]->f[2], "$TB-SHEET");
    EXPECT_NEAR(polylines[1]->num(8), w, kTol);

    // Texts at sheet scale; a caret text keeps its caret and gets a companion.
    auto texts = s.All("PS", "TEXT");
    ASSERT_EQ(texts.size(), 4u) << s.raw;
    auto at = [&](double x, double y) { return std::pair{(x - B0x) * 1000 / scale, (y - B0y) * 1000 / scale}; };
    EXPECT_EQ(texts[0]->text, "Site survey");
    EXPECT_NEAR(texts[0]->num(3), at(1150, 2130).first, kTol);
    EXPECT_NEAR(texts[0]->num(4), at(1150, 2130).second, kTol);
    EXPECT_NEAR(texts[0]->num(5), 4 * f, kTol);
    EXPECT_EQ(texts[1]->text, "^Scale");
    EXPECT_EQ(texts[2]->text, "Scale");
    EXPECT_EQ(texts[2]->f[2], "0") << "the companion takes the default layer";
    EXPECT_NEAR(texts[2]->num(3), texts[1]->num(3), kTol);
    EXPECT_NEAR(texts[2]->num(5), 3 * f, 1e-9) << "size height x 160, read back as the height";
    EXPECT_EQ(texts[3]->text, "frame note") << "a text on a TRIM title-block layer is copied too";

    auto inserts = s.All("PS", "INSERT");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_EQ(inserts[0]->f[3], "NORTH");
    EXPECT_NEAR(inserts[0]->num(4), at(1180, 2080).first, kTol);
    EXPECT_NEAR(inserts[0]->num(6), 5 * f, kTol);
    EXPECT_NEAR(inserts[0]->num(7), 5 * f, kTol);
    EXPECT_TRUE(s.All("PS", "CIRCLE").empty()) << "title-block circles are not copied";

    // Model space: the survey stays, the title block leaves but for its TRIM layers.
    for (auto& l : s.lines)
        if (l.f.size() > 2 && l.f[0] == "MS") {
            EXPECT_NE(l.f[1], "VIEWPORT") << "model-space viewports are removed";
            if (l.f[2].rfind("$TB-", 0) == 0) {
                EXPECT_NE(l.f[2].find("TRIM"), std::string::npos) << l.f[2];
            }
        }
    const SummaryLine* kept = nullptr;
    for (auto* l : s.All("MS", "POLYLINE"))
        if (l->f[2] == "$TB-TRIM-FRAME") kept = l;
    ASSERT_NE(kept, nullptr);
    // Turned by -r about the trim box's upper-left corner (unchanged when r is 0).
    const double c = std::cos(-r), sn = std::sin(-r);
    auto turn = [&](double x, double y) {
        return std::pair{T0x + (x - T0x) * c - (y - T1y) * sn, T1y + (x - T0x) * sn + (y - T1y) * c};
    };
    EXPECT_NEAR(kept->num(4), turn(T0x, T0y).first, 1e-9);
    EXPECT_NEAR(kept->num(5), turn(T0x, T0y).second, 1e-9);
    EXPECT_NEAR(kept->num(8), turn(T1x, T1y).first, 1e-9);
    EXPECT_NEAR(kept->num(9), turn(T1x, T1y).second, 1e-9);
    EXPECT_EQ(s.All("MS", "TEXT").size(), mixedCase ? 6u : 5u) << "the notes, the TRIM note, 2 caret companions";
    bool datum = false, emptyCompanion = false, notTitleBlock = false;
    for (auto* t : s.All("MS", "TEXT")) {
        if (t->text == "Datum") datum = t->num(3) == 1040 && t->num(5) == 2;
        if (t->text.empty()) emptyCompanion = true;
        if (t->text == "not title block") notTitleBlock = true;
    }
    EXPECT_TRUE(datum) << "the companion of a model-space caret text stands at its point";
    EXPECT_TRUE(emptyCompanion) << "\"^\" alone gives an empty companion";
    EXPECT_EQ(notTitleBlock, mixedCase) << "the \"$TB-\" test is exact";

    // Background fills: exact "BKFILL" only, and only where the release has hatches.
    auto hatches = s.All("MS", "HATCH");
    if (release >= cad::Release::R2000) {
        ASSERT_EQ(hatches.size(), 1u) << s.raw;
        EXPECT_EQ(hatches[0]->f[2], "BKFILL_GREEN");
        EXPECT_EQ(hatches[0]->f[3], "1");
        EXPECT_EQ(hatches[0]->f.size(), 4u + 8u) << "four corners";
    } else {
        EXPECT_TRUE(hatches.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Sheets, TrimSheetCases,
                         ::testing::Values(Case{500, 0, cad::Release::R2000}, Case{1000, 0, cad::Release::R2000},
                                           Case{500, 0.3, cad::Release::R2000}, Case{1000, 0.3, cad::Release::R2018},
                                           Case{500, 0, cad::Release::R12}, Case{1000, 0.3, cad::Release::R12},
                                           Case{500, 0.3, cad::Release::R2007}, Case{500, 0.3, cad::Release::R14}),
                         [](const auto& info) {
                             return "S" + std::to_string(static_cast<int>(info.param.scale)) +
                                    (info.param.rotation != 0 ? "_turned_" : "_") +
                                    cad::ReleaseName(info.param.release);
                         });

// ------------------------------------------------------------------ edge cases

TEST_F(TrimSheet, TrimLayersAnyCaseShareOneBoxAndOnlyTheTitleBlockFrameTurns) {
    for (double turn : {0.0, 0.5}) {
        auto d = cad::NewDrawing();
        auto ms = d->ModelSpace();
        AddPolyline(*d, ms, "$TB-SHEET", Rect(0, 0, 400, 300));
        AddPolyline(*d, ms, "Trim_frame", Rect(10, 10, 50, 40));
        AddPolyline(*d, ms, "$TB-trim", Rect(60, 20, 90, 80));
        AddPolyline(*d, ms, "TRIM", Rect(30, 5, 35, 6));
        auto path = Write(*d, cad::Release::R2000);
        frmDWGTrim form;
        form.TrimDWG(path, 1000, turn);
        auto s = Summarise(path);
        EXPECT_EQ(s.All("MS", "POLYLINE").size(), 3u) << "the $TB-SHEET polyline left model space";
        if (turn == 0) {
            const SummaryLine* view = nullptr;
            for (auto* l : s.All("PS", "VIEWPORT"))
                if (l->f[3] == "2") view = l;
            ASSERT_NE(view, nullptr);
            EXPECT_NEAR(view->num(6), 80, kTol) << "from x 10 to 90";
            EXPECT_NEAR(view->num(7), 75, kTol) << "from y 5 to 80";
            continue;
        }
        // Turned: only the title-block trim frame turns; the others stay where they were.
        for (auto* l : s.All("MS", "POLYLINE")) {
            if (l->f[2] == "Trim_frame") {
                EXPECT_EQ(l->num(4), 10);
            } else if (l->f[2] == "TRIM") {
                EXPECT_EQ(l->num(5), 5);
            } else if (l->f[2] == "$TB-trim") {
                EXPECT_NE(l->num(4), 60);
            }
        }
    }
}

TEST_F(TrimSheet, LayoutNumbersFollowTheLayoutsAlreadyThere) {
    auto d = SurveyWithTitleBlock();
    auto path = Write(*d, cad::Release::R2000);
    frmDWGTrim().TrimDWG(path, 500, 0);
    // A second pass over the trimmed file (its trim frame is still there).
    frmDWGTrim().TrimDWG(path, 500, 0);
    auto s = Summarise(path);
    EXPECT_EQ(s.Layouts(), (std::vector<std::string>{"Layout1", "PVO2", "PVO3"}));
    EXPECT_EQ(s.Value("ACTIVE"), "PVO3");
    ExpectStrictDxf(path);
}

TEST_F(TrimSheet, BadScalesNoTrimFrameOrAnEmptyModelSpaceLeaveTheFileUntouched) {
    auto survey = SurveyWithTitleBlock();
    const auto surveyPath = Write(*survey, cad::Release::R2000, "survey.dxf");
    const auto surveyBefore = ReadFile(surveyPath);
    for (double scale : {0.0, -500.0, std::numeric_limits<double>::quiet_NaN()}) {
        CountingProgress progress;
        frmDWGTrim form(&progress);
        form.TrimDWG(surveyPath, scale, 0);
        EXPECT_EQ(ReadFile(surveyPath), surveyBefore) << scale << ": scales that are not positive";
        EXPECT_FALSE(form.VD.Document().IsOpen()) << "nothing was opened";
        EXPECT_EQ(progress.started, -1);
    }
    auto d = cad::NewDrawing();
    AddPolyline(*d, d->ModelSpace(), "$TB-SHEET", Rect(0, 0, 10, 10));
    AddPolyline(*d, d->ModelSpace(), "ROAD", Rect(1, 1, 2, 2));
    auto path = Write(*d, cad::Release::R2000);
    auto before = ReadFile(path);
    CountingProgress progress;
    frmDWGTrim(&progress).TrimDWG(path, 500, 0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(progress.started, 2) << "measured, but not saved";

    auto empty = cad::NewDrawing();
    auto emptyPath = Write(*empty, cad::Release::R2000, "empty.dxf");
    before = ReadFile(emptyPath);
    CountingProgress none;
    frmDWGTrim(&none).TrimDWG(emptyPath, 500, 0);
    EXPECT_EQ(ReadFile(emptyPath), before);
    EXPECT_EQ(none.started, -1) << "the progress maximum is not set for an empty model space";
    EXPECT_EQ(none.finished, 0);

    frmDWGTrim(&none).TrimDWG(dir.file("missing.dxf"), 500, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.dxf"))) << "an open that fails writes nothing";
}

TEST_F(TrimSheet, AnErrorInThePassLeavesTheFileAsItWas) {
    auto d = SurveyWithTitleBlock();
    std::vector<Pt> many(32768, Pt{1005, 2005});
    AddPolyline(*d, d->ModelSpace(), "$TB-HUGE", many);
    auto path = Write(*d, cad::Release::R2000);
    const auto before = ReadFile(path);
    CountingProgress progress;
    frmDWGTrim form(&progress);
    EXPECT_THROW(form.TrimDWG(path, 500, 0), ConversionError) << "more than 32767 vertices overflows the count";
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(progress.finished, 1) << "the progress display ends with the pass";
    for (auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "site.dxf") << "no temporary left behind";
}

TEST_F(TrimSheet, ADwgIsTrimmedAsADwg) {
    auto d = SurveyWithTitleBlock();
    auto path = Write(*d, cad::Release::R2000, "site.dwg");
    frmDWGTrim form;
    form.TrimDWG(path, 500, 0.3);
    auto back = cad::ReadDwg(path);
    EXPECT_EQ(back->release, cad::Release::R2000);
    EXPECT_EQ(back->header.tileMode, 0);
    auto ps = back->PaperSpace();
    ASSERT_NE(ps, kNone);
    auto* lo = back->ObjectByHandle(back->blocks[ps].layout);
    ASSERT_NE(lo, nullptr);
    EXPECT_EQ(lo->layout->name, "PVO2");
    const cad::ViewportData* view = nullptr;
    int texts = 0;
    for (auto i : back->blocks[ps].entities) {
        const auto& e = back->entities[i];
        if (e.type == EntityType::Viewport && back->viewports[e.geom.extra.index].id != 1)
            view = &back->viewports[e.geom.extra.index];
        if (e.type == EntityType::Text) ++texts;
    }
    ASSERT_NE(view, nullptr);
    EXPECT_NEAR(view->width, (T1x - T0x) * 2, kTol);
    EXPECT_NEAR(view->viewHeight, T1y - T0y, kTol);
    EXPECT_NEAR(view->twist, 0.3, 1e-12) << "the file's twist turns the model onto the sheet";
    EXPECT_EQ(texts, 4);
    // The outside reader takes the file without complaint.
    if (!DwgReadersInstalled()) GTEST_SKIP() << kNoDwgReaders;
    auto r = RunDwgChecker("check_dwg.mjs", path);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"error\":0"), std::string::npos) << r.out;
}
