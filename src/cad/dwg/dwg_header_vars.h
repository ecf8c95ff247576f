#pragma once
// The header variables section: written from the drawing's header and the
// handles of its tables and dictionaries; read back into HeaderVars plus the
// handles the reader needs to find the tables.
#include <cstdint>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"
#include "cad/dwg/dwg_encode_context.h"

namespace ostrel::cad::dwg {

// A date as the format stores it: Julian day and milliseconds into the day.
struct DwgDate {
    std::int32_t day = 0;
    std::int32_t ms = 0;
};
DwgDate DateNow();

void WriteHeaderVariables(BitWriter& w, const EncodeContext& c, DwgDate created, DwgDate updated);
// The header section's data for the context's release (R2007 and later: with
// its string and handle streams).
std::vector<std::uint8_t> HeaderVariablesData(const EncodeContext& c, DwgDate created, DwgDate updated);

// What the reader takes from the header section besides HeaderVars.
struct HeaderHandles {
    Handle handSeed = 0;
    Handle currentLayer = 0;
    Handle blockControl = 0, layerControl = 0, styleControl = 0, linetypeControl = 0, viewControl = 0,
           ucsControl = 0, vportControl = 0, appidControl = 0, dimstyleControl = 0, vxControl = 0;
    Handle namedObjects = 0;
    Handle paperSpace = 0, modelSpace = 0;
    Handle ltByLayer = 0, ltByBlock = 0, ltContinuous = 0;
};

void ReadHeaderVariables(BitReader& r, HeaderVars& vars, HeaderHandles& handles, Release release = Release::R2000);
// The header section's data of a release (R2007 and later: its three streams).
void ReadHeaderSection(const std::uint8_t* data, std::size_t size, HeaderVars& vars, HeaderHandles& handles,
                       Release release);

} // namespace ostrel::cad::dwg
