// Drawing a picture's paths, dots and texts with GDI.
#include "com/gdi_surface.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace ostrel::com {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCapHeight = 0.73;   // of the em height, for the usual sans fonts
constexpr double kFar = 1 << 26;      // device coordinates are kept within GDI's range

COLORREF Colour(picture::Rgb c) { return RGB(c.r, c.g, c.b); }

LONG Device(double v) {
    v = std::clamp(v, -kFar, kFar);
    return static_cast<LONG>(v < 0 ? v - 0.5 : v + 0.5);
}

bool SamePen(const picture::Pen& a, const picture::Pen& b) {
    return a.colour.r == b.colour.r && a.colour.g == b.colour.g && a.colour.b == b.colour.b &&
           std::lround(a.width) == std::lround(b.width) && a.dashes == b.dashes;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring w(utf8.size(), L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(),
                                      static_cast<int>(w.size()));
    w.resize(n > 0 ? n : 0);
    return w;
}

} // namespace

GdiSurface::GdiSurface(HDC dc, int width, int height, ULONGLONG budgetMs)
    : dc_(dc), width_(width), height_(height), deadline_(budgetMs ? GetTickCount64() + budgetMs : 0) {
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_LEFT | TA_BASELINE | TA_NOUPDATECP);
    SetPolyFillMode(dc_, ALTERNATE);
}

GdiSurface::~GdiSurface() {
    Flush();
    while (!clips_.empty()) PopClip();
    if (firstPen_) SelectObject(dc_, firstPen_);
    if (firstBrush_) SelectObject(dc_, firstBrush_);
    if (firstFont_) SelectObject(dc_, firstFont_);
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
    if (font_) DeleteObject(font_);
}

void GdiSurface::DevicePoints(const picture::Path& path, bool closeRuns) {
    points_.clear();
    counts_.clear();
    for (const auto& run : path.runs) {
        const std::size_t start = points_.size();
        LONG minX = LONG_MAX, minY = LONG_MAX, maxX = LONG_MIN, maxY = LONG_MIN;
        auto add = [&](const picture::Point& p) {
            const POINT q{Device(p.x), Device(p.y)};
            if (points_.size() > start && points_.back().x == q.x && points_.back().y == q.y) return;
            points_.push_back(q);
            minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
            minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
        };
        for (std::uint32_t i = 0; i < run.count; ++i) add(path.points[run.first + i]);
        if (closeRuns && run.closed && run.count > 1) add(path.points[run.first]);
        const bool off = maxX < -8 || maxY < -8 || minX > width_ + 8 || minY > height_ + 8;
        if (off) {
            points_.resize(start);
            continue;
        }
        if (points_.size() - start == 1) points_.push_back({points_.back().x + 1, points_.back().y});   // one pixel
        counts_.push_back(static_cast<INT>(points_.size() - start));
    }
}

void GdiSurface::Flush() {
    if (strokeCounts_.empty()) return;
    PolyPolyline(dc_, strokePoints_.data(), strokeCounts_.data(), static_cast<DWORD>(strokeCounts_.size()));
    strokePoints_.clear();
    strokeCounts_.clear();
}

void GdiSurface::SelectPen(const picture::Pen& pen) {
    if (pen_ && SamePen(pen, penKey_)) return;
    Flush();
    LOGBRUSH brush{BS_SOLID, Colour(pen.colour), 0};
    const DWORD width = static_cast<DWORD>(std::max<long>(1, std::lround(pen.width)));
    std::vector<DWORD> style;
    for (double d : pen.dashes) style.push_back(static_cast<DWORD>(std::max<long>(1, std::lround(d))));
    HPEN made = nullptr;
    if (!style.empty() && style.size() <= 16)
        made = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_ROUND, width, &brush,
                            static_cast<DWORD>(style.size()), style.data());
    else if (width > 1)
        made = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_ROUND, width, &brush, 0, nullptr);
    if (!made) made = CreatePen(PS_SOLID, 1, Colour(pen.colour));
    HGDIOBJ old = SelectObject(dc_, made);
    if (!firstPen_) firstPen_ = static_cast<HPEN>(old);
    if (pen_) DeleteObject(pen_);
    pen_ = made;
    penKey_ = pen;
}

