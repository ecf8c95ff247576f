#pragma once
// A heavy 2D polyline as the one entity LWPOLYLINE makes of it: the writers'
// common view (DXF and DWG spell it, the database keeps the heavy form).
#include <cstdint>
#include <vector>

#include "cad/drawing.h"

namespace ostrel::cad {

struct LightweightVertex {
    double x = 0, y = 0;
    double startWidth = 0, endWidth = 0;
    double bulge = 0;
};

struct LightweightPolyline {
    bool closed = false;
    bool continuousPattern = false;     // linetype generated through the vertices
    bool constantWidth = false;         // every segment has width `width` at both ends
    double width = 0;
    double elevation = 0;
    bool hasBulges = false;
    std::int16_t colour = kColourByLayer;   // the polyline's, else its vertices' (a mapped colour)
    std::vector<LightweightVertex> vertices;
};

// Whether the save writes this polyline as LWPOLYLINE: the drawing asks for
// it, the release has it, and it is a plain 2D polyline of two or more
// vertices (3D polylines and meshes stay heavy).
bool WritesLightweight(const Drawing& d, Release r, const Entity& polyline, std::size_t vertexCount);

// The lightweight form of a polyline and its vertices. A vertex without
// widths of its own takes the polyline's.
LightweightPolyline LightweightOf(const Entity& polyline, const std::vector<const Entity*>& vertices);

} // namespace ostrel::cad

namespace ostrel::cad {

// Every LWPOLYLINE of the drawing as a POLYLINE with its VERTEX entities and
// SEQEND (handles left to the save), in its place in its block's list; the
// drawing then asks for lightweight polylines, so a save writes them back
// as they were. For code that edits polylines through their vertices.
void MakePolylinesHeavy(Drawing& d);

} // namespace ostrel::cad
