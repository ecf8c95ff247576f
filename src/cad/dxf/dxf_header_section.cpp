// HEADER: the drawing's variables, $ACADVER first and $HANDSEED above every
// handle in the file.
#include "cad/dxf/dxf_write_context.h"
#include "cad/render_styles.h"

namespace ostrel::cad::dxf {

namespace {

void Var(TagWriter& w, const char* name) { w.Name(9, name); }

} // namespace

void WriteHeaderSection(WriteContext& c) {
    auto& w = c.w;
    const auto& h = c.d.header;
    w.Marker("SECTION");
    w.Name(2, "HEADER");

    Var(w, "$ACADVER");
    w.Name(1, AcadVersionString(c.release));
    if (c.release >= Release::R2000) {
        Var(w, "$ACADMAINTVER");
        w.Int(c.release >= Release::R2018 ? 90 : 70, 0);
    }
    // Strings are Windows-1252 up to R2004; from R2007 they are UTF-8 and
    // the code page only says what the drawing was made with.
    Var(w, "$DWGCODEPAGE");
    w.Name(3, h.codePage.empty() ? std::string_view("ANSI_1252") : std::string_view(h.codePage));
    Var(w, "$INSBASE");
    w.Point3(10, Vec3{});
    Var(w, "$EXTMIN");
    w.Point3(10, h.extMin);
    Var(w, "$EXTMAX");
    w.Point3(10, h.extMax);
    Var(w, "$LIMMIN");
    w.Point2(10, h.limMin[0], h.limMin[1]);
    Var(w, "$LIMMAX");
    w.Point2(10, h.limMax[0], h.limMax[1]);
    Var(w, "$LTSCALE");
    w.Real(40, h.ltScale);
    Var(w, "$TEXTSIZE");
    w.Real(40, h.textSize);
    Var(w, "$CLAYER");
    auto layer = c.d.FindLayer(h.currentLayer);
    if (layer == kNone) layer = c.d.FindLayer("0");
    w.Name(8, c.LayerName(layer == kNone ? 0 : layer));
    if (c.release >= Release::R2007 && c.ObjectWritten(StandardMaterialHandle(c.d, "ByLayer"))) {
        Var(w, "$CMATERIAL");
        w.HandleRef(347, StandardMaterialHandle(c.d, "ByLayer"));
    }
    Var(w, "$TILEMODE");
    w.Int(70, h.tileMode ? 1 : 0);
    if (c.r12) {
        Var(w, "$HANDLING");
        w.Int(70, 1);
    }
    Var(w, "$HANDSEED");
    w.HandleRef(5, c.handSeed);
    if (c.release >= Release::R14) {
        Var(w, "$MEASUREMENT");
        w.Int(70, h.measurement ? 1 : 0);
    }
    if (!c.preR2000) {
        Var(w, "$INSUNITS");
        w.Int(70, h.insUnits);
        Var(w, "$PSTYLEMODE");
        w.Int(290, h.pstyleMode ? 1 : 0);
    }
    w.Marker("ENDSEC");
}

} // namespace ostrel::cad::dxf
