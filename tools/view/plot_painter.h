#pragma once
// Draws a drawing's blocks onto a Cairo context whose user units are the
// page's millimetres (y down): entities of a block through an affine map
// from drawing units to the page, inserts through their blocks, viewports
// onto model space clipped to their rectangle, colours and linetypes
// resolved from entity, layer and block as CAD programs do.
#include <cairo.h>

#include <cstdint>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cli {

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    void Apply(double x, double y, double& ox, double& oy) const {
        ox = a * x + c * y + e;
        oy = b * x + d * y + f;
    }
    // This map after `first` (first applied to a point, then this).
    Affine After(const Affine& first) const;
    double Scale() const;   // the length one drawing unit becomes (mean of the axes)
    static Affine Translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine Rotate(double radians);
    static Affine Scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
};

class PlotPainter {
public:
    PlotPainter(cairo_t* cr, const cad::Drawing& d) : cr_(cr), d_(d) {}
    // Every entity of the block (a space or a block definition).
    void DrawBlock(std::uint32_t block, const Affine& toPage);

private:
    // What entities inside an insert take from it: the colour for ByBlock,
    // the layer for entities on layer "0", the linetype for ByBlock.
    struct Inherited {
        int colour = 7;
        std::uint32_t layer = cad::kNone;
        std::uint32_t linetype = cad::kNone;
    };
    struct Style {
        int colour = 7;
        std::uint32_t layer = 0;
        std::uint32_t linetype = cad::kNone;   // kNone: continuous
        bool visible = true;
    };

    void Block(std::uint32_t block, const Affine& m, const Inherited& in, int depth);
    Style Resolve(const cad::Entity& e, const Inherited& in) const;
    void Pen(const Style& s, const Affine& m, double widthMm);
    void StrokePath(const Style& s, const Affine& m);
    void Polyline(const std::uint32_t* first, const std::uint32_t* end, const Style& s, const Affine& m);
    void Text(const cad::Entity& e, const Style& s, const Affine& m);
    void Viewport(const cad::ViewportData& v, const Affine& toPage);

    cairo_t* cr_;
    const cad::Drawing& d_;
    std::vector<std::uint32_t> drawing_;   // the blocks being drawn, outermost first (no cycles)
};

} // namespace ostrel::cli
