#include <chrono>
#include <cstdlib>

#include "cad/dwg/dwg_dimension_defaults.h"
#include "cad/dwg/dwg_format.h"
#include "cad/dwg/dwg_header_vars.h"
#include "cad/render_styles.h"
#include "cad/release_traits.h"

namespace ostrel::cad::dwg {

namespace {

// SOURCE_DATE_EPOCH (whole seconds since 1970, as reproducible builds set
// it) when it is set and valid, so that the same export gives the same bytes.
bool SourceDateEpoch(long long& ms) {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text) return false;
    char* end = nullptr;
    const long long seconds = std::strtoll(text, &end, 10);
    if (*end != '\0' || seconds < 0 || seconds > 253402300799LL) return false;   // up to 9999-12-31
    ms = seconds * 1000;
    return true;
}

} // namespace

// Every time stamp a drawing holds (the header's TDCREATE and TDUPDATE, the
// aux header, the summary info, the free-space section) comes from here.
DwgDate DateNow() {
    using namespace std::chrono;
    long long ms = 0;
    if (!SourceDateEpoch(ms)) ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    if (ms < 0) ms = 0;
    // A Julian date: days since noon of 1 January 4713 BC; 1970-01-01 00:00 is 2440587.5.
    ms += 86400000LL * 2440587 + 43200000LL;
    DwgDate d;
    d.day = static_cast<std::int32_t>(ms / 86400000);
    d.ms = static_cast<std::int32_t>(ms % 86400000);
    return d;
}