void GdiSurface::SelectBrush(COLORREF colour) {
    if (brush_ && brushKey_ == colour) return;
    HBRUSH made = CreateSolidBrush(colour);
    HGDIOBJ old = SelectObject(dc_, made);
    if (!firstBrush_) firstBrush_ = static_cast<HBRUSH>(old);
    if (brush_) DeleteObject(brush_);
    brush_ = made;
    brushKey_ = colour;
}

void GdiSurface::Stroke(const picture::Path& path, const picture::Pen& pen) {
    DevicePoints(path, true);
    if (counts_.empty()) return;
    SelectPen(pen);
    strokePoints_.insert(strokePoints_.end(), points_.begin(), points_.end());
    strokeCounts_.insert(strokeCounts_.end(), counts_.begin(), counts_.end());
    if (strokePoints_.size() > 16384) Flush();
}

void GdiSurface::Fill(const picture::Path& path, picture::Rgb colour, double opacity) {
    DevicePoints(path, false);
    if (counts_.empty()) return;
    // A partly transparent fill over the white sheet: the colour mixed with white.
    auto mix = [&](std::uint8_t c) { return static_cast<std::uint8_t>(std::lround(255 - (255 - c) * opacity)); };
    const COLORREF shade = RGB(mix(colour.r), mix(colour.g), mix(colour.b));
    SelectBrush(shade);
    SelectPen(picture::Pen{{GetRValue(shade), GetGValue(shade), GetBValue(shade)}, 0, {}});
    Flush();
    PolyPolygon(dc_, points_.data(), counts_.data(), static_cast<int>(counts_.size()));
}

void GdiSurface::Dot(double x, double y, picture::Rgb colour) {
    const LONG cx = Device(x), cy = Device(y);
    if (cx < -2 || cy < -2 || cx > width_ + 2 || cy > height_ + 2) return;
    // Three pixels across, gathered with the strokes of its colour.
    SelectPen(picture::Pen{colour, 0, {}});
    strokePoints_.push_back({cx - 1, cy});
    strokePoints_.push_back({cx + 2, cy});
    strokeCounts_.push_back(2);
}

void GdiSurface::Text(const picture::TextRun& run) {
    Flush();
    const LONG height = -std::lround(run.height / kCapHeight);   // negative: the em height
    const LONG escapement = std::lround(-run.angle * 1800 / kPi);
    if (!font_ || height != fontHeight_ || escapement != fontEscapement_) {
        HFONT made = CreateFontW(height, 0, escapement, escapement, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                 L"Arial");
        if (!made) return;
        HGDIOBJ old = SelectObject(dc_, made);
        if (!firstFont_) firstFont_ = static_cast<HFONT>(old);
        if (font_) DeleteObject(font_);
        font_ = made;
        fontHeight_ = height;
        fontEscapement_ = escapement;
    }
    const std::wstring text = Wide(run.utf8);
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    double dx = 0, dy = 0;
    picture::AlignmentOffset(run, size.cx, dx, dy);
    const double cs = std::cos(run.angle), sn = std::sin(run.angle);
    SetTextColor(dc_, Colour(run.colour));
    ExtTextOutW(dc_, Device(run.x + cs * dx - sn * dy), Device(run.y + sn * dx + cs * dy), 0, nullptr, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
}

void GdiSurface::PushClip(double x0, double y0, double x1, double y1) {
    Flush();
    HRGN before = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc_, before) != 1) {
        DeleteObject(before);
        before = nullptr;
    }
    clips_.push_back(before);
    IntersectClipRect(dc_, Device(std::min(x0, x1)), Device(std::min(y0, y1)), Device(std::max(x0, x1)),
                      Device(std::max(y0, y1)));
}

void GdiSurface::PopClip() {
    if (clips_.empty()) return;
    Flush();
    HRGN before = clips_.back();
    clips_.pop_back();
    SelectClipRgn(dc_, before);
    if (before) DeleteObject(before);
}

} // namespace ostrel::com
