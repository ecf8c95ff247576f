// Walking a drawing into paths, dots, fills and text runs.
#include "picture/drawing_walker.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "cad/entity_kinds.h"
#include "cad/dxf/dxf_text_encoding.h"

namespace ostrel::picture {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMostDepth = 16;   // nested inserts
// A budgeted surface gets a block of more entries than kSpreadFrom in
// kSpread rounds: every kSpread-th entry from offsets in bit-reversed order
// (0, 8, 4, 12, ...), so each round halves the gaps the earlier ones left.
constexpr std::size_t kSpreadFrom = 4096;
constexpr std::size_t kSpread = 16;
constexpr std::size_t kSpreadOffsets[kSpread] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
constexpr std::size_t kBudgetEvery = 256;   // entries between looks at the budget

bool IsLayerZero(const cad::Layer& l) { return l.name == "0"; }

// The text as UTF-8 with the %%d, %%c and %%p codes as their signs.
std::string ShownText(std::string_view raw) {
    std::string s = cad::dxf::Cp1252ToUtf8(raw);
    for (std::size_t at = s.find("%%"); at != std::string::npos && at + 2 < s.size(); at = s.find("%%", at)) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[at + 2])));
        const char* sign = c == 'd' ? "\u00b0" : c == 'c' ? "\u2300" : c == 'p' ? "\u00b1" : nullptr;
        if (sign) s.replace(at, 3, sign);
        else at += 2;
    }
    return s;
}

} // namespace

void AlignmentOffset(const TextRun& run, double advance, double& dx, double& dy) {
    static constexpr double kAcross[6] = {0, 0.5, 1, 0, 0.5, 0};
    dx = -advance * kAcross[std::clamp(run.hAlign, 0, 5)];
    dy = 0;
    const int vAlign = run.hAlign == 4 ? 2 : run.vAlign;
    if (vAlign == 1) dy = -0.25 * run.height;
    else if (vAlign == 2) dy = run.height / 2;
    else if (vAlign == 3) dy = run.height;
}

void DrawingWalker::DrawBlock(std::uint32_t block, const Affine& toSurface) { Block(block, toSurface, Inherited{}, 0); }

DrawingWalker::Style DrawingWalker::Resolve(const cad::Entity& e, const Inherited& in) const {
    Style s;
    s.layer = e.layer < d_.layers.size() ? e.layer : 0;
    if (in.layer != cad::kNone && s.layer < d_.layers.size() && IsLayerZero(d_.layers[s.layer])) s.layer = in.layer;
    if (s.layer >= d_.layers.size()) return s;
    const cad::Layer& layer = d_.layers[s.layer];
    s.visible = !layer.off && layer.colour >= 0 && !(layer.flags & 1) && layer.plot &&
                !(e.flags & (cad::kEntityInvisible | cad::kEntityDeleted));
    s.colour = e.colour == cad::kColourByLayer ? std::abs(layer.colour)
               : e.colour == cad::kColourByBlock ? in.colour
                                                 : std::abs(e.colour);
    s.linetype = layer.linetype;
    if (e.linetype != cad::kNone && e.linetype < d_.linetypes.size()) {
        const std::string& name = d_.linetypes[e.linetype].name;
        if (cad::FoldName(name) == "BYBLOCK") s.linetype = in.linetype;
        else if (cad::FoldName(name) != "BYLAYER") s.linetype = e.linetype;
    }
    return s;
}

Pen DrawingWalker::PenOf(const Style& s, const Affine& m, double width) const {
    Pen pen{IndexedColour(s.colour), width, {}};
    // The linetype's dashes, in drawing units scaled by LTSCALE, on the surface.
    if (s.linetype == cad::kNone || s.linetype >= d_.linetypes.size()) return pen;
    const double k = d_.header.ltScale * m.Scale();
    double length = 0;
    bool wantOn = true;
    for (double v : d_.linetypes[s.linetype].dashes) {
        const bool on = v >= 0;
        const double len = v == 0 ? 0.01 : std::fabs(v) * k;
        length += len;
        if (on != wantOn) pen.dashes.push_back(0);
        pen.dashes.push_back(len);
        wantOn = !on;
    }
    if (pen.dashes.size() % 2) pen.dashes.push_back(0);
    if (length < surface_.FinestDashPattern()) pen.dashes.clear();   // finer than the surface shows: solid
    return pen;
}

