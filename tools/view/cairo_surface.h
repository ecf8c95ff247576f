#pragma once
// The plot's surface: strokes, fills, dots and text runs on a Cairo context
// whose user units are the page's millimetres (y down).
#include <cairo.h>

#include "picture/affine.h"
#include "picture/surface.h"

namespace ostrel::cli {

using picture::Affine;

class CairoSurface final : public picture::Surface {
public:
    explicit CairoSurface(cairo_t* cr) : cr_(cr) {}

    double FinestDashPattern() const override { return 0.5; }   // mm
    double SmallestText() const override { return 0.05; }       // mm
    void Stroke(const picture::Path& path, const picture::Pen& pen) override;
    void Fill(const picture::Path& path, picture::Rgb colour, double opacity) override;
    void Dot(double x, double y, picture::Rgb colour) override;
    void Text(const picture::TextRun& run) override;
    void PushClip(double x0, double y0, double x1, double y1) override;
    void PopClip() override;

private:
    void Trace(const picture::Path& path);
    cairo_t* cr_;
};

} // namespace ostrel::cli
