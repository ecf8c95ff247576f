#pragma once
// The drawing control of the trim form: its document, view commands,
// redraw and title, over the engine's document.
#include <cstdint>
#include <string>
#include <string_view>

#include "trim/vd_document.h"

namespace ostrel::trim {

class vdCommands {
public:
    explicit vdCommands(vdDocument& doc) : doc_(doc) {}
    // "E" (any case) zooms to the extents of the current space: model space
    // sets the "*Active" viewport's view, a layout its overall viewport. The
    // two values are the viewer's zoom arguments; other modes change nothing.
    void Zoom(std::string_view mode, std::string_view, std::string_view);
    void Zoom(std::string_view mode, std::int16_t, std::int16_t);

private:
    void ZoomExtents();
    vdDocument& doc_;
};

class vdControl {
public:
    vdDocument& Document() { return document_; }
    vdCommands Commands() { return vdCommands(document_); }
    // Nothing is shown on screen: the document needs no repainting.
    void Redraw() {}
    std::string TitleText() const;

private:
    vdDocument document_;
};

// The extents (x, y) of the drawn entities of a block; false when it has none.
bool BlockExtents(cad::Drawing& d, std::uint32_t block, cad::Vec3& min, cad::Vec3& max);

} // namespace ostrel::trim
