#pragma once
// Drawings the tests write and read: one holding every entity kind the
// database knows, and the site drawing of the benchmarks (many small entities).
#include <cmath>
#include <string>

#include "../../bench/site_drawing.h"
#include "cad/drawing.h"

namespace ostrel::test {

using bench::SiteDrawing;
using bench::SiteMix;

using bench::NewEntity;

// Layers "TOPO" (green, dashed) and "NOTES" (off), a DASHED linetype, a
// ROMANS text style, a block "SYM1" (circle and line), and in model space a
// POINT, two LINEs, a CIRCLE, an ARC, two TEXTs, an INSERT, a closed 2D
// POLYLINE with widths and a bulge, a 3D POLYLINE, two 3DFACEs, a MINSERT
// and a HATCH; in paper space two VIEWPORTs and a TEXT. Header extents
// (10, 20, 0) - (500, 400, 30).
inline std::unique_ptr<cad::Drawing> EveryKindDrawing() {
    using namespace ostrel::cad;
    auto dp = NewDrawing();
    Drawing& d = *dp;

    Linetype dashed;
    dashed.name = "DASHED";
    dashed.handle = d.NewHandle();
    dashed.description = "Dashed __ __ __";
    dashed.dashes = {0.5, -0.25};
    dashed.patternLength = 0.75;
    auto lt = d.AddLinetype(dashed);

    Layer topo;
    topo.name = "TOPO";
    topo.handle = d.NewHandle();
    topo.colour = 3;
    topo.linetype = lt;
    topo.plotStyle = d.layers[0].plotStyle;
    auto lTopo = d.AddLayer(topo);
    Layer notes;
    notes.name = "NOTES";
    notes.handle = d.NewHandle();
    notes.colour = 5;
    notes.off = true;
    notes.flags = 4;
    notes.lineweight = 35;
    notes.plotStyle = d.layers[0].plotStyle;
    auto lNotes = d.AddLayer(notes);

    TextStyle romans;
    romans.name = "ROMANS";
    romans.handle = d.NewHandle();
    romans.font = "romans.shx";
    romans.widthFactor = 0.8;
    auto sRomans = d.AddStyle(romans);

    BlockRecord sym;
    sym.name = "SYM1";
    sym.handle = d.NewHandle();
    sym.base = {1, 2, 0};
    auto bSym = d.AddBlock(sym);
    d.EnsureBlockEnds(bSym);
    {
        Entity c = NewEntity(d, EntityType::Circle, 0);
        c.colour = 0;   // ByBlock
        c.geom.circle = {{0, 0, 0}, 0.5};
        d.AppendEntity(bSym, c);
        Entity l = NewEntity(d, EntityType::Line, 0);
        l.geom.line = {{-0.5, 0, 0}, {0.5, 0, 0}};
        d.AppendEntity(bSym, l);
    }

    const auto ms = d.ModelSpace();
    const auto ps = d.PaperSpace();
    auto addText = [&](std::uint32_t space, std::uint32_t layer, const TextGeom& g, const char* text) {
        Entity t = NewEntity(d, EntityType::Text, layer);
        t.geom.text = g;
        d.SetText(t.geom.text, text);
        d.AppendEntity(space, t);
    };
    auto addInsert = [&](const InsertGeom& g) {
        Entity i = NewEntity(d, EntityType::Insert, lTopo);
        i.geom.insert = g;
        d.AppendEntity(ms, i);
    };
    auto addViewport = [&](const ViewportData& v) {
        d.viewports.push_back(v);
        Entity e = NewEntity(d, EntityType::Viewport, 0);
        e.geom.extra.index = static_cast<std::uint32_t>(d.viewports.size() - 1);
        d.AppendEntity(ps, e);
        return e.handle;
    };
    Entity p = NewEntity(d, EntityType::Point, lTopo);
    p.geom.point = {{100.25, 200.5, 12.75}};
    d.AppendEntity(ms, p);

    Entity line = NewEntity(d, EntityType::Line, lTopo);
    line.colour = 1;
    line.geom.line = {{10, 20, 0}, {110, 120, 0}};
    d.AppendEntity(ms, line);
    Entity line3 = NewEntity(d, EntityType::Line, lTopo);
    line3.linetype = d.FindLinetype("Continuous");
    // Its end Y shares its leading bytes with its start X, not its start Y:
    // a DWG writer that patches the wrong default is caught.
    line3.geom.line = {{120.5, 20, 5}, {10, 120, 7.5}};
    d.AppendEntity(ms, line3);

    Entity circle = NewEntity(d, EntityType::Circle, lTopo);
    circle.linetype = lt;
    circle.geom.circle = {{300, 300, 0}, 25.5};
    d.AppendEntity(ms, circle);

    Entity arc = NewEntity(d, EntityType::Arc, lTopo);
    arc.geom.arc = {{250, 250, 0}, 10, 0.5, 2.5};
    d.AppendEntity(ms, arc);

    // TextGeom: pos, align, height, rotation, width factor, oblique, text, style, alignments.
    addText(ms, lNotes, {{50, 60, 0}, {}, 2.5, 0.25, 1, 0, 0, 0, sRomans, 0, 0}, "Spot 12.34");
    addText(ms, lNotes, {{70, 80, 3}, {75, 80, 3}, 1.8, 0, 0.9, 0.1, 0, 0, 0, 1, 2}, "Centre");
    // InsertGeom: pos, scales, rotation, block, columns, rows, spacings.
    addInsert({{400, 100, 0}, 2, 2, 2, 0.75, bSym, 1, 1, 0, 0});

    Entity pl = NewEntity(d, EntityType::Polyline, lTopo);
    pl.geom.polyline = {0.5, 0.5, 0, 1};
    d.AppendEntity(ms, pl);
    const double pts[4][2] = {{0, 0}, {50, 0}, {50, 40}, {0, 40}};
    for (int i = 0; i < 4; ++i) {
        Entity v = NewEntity(d, EntityType::Vertex, lTopo);
        v.geom.vertex = {};
        v.geom.vertex.pos = {pts[i][0], pts[i][1], 0};
        v.geom.vertex.startWidth = 0.5;
        v.geom.vertex.endWidth = i == 2 ? 1.0 : 0.5;
        v.geom.vertex.bulge = i == 1 ? 0.25 : 0.0;
        v.geom.vertex.widthFlags = 3;
        d.AppendEntity(ms, v);
    }
    Entity se = NewEntity(d, EntityType::SeqEnd, lTopo);
    d.AppendEntity(ms, se);

    Entity p3 = NewEntity(d, EntityType::Polyline, lTopo);
    p3.geom.polyline = {0, 0, 0, 8};
    d.AppendEntity(ms, p3);
    for (int i = 0; i < 3; ++i) {
        Entity v = NewEntity(d, EntityType::Vertex, lTopo);
        v.geom.vertex = {};
        v.geom.vertex.pos = {200.0 + i, 100.0 + 2 * i, 50.0 + 0.5 * i};
        v.geom.vertex.flags = 32;
        d.AppendEntity(ms, v);
    }
    Entity se3 = NewEntity(d, EntityType::SeqEnd, lTopo);
    d.AppendEntity(ms, se3);

    Entity face = NewEntity(d, EntityType::Face3D, lTopo);
    face.geom.face = {{{1, 2, 3}, {11, 2, 4}, {11, 12, 5}, {11, 12, 5}}};
    d.AppendEntity(ms, face);
    Entity face2 = NewEntity(d, EntityType::Face3D, lTopo);
    face2.geom.face = {{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}, {0, 5, 0}}};
    face2.invisibleEdges = 5;
    d.AppendEntity(ms, face2);

