#pragma once
// The DWG form of the multileader and table styles: the fields of the style's
// list in order, the handle fields in the handle stream after the object's
// own handles. From R2010 the table style is held as cell styles (the table's
// and the title, header and data rows'), made from and read into the same
// field values.
#include <span>
#include <vector>

#include "cad/drawing.h"
#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"

namespace ostrel::cad::dwg {

// The data part and the handle part of a style.
void WriteStyleData(BitWriter& w, Release release, ObjectType type, const std::vector<StyleValue>& values);
void WriteStyleHandles(BitWriter& w, Release release, ObjectType type, const std::vector<StyleValue>& values);

// Reads what the writers write; `values` gets one value per field. Returns
// the field each handle of the style's handle part belongs to (or -1).
std::vector<std::size_t> ReadStyleData(BitReader& r, Release release, ObjectType type, std::vector<StyleValue>& values);
void ReadStyleHandles(BitReader& h, Handle self, const std::vector<std::size_t>& targets, std::vector<StyleValue>& values);

} // namespace ostrel::cad::dwg
