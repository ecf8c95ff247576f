#include "cad/dwg/dwg_table_encoder.h"
#include "cad/render_styles.h"

#include <cstdlib>

#include "cad/dwg/dwg_dimension_defaults.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_object_common.h"

namespace ostrel::cad::dwg {

namespace {

// R2007 and later: default lighting on, brightness, contrast, ambient colour.
void Lighting(const ObjectStream& s, BitWriter& w) {
    if (!s.R2007()) return;
    w.B(true);
    w.RC(1);
    w.BD(0.0);
    w.BD(0.0);
    w.CMC(250);
}

// What view and viewport records share: looking straight down on the
// origin, untwisted, through a 50 mm lens, unclipped, in plain view and
// render modes.
void PlanView(const ObjectStream& s, BitWriter& w) {
    w.BD3({0, 0, 0});                               // target
    w.BD3({0, 0, 1});                               // direction
    w.BD(0.0);                                      // twist
    w.BD(50.0);                                     // lens length
    w.BD(0.0);                                      // front clip
    w.BD(0.0);                                      // back clip
    w.Bits(0, 4);                                   // view mode
    w.RC(0);                                        // render mode
    Lighting(s, w);
}

// R2007 and later: background, visual style and sun of a view or viewport.
// R2007 and later: background, visual style and sun.
void ViewHandles(const ObjectStream& s, BitWriter& w, Handle visualStyle = 0) {
    if (!s.R2007()) return;
    w.H(kSoftPointer, 0);
    w.H(kHardPointer, visualStyle);
    w.H(kHardOwner, 0);
}

void Control(ObjectStream& s, std::int16_t type, Handle handle, const std::vector<Handle>& entries,
             const std::vector<Handle>& hardOwned = {}, bool dimstyle = false) {
    BitWriter& w = BeginObject(s, type, handle);
    w.BL(static_cast<std::int32_t>(entries.size()));
    if (dimstyle) w.RC(0);              // no further handles
    ObjectHandles(s, w, 0);
    for (Handle h : entries) w.H(kSoftOwner, h);
    for (Handle h : hardOwned) w.H(kHardOwner, h);
    s.End();
}

template <class Records>
std::vector<Handle> HandlesOf(const Records& records) {
    std::vector<Handle> out;
    out.reserve(records.size());
    for (const auto& r : records) out.push_back(r.handle);
    return out;
}

void LayerRecord(ObjectStream& s, const EncodeContext& c, const Layer& l) {
    BitWriter& w = BeginObject(s, kTypeLayer, l.handle);
    RecordName(s, w, l.name, l.flags);
    std::int16_t values = static_cast<std::int16_t>(LineweightIndex(l.lineweight) << 5);
    if (l.flags & 1) values |= 1;                   // frozen
    if (l.off || l.colour < 0) values |= 2;         // off
    if (l.flags & 2) values |= 4;                   // frozen in new viewports
    if (l.flags & 4) values |= 8;                   // locked
    if (l.plot) values |= 16;
    w.BS(values);
    w.CMC(static_cast<std::int16_t>(std::abs(l.colour)));
    ObjectHandles(s, w, c.d.controls.layer);
    w.H(kHardPointer, 0);                           // not from an xref
    w.H(kHardPointer, l.plotStyle);
    if (s.R2007()) w.H(kHardPointer, StandardMaterialHandle(c.d, "Global"));   // material
    std::uint32_t lt = l.linetype == kNone ? c.ltContinuous : l.linetype;
    w.H(kHardPointer, c.LinetypeHandle(lt, l.handle));
    s.End();
}

void LinetypeRecord(ObjectStream& s, const EncodeContext& c, const Linetype& lt) {
    BitWriter& w = BeginObject(s, kTypeLtype, lt.handle);
    RecordName(s, w, lt.name, lt.flags);
    w.TV(lt.description);
    w.BD(lt.patternLength);
    w.RC(lt.alignment);
    std::size_t dashes = lt.dashes.size() > 255 ? 255 : lt.dashes.size();
    w.RC(static_cast<std::uint8_t>(dashes));
    for (std::size_t i = 0; i < dashes; ++i) {
        w.BD(lt.dashes[i]);
        w.BS(0);                                    // no shape
        w.RD(0.0);
        w.RD(0.0);
        w.BD(1.0);
        w.BD(0.0);
        w.BS(0);
    }
    static const std::uint8_t kNoStrings[256] = {};
    if (!s.R2007()) w.Raw(kNoStrings, sizeof kNoStrings);  // from R2007 only with text dashes
    ObjectHandles(s, w, c.d.controls.linetype);
    w.H(kHardPointer, 0);
    for (std::size_t i = 0; i < dashes; ++i) w.H(kHardPointer, 0);
    s.End();
}

void StyleRecord(ObjectStream& s, const EncodeContext& c, const TextStyle& st) {
    BitWriter& w = BeginObject(s, kTypeStyle, st.handle);
    RecordName(s, w, st.name, st.flags);
    w.B((st.flags & 1) != 0);                       // shape file
    w.B((st.flags & 4) != 0);                       // vertical
    w.BD(st.height);
    w.BD(st.widthFactor);
    w.BD(st.oblique);
    w.RC(st.generation);
    w.BD(st.lastHeight);
    w.TV(st.font);
    w.TV(st.bigFont);
    ObjectHandles(s, w, c.d.controls.style);
    w.H(kHardPointer, 0);
    s.End();
}

void AppidRecord(ObjectStream& s, const EncodeContext& c, const SimpleRecord& r) {
    BitWriter& w = BeginObject(s, kTypeAppid, r.handle);
    RecordName(s, w, r.name, r.flags);
    w.RC(0);
    ObjectHandles(s, w, c.d.controls.appid);
    w.H(kHardPointer, 0);
    s.End();
}

void ViewRecord(ObjectStream& s, const EncodeContext& c, const SimpleRecord& r) {
    BitWriter& w = BeginObject(s, kTypeView, r.handle);
    RecordName(s, w, r.name, r.flags);
    w.BD(1.0);                                      // height
    w.BD(1.0);                                      // width
    w.RD2(0.0, 0.0);                                // centre
    PlanView(s, w);
    w.B((r.flags & 1) != 0);                        // paper space view
    w.B(false);                                     // no UCS of its own
    if (s.R2007()) w.B(false);                      // camera not plotted
    ObjectHandles(s, w, c.d.controls.view);
    w.H(kHardPointer, 0);
    ViewHandles(s, w);
    if (s.R2007()) w.H(kSoftPointer, 0);            // live section
    s.End();
}

void UcsRecord(ObjectStream& s, const EncodeContext& c, const SimpleRecord& r) {
    BitWriter& w = BeginObject(s, kTypeUcs, r.handle);
    RecordName(s, w, r.name, r.flags);
    w.BD3({0, 0, 0});
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    w.BD(0.0);
    w.BS(0);
    w.BS(0);
    ObjectHandles(s, w, c.d.controls.ucs);
    w.H(kHardPointer, 0);
    w.H(kHardPointer, 0);                           // base UCS
    w.H(kHardPointer, 0);                           // named UCS
    s.End();
}

void DimstyleRecord(ObjectStream& s, const EncodeContext& c, const SimpleRecord& r, Handle textStyle) {
    BitWriter& w = BeginObject(s, kTypeDimstyle, r.handle);
    RecordName(s, w, r.name, r.flags);
    DimensionDefaults(w, c.release);                // DIMPOST .. DIMMZS
    w.BS(-2);                                       // DIMLWD
    w.BS(-2);                                       // DIMLWE
    w.B(false);
    ObjectHandles(s, w, c.d.controls.dimstyle);
    w.H(kHardPointer, 0);
    w.H(kHardPointer, textStyle);                   // DIMTXSTY
    for (int i = 0; i < 4; ++i) w.H(kHardPointer, 0);   // DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
    if (s.R2007()) for (int i = 0; i < 3; ++i) w.H(kHardPointer, 0);   // DIMLTYPE, DIMLTEX1, DIMLTEX2
    s.End();
}

void VportRecord(ObjectStream& s, const EncodeContext& c, const VportRecord& v) {
    BitWriter& w = BeginObject(s, kTypeVport, v.handle);
    RecordName(s, w, v.name, 0);
    w.BD(v.viewHeight);
    w.BD(v.aspect * v.viewHeight);                  // stored times the height
    w.RD2(v.viewCenter.x, v.viewCenter.y);
    PlanView(s, w);
    w.RD2(0.0, 0.0);                                // lower left
    w.RD2(1.0, 1.0);                                // upper right
    w.B(false);                                     // UCSFOLLOW
    w.BS(1000);                                     // circle zoom
    w.B(true);                                      // fast zoom
    w.Bits(3, 2);                                   // UCS icon on, at origin
    w.B(false);                                     // grid
    w.RD2(10.0, 10.0);
    w.B(false);                                     // snap
    w.B(false);
    w.BS(0);
    w.BD(0.0);
    w.RD2(0.0, 0.0);
    w.RD2(10.0, 10.0);
    w.B(false);
    w.B(true);                                      // UCS per viewport
    w.BD3({0, 0, 0});
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    w.BD(0.0);
    w.BS(0);
    if (s.R2007()) {
        w.BS(3);                                    // grid flags
        w.BS(5);                                    // major grid lines
    }
    ObjectHandles(s, w, c.d.controls.vport);
    w.H(kHardPointer, 0);
    ViewHandles(s, w, v.name == "*Active" ? StandardVisualStyleHandle(c.d, "2dWireframe") : 0);
    w.H(kHardPointer, 0);                           // named UCS
    w.H(kHardPointer, 0);                           // base UCS
    s.End();
}

void VxRecord(ObjectStream& s, const EncodeContext& c, Handle handle, Handle viewport, Handle previous) {
    BitWriter& w = BeginObject(s, kTypeVx, handle);
    RecordName(s, w, "", 0);
    w.B(true);                                      // on
    ObjectHandles(s, w, c.d.controls.vx);
    w.H(kHardPointer, 0);
    w.H(kSoftPointer, viewport);
    w.H(kHardPointer, previous);
    s.End();
}

bool IsSpace(const EncodeContext& c, std::uint32_t block) { return block == c.modelSpace || block == c.paperSpace; }

} // namespace

void EncodeTables(ObjectStream& s, const EncodeContext& c) {
    const Drawing& d = c.d;

    std::vector<Handle> blockEntries;
    for (std::uint32_t i = 0; i < d.blocks.size(); ++i)
        if (!IsSpace(c, i)) blockEntries.push_back(d.blocks[i].handle);
    Control(s, kTypeBlockControl, d.controls.block, blockEntries, {c.modelSpaceHandle, c.paperSpaceHandle});

    Control(s, kTypeLayerControl, d.controls.layer, HandlesOf(d.layers));
    for (const auto& l : d.layers) LayerRecord(s, c, l);

    Control(s, kTypeStyleControl, d.controls.style, HandlesOf(d.styles));
    for (const auto& st : d.styles) StyleRecord(s, c, st);

    std::vector<Handle> ltEntries;
    for (std::uint32_t i = 0; i < d.linetypes.size(); ++i)
        if (i != c.ltByLayer && i != c.ltByBlock) ltEntries.push_back(d.linetypes[i].handle);
    Control(s, kTypeLtypeControl, d.controls.linetype, ltEntries,
            {d.linetypes[c.ltByBlock].handle, d.linetypes[c.ltByLayer].handle});
    for (const auto& lt : d.linetypes) LinetypeRecord(s, c, lt);

    Control(s, kTypeViewControl, d.controls.view, HandlesOf(d.views));
    for (const auto& v : d.views) ViewRecord(s, c, v);

    Control(s, kTypeUcsControl, d.controls.ucs, HandlesOf(d.ucss));
    for (const auto& u : d.ucss) UcsRecord(s, c, u);

    Control(s, kTypeVportControl, d.controls.vport, HandlesOf(d.vports));
    for (const auto& v : d.vports) VportRecord(s, c, v);

    Control(s, kTypeAppidControl, d.controls.appid, HandlesOf(d.appids));
    for (const auto& a : d.appids) AppidRecord(s, c, a);

    Control(s, kTypeDimstyleControl, d.controls.dimstyle, HandlesOf(d.dimstyles), {}, true);
    Handle standard = d.styles.empty() ? 0 : d.styles[0].handle;
    if (auto i = d.FindStyle("Standard"); i != kNone) standard = d.styles[i].handle;
    for (const auto& ds : d.dimstyles) DimstyleRecord(s, c, ds, standard);

    if (s.R2004()) return;                          // no VX table from R2004 on
    std::vector<Handle> vx;
    for (const auto& r : c.VxRecords()) vx.push_back(r.handle);
    Control(s, kTypeVxControl, d.controls.vx, vx);
    Handle previous = 0;
    for (const auto& r : c.VxRecords()) {
        VxRecord(s, c, r.handle, r.viewportEntity, previous);
        previous = r.handle;
    }
}

void EncodeBlockHeaders(ObjectStream& s, const EncodeContext& c) {
    const Drawing& d = c.d;
    for (std::uint32_t bi = 0; bi < d.blocks.size(); ++bi) {
        const BlockRecord& b = d.blocks[bi];
        // First and last entity of the block's chain (VERTEX, ATTRIB and
        // SEQEND are chained below their polyline or insert instead).
        auto chained = [&d](std::uint32_t idx) {
            auto t = d.entities[idx].type;
            return t != EntityType::Vertex && t != EntityType::Attrib && t != EntityType::SeqEnd;
        };
        Handle first = 0, last = 0;
        std::size_t owned = 0;
        if (s.R2004()) {
            for (auto idx : b.entities) owned += chained(idx) ? 1 : 0;
        } else {
            for (auto it = b.entities.begin(); it != b.entities.end(); ++it)
                if (chained(*it)) { first = d.entities[*it].handle; break; }
            for (auto it = b.entities.rbegin(); it != b.entities.rend(); ++it)
                if (chained(*it)) { last = d.entities[*it].handle; break; }
        }
        BitWriter& w = BeginObject(s, kTypeBlockHeader, b.handle);
        RecordName(s, w, b.name, 0);
        w.B((b.flags & 1) != 0);                    // anonymous
        w.B((b.flags & 2) != 0);                    // has attribute definitions
        w.B(false);                                 // not an xref
        w.B(false);
        w.B(false);                                 // loaded
        if (s.R2004()) w.BL(static_cast<std::int32_t>(owned));
        w.BD3(b.base);
        w.TV("");                                   // xref path
        w.RC(0);                                    // no insert handles listed
        w.TV("");                                   // description
        w.BL(0);                                    // no preview
        if (s.R2007()) {
            w.BS(0);                                // insert units
            w.B(true);                              // explodable
            w.RC(0);                                // any scaling
        }
        ObjectHandles(s, w, d.controls.block);
        w.H(kHardPointer, 0);
        w.H(kHardOwner, d.entities.at(b.beginEntity).handle);
        if (s.R2004()) {
            for (auto idx : b.entities)
                if (chained(idx)) w.H(kHardOwner, d.entities[idx].handle);
        } else {
            w.H(kSoftPointer, first);
            w.H(kSoftPointer, last);
        }
        w.H(kHardOwner, d.entities.at(b.endEntity).handle);
        w.H(kHardPointer, b.layout);
        s.End();
    }
}

} // namespace ostrel::cad::dwg
