#include "tools/init/settings_texts.h"

namespace ostrel::cli {

namespace {

// Settings files are Windows profile files: lines end with CR LF.
std::string WithCrLf(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') out += '\r';
        out += *p;
    }
    return out;
}

} // namespace

std::string UserSettingsText(const std::string& mainSettingsPath) {
    return WithCrLf("; User settings: names the main settings file (a relative name is taken from this\n"
                    "; file's folder). Line styles are read from styles/style.lin beside this file.\n"
                    "[OPTION]\n"
                    "txtDWGoverride=") +
           mainSettingsPath + "\r\n";
}

std::string MainSettingsText() {
    return WithCrLf(R"(; Main settings of the conversion. Every key is shown at its default.

[GENERAL]
; ON shows the debug messages (the settings file in use, each conversion's paths).
DEBUG=OFF

[EXPORT]
; 1: colour and linetype set on every entity; 0: they come from the layer.
BYENT=0
; Text layer names: 1 keeps the part before the first "-", 2 the part between
; the first and the second "-", 0 the whole name.
LAYERSTYLE=0
; Releases: 0 (R2000), 12, 13, 14 (DXF only), 2000, 2004, 2007, 2010, 2013, 2018.
DWGVersion=0
DXFVersion=0
; 1 writes plan polylines as lightweight polylines (R2000 and later).
LWPOLYLINE=0

[LAYERS]
; Layer names of the export mapped to the drawing's: an exact name, a name
; ending in "*" (a prefix), or "*pattern". "$" + a linetype name of
; styles/style.lin gives the linetype's name in the drawing.
; MANHOLE=DRAINAGE-MH
; ROAD*=HIGHWAYS
; *HEDGE=VEGETATION-HEDGE
; $FENCE=FENCE-POST-RAIL

[COLORTABLE]
; The export's colour codes mapped to drawing colours (1 red, 2 yellow,
; 3 green, 4 cyan, 5 blue, 6 magenta, 7 white/black, 8 grey), for example:
; 1=1
; 9=8
; Contour colours, as "normal,negative" drawing colours:
; MajorContour=1,6
; MinorContour=8,9
)");
}

std::string StyleFileText() {
    // Polyline records pick a line of this file by its number, from 0: keep the order.
    return WithCrLf("DASHED = Dashed __ __ __ __\n"
                    "FENCE = Fence -x-x-x-x-\n"
                    "HIDDEN = Hidden _ _ _ _ _\n"
                    "CENTER = Center ____ _ ____ _\n"
                    "DOT = Dot . . . . . .\n"
                    "DASHDOT = Dash dot __ . __ . __\n"
                    "BORDER = Border __ __ . __ __ .\n"
                    "DIVIDE = Divide __ . . __ . .\n"
                    "PHANTOM = Phantom ____ _ _ ____\n");
}

} // namespace ostrel::cli