void DrawingWalker::Block(std::uint32_t block, const Affine& m, const Inherited& in, int depth) {
    if (depth > kMostDepth || block >= d_.blocks.size()) return;
    // A block that inserts itself, directly or through others, is drawn once.
    if (std::find(drawing_.begin(), drawing_.end(), block) != drawing_.end()) return;
    drawing_.push_back(block);
    struct Leave {
        std::vector<std::uint32_t>& v;
        ~Leave() { v.pop_back(); }
    } leave{drawing_};
    const cad::BlockRecord& b = d_.blocks[block];
    const Affine local = depth == 0 ? m : m.After(Affine::Translate(-b.base.x, -b.base.y));
    const auto& list = b.entities;
    if (!surface_.Budgeted() || list.size() <= kSpreadFrom) {
        for (std::size_t k = 0; k < list.size() && !stopped_; ++k) k = Entry(b, k, m, local, in, depth);
        return;
    }
    std::size_t seen = 0;
    for (std::size_t offset : kSpreadOffsets)
        for (std::size_t k = offset; k < list.size() && !stopped_; k += kSpread) {
            if (++seen % kBudgetEvery == 0 && surface_.BudgetSpent()) stopped_ = true;
            const auto type = d_.entities[list[k]].type;
            if (type != cad::EntityType::Vertex && type != cad::EntityType::SeqEnd) Entry(b, k, m, local, in, depth);
        }
}

// Each shape of one entry drawn in its style; a viewport only in the space
// the walk began in (its model space is drawn within it).
class DrawingWalker::Shapes final : public cad::ShapeOut {
public:
    Shapes(DrawingWalker& w, const Style& s, const Affine& outer, const Affine& local, int depth, bool top)
        : w_(w), s_(s), outer_(outer), m_(local), depth_(depth), top_(top) {}
    void Dot(const cad::Vec3& p) override {
        double x = 0, y = 0;
        m_.Apply(p.x, p.y, x, y);
        w_.surface_.Dot(x, y, IndexedColour(s_.colour));
    }
    void Curve(const std::vector<cad::Vec3>& points, bool closed) override { w_.Curve(points, closed, s_, m_); }
    void Edges(const cad::FaceGeom& face, int hidden) override { w_.Edges(face, hidden, s_, m_); }
    void Fill(const std::vector<cad::Vec3>& outline, double opacity) override { w_.Fill(outline, s_, m_, opacity); }
    void Polyline(const cad::PolylineGeom& head, const std::vector<const cad::VertexGeom*>& v) override {
        w_.Polyline(head, v, s_, m_);
    }
    void Text(const cad::TextGeom& t, std::string_view text) override { w_.Text(t, text, s_, m_); }
    void Placed(std::uint32_t block, const cad::InsertGeom* place) override {
        if (place) w_.Insert(*place, s_, m_, depth_);
        else w_.Block(block, m_, Inherited{s_.colour, s_.layer, s_.linetype}, depth_ + 1);
    }
    void View(const cad::ViewportData& v) override {
        if (top_) w_.Viewport(v, outer_);
    }

private:
    DrawingWalker& w_;
    const Style& s_;
    const Affine& outer_;
    const Affine& m_;
    int depth_;
    bool top_;
};

std::size_t DrawingWalker::Entry(const cad::BlockRecord& b, std::size_t k, const Affine& m, const Affine& local,
                                 const Inherited& in, int depth) {
    const auto& list = b.entities;
    const cad::Entity& e = d_.entities[list[k]];
    const Style s = Resolve(e, in);
    if (e.type == cad::EntityType::Polyline) {
        std::size_t end = k + 1;
        std::vector<const cad::VertexGeom*> v;
        for (; end < list.size() && d_.entities[list[end]].type == cad::EntityType::Vertex; ++end)
            v.push_back(&d_.entities[list[end]].geom.vertex);
        if (s.visible) Polyline(e.geom.polyline, v, s, local);
        return end - 1;
    }
    // A viewport shows whatever its layer; a block's ATTDEFs show nothing
    // where it is inserted.
    const bool viewport = e.type == cad::EntityType::Viewport;
    if ((!s.visible && !viewport) || (e.type == cad::EntityType::AttDef && depth > 0)) return k;
    path_.Clear();
    Shapes shapes(*this, s, m, local, depth, depth == 0 && !b.IsModelSpace());
    cad::KindShapes(d_, e, shapes);
    return k;
}

