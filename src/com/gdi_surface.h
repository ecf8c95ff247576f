#pragma once
// The trim form view's surface: strokes, fills, dots and text runs drawn
// with GDI on a device context (a memory DC holding the view's picture),
// in its pixels (y down). Strokes of one pen are gathered and drawn by one
// call; drawing stops when a time budget, if given, is spent.
#include <windows.h>

#include <vector>

#include "picture/surface.h"

namespace ostrel::com {

class GdiSurface final : public picture::Surface {
public:
    // dc: where to draw, width x height pixels; budgetMs: the time the
    // picture may take (0: no limit).
    GdiSurface(HDC dc, int width, int height, ULONGLONG budgetMs = 0);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    double FinestDashPattern() const override { return 3; }   // pixels
    double SmallestText() const override { return 4; }        // pixels
    bool Budgeted() const override { return deadline_ != 0; }
    bool BudgetSpent() override { return GetTickCount64() >= deadline_; }
    void Stroke(const picture::Path& path, const picture::Pen& pen) override;
    void Fill(const picture::Path& path, picture::Rgb colour, double opacity) override;
    void Dot(double x, double y, picture::Rgb colour) override;
    void Text(const picture::TextRun& run) override;
    void PushClip(double x0, double y0, double x1, double y1) override;
    void PopClip() override;

private:
    // The path's runs as device points, a pixel's repeats dropped; runs
    // wholly off the picture are left out.
    void DevicePoints(const picture::Path& path, bool closeRuns);
    // Draws the gathered strokes.
    void Flush();
    void SelectPen(const picture::Pen& pen);
    void SelectBrush(COLORREF colour);

    HDC dc_;
    int width_, height_;
    ULONGLONG deadline_ = 0;
    std::vector<POINT> points_;
    std::vector<INT> counts_;
    std::vector<POINT> strokePoints_;   // gathered for the selected pen
    std::vector<DWORD> strokeCounts_;
    HPEN pen_ = nullptr, firstPen_ = nullptr;
    picture::Pen penKey_;
    HBRUSH brush_ = nullptr, firstBrush_ = nullptr;
    COLORREF brushKey_ = 0;
    HFONT font_ = nullptr, firstFont_ = nullptr;
    LONG fontHeight_ = 0, fontEscapement_ = 0;
    std::vector<HRGN> clips_;   // the clip before each PushClip (null: none)
};

} // namespace ostrel::com