    // Kinds GDAL's DWG reader stops at (MINSERT) or skips (HATCH) come last.
    addInsert({{420, 100, 0}, 1, 1.5, 1, 0, bSym, 3, 2, 5, 4});
    HatchData h;
    h.boundary = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
    d.hatches.push_back(h);
    Entity hatch = NewEntity(d, EntityType::Hatch, lTopo);
    hatch.geom.extra.index = 0;
    d.AppendEntity(ms, hatch);

    ViewportData overall, sheet;
    overall.center = overall.viewCenter = {210, 148.5, 0};
    overall.width = 420;
    overall.height = overall.viewHeight = 297;
    overall.id = 1;
    const Handle vp1 = addViewport(overall);
    sheet.center = {200, 150, 0};
    sheet.width = 380;
    sheet.height = 250;
    sheet.viewCenter = {255, 210, 0};
    sheet.viewHeight = 390;
    sheet.twist = 0.3;
    sheet.id = 2;
    addViewport(sheet);
    if (auto* layout = d.ObjectByHandle(d.blocks[ps].layout); layout && layout->layout)
        layout->layout->lastViewport = vp1;
    addText(ps, 0, {{20, 20, 0}, {}, 5, 0, 1, 0, 0, 0, 0, 0, 0}, "Sheet 1");

    d.header.extMin = {10, 20, 0};
    d.header.extMax = {500, 400, 30};
    d.header.insUnits = 6;
    d.header.currentLayer = "TOPO";
    return dp;
}

// Everything two drawings hold that the formats keep, compared by name or
// handle (the order of blocks and objects may differ), entity by entity;
// throughDxf: b was read from a DXF file, which holds no VX table.
void ExpectSameDrawing(const cad::Drawing& a, const cad::Drawing& b, bool throughDxf = false);

// Every handle the drawing holds, unique, non-zero and below the seed;
// every owner names the block (or polyline) that lists the entity; every
// dictionary entry and layer plot style names an object of the drawing.
void ExpectConsistentHandles(const cad::Drawing& d);

} // namespace ostrel::test
