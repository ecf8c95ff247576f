// Drawing a picture's paths, dots and texts with Cairo.
#include "tools/view/cairo_surface.h"

#include <algorithm>
#include <cmath>

namespace ostrel::cli {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHairline = 0.25;      // mm on the page
constexpr double kPointRadius = 0.35;   // mm
constexpr double kCapHeight = 0.73;     // of the font size, for DejaVu Sans

void Source(cairo_t* cr, picture::Rgb c, double opacity = 1) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, opacity);
}

} // namespace

void CairoSurface::Trace(const picture::Path& path) {
    cairo_new_path(cr_);
    for (const auto& run : path.runs) {
        const picture::Point* p = path.points.data() + run.first;
        cairo_move_to(cr_, p[0].x, p[0].y);
        for (std::uint32_t i = 1; i < run.count; ++i) cairo_line_to(cr_, p[i].x, p[i].y);
        if (run.closed) cairo_close_path(cr_);
    }
}

void CairoSurface::Stroke(const picture::Path& path, const picture::Pen& pen) {
    Trace(path);
    Source(cr_, pen.colour);
    cairo_set_line_width(cr_, std::max(pen.width, kHairline));
    cairo_set_line_cap(cr_, pen.width > kHairline ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_dash(cr_, pen.dashes.empty() ? nullptr : pen.dashes.data(), static_cast<int>(pen.dashes.size()), 0);
    cairo_stroke(cr_);
}

void CairoSurface::Fill(const picture::Path& path, picture::Rgb colour, double opacity) {
    Trace(path);
    Source(cr_, colour, opacity);
    cairo_fill(cr_);
}

void CairoSurface::Dot(double x, double y, picture::Rgb colour) {
    Source(cr_, colour);
    cairo_new_path(cr_);
    cairo_arc(cr_, x, y, kPointRadius, 0, 2 * kPi);
    cairo_fill(cr_);
}

void CairoSurface::Text(const picture::TextRun& run) {
    cairo_save(cr_);
    cairo_translate(cr_, run.x, run.y);
    cairo_rotate(cr_, run.angle);
    cairo_scale(cr_, run.widthFactor, 1);
    cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, run.height / kCapHeight);
    cairo_text_extents_t ext;
    cairo_text_extents(cr_, run.utf8.c_str(), &ext);
    double dx = 0, dy = 0;
    picture::AlignmentOffset(run, ext.x_advance, dx, dy);
    Source(cr_, run.colour);
    cairo_move_to(cr_, dx, dy);
    cairo_show_text(cr_, run.utf8.c_str());
    cairo_new_path(cr_);
    cairo_restore(cr_);
}

void CairoSurface::PushClip(double x0, double y0, double x1, double y1) {
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0));
    cairo_clip(cr_);
}

void CairoSurface::PopClip() { cairo_restore(cr_); }

} // namespace ostrel::cli
