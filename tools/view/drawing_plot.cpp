// Plotting a drawing: the page, the surface by the picture's type, the
// painter over model space or a layout. The picture is written beside its
// final name and renamed into place once complete.
#include "tools/view/drawing_plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>

#include "cad/block_extents.h"
#include "tools/view/drawing_info.h"
#include "tools/view/open_drawing.h"
#include "picture/drawing_walker.h"
#include "tools/view/cairo_surface.h"

namespace ostrel::cli {

namespace {

using cad::Box;
using cad::ExtentsOf;

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kPixelsPerMm = 150.0 / 25.4;   // PNG at 150 dots per inch
constexpr double kModelPageMm = 400;             // model space: the page's longer side
constexpr double kMarginShare = 0.03;            // model space: margin round its extents
constexpr double kMostPixels = 12000;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct Page {
    double widthMm = 0, heightMm = 0;
    Affine toPage;   // drawing units (of the space drawn) to page millimetres, y down
    std::uint32_t block = cad::kNone;
};

// Model space: its extents with a margin, fitted to a page of kModelPageMm.
bool ModelPage(const cad::Drawing& d, Page& page) {
    page.block = d.ModelSpace();
    const Box b = ExtentsOf(d, page.block);
    if (b.empty()) return false;
    double w = b.maxX - b.minX, h = b.maxY - b.minY;
    const double margin = std::max(std::max(w, h) * kMarginShare, 1e-6);
    w += 2 * margin;
    h += 2 * margin;
    const double scale = kModelPageMm / std::max(w, h);
    page.widthMm = w * scale;
    page.heightMm = h * scale;
    // y up in the drawing, down on the page.
    page.toPage = Affine{scale, 0, 0, -scale, -(b.minX - margin) * scale, (b.maxY + margin) * scale};
    return true;
}

// A paper layout: its paper, paper-space millimetres from the lower left
// corner. A layout whose content is clearly larger than its paper (a title
// block at a large scale) is fitted to the page instead, with a warning:
// printed at scale it would show one corner of the sheet.
void PaperPage(const cad::Drawing& d, const LayoutRef& layout, Page& page) {
    constexpr double kOverPaper = 0.1;   // beyond the paper by more than this share of it
    page.block = layout.block;
    page.widthMm = layout.data ? layout.data->paperWidth : 0;
    page.heightMm = layout.data ? layout.data->paperHeight : 0;
    const Box b = ExtentsOf(d, layout.block);
    if (page.widthMm <= 0 || page.heightMm <= 0) {
        page.widthMm = b.empty() ? 420 : std::max(b.maxX, 1.0);
        page.heightMm = b.empty() ? 297 : std::max(b.maxY, 1.0);
    }
    page.toPage = Affine{1, 0, 0, -1, 0, page.heightMm};
    const double w = page.widthMm, h = page.heightMm, slackX = w * kOverPaper, slackY = h * kOverPaper;
    if (b.empty() || (b.minX >= -slackX && b.minY >= -slackY && b.maxX <= w + slackX && b.maxY <= h + slackY)) return;
    const double bw = std::max(b.maxX - b.minX, 1e-9), bh = std::max(b.maxY - b.minY, 1e-9);
    const double scale = std::min(w / bw, h / bh) * (1 - 2 * kMarginShare);
    const double left = (w - bw * scale) / 2, top = (h - bh * scale) / 2;
    page.toPage = Affine{scale, 0, 0, -scale, left - b.minX * scale, top + b.maxY * scale};
    std::fprintf(stderr,
                 "warning: the layout %s (%.1f x %.1f mm of content) is larger than its paper (%.1f x %.1f mm): "
                 "fitted to the page at %.4g of its size, not to scale\n",
                 layout.name.c_str(), bw, bh, w, h, scale);
}

using Surface = std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)>;

} // namespace

