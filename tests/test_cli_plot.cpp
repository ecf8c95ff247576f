// `ostrel info` and `ostrel plot`: what the program prints of a drawing and
// the pixels of its pictures where known lines, texts and fills must be.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <regex>
#include <string>

#include "cad/drawing.h"
#include "cad/dxf/dxf_reader.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using test::ReadFile;
using test::RunCommand;
using test::SourcePath;
using test::TempDir;

struct Rgb {
    int r, g, b;
};
constexpr Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kYellow{255, 255, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255},
    kMagenta{255, 0, 255}, kWhite{255, 255, 255};

// A PNG read back, addressed in millimetres of its page (origin lower left).
class Picture {
public:
    Picture(const std::string& path, double widthMm)
        : s_(cairo_image_surface_create_from_png(path.c_str())) {
        EXPECT_EQ(cairo_surface_status(s_), CAIRO_STATUS_SUCCESS) << path;
        perMm_ = cairo_image_surface_get_width(s_) / widthMm;
    }
    ~Picture() { cairo_surface_destroy(s_); }
    int height() const { return cairo_image_surface_get_height(s_); }
    // True when a pixel within half a millimetre of (x, y) mm has about colour c.
    bool Near(double x, double y, Rgb c) const {
        const int w = cairo_image_surface_get_width(s_), h = height(), stride = cairo_image_surface_get_stride(s_);
        const auto* data = cairo_image_surface_get_data(s_);
        const int px = static_cast<int>(std::lround(x * perMm_)), py = static_cast<int>(std::lround(h - y * perMm_));
        const int reach = static_cast<int>(std::ceil(0.5 * perMm_));
        for (int j = std::max(py - reach, 0); j <= std::min(py + reach, h - 1); ++j)
            for (int i = std::max(px - reach, 0); i <= std::min(px + reach, w - 1); ++i) {
                const std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + j * stride + i * 4);
                const int r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
                if (std::abs(r - c.r) + std::abs(g - c.g) + std::abs(b - c.b) < 90) return true;
            }
        return false;
    }

private:
    cairo_surface_t* s_;
    double perMm_ = 1;
};

class Plot : public ::testing::Test {
protected:
    test::CommandResult Ostrel(const std::string& args) {
        return RunCommand("cd '" + dir_.path().string() + "' && OSTREL_REGISTRY='" + dir_.file("registry") + "' '" OSTREL_BINARY_DIR "/ostrel' " + args +
                          " </dev/null");
    }
    // The sample converted (with its sheet PVO2) into dir_/site.EXT.
    std::string Sample(const std::string& ext) {
        const std::string out = dir_.file("site." + ext);
        const auto r = Ostrel("convert '" + SourcePath("examples/site.txt") + "' '" + out + "' --user-settings '" +
                              SourcePath("examples/user.ini") + "'");
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return out;
    }
    TempDir dir_;
};

