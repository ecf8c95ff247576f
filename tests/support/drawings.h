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
    Entity p = NewEntity(d, EntityType::Point, lTopo);
    p.geom.point = {{100.25, 200.5, 12.75}};
    d.AppendEntity(ms, p);

    Entity line = NewEntity(d, EntityType::Line, lTopo);
    line.colour = 1;
    line.geom.line = {{10, 20, 0}, {110, 120, 0}};
    d.AppendEntity(ms, line);
    Entity line3 = NewEntity(d, EntityType::Line, lTopo);
    line3.linetype = d.FindLinetype("Continuous");
    line3.geom.line = {{10, 20, 5}, {10, 120, 7.5}};
    d.AppendEntity(ms, line3);

    Entity circle = NewEntity(d, EntityType::Circle, lTopo);
    circle.linetype = lt;
    circle.geom.circle = {{300, 300, 0}, 25.5};
    d.AppendEntity(ms, circle);

    Entity arc = NewEntity(d, EntityType::Arc, lTopo);
    arc.geom.arc = {{250, 250, 0}, 10, 0.5, 2.5};
    d.AppendEntity(ms, arc);

    Entity text = NewEntity(d, EntityType::Text, lNotes);
    text.geom.text = {};
    text.geom.text.pos = {50, 60, 0};
    text.geom.text.height = 2.5;
    text.geom.text.rotation = 0.25;
    text.geom.text.widthFactor = 1;
    text.geom.text.style = sRomans;
    d.SetText(text.geom.text, "Spot 12.34");
    d.AppendEntity(ms, text);
    Entity aligned = NewEntity(d, EntityType::Text, lNotes);
    aligned.geom.text = {};
    aligned.geom.text.pos = {70, 80, 3};
    aligned.geom.text.align = {75, 80, 3};
    aligned.geom.text.height = 1.8;
    aligned.geom.text.widthFactor = 0.9;
    aligned.geom.text.oblique = 0.1;
    aligned.geom.text.hAlign = 1;
    aligned.geom.text.vAlign = 2;
    aligned.geom.text.style = 0;
    d.SetText(aligned.geom.text, "Centre");
    d.AppendEntity(ms, aligned);

    Entity ins = NewEntity(d, EntityType::Insert, lTopo);
    ins.geom.insert = {};
    ins.geom.insert.pos = {400, 100, 0};
    ins.geom.insert.xScale = ins.geom.insert.yScale = ins.geom.insert.zScale = 2;
    ins.geom.insert.rotation = 0.75;
    ins.geom.insert.block = bSym;
    ins.geom.insert.columns = ins.geom.insert.rows = 1;
    d.AppendEntity(ms, ins);

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
    Entity grid = NewEntity(d, EntityType::Insert, lTopo);
    grid.geom.insert = {};
    grid.geom.insert.pos = {420, 100, 0};
    grid.geom.insert.xScale = 1;
    grid.geom.insert.yScale = 1.5;
    grid.geom.insert.zScale = 1;
    grid.geom.insert.block = bSym;
    grid.geom.insert.columns = 3;
    grid.geom.insert.rows = 2;
    grid.geom.insert.columnSpacing = 5;
    grid.geom.insert.rowSpacing = 4;
    d.AppendEntity(ms, grid);
    HatchData h;
    h.boundary = {{0, 0, 0}, {20, 0, 0}, {20, 10, 0}, {0, 10, 0}};
    d.hatches.push_back(h);
    Entity hatch = NewEntity(d, EntityType::Hatch, lTopo);
    hatch.geom.extra.index = 0;
    d.AppendEntity(ms, hatch);

    const auto ps = d.PaperSpace();
    ViewportData overall;
    overall.center = {210, 148.5, 0};
    overall.width = 420;
    overall.height = 297;
    overall.viewCenter = {210, 148.5, 0};
    overall.viewHeight = 297;
    overall.id = 1;
    d.viewports.push_back(overall);
    Entity vp1 = NewEntity(d, EntityType::Viewport, 0);
    vp1.geom.extra.index = 0;
    d.AppendEntity(ps, vp1);
    ViewportData sheet;
    sheet.center = {200, 150, 0};
    sheet.width = 380;
    sheet.height = 250;
    sheet.viewCenter = {255, 210, 0};
    sheet.viewHeight = 390;
    sheet.twist = 0.3;
    sheet.id = 2;
    d.viewports.push_back(sheet);
    Entity vp2 = NewEntity(d, EntityType::Viewport, 0);
    vp2.geom.extra.index = 1;
    d.AppendEntity(ps, vp2);
    if (auto* layout = d.ObjectByHandle(d.blocks[ps].layout); layout && layout->layout)
        layout->layout->lastViewport = vp1.handle;
    Entity ptext = NewEntity(d, EntityType::Text, 0);
    ptext.geom.text = {};
    ptext.geom.text.pos = {20, 20, 0};
    ptext.geom.text.height = 5;
    ptext.geom.text.widthFactor = 1;
    d.SetText(ptext.geom.text, "Sheet 1");
    d.AppendEntity(ps, ptext);

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