namespace {

// The page of the layout asked for (model space when none); the exit status
// when there is none to plot, else 0.
int ChoosePage(const cad::Drawing& d, const std::string& path, const std::string& layoutName, Page& page) {
    const std::string wanted = Lower(layoutName);
    if (wanted.empty() || wanted == "model") {
        if (ModelPage(d, page)) return 0;
        std::fprintf(stderr, "error: %s: model space is empty\n", path.c_str());
        return 1;
    }
    const auto layouts = LayoutsOf(d);
    auto found = std::find_if(layouts.begin(), layouts.end(), [&](const LayoutRef& l) { return Lower(l.name) == wanted; });
    if (found == layouts.end() || found->block == cad::kNone) {
        std::string names;
        for (const auto& l : layouts) names += (names.empty() ? "" : ", ") + l.name;
        std::fprintf(stderr, "error: %s has no layout %s (it has: %s)\n", path.c_str(), layoutName.c_str(),
                     names.c_str());
        return 2;
    }
    if (found->block == d.ModelSpace()) ModelPage(d, page);
    else PaperPage(d, *found, page);
    return 0;
}

// The page drawn into `partial` as the extension says; a failure's reason,
// empty when it was written.
std::string DrawPage(const cad::Drawing& d, const Page& page, const std::string& ext, const std::string& partial) {
    double unit = kPointsPerMm;
    Surface surface(nullptr, cairo_surface_destroy);
    if (ext == ".pdf") {
        surface.reset(cairo_pdf_surface_create(partial.c_str(), page.widthMm * kPointsPerMm, page.heightMm * kPointsPerMm));
    } else if (ext == ".svg") {
        surface.reset(cairo_svg_surface_create(partial.c_str(), page.widthMm * kPointsPerMm, page.heightMm * kPointsPerMm));
    } else {
        unit = std::min(kPixelsPerMm, kMostPixels / std::max(page.widthMm, page.heightMm));
        surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(page.widthMm * unit)),
                                                 static_cast<int>(std::ceil(page.heightMm * unit))));
    }
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, unit, unit);
    std::string failure;
    try {
        CairoSurface onPage(cr);
        picture::DrawingWalker(d, onPage).DrawBlock(page.block, page.toPage);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    cairo_status_t status = failure.empty() ? cairo_status(cr) : CAIRO_STATUS_INVALID_STATUS;
    cairo_destroy(cr);
    if (status == CAIRO_STATUS_SUCCESS && ext == ".png")
        status = cairo_surface_write_to_png(surface.get(), partial.c_str());
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
    if (!failure.empty()) return failure;
    return status == CAIRO_STATUS_SUCCESS ? std::string() : std::string(cairo_status_to_string(status));
}

} // namespace

int PlotDrawing(const std::string& path, const std::string& picture, const std::string& layoutName) {
    const std::string ext = Lower(std::filesystem::path(picture).extension().string());
    if (ext != ".pdf" && ext != ".png" && ext != ".svg") {
        std::fprintf(stderr, "error: %s: the picture must be .pdf, .png or .svg\n", picture.c_str());
        return 2;
    }
    OpenedDrawing opened;
    try {
        opened = OpenDrawing(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    const cad::Drawing& d = *opened.drawing;
    Page page;
    if (const int status = ChoosePage(d, path, layoutName, page); status != 0) return status;

    const std::string partial = picture + ".part";
    std::string failure = DrawPage(d, page, ext, partial);
    std::error_code ec;
    if (failure.empty()) {
        std::filesystem::rename(partial, picture, ec);
        if (ec) failure = "cannot rename into place";
    }
    if (!failure.empty()) {
        std::filesystem::remove(partial, ec);
        std::fprintf(stderr, "error: cannot write %s: %s\n", picture.c_str(), failure.c_str());
        return 1;
    }
    std::printf("%s: %.1f x %.1f mm\n", picture.c_str(), page.widthMm, page.heightMm);
    if (!d.notRead.empty()) std::printf("not drawn (not read): %s\n", NotReadText(d.notRead).c_str());
    return 0;
}

} // namespace ostrel::cli