TEST_F(Plot, InfoTellsReleaseTablesLayoutsCountsExtentsAndKindsNotRead) {
    for (const char* ext : {"dxf", "dwg"}) {
        const auto r = Ostrel("info '" + Sample(ext) + "'");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("release:  R2000 (AC1015), ") + (ext[1] == 'x' ? "DXF" : "DWG")),
                  std::string::npos) << r.out;
        // The sample's main settings (named relative to its user settings) map the linetype.
        EXPECT_NE(r.out.find("  FENCE-LINE  colour 5  FENCE-POST-RAIL\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("  SYMNORTH: POLYLINE 2, SEQEND 2, VERTEX 7\n"), std::string::npos);
        // The title block's entities moved onto the sheet; model space keeps the survey.
        EXPECT_NE(r.out.find("  Model: 3DFACE 4, CIRCLE 3, INSERT 5, POINT 5, POLYLINE 10, SEQEND 10, TEXT 7, "
                             "VERTEX 36\n"), std::string::npos) << r.out;
        EXPECT_TRUE(std::regex_search(r.out, std::regex("  PVO2 \\(paper 420 x 297 mm\\): INSERT 1, POLYLINE 4, "
                                                        "SEQEND 4, TEXT 3, VERTEX 17, VIEWPORT 2\\n")));
        EXPECT_NE(r.out.find("extents:  (990.000, 1990.000) - (1110.000, 2085.000)"), std::string::npos);
        EXPECT_EQ(r.out.find("not read"), std::string::npos) << "our drawing holds no kind the readers skip";
    }
    const auto ours = Ostrel("info --json '" + dir_.file("site.dxf") + "'");
    EXPECT_NE(ours.out.find("\"extents\": [990, 1990, 1110, 2085]"), std::string::npos) << ours.out;
    EXPECT_EQ(Ostrel("info '" + SourcePath("examples/site.txt") + "'").exitCode, 1);

    // A drawing of another program (ezdxf, binary DXF): its kinds are
    // counted; info and plot name the kinds the reader skipped.
    const std::string dxf = dir_.file("ez.dxf"), binary = dir_.file("ez_binary.dxf");
    const auto made = test::RunChecker("ezdxf_sample.py", "R2018 '" + dxf + "' '" + binary + "'");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const auto info = Ostrel("info '" + binary + "'");
    EXPECT_NE(info.out.find("  Model: 3DFACE 1, ARC 1, ATTRIB 1, CIRCLE 1, DIMENSION 1, ELLIPSE 2, HATCH 2, INSERT 2, "
                            "LINE 1, LWPOLYLINE 1, MTEXT 2, POINT 1, POLYLINE 2, SEQEND 3, SOLID 1, SPLINE 2, TEXT 2, "
                            "VERTEX 6\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\nnot read: 1 RAY, 1 XLINE\n"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("objects not read"), std::string::npos) << info.out;   // its materials and styles are read
    const auto json = Ostrel("info --json '" + binary + "'");
    EXPECT_NE(json.out.find("\"not_read\": {\"RAY\": 1, \"XLINE\": 1},"), std::string::npos) << json.out;
    const auto plot = Ostrel("plot '" + binary + "' '" + dir_.file("ez.svg") + "'");
    ASSERT_EQ(plot.exitCode, 0) << plot.err;
    EXPECT_NE(plot.out.find("\nnot drawn (not read): 1 RAY, 1 XLINE\n"), std::string::npos) << plot.out;
}

// Model space: the page holds the extents with a margin of 3% of their larger
// side, 400 mm along that side.
TEST_F(Plot, ModelSpacePixelsShowLinesTextsAndTriangles) {
    const std::string png = dir_.file("model.png");
    ASSERT_EQ(Ostrel("plot '" + Sample("dxf") + "' '" + png + "'").exitCode, 0);
    const double margin = 120 * 0.03, mm = 400 / (120 + 2 * margin);
    auto X = [&](double x) { return (x - 990 + margin) * mm; };
    auto Y = [&](double y) { return (y - 1990 + margin) * mm; };
    Picture p(png, 400);
    EXPECT_TRUE(p.Near(X(1060), Y(2045), kMagenta));      // BUILDING's lower edge
    EXPECT_TRUE(p.Near(X(1050), Y(1995), kYellow));       // ROAD-EDGE
    EXPECT_TRUE(p.Near(X(1000), Y(2020), kBlue));         // TRI's edge x = 1000
    EXPECT_TRUE(p.Near(X(1070), Y(2055), kMagenta));      // BUILDING's right edge
    EXPECT_TRUE(p.Near(X(1040), Y(2070), kWhite));        // nothing there
    EXPECT_FALSE(p.Near(X(1040), Y(2070), kBlack));
    // "Store": magenta text of cap height 1.5 with its baseline at 1055, 2049.75.
    bool ink = false;
    for (double x = 1055.2; x < 1060 && !ink; x += 0.2) ink = p.Near(X(x), Y(2050.5), kMagenta);
    EXPECT_TRUE(ink);
    EXPECT_FALSE(p.Near(X(1057), Y(2048.5), kMagenta));   // below the baseline
}

// The sheet: paper millimetres from its lower left corner; the viewport
// shows model space as its centre, height and twist define.
TEST_F(Plot, SheetPixelsShowTitleBlockAndTheViewportsModelRegionAndPdfIsTrueScale) {
    const std::string dxf = Sample("dxf"), png = dir_.file("sheet.png"), pdf = dir_.file("sheet.pdf");
    ASSERT_EQ(Ostrel("plot '" + dxf + "' '" + png + "' --layout PVO2").exitCode, 0);
    ASSERT_EQ(Ostrel("plot '" + dxf + "' '" + pdf + "' --layout pvo2").exitCode, 0);
    auto d = cad::ReadDxf(dxf);
    const cad::ViewportData* v = nullptr;
    for (const auto& vp : d->viewports)
        if (vp.id != 1) v = &vp;
    ASSERT_NE(v, nullptr);
    auto paper = [&](double x, double y, double& px, double& py) {
        const double s = v->height / v->viewHeight, c = std::cos(v->twist), n = std::sin(v->twist);
        const double dx = x - v->viewTarget.x, dy = y - v->viewTarget.y;
        px = v->center.x + s * (dx * c - dy * n - v->viewCenter.x);
        py = v->center.y + s * (dx * n + dy * c - v->viewCenter.y);
    };
    Picture p(png, 420);
    EXPECT_EQ(p.height(), static_cast<int>(std::ceil(297 * 150 / 25.4)));
    double x, y;
    for (auto [mx, my, colour] : {std::tuple{1060.0, 2045.0, kMagenta}, {1050.0, 1995.0, kYellow}, {1000.0, 2020.0, kBlue}}) {
        paper(mx, my, x, y);
        EXPECT_TRUE(p.Near(x, y, colour)) << mx << ", " << my;
    }
    // The title block at 1:500 from its corner 980,1960: 2 mm a unit.
    EXPECT_TRUE(p.Near(280, 150, kBlack));                  // the sheet's divider at 1120
    EXPECT_FALSE(p.Near(260, 150, kBlack));
    bool ink = false;                                       // "Ostrel sample survey", baseline 264 mm
    for (double tx = 290.2; tx < 300 && !ink; tx += 0.2) ink = p.Near(tx, 266, kBlack);
    EXPECT_TRUE(ink);
    // The PDF page is the paper: 420 x 297 mm in points.
    EXPECT_TRUE(std::regex_search(ReadFile(pdf), std::regex("/MediaBox \\[ ?0 0 1190\\.55\\d* 841\\.88\\d* ?\\]")));
    EXPECT_EQ(Ostrel("plot '" + dxf + "' '" + dir_.file("x.png") + "' --layout NONE").exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("x.png")));
    EXPECT_EQ(Ostrel("plot '" + dxf + "' '" + png + "' --layout PVO2").err, "") << "a sheet on its paper: no warning";
}

