#pragma once
// The longer pieces of entity data that the kinds share or that would
// crowd their codecs: text geometry, an insert's scale, a face's corners, a
// viewport's view, a hatch's boundary and a spline's points, each written and
// read side by side.
#include <cstdint>
#include <string>

#include "cad/dwg/bit_reader.h"
#include "cad/dwg/bit_writer.h"
#include "cad/drawing.h"

namespace ostrel::cad::dwg {

constexpr Vec3 kNormal{0, 0, 1};

// TEXT data; the value is written as given and read into `pool`.
void WriteTextGeom(BitWriter& w, const TextGeom& t, std::string_view value);
void ReadTextGeom(BitReader& r, TextGeom& t, std::string& pool);

void WriteInsertScale(BitWriter& w, const InsertGeom& g);
void ReadInsertScale(BitReader& r, InsertGeom& g);

void WriteFace(BitWriter& w, const FaceGeom& f, std::int16_t invisibleEdges);
void ReadFace(BitReader& r, FaceGeom& f, std::int16_t& invisibleEdges);

// A paper-space viewport: from R2004 its shade plot mode, from R2007 its
// grid lines and lighting.
void WriteViewport(BitWriter& w, const ViewportData& v, Release release);
ViewportData ReadViewport(BitReader& r, Release release);

// A hatch with one polyline path; from R2004 with the (empty) gradient.
void WriteHatch(BitWriter& w, const HatchData& h, Release release);
HatchData ReadHatch(BitReader& r, Release release);

// A spline by its control points and knots, or, without control points, by
// its fit points; from R2013 with its spline flags and knot parameters.
void WriteSpline(BitWriter& w, const SplineData& sp, Release release);
SplineData ReadSpline(BitReader& r, Release release);

} // namespace ostrel::cad::dwg
