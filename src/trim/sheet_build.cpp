// The sheet build: measuring the trim frame and the title block, removing
// model-space viewports, and the paper-space sheet with its frame, its
// viewport onto the trim frame and the title block at sheet scale.
#include <cmath>
#include <limits>
#include <string>

#include "ostrel/errors.h"
#include "run/record_reader.h"
#include "trim/frmDWGTrim.h"

namespace ostrel {

using trim::vdEntity;
using trim::vdInsert;
using trim::vdPolyline;
using trim::vdText;
using trim::vdViewport;

namespace {

constexpr double kBoxStart = 9999999.0;
constexpr double kDegreesPerRadian = 57.2957795130823;

bool IsTrimLayer(const std::string& layer) { return FindNoCase(layer, "TRIM") > 0; }
bool IsTitleBlockLayer(const std::string& layer) { return layer.compare(0, 4, "$TB-") == 0; }
bool IsBackgroundFillLayer(const std::string& layer) { return layer.find("BKFILL") != std::string::npos; }

// Arithmetic that leaves the range of doubles raises the overflow error, as
// the conversion's other checked operations do; nothing infinite or invalid
// reaches the drawing.
double Checked(double v, const char* what) {
    if (!std::isfinite(v))
        throw ConversionError(ErrorCode::Overflow, std::string("Overflow: ") + what + " in the sheet arithmetic");
    return v;
}

// Title-block texts and inserts: coordinate minus box minimum, times the
// integer 1000, times s.
double ToSheet(double coordinate, double boxMin, double s) {
    return Checked((coordinate - boxMin) * 1000 * s, "a sheet coordinate");
}

// The size PlaceString takes for a caret text's companion.
double CompanionSize(double height) { return Checked(height * 100 * 1.6, "a caret companion's size"); }

} // namespace

void frmDWGTrim::MeasureFrames(Corner& trimMin, Corner& trimMax, Corner& titleMin, Corner& titleMax, bool& found) {
    // 1.
    trimMin = titleMin = {kBoxStart, kBoxStart};
    trimMax = titleMax = {-kBoxStart, -kBoxStart};
    found = false;
    // 2.
    vdEntity e = VD.Document().ModelEntities().First();
    const std::int32_t count = VD.Document().ModelEntities().Count();
    if (count == 0) return;
    // 3.
    progressBar1_.max = static_cast<float>(count);
    progressBar1_.value = 0;
    if (window_) window_->SetProgressMax(progressBar1_.max);
    if (progress_) {
        progress_->Start(count);
        progressStarted_ = true;
    }
    while (e) {
        // 4.
        if (e.TypeName() == "VDPOLYLINE") {
            const std::string& layer = e.LayerName();
            if (IsTrimLayer(layer)) {
                found = true;
                ExtendBox(e, trimMin, trimMax);
            } else if (IsTitleBlockLayer(layer)) {
                ExtendBox(e, titleMin, titleMax);
            }
        }
        // 5. The yield to the message loop (the form's window, if any,
        // repaints; the host sees progress below).
        if (window_) window_->DoEvents();
        // 6.
        e = VD.Document().ModelEntities().Next();
        // 7.
        if (progressBar1_.max > progressBar1_.value) {
            progressBar1_.value += 1;
            if (window_) window_->SetProgressValue(progressBar1_.value);
            if (progress_) progress_->Step();
        }
    }
}

void frmDWGTrim::ExtendBox(const vdEntity& entity, Corner& min, Corner& max) {
    vdPolyline polyline(entity);
    const std::int16_t n = polyline.VertexCount();
    for (std::int16_t i = 0; i < n; ++i) {
        const double x = polyline.Vertices()(i, 0);
        const double y = polyline.Vertices()(i, 1);
        if (x < min.x) min.x = x;
        if (y < min.y) min.y = y;
        if (x > max.x) max.x = x;
        if (y > max.y) max.y = y;
    }
}

void frmDWGTrim::DeleteViewports() {
    for (vdEntity e = VD.Document().ModelEntities().First(); e; e = VD.Document().ModelEntities().Next())
        if (e.TypeName() == "VDVIEWPORT") e.Delete();
}

namespace {

using Corner = frmDWGTrim::Corner;

// Where the sheet is built from: the trim frame (t0, t1), the title block's
// lower-left corner, the scale (sheet units per drawing unit over 1000) and
// the twist.
struct SheetPlace {
    Corner t0, t1, b0;
    double s, r;
};

// 3. The viewport: where the trim frame sits in the title block, showing
// the trim frame's region. 4. The twist, and the view centre turned with
// the trim box about its upper-left corner.
void AddFrameViewport(trim::vdLayout& sheet, const SheetPlace& at) {
    const Corner &T0 = at.t0, &T1 = at.t1, &B0 = at.b0;
    const double f = 1000 * at.s, r = at.r;
    const double ox = Checked((T0.x - B0.x) * f, "the viewport offset");
    const double oy = Checked((T0.y - B0.y) * f, "the viewport offset");
    const double vw = Checked((T1.x - T0.x) * f, "the viewport width");
    const double vh = Checked((T1.y - T0.y) * f, "the viewport height");
    vdViewport viewport(sheet.Entities().AddViewport(
        {Checked(vw / 2 + ox, "the viewport centre"), Checked(vh / 2 + oy, "the viewport centre")}, vw, vh));
    viewport.ViewCenter({Checked((T0.x + T1.x) / 2, "the view centre"), Checked((T0.y + T1.y) / 2, "the view centre")});
    viewport.ViewFlag(0);
    viewport.ViewHeight(Checked(T1.y - T0.y, "the view height"));
    if (r == 0) return;
    auto rotation = viewport.ViewRotation();
    rotation[2] = Checked(-r * kDegreesPerRadian, "the view twist");
    viewport.ViewRotation(rotation);
    auto centre = viewport.ViewCenter();
    const double dx = (T1.x - T0.x) / 2;
    const double dy = (T1.y - T0.y) / 2;
    centre[0] = Checked(T0.x + std::cos(r) * dx - std::sin(r) * dy, "the view centre");
    centre[1] = Checked(T1.y - std::cos(r) * dy - std::sin(r) * dx, "the view centre");
    viewport.ViewCenter(centre);
    viewport.Update();
}

// A title-block entity's copy on the sheet, at sheet scale; a text that
// starts with a caret gets its companion there too.
void CopyToSheet(vdEntity& e, const std::string& type, trim::vdLayout& sheet, const SheetPlace& at) {
    const Corner& B0 = at.b0;
    const double s = at.s, f = 1000 * s;
    if (type == "VDTEXT") {
        vdText c(e.Copy());
        const auto p = c.InsertionPoint();
        const double x = ToSheet(p[0], B0.x, s);
        const double y = ToSheet(p[1], B0.y, s);
        c.Height(Checked(c.Height() * f, "a text height"));
        c.InsertionPoint({x, y, p[2]});
        sheet.Entities().AddEntity(c);
        const std::string text = c.TextString();
        if (!text.empty() && text[0] == '^')
            sheet.Entities().PlaceString(std::string_view(text).substr(1), {x, y, 0.0}, CompanionSize(c.Height()));
    } else if (type == "VDPOLYLINE") {
        vdPolyline c(e.Copy());
        const std::int16_t count = c.VertexCount();
        for (std::int16_t i = 0; i < count; ++i) {
            const double x = Checked((c.Vertices()(i, 0) - B0.x) * f, "a vertex");
            const double y = Checked((c.Vertices()(i, 1) - B0.y) * f, "a vertex");
            c.SetVertex(i, {x, y, 0});
        }
        sheet.Entities().AddEntity(c);
    } else if (type == "VDINSERT") {
        vdInsert c(e.Copy());
        const auto p = c.InsertionPoint();
        c.InsertionPoint({ToSheet(p[0], B0.x, s), ToSheet(p[1], B0.y, s), p[2]});
        c.XScale(Checked(c.XScale() * f, "an insert scale"));
        c.YScale(Checked(c.YScale() * f, "an insert scale"));
        sheet.Entities().AddEntity(c);
    }
}

// 5. One model-space entity: the title block goes to the sheet (the trim
// frame stays, turned), background fills are made, caret texts get their
// companions.
void PlaceModelEntity(trim::vdDocument& doc, vdEntity& e, trim::vdLayout& sheet, const SheetPlace& at) {
    // Layers are not added during the walk: the name stays valid.
    const std::string& layer = e.LayerName();
    const std::string type = e.TypeName();
    if (IsTitleBlockLayer(layer)) {
        CopyToSheet(e, type, sheet, at);
        if (!IsTrimLayer(layer)) {
            e.Delete();
        } else if (type == "VDPOLYLINE") {
            e.Rotate({at.t0.x, at.t1.y}, -at.r);
            e.Update();
        }
    } else if (type == "VDPOLYLINE") {
        if (IsBackgroundFillLayer(layer)) {
            vdPolyline(e).FillMode(1);
            e.Update();
        }
    } else if (type == "VDTEXT") {
        vdText t(e);
        const std::string text = t.TextString();
        if (!text.empty() && text[0] == '^') {
            const auto p = t.InsertionPoint();
            doc.ModelEntities().PlaceString(std::string_view(text).substr(1), {p[0], p[1], 0.0},
                                            CompanionSize(t.Height()));
        }
    }
}

} // namespace

void frmDWGTrim::BuildSheet(const Corner& T0, const Corner& T1, const Corner& B0, const Corner& B1, double s,
                            double r) {
    auto& doc = VD.Document();
    const double f = 1000 * s;

    // 1. The sheet layout, made current.
    const std::int32_t n = doc.Layouts().Count();
    if (n == std::numeric_limits<std::int32_t>::max())
        throw ConversionError(ErrorCode::Overflow, "Overflow: the layout number");
    trim::vdLayout sheet = doc.Layouts().Add("PVO" + std::to_string(n + 1));
    doc.ActiveLayout(sheet);

    // 2. The frame: the title block's extent at sheet scale.
    const double w = Checked((B1.x - B0.x) * f, "the sheet width");
    const double h = Checked((B1.y - B0.y) * f, "the sheet height");
    sheet.Entities().AddPolyline({0, 0, 0, 0, h, 0, w, h, 0, w, 0, 0, 0, 0, 0});

    const SheetPlace at{T0, T1, B0, s, r};
    AddFrameViewport(sheet, at);
    for (vdEntity e = doc.ModelEntities().First(); e; e = doc.ModelEntities().Next()) PlaceModelEntity(doc, e, sheet, at);

    // 6.
    VD.Commands().Zoom("E", std::int16_t{0}, std::int16_t{0});
    VD.Redraw();
}

} // namespace ostrel