// A title block at 1:50 makes a sheet ten times its paper: the plot fits it
// to the page with a warning, instead of printing its lower left corner.
TEST_F(Plot, SheetLargerThanItsPaperIsFittedWithAWarning) {
    std::string text = ReadFile(SourcePath("examples/site.txt"));
    text.replace(text.find("STARTTB,500"), 11, "STARTTB,50");
    test::WriteFile(dir_.file("big.txt"), text);
    test::WriteFile(dir_.file("big.SYM"), ReadFile(SourcePath("examples/site.SYM")));
    ASSERT_EQ(Ostrel("convert big.txt big.dxf --user-settings '" + SourcePath("examples/user.ini") + "'").exitCode, 0);
    const auto r = Ostrel("plot big.dxf big.png --layout PVO2");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(std::regex_search(r.err, std::regex("^warning: the layout PVO2 \\(4[0-9.]+ x [0-9.]+ mm of content\\) is "
                                                    "larger than its paper \\(420.0 x 297.0 mm\\): fitted to the page "
                                                    "at 0.0[0-9]+ of its size, not to scale\n$"))) << r.err;
    // The sheet's divider (two thirds along the title block) now lies on the page.
    Picture p(dir_.file("big.png"), 420);
    bool divider = false;
    for (double x = 250; x < 300 && !divider; x += 0.5) divider = p.Near(x, 148, kBlack) && p.Near(x, 100, kBlack);
    EXPECT_TRUE(divider);
}

