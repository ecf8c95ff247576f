#pragma once
// The data of the annotation kinds, each written and read side by side:
// MTEXT, the attributes (ATTRIB, and ATTDEF with its prompt) and the
// dimensions, whose subtypes share one common part.
#include <cstdint>
#include <string>
#include <string_view>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"
#include "cad/drawing.h"

namespace ostrel::cad::dwg {

// MTEXT up to its style handle, and after it (the handle goes to the handle
// stream): line spacing, background, and from R2018 the redundant copy that
// a non-annotative MTEXT carries. `appid` tells whether that copy's
// application handle follows in the handle stream.
void WriteMText(BitWriter& w, const MTextGeom& m, std::string_view value, Release release);
void ReadMText(BitReader& r, MTextGeom& m, std::string& pool, Release release, bool& appid);

// ATTRIB's data after its text, and ATTDEF's (the prompt after it).
void WriteAttribute(BitWriter& w, const AttributeData& a, bool definition, Release release);
// False when the attribute is a multi-line one (R2018), which is not read.
bool ReadAttribute(BitReader& r, AttributeData& a, bool definition, Release release);

// The DIMENSION object type of a dimension's type (DXF 70), and back.
std::int16_t DimensionObjectType(const DimensionData& dim);
bool IsDimensionObjectType(std::int16_t type);
void WriteDimension(BitWriter& w, const DimensionData& dim, std::int16_t type, Release release);
void ReadDimension(BitReader& r, DimensionData& dim, std::int16_t type, Release release);

} // namespace ostrel::cad::dwg
