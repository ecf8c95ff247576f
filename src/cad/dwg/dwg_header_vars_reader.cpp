#include "cad/dwg/dwg_header_vars.h"

namespace ostrel::cad::dwg {

namespace {

Handle Ref(BitReader& r) { return r.H().value; }
void SkipBD(BitReader& r, int n) {
    for (int i = 0; i < n; ++i) r.BD();
}
void SkipBS(BitReader& r, int n) {
    for (int i = 0; i < n; ++i) r.BS();
}
void SkipB(BitReader& r, int n) {
    for (int i = 0; i < n; ++i) r.B();
}
void SkipUcsBlock(BitReader& r) {
    Ref(r);         // UCS name
    Ref(r);         // orthographic reference
    r.BS();
    Ref(r);         // base
    SkipBD(r, 18);  // six orthographic origins
}

// The units, modes and numbers up to the handle seed.
void ReadModesAndNumbers(BitReader& r, HeaderVars& v, HeaderHandles& h, Release release) {
    const bool r2004 = release >= Release::R2004;
    if (release >= Release::R2013) r.BLL();     // REQUIREDVERSIONS
    SkipBD(r, 4);                       // unit ratios
    for (int i = 0; i < 4; ++i) r.TV(); // unit names
    r.BL();
    r.BL();
    if (!r2004) Ref(r);                 // current viewport record
    SkipB(r, 9);                        // DIMASO .. LIMCHECK
    if (r2004) r.B();
    SkipB(r, 6);                        // USRTIMER .. WORLDVIEW
    v.tileMode = r.B() ? 1 : 0;
    SkipB(r, 4);                        // PLIMCHECK, VISRETAIN, DISPSILH, PELLIPSE
    SkipBS(r, 8);                       // PROXYGRAPHICS .. PDMODE
    if (r2004) for (int i = 0; i < 3; ++i) r.BL();
    SkipBS(r, 5);                       // USERI1-5
    SkipBS(r, 14);                      // SPLINESEGS .. TEXTQLTY
    v.ltScale = r.BD();
    v.textSize = r.BD();
    SkipBD(r, 7 + 5 + 4 + 3);           // TRACEWID .. PLINEWID, USERR1-5, CHAMFERA-D, FACETRES..CELTSCALE
    r.TV();                             // MENUNAME (from R2007 the string stream's fifth)
    for (int i = 0; i < (r2004 ? 11 : 8); ++i) r.BL();  // dates and timers
    r.CMC();                            // CECOLOR
    {                                   // HANDSEED: in the data stream
        BitReader* handles = r.handles;
        r.handles = nullptr;
        h.handSeed = Ref(r);
        r.handles = handles;
    }
}

// The current records, then paper and model space (the model's extents and limits kept).
void ReadCurrentAndSpaces(BitReader& r, HeaderVars& v, HeaderHandles& h, Release release) {
    const bool r2007 = release >= Release::R2007;
    h.currentLayer = Ref(r);
    Ref(r);                             // TEXTSTYLE
    Ref(r);                             // CELTYPE
    if (r2007) Ref(r);                  // CMATERIAL
    Ref(r);                             // DIMSTYLE
    Ref(r);                             // CMLSTYLE
    r.BD();                             // PSVPSCALE
    SkipBD(r, 9);                       // PINSBASE, PEXTMIN, PEXTMAX
    r.RD(); r.RD(); r.RD(); r.RD();     // PLIMMIN, PLIMMAX
    r.BD();                             // PELEVATION
    SkipBD(r, 9);                       // PUCSORG, PUCSXDIR, PUCSYDIR
    SkipUcsBlock(r);
    r.BD3();                            // INSBASE
    v.extMin = r.BD3();
    v.extMax = r.BD3();
    v.limMin[0] = r.RD();
    v.limMin[1] = r.RD();
    v.limMax[0] = r.RD();
    v.limMax[1] = r.RD();
    r.BD();                             // ELEVATION
    SkipBD(r, 9);                       // UCSORG, UCSXDIR, UCSYDIR
    SkipUcsBlock(r);
}

// The dimension settings, none of which the database keeps.
void SkipDimensionSettings(BitReader& r, Release release) {
    const bool r2007 = release >= Release::R2007;
    const bool r2010 = release >= Release::R2010;
    r.TV();                             // DIMPOST
    r.TV();                             // DIMAPOST
    SkipBD(r, 9);                       // DIMSCALE .. DIMTM
    if (r2007) {                        // DIMFXL, DIMJOGANG, DIMTFILL, DIMTFILLCLR
        SkipBD(r, 2);
        r.BS();
        r.CMC();
    }
    SkipB(r, 6);                        // DIMTOL .. DIMSE2
    SkipBS(r, 3);                       // DIMTAD, DIMZIN, DIMAZIN
    if (r2007) r.BS();                  // DIMARCSYM
    SkipBD(r, 9);                       // DIMTXT .. DIMALTRND
    r.B();                              // DIMALT
    r.BS();                             // DIMALTD
    SkipB(r, 4);                        // DIMTOFL, DIMSAH, DIMTIX, DIMSOXD
    for (int i = 0; i < 3; ++i) r.CMC(); // DIMCLRD, DIMCLRE, DIMCLRT
    SkipBS(r, 11);                      // DIMADEC .. DIMJUST
    SkipB(r, 2);                        // DIMSD1, DIMSD2
    SkipBS(r, 4);                       // DIMTOLJ, DIMTZIN, DIMALTZ, DIMALTTZ
    r.B();                              // DIMUPT
    r.BS();                             // DIMATFIT
    if (r2007) r.B();                   // DIMFXLON
    if (r2010) {                        // DIMTXTDIRECTION, DIMALTMZF, DIMALTMZS, DIMMZF, DIMMZS
        r.B();
        r.BD();
        r.TV();
        r.BD();
        r.TV();
    }
    for (int i = 0; i < 5; ++i) Ref(r); // DIMTXSTY, DIMLDRBLK, DIMBLK, DIMBLK1, DIMBLK2
    if (r2007) for (int i = 0; i < 3; ++i) Ref(r);  // DIMLTYPE, DIMLTEX1, DIMLTEX2
    SkipBS(r, 2);                       // DIMLWD, DIMLWE
}

// The table controls, the named dictionaries, the flags and the space blocks.
void ReadControlsAndDictionaries(BitReader& r, HeaderVars& v, HeaderHandles& h, Release release) {
    const bool r2004 = release >= Release::R2004;
    const bool r2007 = release >= Release::R2007;
    h.blockControl = Ref(r);
    h.layerControl = Ref(r);
    h.styleControl = Ref(r);
    h.linetypeControl = Ref(r);
    h.viewControl = Ref(r);
    h.ucsControl = Ref(r);
    h.vportControl = Ref(r);
    h.appidControl = Ref(r);
    h.dimstyleControl = Ref(r);
    if (!r2004) h.vxControl = Ref(r);
    Ref(r);                             // ACAD_GROUP
    Ref(r);                             // ACAD_MLINESTYLE
    h.namedObjects = Ref(r);
    SkipBS(r, 2);                       // TSTACKALIGN, TSTACKSIZE
    r.TV();                             // HYPERLINKBASE
    r.TV();                             // STYLESHEET
    Ref(r);                             // layouts
    Ref(r);                             // plot settings
    Ref(r);                             // plot styles
    if (r2004) {
        Ref(r);                         // materials
        Ref(r);                         // colours
    }
    if (r2007) Ref(r);                  // visual styles
    if (release >= Release::R2013) Ref(r);
    std::int32_t flags = r.BL();
    v.pstyleMode = (flags & 0x2000) ? 1 : 0;
    v.insUnits = r.BS();
    std::int16_t plotStyleType = r.BS();
    if (plotStyleType == 3) Ref(r);
    r.TV();                             // FINGERPRINTGUID
    r.TV();                             // VERSIONGUID
    if (r2004) {
        for (int i = 0; i < 6; ++i) r.RC();     // SORTENTS .. HALOGAP
        r.BS();
        r.BS();                         // OBSCOLOR, INTERSECTIONCOLOR
        r.RC();
        r.RC();                         // OBSLTYPE, INTERSECTIONDISPLAY
        r.TV();                         // PROJECTNAME
    }
    h.paperSpace = Ref(r);
    h.modelSpace = Ref(r);
    h.ltByLayer = Ref(r);
    h.ltByBlock = Ref(r);
    h.ltContinuous = Ref(r);
}

} // namespace

void ReadHeaderVariables(BitReader& r, HeaderVars& v, HeaderHandles& h, Release release) {
    r.fullColour = release >= Release::R2004;
    ReadModesAndNumbers(r, v, h, release);
    ReadCurrentAndSpaces(r, v, h, release);
    SkipDimensionSettings(r, release);
    ReadControlsAndDictionaries(r, v, h, release);
}

void ReadHeaderSection(const std::uint8_t* data, std::size_t size, HeaderVars& vars, HeaderHandles& handles,
                       Release release) {
    BitReader r(data, size, "header section");
    if (release < Release::R2007) {
        ReadHeaderVariables(r, vars, handles, release);
        return;
    }
    // The data's size in bits (strings included) leads; the strings end the
    // data, the handles follow it.
    const std::uint32_t bits = r.RL();
    if (bits < 33 || bits > r.BitLimit()) r.Fail("its data size does not fit the section");
    BitReader text(data, size, "header section's texts");
    BitReader handleStream(data, size, "header section's handles");
    const std::size_t end = bits;
    handleStream.SetBitPosition(end);
    text.SetStrings(end);
    r.SetBitLimit(end);
    r.text = &text;
    r.handles = &handleStream;
    ReadHeaderVariables(r, vars, handles, release);
}

} // namespace ostrel::cad::dwg
