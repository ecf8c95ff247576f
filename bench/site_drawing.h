#pragma once
// A drawing of a surveyed site, shared by the benchmarks and the tests: runs
// of 40 entities (14 points, 12 3D faces, 2 texts, and a polyline of 10
// vertices with its sequence end) on four layers; with a title block, also a
// trim frame and a sheet outline for the trim pass. Ready to save.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cad/drawing.h"

namespace ostrel::bench {

// What SiteDrawing made, by kind.
struct SiteMix {
    std::size_t points = 0, faces = 0, texts = 0, polylines = 0, vertices = 0;
};

inline cad::Entity NewEntity(cad::Drawing& d, cad::EntityType type, std::uint32_t layer) {
    cad::Entity e;
    e.type = type;
    e.handle = d.NewHandle();
    e.layer = layer;
    return e;
}

inline std::uint32_t NewLayer(cad::Drawing& d, const char* name, std::int16_t colour) {
    cad::Layer l;
    l.name = name;
    l.handle = d.NewHandle();
    l.colour = colour;
    l.plotStyle = d.layers[0].plotStyle;
    return d.AddLayer(l);
}

inline void AddOutline(cad::Drawing& d, std::uint32_t layer, const double (*pts)[2], int n) {
    const auto ms = d.ModelSpace();
    cad::Entity p = NewEntity(d, cad::EntityType::Polyline, layer);
    p.geom.polyline = {};
    d.AppendEntity(ms, p);
    for (int i = 0; i < n; ++i) {
        cad::Entity v = NewEntity(d, cad::EntityType::Vertex, layer);
        v.geom.vertex = {};
        v.geom.vertex.pos = {pts[i][0], pts[i][1], 0};
        d.AppendEntity(ms, v);
    }
    d.AppendEntity(ms, NewEntity(d, cad::EntityType::SeqEnd, layer));
}

inline std::unique_ptr<cad::Drawing> SiteDrawing(std::size_t count, SiteMix* mix = nullptr, bool titleBlock = false) {
    using cad::EntityType;
    SiteMix made;
    auto d = cad::NewDrawing();
    const std::uint32_t layer[4] = {NewLayer(*d, "SURVEY-PTS", 2), NewLayer(*d, "DTM", 3), NewLayer(*d, "LABELS", 4),
                                    NewLayer(*d, "BOUNDARY", 5)};
    const auto ms = d->ModelSpace();
    d->entities.reserve(count + 64);
    char text[24];
    std::size_t n = 0;
    for (std::size_t run = 0; n < count; ++run) {
        const double x0 = 250000.0 + static_cast<double>(run % 700) * 2.5;
        const double y0 = 6100000.0 + static_cast<double>(run / 700) * 2.5;
        for (int k = 0; k < 40 && n < count; ++k, ++n) {
            const double x = x0 + 0.05 * k, y = y0 + 0.03 * k, z = 100.0 + std::cos(0.001 * static_cast<double>(n));
            if (k < 14) {
                cad::Entity e = NewEntity(*d, EntityType::Point, layer[0]);
                e.geom.point.pos = {x, y, z};
                d->AppendEntity(ms, e);
                ++made.points;
            } else if (k < 26) {
                cad::Entity e = NewEntity(*d, EntityType::Face3D, layer[1]);
                e.geom.face = {{{x, y, z}, {x + 2.5, y, z + 0.2}, {x + 2.5, y + 2.5, z - 0.1}, {x + 2.5, y + 2.5, z - 0.1}}};
                d->AppendEntity(ms, e);
                ++made.faces;
            } else if (k < 28) {
                cad::Entity e = NewEntity(*d, EntityType::Text, layer[2]);
                e.geom.text = {};
                e.geom.text.pos = {x, y, 0};
                e.geom.text.height = 0.25;
                e.geom.text.widthFactor = 1;
                const int len = std::snprintf(text, sizeof text, "%.2f", z);
                d->SetText(e.geom.text, std::string_view(text, static_cast<std::size_t>(len)));
                d->AppendEntity(ms, e);
                ++made.texts;
            } else if (k == 28) {
                cad::Entity e = NewEntity(*d, EntityType::Polyline, layer[3]);
                e.geom.polyline = {};
                d->AppendEntity(ms, e);
                ++made.polylines;
            } else if (k < 39) {
                cad::Entity e = NewEntity(*d, EntityType::Vertex, layer[3]);
                e.geom.vertex = {};
                e.geom.vertex.pos = {x, y + 0.5 * (k % 3), 0};
                d->AppendEntity(ms, e);
                ++made.vertices;
            } else {
                d->AppendEntity(ms, NewEntity(*d, EntityType::SeqEnd, layer[3]));
            }
        }
    }
    if (titleBlock) {
        const double trim[5][2] = {{250000, 6100000}, {251750, 6100000}, {251750, 6101000}, {250000, 6101000}, {250000, 6100000}};
        const double sheet[5][2] = {{249900, 6099900}, {252100, 6099900}, {252100, 6101200}, {249900, 6101200}, {249900, 6099900}};
        AddOutline(*d, NewLayer(*d, "$TB-TRIM-FRAME", 1), trim, 5);
        AddOutline(*d, NewLayer(*d, "$TB-SHEET", 7), sheet, 5);
    }
    cad::NormalizeForSave(*d);
    if (mix) *mix = made;
    return d;
}

} // namespace ostrel::bench
