#include "cad/dwg/dwg_nongraphic_encoder.h"

#include <cmath>

#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_material_visualstyle.h"
#include "cad/dwg/dwg_object_common.h"
#include "cad/dwg/dwg_style_objects.h"

namespace ostrel::cad::dwg {

namespace {

void Dictionary(ObjectStream& s, const Object& o, bool withDefault) {
    BitWriter& w = BeginObject(s, withDefault ? kClassDictionaryWithDefault : static_cast<std::int16_t>(kTypeDictionary), o.handle,
                               o.reactors.size());
    w.BL(static_cast<std::int32_t>(o.entries.size()));
    w.BS(o.cloning);
    w.RC(o.hardOwner ? 1 : 0);
    for (const auto& e : o.entries) w.TV(e.name);
    ObjectHandles(s, w, o.owner, &o.reactors);
    for (const auto& e : o.entries) w.H(o.hardOwner ? kHardOwner : kSoftOwner, e.target);
    if (withDefault) w.H(kHardPointer, o.defaultEntry);
    s.End();
}

void Layout(ObjectStream& s, const Object& o) {
    static const LayoutData kEmpty;
    const LayoutData& l = o.layout ? *o.layout : kEmpty;
    const bool model = l.tabOrder == 0;
    BitWriter& w = BeginObject(s, kClassLayout, o.handle, o.reactors.size());
    // Plot settings.
    w.TV(l.pageSetupName);
    w.TV(l.printerName);
    w.BS(l.plotFlags);
    for (int i = 0; i < 4; ++i) w.BD(0.0);      // margins
    w.BD(l.paperWidth);
    w.BD(l.paperHeight);
    w.TV(l.paperName);
    w.BD2(0.0, 0.0);                            // plot origin
    w.BS(1);                                    // paper units: millimetres
    w.BS(0);                                    // no rotation
    w.BS(model ? 0 : 5);                        // plot type: display / layout
    w.BD2(0.0, 0.0);                            // window
    w.BD2(0.0, 0.0);
    if (!s.R2004()) w.TV("");                   // plot view name (a handle from R2004 on)
    w.BD(1.0);                                  // real world units
    w.BD(1.0);                                  // drawing units
    w.TV("");                                   // style sheet
    w.BS(model ? 0 : 16);                       // scale: fit / 1:1
    w.BD(1.0);
    w.BD2(0.0, 0.0);                            // paper image origin
    if (s.R2004()) {
        w.BS(0);                                // shade plot: as displayed
        w.BS(2);                                // resolution: normal
        w.BS(300);                              // custom dpi
    }
    // Layout.
    w.TV(l.name);
    w.BL(l.tabOrder);
    w.BS(l.layoutFlags);
    w.BD3({0, 0, 0});                           // UCS origin
    w.RD2(l.limMin[0], l.limMin[1]);
    w.RD2(l.limMax[0], l.limMax[1]);
    w.BD3(l.insBase);
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    w.BD(0.0);
    w.BS(0);
    w.BD3(l.extMin);
    w.BD3(l.extMax);
    if (s.R2004()) w.BL(0);                     // no viewports listed
    ObjectHandles(s, w, o.owner, &o.reactors);
    if (s.R2004()) w.H(kHardPointer, 0);        // plot view
    if (s.R2007()) w.H(kSoftPointer, 0);        // visual style
    w.H(kSoftPointer, l.blockRecord);
    w.H(kSoftPointer, l.lastViewport);
    w.H(kHardPointer, 0);                       // base UCS
    w.H(kHardPointer, 0);                       // named UCS
    s.End();
}

void MLineStyle(ObjectStream& s, const Object& o, Handle byLayer) {
    BitWriter& w = BeginObject(s, kTypeMlineStyle, o.handle, o.reactors.size());
    w.TV(o.name);
    w.TV("");
    w.BS(0);
    w.CMC(kColourByLayer);                      // fill colour
    const double right = std::acos(0.0);
    w.BD(right);
    w.BD(right);
    w.RC(2);
    for (double offset : {0.5, -0.5}) {
        w.BD(offset);
        w.CMC(kColourByLayer);
        if (!s.R2018()) w.BS(32767);            // linetype ByLayer (a handle from R2018)
    }
    ObjectHandles(s, w, o.owner, &o.reactors);
    if (s.R2018()) for (int i = 0; i < 2; ++i) w.H(kHardPointer, byLayer);
    s.End();
}

void Simple(ObjectStream& s, const Object& o, std::int16_t type) {
    BitWriter& w = BeginObject(s, type, o.handle, o.reactors.size());
    if (type == kTypeXRecord) {
        w.BL(0);                                // no data
        w.BS(o.cloning);
    }
    ObjectHandles(s, w, o.owner, &o.reactors);
    s.End();
}

void DictionaryVar(ObjectStream& s, const Object& o) {
    BitWriter& w = BeginObject(s, kClassDictionaryVar, o.handle, o.reactors.size());
    w.RC(0);                                    // schema
    w.TV(o.value);
    ObjectHandles(s, w, o.owner, &o.reactors);
    s.End();
}

void Scale(ObjectStream& s, const Object& o) {
    BitWriter& w = BeginObject(s, kClassScale, o.handle, o.reactors.size());
    w.BS(0);
    w.TV(o.name);
    w.BD(o.paperUnits);
    w.BD(o.drawingUnits);
    w.B(o.unitScale);
    ObjectHandles(s, w, o.owner, &o.reactors);
    s.End();
}

// A multileader style names its class version in extended data where the
// release has no field for it.
void Style(ObjectStream& s, const Object& o, const Drawing& d) {
    const bool mleader = o.type == ObjectType::MLeaderStyle;
    ObjectStream::ExtendedData version{0, {}};
    if (mleader && !s.R2010())
        for (const auto& a : d.appids)
            if (a.name == kMLeaderVersionApp) version = {a.handle, {70, 2, 0}};   // 1070: 2
    BitWriter& w = BeginObject(s, mleader ? kClassMLeaderStyle : kClassTableStyle, o.handle, o.reactors.size(),
                               version.app ? &version : nullptr);
    WriteStyleData(w, s.WrittenRelease(), o.type, o.style);
    ObjectHandles(s, w, o.owner, &o.reactors);
    WriteStyleHandles(w, s.WrittenRelease(), o.type, o.style);
    s.End();
}

// MATERIAL and VISUALSTYLE: the data as the release lays it out.
void RenderStyle(ObjectStream& s, const Object& o, Release release) {
    BitWriter& w = BeginObject(s, ClassNumberOf(o.type), o.handle, o.reactors.size());
    if (o.material) WriteMaterialData(w, *o.material, release);
    if (o.visualStyle) WriteVisualStyleData(w, *o.visualStyle, release);
    ObjectHandles(s, w, o.owner, &o.reactors);
    s.End();
}

} // namespace

void EncodeObjects(ObjectStream& s, const EncodeContext& c) {
    for (const Object& o : c.d.objects) {
        switch (o.type) {
        case ObjectType::Dictionary: Dictionary(s, o, false); break;
        case ObjectType::DictionaryWithDefault: Dictionary(s, o, true); break;
        case ObjectType::Placeholder: Simple(s, o, kClassPlaceholder); break;
        case ObjectType::Layout: Layout(s, o); break;
        case ObjectType::MLineStyle: MLineStyle(s, o, c.d.linetypes[c.ltByLayer].handle); break;
        case ObjectType::XRecord: Simple(s, o, kTypeXRecord); break;
        case ObjectType::DictionaryVar: DictionaryVar(s, o); break;
        case ObjectType::Scale: Scale(s, o); break;
        case ObjectType::MLeaderStyle:
        case ObjectType::TableStyle:
            Style(s, o, c.d);
            break;
        case ObjectType::Material: case ObjectType::VisualStyle: RenderStyle(s, o, c.release); break;
        }
    }
}

} // namespace ostrel::cad::dwg
