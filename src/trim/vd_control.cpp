// The control's view commands and title.
#include "trim/vd_control.h"

#include <algorithm>
#include <cmath>

#include "cad/curve_points.h"

namespace ostrel::trim {

using cad::EntityType;
using cad::kNone;
using cad::Vec3;

namespace {

// Zoomed views leave a small margin around the extents.
constexpr double kZoomMargin = 1.05;

struct Box {
    Vec3 min{1e300, 1e300, 0}, max{-1e300, -1e300, 0};
    bool any = false;
    void Add(double x, double y) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        min.x = std::min(min.x, x);
        min.y = std::min(min.y, y);
        max.x = std::max(max.x, x);
        max.y = std::max(max.y, y);
        any = true;
    }
    void Add(const Vec3& p) { Add(p.x, p.y); }
    void AddRound(const Vec3& c, double r) {
        Add(c.x - r, c.y - r);
        Add(c.x + r, c.y + r);
    }
};

// The kinds a drawing of another program brings (the sheet's own drawing
// holds none of them): their defining points.
void AddNewerKind(const cad::Drawing& d, const cad::Entity& e, Box& box) {
    const auto& g = e.geom;
    const auto at = g.extra.index;
    if (e.type == EntityType::Solid) {
        for (const auto& p : g.face.corner) box.Add(p);
    } else if (e.type == EntityType::Ellipse) {
        for (const auto& p : cad::EllipsePoints(g.ellipse, 32)) box.Add(p);
    } else if (e.type == EntityType::MText) {
        box.Add(g.mtext.pos);
    } else if (e.type == EntityType::LwPolyline && at < d.lwpolylines.size()) {
        for (const auto& v : d.lwpolylines[at].vertices) box.Add(v.x, v.y);
    } else if (e.type == EntityType::Spline && at < d.splines.size()) {
        for (const auto& p : cad::SplinePoints(d.splines[at], 4)) box.Add(p);
    } else if ((e.type == EntityType::AttDef || e.type == EntityType::Attrib) && at < d.attributes.size()) {
        box.Add(d.attributes[at].text.pos);
    } else if (e.type == EntityType::Dimension && at < d.dimensions.size()) {
        box.Add(d.dimensions[at].defPoint);
    }
}

} // namespace

// Not cad::ExtentsOf: here an insert counts by its insertion point alone and
// a layout's own overall viewport not at all. The model view and the sheet's
// viewport this zoom sets are written into the saved drawing, and measuring
// inserts through their blocks would move them wherever a symbol reaches
// past the rest of the drawing.
bool BlockExtents(cad::Drawing& d, std::uint32_t block, Vec3& min, Vec3& max) {
    Box box;
    const bool paper = d.blocks.at(block).IsPaperSpace();
    for (auto idx : d.blocks[block].entities) {
        const auto& e = d.entities[idx];
        if (e.flags & cad::kEntityDeleted) continue;
        const auto& g = e.geom;
        switch (e.type) {
        case EntityType::Point: box.Add(g.point.pos); break;
        case EntityType::Line: box.Add(g.line.start); box.Add(g.line.end); break;
        case EntityType::Circle: box.AddRound(g.circle.center, g.circle.radius); break;
        case EntityType::Arc: box.AddRound(g.arc.center, g.arc.radius); break;
        case EntityType::Text:
            box.Add(g.text.pos);
            box.Add(g.text.pos.x, g.text.pos.y + g.text.height);
            break;
        case EntityType::Insert: box.Add(g.insert.pos); break;
        case EntityType::Vertex: box.Add(g.vertex.pos); break;
        case EntityType::Face3D:
            for (const auto& p : g.face.corner) box.Add(p);
            break;
        case EntityType::Viewport: {
            if (g.extra.index >= d.viewports.size()) break;
            const auto& v = d.viewports[g.extra.index];
            if (paper && v.id == 1) break;
            box.Add(v.center.x - v.width / 2, v.center.y - v.height / 2);
            box.Add(v.center.x + v.width / 2, v.center.y + v.height / 2);
            break;
        }
        case EntityType::Hatch:
            if (g.extra.index < d.hatches.size())
                for (const auto& p : d.hatches[g.extra.index].boundary) box.Add(p);
            break;
        case EntityType::Solid:
        case EntityType::Ellipse:
        case EntityType::MText:
        case EntityType::LwPolyline:
        case EntityType::Spline:
        case EntityType::AttDef:
        case EntityType::Attrib:
        case EntityType::Dimension: AddNewerKind(d, e, box); break;
        case EntityType::Polyline:
        case EntityType::SeqEnd:
        case EntityType::Block:
        case EntityType::EndBlk: break;
        }
    }
    if (!box.any) return false;
    min = box.min;
    max = box.max;
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
