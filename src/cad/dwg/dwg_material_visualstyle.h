#pragma once
// The data of MATERIAL and VISUALSTYLE objects in a DWG of each release
// (between the common object start and the handle stream).
#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"
#include "cad/render_styles.h"

namespace ostrel::cad::dwg {

void WriteMaterialData(BitWriter& w, const MaterialData& m, Release r);
// False for a material with a procedural texture map (not held).
bool ReadMaterialData(BitReader& r, MaterialData& m, Release release);

void WriteVisualStyleData(BitWriter& w, const VisualStyleData& v, Release r);
void ReadVisualStyleData(BitReader& r, VisualStyleData& v, Release release);

} // namespace ostrel::cad::dwg
