#pragma once
// What a picture of a drawing is made of, in a surface's own units (y
// down): paths to stroke with a pen or to fill, dots, and text runs; and
// the surface that draws them (Cairo for plots, GDI for the trim form's
// view). A surface only strokes, fills and writes text: what to draw, in
// which colour and linetype, is decided by the drawing walker.
#include <cstdint>
#include <string>
#include <vector>

#include "picture/indexed_colours.h"

namespace ostrel::picture {

struct Point {
    double x = 0, y = 0;
};

// Runs of connected points (a run starts where MoveTo was called), each
// open or closed.
struct Path {
    struct Run {
        std::uint32_t first = 0, count = 0;
        bool closed = false;
    };
    std::vector<Point> points;
    std::vector<Run> runs;

    void Clear() {
        points.clear();
        runs.clear();
    }
    void MoveTo(double x, double y) {
        runs.push_back({static_cast<std::uint32_t>(points.size()), 1, false});
        points.push_back({x, y});
    }
    void LineTo(double x, double y) {
        if (runs.empty()) return MoveTo(x, y);
        points.push_back({x, y});
        ++runs.back().count;
    }
    void Close() {
        if (!runs.empty()) runs.back().closed = true;
    }
};

struct Pen {
    Rgb colour;
    double width = 0;             // 0: the surface's hairline
    std::vector<double> dashes;   // on, off, on, off ...; empty: solid
};

// A single line of text: its anchor (the alignment point), the direction of
// its baseline, its cap height, all on the surface; the surface measures
// the text and places it by its alignment (AlignmentOffset).
struct TextRun {
    std::string utf8;
    double x = 0, y = 0;
    double angle = 0;   // radians, on the surface (y down)
    double height = 0;
    double widthFactor = 1;
    int hAlign = 0, vAlign = 0;
    Rgb colour;
};

// Where a run of the given advance (measured along its baseline, before
// the width factor) starts, relative to its anchor, in the run's own
// rotated frame (y down).
void AlignmentOffset(const TextRun& run, double advance, double& dx, double& dy);

class Surface {
public:
    virtual ~Surface() = default;
    // The shortest dash pattern the surface shows (shorter: drawn solid),
    // and the smallest cap height it writes (smaller: left out).
    virtual double FinestDashPattern() const = 0;
    virtual double SmallestText() const = 0;
    // A surface with a time budget (a view on screen) is given the entities
    // of a large block spread over it first, then filled in, until its
    // budget is spent: a picture cut short still shows the whole drawing,
    // thinned. Without one (a plot), everything is drawn in the block's order.
    virtual bool Budgeted() const { return false; }
    virtual bool BudgetSpent() { return false; }

    virtual void Stroke(const Path& path, const Pen& pen) = 0;
    // Filled with the colour at the given opacity (1 opaque).
    virtual void Fill(const Path& path, Rgb colour, double opacity) = 0;
    // A drawing point: a small round dot.
    virtual void Dot(double x, double y, Rgb colour) = 0;
    virtual void Text(const TextRun& run) = 0;
    // Drawing is clipped to the rectangle until PopClip.
    virtual void PushClip(double x0, double y0, double x1, double y1) = 0;
    virtual void PopClip() = 0;
};

} // namespace ostrel::picture