void DrawingWalker::Insert(const cad::InsertGeom& ins, const Style& s, const Affine& m, int depth) {
    const Inherited inner{s.colour, s.layer, s.linetype};
    const int columns = std::max<int>(ins.columns, 1), rows = std::max<int>(ins.rows, 1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            double ox = 0, oy = 0;
            Affine::Rotate(ins.rotation).Apply(c * ins.columnSpacing, r * ins.rowSpacing, ox, oy);
            const Affine place = Affine::Translate(ins.pos.x + ox, ins.pos.y + oy)
                                     .After(Affine::Rotate(ins.rotation))
                                     .After(Affine::Scaling(ins.xScale, ins.yScale));
            Block(ins.block, m.After(place), inner, depth + 1);
        }
}

void DrawingWalker::Curve(const std::vector<cad::Vec3>& points, bool closed, const Style& s, const Affine& m) {
    if (points.size() < 2) return;
    path_.Clear();
    double x, y;
    for (std::size_t i = 0; i < points.size(); ++i) {
        m.Apply(points[i].x, points[i].y, x, y);
        if (i == 0) path_.MoveTo(x, y);
        else path_.LineTo(x, y);
    }
    if (closed) path_.Close();
    surface_.Stroke(path_, PenOf(s, m, 0));
}

void DrawingWalker::Fill(const std::vector<cad::Vec3>& outline, const Style& s, const Affine& m, double opacity) {
    if (outline.empty()) return;
    path_.Clear();
    double x, y;
    for (std::size_t i = 0; i < outline.size(); ++i) {
        m.Apply(outline[i].x, outline[i].y, x, y);
        if (i == 0) path_.MoveTo(x, y);
        else path_.LineTo(x, y);
    }
    path_.Close();
    surface_.Fill(path_, IndexedColour(s.colour), opacity);
}

void DrawingWalker::Edges(const cad::FaceGeom& f, int hidden, const Style& s, const Affine& m) {
    path_.Clear();
    double x, y;
    for (int edge = 0; edge < 4; ++edge) {
        if (hidden & (1 << edge)) continue;
        const auto& p = f.corner[edge];
        const auto& q = f.corner[(edge + 1) % 4];
        m.Apply(p.x, p.y, x, y);
        path_.MoveTo(x, y);
        m.Apply(q.x, q.y, x, y);
        path_.LineTo(x, y);
    }
    surface_.Stroke(path_, PenOf(s, m, 0));
}