namespace {

void Origin(BitWriter& w) { w.BD3({0, 0, 0}); }

// The current text style: "Standard", or the first style when there is none of that name.
Handle StandardStyle(const Drawing& d) {
    std::uint32_t style = d.FindStyle("Standard");
    return style != kNone ? d.styles[style].handle : (d.styles.empty() ? 0 : d.styles[0].handle);
}

// UCS name, orthographic reference and view, base, and the six orthographic origins.
void UcsBlock(BitWriter& w) {
    w.H(kHardPointer, 0);
    w.H(kHardPointer, 0);
    w.BS(0);
    w.H(kHardPointer, 0);
    for (int i = 0; i < 6; ++i) Origin(w);
}

// The unit conversions, the drawing modes and the settings of units and points.
void UnitsAndModes(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const HeaderVars& h = d.header;
    const bool r2004 = c.R2004();
    const bool r2007 = c.release >= Release::R2007;

    if (c.release >= Release::R2013) w.BLL(0);  // REQUIREDVERSIONS
    w.BD(412148564080.0);                       // unit conversion ratios
    w.BD(1.0);
    w.BD(1.0);
    w.BD(1.0);
    w.TV("m");                                  // unit names
    w.TV("");
    w.TV("");
    w.TV("");
    if (r2007) w.TV("");                        // MENUNAME (from R2007 among the strings, after the unit names)
    w.BL(24);
    w.BL(0);
    if (Traits(c.release).vxTable) w.H(kHardPointer, 0);   // current viewport record (the VX table)
    w.B(true);                                  // DIMASO
    w.B(true);                                  // DIMSHO
    w.B(false);                                 // PLINEGEN
    w.B(false);                                 // ORTHOMODE
    w.B(true);                                  // REGENMODE
    w.B(true);                                  // FILLMODE
    w.B(false);                                 // QTEXTMODE
    w.B(true);                                  // PSLTSCALE
    w.B(false);                                 // LIMCHECK
    if (r2004) w.B(false);                      // a bit of unknown use
    w.B(true);                                  // USRTIMER
    w.B(false);                                 // SKPOLY
    w.B(false);                                 // ANGDIR
    w.B(false);                                 // SPLFRAME
    w.B(false);                                 // MIRRTEXT
    w.B(true);                                  // WORLDVIEW
    w.B(h.tileMode != 0);                       // TILEMODE
    w.B(false);                                 // PLIMCHECK
    w.B(true);                                  // VISRETAIN
    w.B(false);                                 // DISPSILH
    w.B(false);                                 // PELLIPSE
    w.BS(1);                                    // PROXYGRAPHICS
    w.BS(3020);                                 // TREEDEPTH
    w.BS(2);                                    // LUNITS
    w.BS(4);                                    // LUPREC
    w.BS(0);                                    // AUNITS
    w.BS(0);                                    // AUPREC
    w.BS(1);                                    // ATTMODE
    w.BS(0);                                    // PDMODE
    if (r2004) for (int i = 0; i < 3; ++i) w.BL(0);     // three longs of unknown use
}

// The user numbers, the surface and text settings, the dates and the handle seed.
void NumbersAndDates(BitWriter& w, const EncodeContext& c, DwgDate created, DwgDate updated) {
    const Drawing& d = c.d;
    const HeaderVars& h = d.header;
    const bool r2004 = c.R2004();
    for (int i = 0; i < 5; ++i) w.BS(0);        // USERI1-5
    w.BS(8);                                    // SPLINESEGS
    w.BS(6);                                    // SURFU
    w.BS(6);                                    // SURFV
    w.BS(6);                                    // SURFTYPE
    w.BS(6);                                    // SURFTAB1
    w.BS(6);                                    // SURFTAB2
    w.BS(6);                                    // SPLINETYPE
    w.BS(3);                                    // SHADEDGE
    w.BS(70);                                   // SHADEDIF
    w.BS(0);                                    // UNITMODE
    w.BS(64);                                   // MAXACTVP
    w.BS(4);                                    // ISOLINES
    w.BS(0);                                    // CMLJUST
    w.BS(50);                                   // TEXTQLTY
    w.BD(h.ltScale);                            // LTSCALE
    w.BD(h.textSize);                           // TEXTSIZE
    w.BD(1.0);                                  // TRACEWID
    w.BD(1.0);                                  // SKETCHINC
    w.BD(0.0);                                  // FILLETRAD
    w.BD(0.0);                                  // THICKNESS
    w.BD(0.0);                                  // ANGBASE
    w.BD(0.0);                                  // PDSIZE
    w.BD(0.0);                                  // PLINEWID
    for (int i = 0; i < 5; ++i) w.BD(0.0);      // USERR1-5
    for (int i = 0; i < 4; ++i) w.BD(0.0);      // CHAMFERA-D
    w.BD(0.5);                                  // FACETRES
    w.BD(1.0);                                  // CMLSCALE
    w.BD(1.0);                                  // CELTSCALE
    w.TV("acad");                               // MENUNAME (from R2007 the fifth of the strings)
    w.BL(created.day);
    w.BL(created.ms);
    w.BL(updated.day);
    w.BL(updated.ms);
    if (r2004) for (int i = 0; i < 3; ++i) w.BL(0);
    w.BL(0);                                    // TDINDWG
    w.BL(0);
    w.BL(0);                                    // TDUSRTIMER
    w.BL(0);
    w.CMC(kColourByLayer);                      // CECOLOR
    {                                           // HANDSEED: in the data even where handles have a stream
        BitWriter* handles = w.handles;
        w.handles = nullptr;
        w.H(kOwnHandle, c.handSeed);
        w.handles = handles;
    }
}

// The current layer, text style, linetype, material, dimension and multiline styles.
void CurrentRecords(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const HeaderVars& h = d.header;
    const bool r2007 = c.release >= Release::R2007;
    std::uint32_t layer = d.FindLayer(h.currentLayer);
    w.H(kHardPointer, d.layers[layer == kNone ? 0 : layer].handle);            // CLAYER
    const Handle styleHandle = StandardStyle(d);
    w.H(kHardPointer, styleHandle);             // TEXTSTYLE
    w.H(kHardPointer, d.linetypes[c.ltByLayer].handle);                        // CELTYPE
    if (r2007) w.H(kHardPointer, StandardMaterialHandle(d, "ByLayer"));         // CMATERIAL
    w.H(kHardPointer, d.dimstyles.empty() ? 0 : d.dimstyles[0].handle);        // DIMSTYLE
    w.H(kHardPointer, c.FirstObject(ObjectType::MLineStyle));                  // CMLSTYLE
    w.BD(0.0);                                  // PSVPSCALE
}

// Paper space, then model space: base, extents, limits, elevation and UCS.
void SpaceSettings(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const HeaderVars& h = d.header;
    // Paper space.
    const Object* paperLayout = d.ObjectByHandle(d.blocks[c.paperSpace].layout);
    const LayoutData* pl = paperLayout && paperLayout->layout ? paperLayout->layout.get() : nullptr;
    Origin(w);                                  // PINSBASE
    w.BD3(pl ? pl->extMin : Vec3{1e20, 1e20, 1e20});
    w.BD3(pl ? pl->extMax : Vec3{-1e20, -1e20, -1e20});
    w.RD2(pl ? pl->limMin[0] : 0.0, pl ? pl->limMin[1] : 0.0);
    w.RD2(pl ? pl->limMax[0] : 420.0, pl ? pl->limMax[1] : 297.0);
    w.BD(0.0);                                  // PELEVATION
    Origin(w);                                  // PUCSORG
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    UcsBlock(w);

    // Model space.
    Origin(w);                                  // INSBASE
    w.BD3(h.extMin);
    w.BD3(h.extMax);
    w.RD2(h.limMin[0], h.limMin[1]);
    w.RD2(h.limMax[0], h.limMax[1]);
    w.BD(0.0);                                  // ELEVATION
    Origin(w);                                  // UCSORG
    w.BD3({1, 0, 0});
    w.BD3({0, 1, 0});
    UcsBlock(w);
}

// The dimension settings, the table controls and the named dictionaries.
void DimensionsAndDictionaries(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const bool r2004 = c.R2004();
    const bool r2007 = c.release >= Release::R2007;
    const Handle styleHandle = StandardStyle(d);
    DimensionDefaults(w, c.release);            // DIMPOST .. DIMMZS
    w.H(kHardPointer, styleHandle);             // DIMTXSTY
    for (int i = 0; i < 4; ++i) w.H(kHardPointer, 0);   // DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
    if (r2007) for (int i = 0; i < 3; ++i) w.H(kHardPointer, 0);   // DIMLTYPE, DIMLTEX1, DIMLTEX2
    w.BS(-2);                                   // DIMLWD
    w.BS(-2);                                   // DIMLWE

    w.H(kHardOwner, d.controls.block);
    w.H(kHardOwner, d.controls.layer);
    w.H(kHardOwner, d.controls.style);
    w.H(kHardOwner, d.controls.linetype);
    w.H(kHardOwner, d.controls.view);
    w.H(kHardOwner, d.controls.ucs);
    w.H(kHardOwner, d.controls.vport);
    w.H(kHardOwner, d.controls.appid);
    w.H(kHardOwner, d.controls.dimstyle);
    if (!r2004) w.H(kHardOwner, d.controls.vx);
    w.H(kHardPointer, c.RootEntry("ACAD_GROUP"));
    w.H(kHardPointer, c.RootEntry("ACAD_MLINESTYLE"));
    w.H(kHardOwner, d.rootDictionary);
    w.BS(1);                                    // TSTACKALIGN
    w.BS(70);                                   // TSTACKSIZE
    w.TV("");                                   // HYPERLINKBASE
    w.TV("");                                   // STYLESHEET
    w.H(kHardPointer, c.RootEntry("ACAD_LAYOUT"));
    w.H(kHardPointer, c.RootEntry("ACAD_PLOTSETTINGS"));
    w.H(kHardPointer, c.RootEntry("ACAD_PLOTSTYLENAME"));
    if (r2004) {
        w.H(kHardPointer, c.RootEntry("ACAD_MATERIAL"));
        w.H(kHardPointer, c.RootEntry("ACAD_COLOR"));
    }
    if (r2007) w.H(kHardPointer, c.RootEntry("ACAD_VISUALSTYLE"));
    if (c.release >= Release::R2013) w.H(kHardPointer, 0);
}

// Lineweight and plot-style flags, units, the drawing's GUIDs and the R2004 display bytes.
void FlagsAndGuids(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const HeaderVars& h = d.header;
    const bool r2004 = c.R2004();
    std::int32_t flags = 29;                    // CELWEIGHT ByLayer
    flags |= 0x200;                             // lineweights not displayed
    flags |= 0x800;                             // extended names
    if (h.pstyleMode) flags |= 0x2000;          // colour-dependent plot styles
    w.BL(flags);
    w.BS(h.insUnits);
    w.BS(0);                                    // CEPSNTYPE ByLayer
    w.TV("{5A2B4D3C-1E0F-4A6B-9C8D-7E6F5A4B3C2D}");   // FINGERPRINTGUID
    w.TV("{FAEB1C32-E019-11D5-929B-00C0DF256EC4}");   // VERSIONGUID
    if (r2004) {
        w.RC(0);                                // SORTENTS
        w.RC(0);                                // INDEXCTL
        w.RC(1);                                // HIDETEXT
        w.RC(0);                                // XCLIPFRAME
        w.RC(2);                                // DIMASSOC
        w.RC(0);                                // HALOGAP
        w.BS(257);                              // OBSCOLOR
        w.BS(257);                              // INTERSECTIONCOLOR
        w.RC(0);                                // OBSLTYPE
        w.RC(0);                                // INTERSECTIONDISPLAY
        w.TV("");                               // PROJECTNAME
    }
}

// The space blocks and standard linetypes, then R2007's camera, solids, lofts, sun and light settings.
void SpacesAndRendering(BitWriter& w, const EncodeContext& c) {
    const Drawing& d = c.d;
    const bool r2007 = c.release >= Release::R2007;
    w.H(kHardPointer, c.paperSpaceHandle);
    w.H(kHardPointer, c.modelSpaceHandle);
    w.H(kHardPointer, d.linetypes[c.ltByLayer].handle);
    w.H(kHardPointer, d.linetypes[c.ltByBlock].handle);
    w.H(kHardPointer, d.linetypes[c.ltContinuous].handle);
    if (r2007) {
        w.B(false);                             // CAMERADISPLAY
        w.BL(0);
        w.BL(0);
        w.BD(0.0);
        w.BD(2.0);                              // STEPSPERSEC
        w.BD(6.0);                              // STEPSIZE
        w.BD(2.0);                              // 3DDWFPREC
        w.BD(50.0);                             // LENSLENGTH
        w.BD(0.0);                              // CAMERAHEIGHT
        w.RC(1);                                // SOLIDHIST
        w.RC(1);                                // SHOWHIST
        w.BD(0.25);                             // PSOLWIDTH
        w.BD(4.0);                              // PSOLHEIGHT
        w.BD(1.5707963267948966);               // LOFTANG1
        w.BD(1.5707963267948966);               // LOFTANG2
        w.BD(0.0);                              // LOFTMAG1
        w.BD(0.0);                              // LOFTMAG2
        w.BS(7);                                // LOFTPARAM
        w.RC(1);                                // LOFTNORMALS
        w.BD(37.795);                           // LATITUDE
        w.BD(-122.394);                         // LONGITUDE
        w.BD(0.0);                              // NORTHDIRECTION
        w.BL(-8000);                            // TIMEZONE
        w.RC(1);                                // LIGHTGLYPHDISPLAY
        w.RC('0');                              // TILEMODELIGHTSYNCH
        w.RC(1);                                // DWFFRAME
        w.RC(1);                                // DGNFRAME
        w.B(false);
        w.CMC(1);                               // INTERFERECOLOR
        w.H(kHardPointer, 0);                   // INTERFEREOBJVS
        w.H(kHardPointer, 0);                   // INTERFEREVPVS
        w.H(kHardPointer, 0);                   // DRAGVS
        w.RC(0);                                // CSHADOW
        w.BD(0.0);
    }
    for (int i = 0; i < 4; ++i) w.BS(0);        // four shorts of unknown use
}

} // namespace

