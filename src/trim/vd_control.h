#pragma once
// The drawing control of the trim form: its document, view commands,
// redraw and title, over the engine's document.
#include <cstdint>
#include <string>
#include <string_view>

#include "run/form_window.h"
#include "trim/vd_document.h"

namespace ostrel::trim {

class vdControl;

class vdCommands {
public:
    vdCommands(vdDocument& doc, vdControl& control) : doc_(doc), control_(control) {}
    // "E" (any case) zooms to the extents of the current space: model space
    // sets the "*Active" viewport's view, a layout its overall viewport. The
    // two values are the viewer's zoom arguments; other modes change nothing.
    // The view, if shown, is painted again.
    void Zoom(std::string_view mode, std::string_view, std::string_view);
    void Zoom(std::string_view mode, std::int16_t, std::int16_t);

private:
    void ZoomExtents();
    void FitExtents();   // the view of the current space onto its extents
    vdDocument& doc_;
    vdControl& control_;
};

class vdControl {
public:
    // view: the form's window that shows the drawing, or null (nothing is
    // shown on screen).
    explicit vdControl(FormWindowCalls* view = nullptr) : view_(view) {}
    // The document; reaching it may change it, so the view no longer shows
    // it as it is.
    vdDocument& Document() {
        viewCurrent_ = false;
        return document_;
    }
    vdCommands Commands() { return vdCommands(document_, *this); }
    // Paints the document into the view, if there is one and it does not
    // show the document as it is (a zoom just painted it).
    void Redraw() {
        if (!viewCurrent_) Paint();
    }
    std::string TitleText() const;

private:
    friend class vdCommands;
    void Paint();
    vdDocument document_;
    FormWindowCalls* view_;
    bool viewCurrent_ = false;
};

// The extents (x, y) of the drawn entities of a block; false when it has none.
bool BlockExtents(cad::Drawing& d, std::uint32_t block, cad::Vec3& min, cad::Vec3& max);

} // namespace ostrel::trim