// A viewport twisted by 90 degrees (written by ezdxf as the format defines
// it): model x runs up the paper; a fill, a block's ByBlock line taking its
// insert's layer colour, and a line outside the viewport clipped away.
TEST_F(Plot, TwistedViewportFillsAndColoursFromInsertAndLayer) {
    const std::string dxf = dir_.file("twist.dxf"), png = dir_.file("twist.png");
    test::WriteFile(dir_.file("make.py"), R"(import ezdxf, sys
doc = ezdxf.new("R2000")
msp = doc.modelspace()
msp.add_line((0, 0), (10, 0), dxfattribs={"color": 1})
msp.add_line((0, 30), (10, 30), dxfattribs={"color": 1})
h = msp.add_hatch(color=3)
h.paths.add_polyline_path([(2, 2), (8, 2), (8, 8), (2, 8)], is_closed=True)
doc.layers.add("BLUE", color=5)
doc.blocks.new("MARK").add_line((0, 0), (4, 0), dxfattribs={"color": 0, "layer": "0"})
msp.add_blockref("MARK", (0, -6), dxfattribs={"layer": "BLUE"})
psp = doc.layouts.new("Sheet")
psp.page_setup(size=(297, 210), margins=(0, 0, 0, 0), units="mm")
vp = psp.add_viewport(center=(100, 100), size=(80, 80), view_center_point=(0, 0), view_height=40)
vp.dxf.view_twist_angle = 90
doc.saveas(sys.argv[1])
)");
    ASSERT_EQ(RunCommand("/usr/bin/python3 '" + dir_.file("make.py") + "' '" + dxf + "'").exitCode, 0);
    ASSERT_EQ(Ostrel("plot '" + dxf + "' '" + png + "' --layout Sheet").exitCode, 0);
    Picture p(png, 297);
    // Paper = (100, 100) + 2 * R(90 degrees) * model.
    EXPECT_TRUE(p.Near(100, 110, kRed));      // model (5, 0)
    EXPECT_FALSE(p.Near(110, 100, kRed));     // where it would be untwisted
    EXPECT_TRUE(p.Near(90, 110, kGreen));     // the fill's middle, model (5, 5)
    EXPECT_TRUE(p.Near(112, 104, kBlue));     // MARK's line, model (2, -6)
    EXPECT_FALSE(p.Near(40, 110, kRed));      // model (5, 30): outside the viewport
}

// Blocks that insert each other (ten times each) end: each is drawn once on
// the way down, not 10^16 times to the nesting limit. A
// file that is no drawing gives an error and leaves no picture behind.
TEST_F(Plot, SelfInsertingBlocksEndAndUnreadableDrawingsLeaveNoPicture) {
    const std::string dxf = dir_.file("cycle.dxf");
    test::WriteFile(dir_.file("cycle.py"), R"(import ezdxf, sys
doc = ezdxf.new("R2000")
a = doc.blocks.new("A")
b = doc.blocks.new("B")
a.add_line((0, 0), (1, 0), dxfattribs={"color": 1})
for i in range(10):
    a.add_blockref("B", (i, 1))
    b.add_blockref("A", (2, i))
doc.modelspace().add_blockref("A", (0, 0))
doc.saveas(sys.argv[1])
)");
    ASSERT_EQ(RunCommand("/usr/bin/python3 '" + dir_.file("cycle.py") + "' '" + dxf + "'").exitCode, 0);
    EXPECT_EQ(RunCommand("timeout 30 '" OSTREL_BINARY_DIR "/ostrel' plot '" + dxf + "' '" + dir_.file("c.svg") + "'")
                  .exitCode, 0);   // 124 when it hangs
    test::WriteFile(dir_.file("junk.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n");
    const auto r = Ostrel("plot '" + dir_.file("junk.dxf") + "' '" + dir_.file("j.pdf") + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("error: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("j.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("j.pdf.part")));
}

} // namespace
} // namespace ostrel