void WriteHeaderVariables(BitWriter& w, const EncodeContext& c, DwgDate created, DwgDate updated) {
    w.fullColour = c.R2004();
    UnitsAndModes(w, c);
    NumbersAndDates(w, c, created, updated);
    CurrentRecords(w, c);
    SpaceSettings(w, c);
    DimensionsAndDictionaries(w, c);
    FlagsAndGuids(w, c);
    SpacesAndRendering(w, c);
}

std::vector<std::uint8_t> HeaderVariablesData(const EncodeContext& c, DwgDate created, DwgDate updated) {
    BitWriter w;
    if (!Traits(c.release).stringStream) {
        WriteHeaderVariables(w, c, created, updated);
        w.PadToByte();
        return w.Bytes();
    }
    // R2007 and later: the size in bits of data and strings, the data with
    // its strings at the end, then the handles.
    BitWriter text, handles;
    w.RL(0);
    w.text = &text;
    w.handles = &handles;
    WriteHeaderVariables(w, c, created, updated);
    w.text = nullptr;
    w.handles = nullptr;
    w.EndStrings(text);
    w.PatchRL(0, static_cast<std::uint32_t>(w.BitPosition()));
    w.AppendBits(handles, handles.BitPosition());
    w.PadToByte();
    return w.Bytes();
}

} // namespace ostrel::cad::dwg
