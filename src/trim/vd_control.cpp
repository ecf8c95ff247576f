// The control's view commands and title.
#include "trim/vd_control.h"

#include <algorithm>
#include <cmath>

#include "cad/block_extents.h"

namespace ostrel::trim {

using cad::EntityType;
using cad::kNone;
using cad::Vec3;

namespace {

// Zoomed views leave a small margin around the extents.
constexpr double kZoomMargin = 1.05;

} // namespace

// Inserts count by their insertion point alone and a layout's own overall
// viewport not at all: the model view and the sheet's viewport this zoom
// sets are written into the saved drawing, and measuring inserts through
// their blocks would move them wherever a symbol reaches past the rest of
// the drawing.
bool BlockExtents(cad::Drawing& d, std::uint32_t block, Vec3& min, Vec3& max) {
    const cad::Box box = cad::ExtentsOf(d, block, cad::ExtentsReach::Anchors);
    if (box.empty()) return false;
    min = {box.minX, box.minY, 0};
    max = {box.maxX, box.maxY, 0};
    return true;
}

void vdCommands::Zoom(std::string_view mode, std::string_view, std::string_view) {
    if (mode == "E" || mode == "e") ZoomExtents();
}

void vdCommands::Zoom(std::string_view mode, std::int16_t, std::int16_t) {
    if (mode == "E" || mode == "e") ZoomExtents();
}

void vdCommands::ZoomExtents() {
    if (!doc_.IsOpen()) return;
    FitExtents();
    control_.Paint();
}

void vdCommands::FitExtents() {
    auto& d = doc_.Drawing();
    const bool model = d.header.tileMode != 0;
    auto block = model ? d.ModelSpace() : d.PaperSpace();
    if (block == kNone) return;
    Vec3 min, max;
    if (!BlockExtents(d, block, min, max)) return;
    const Vec3 centre{(min.x + max.x) / 2, (min.y + max.y) / 2, 0};
    const double width = std::max(max.x - min.x, 1e-9) * kZoomMargin;
    const double height = std::max(max.y - min.y, 1e-9) * kZoomMargin;
    if (model) {
        for (auto& v : d.vports) {
            if (cad::FoldName(v.name) != "*ACTIVE") continue;
            const double aspect = v.aspect > 0 ? v.aspect : 1.5;
            v.viewCenter = centre;
            v.viewHeight = std::max(height, width / aspect);
            break;
        }
        return;
    }
    // A layout shows what its overall viewport frames.
    for (auto idx : d.blocks[block].entities) {
        const auto& e = d.entities[idx];
        if (e.type != EntityType::Viewport || (e.flags & cad::kEntityDeleted)) continue;
        auto& v = d.viewports.at(e.geom.extra.index);
        if (v.id != 1) continue;
        v.center = centre;
        v.viewCenter = centre;
        v.width = width;
        v.height = height;
        v.viewHeight = height;
        break;
    }
}

void vdControl::Paint() {
    if (view_ && document_.IsOpen()) view_->ShowDrawing(document_.Drawing());
    viewCurrent_ = true;
}

std::string vdControl::TitleText() const {
    const auto& path = document_.Path();
    return path.empty() ? std::string("Ostrel sheet build") : "Ostrel sheet build - " + path;
}

} // namespace ostrel::trim