void DrawingWalker::Polyline(const cad::PolylineGeom& pl, const std::vector<const cad::VertexGeom*>& v, const Style& s,
                             const Affine& m) {
    if (v.empty()) return;
    const bool closed = (pl.flags & 1) != 0;
    const bool plan = (pl.flags & 8) == 0;
    const std::size_t segments = closed ? v.size() : v.size() - 1;
    // Each segment as points on the surface (bulged segments as arcs).
    auto segmentPoints = [&](std::size_t i) {
        const auto& p = v[i]->pos;
        const auto& q = v[(i + 1) % v.size()]->pos;
        const double bulge = plan ? v[i]->bulge : 0;
        double x, y;
        if (std::fabs(bulge) < 1e-9) {
            m.Apply(q.x, q.y, x, y);
            path_.LineTo(x, y);
            return;
        }
        const double theta = 4 * std::atan(bulge);
        const double dx = q.x - p.x, dy = q.y - p.y, len = std::hypot(dx, dy);
        if (len == 0) return;
        const double k = (len / 2) / std::tan(theta / 2);
        const double cx = (p.x + q.x) / 2 - dy / len * k, cy = (p.y + q.y) / 2 + dx / len * k;
        const double r = std::hypot(p.x - cx, p.y - cy), a0 = std::atan2(p.y - cy, p.x - cx);
        const int n = std::max(4, static_cast<int>(std::fabs(theta) / (kPi / 32)));
        for (int j = 1; j <= n; ++j) {
            const double t = a0 + theta * j / n;
            m.Apply(cx + r * std::cos(t), cy + r * std::sin(t), x, y);
            path_.LineTo(x, y);
        }
    };
    bool wide = pl.startWidth > 0 || pl.endWidth > 0;
    for (const auto* vx : v) wide = wide || (vx->widthFlags && (vx->startWidth > 0 || vx->endWidth > 0));
    double x, y;
    if (!wide) {
        path_.Clear();
        m.Apply(v[0]->pos.x, v[0]->pos.y, x, y);
        path_.MoveTo(x, y);
        for (std::size_t i = 0; i < segments; ++i) segmentPoints(i);
        if (closed) path_.Close();
        surface_.Stroke(path_, PenOf(s, m, 0));
        return;
    }
    // Wide polylines: each segment stroked at its own width (mean of its two ends).
    for (std::size_t i = 0; i < segments; ++i) {
        const double w0 = (v[i]->widthFlags & 1) ? v[i]->startWidth : pl.startWidth;
        const double w1 = (v[i]->widthFlags & 2) ? v[i]->endWidth : pl.endWidth;
        path_.Clear();
        m.Apply(v[i]->pos.x, v[i]->pos.y, x, y);
        path_.MoveTo(x, y);
        segmentPoints(i);
        surface_.Stroke(path_, PenOf(s, m, (w0 + w1) / 2 * m.Scale()));
    }
}

void DrawingWalker::Text(const cad::TextGeom& t, std::string_view text, const Style& s, const Affine& m) {
    TextRun run;
    run.utf8 = ShownText(text);
    if (run.utf8.empty() || t.height <= 0) return;
    const bool aligned = t.hAlign != 0 || t.vAlign != 0;
    const cad::Vec3& at = aligned ? t.align : t.pos;
    double ex, ey, ux, uy;
    m.Apply(at.x, at.y, run.x, run.y);
    m.Apply(at.x + std::cos(t.rotation), at.y + std::sin(t.rotation), ex, ey);
    m.Apply(at.x - std::sin(t.rotation) * t.height, at.y + std::cos(t.rotation) * t.height, ux, uy);
    run.angle = std::atan2(ey - run.y, ex - run.x);
    run.height = std::hypot(ux - run.x, uy - run.y);
    if (run.height < surface_.SmallestText()) return;   // too small to see
    run.widthFactor = t.widthFactor > 0 ? t.widthFactor : 1;
    run.hAlign = t.hAlign;
    run.vAlign = t.vAlign;
    run.colour = IndexedColour(s.colour);
    surface_.Text(run);
}

void DrawingWalker::Viewport(const cad::ViewportData& v, const Affine& toSurface) {
    if (v.id == 1 || v.status == 0 || v.width <= 0 || v.height <= 0 || v.viewHeight <= 0) return;
    const std::uint32_t model = d_.ModelSpace();
    if (model == cad::kNone) return;
    // The viewport's rectangle on the surface, the clip.
    double x0, y0, x1, y1;
    toSurface.Apply(v.center.x - v.width / 2, v.center.y - v.height / 2, x0, y0);
    toSurface.Apply(v.center.x + v.width / 2, v.center.y + v.height / 2, x1, y1);
    // Model space seen through it: a model point P lies in the viewport's
    // display coordinates at R(twist) (P - target); the view centre (in
    // those coordinates) sits at the viewport's centre, viewHeight model
    // units across its height.
    const double scale = v.height / v.viewHeight;
    const Affine modelToPaper = Affine::Translate(v.center.x, v.center.y)
                                    .After(Affine::Scaling(scale, scale))
                                    .After(Affine::Translate(-v.viewCenter.x, -v.viewCenter.y))
                                    .After(Affine::Rotate(v.twist))
                                    .After(Affine::Translate(-v.viewTarget.x, -v.viewTarget.y));
    surface_.PushClip(x0, y0, x1, y1);
    Block(model, toSurface.After(modelToPaper), Inherited{}, 1);
    surface_.PopClip();
}

} // namespace ostrel::picture
