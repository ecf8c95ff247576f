// MATERIAL and VISUALSTYLE groups as the leading program writes them.
#include "cad/dxf/dxf_render_styles.h"
#include "cad/dxf/dxf_write_context.h"
#include "cad/render_styles.h"

namespace ostrel::cad::dxf {

namespace {

struct MapCodes {
    int blend, source, file, projection, tiling, autoTransform, matrix;
};
constexpr MapCodes kDiffuseMap{42, 72, 3, 73, 74, 75, 43}, kSpecularMap{46, 77, 4, 78, 79, 170, 47},
    kReflectionMap{48, 171, 6, 172, 173, 174, 49}, kOpacityMap{141, 175, 7, 176, 177, 178, 142},
    kBumpMap{143, 179, 8, 270, 271, 272, 144}, kRefractionMap{146, 273, 9, 274, 275, 276, 147};

void Colour(WriteContext& c, const MaterialColour& m, int method, int factor, int rgb) {
    c.w.Int(method, m.method);
    c.w.Real(factor, m.factor);
    if (m.method == 1) c.w.Int(rgb, m.rgb);
}

void Map(WriteContext& c, const MaterialMap& m, const MapCodes& k) {
    c.w.Real(k.blend, m.blend);
    c.w.Int(k.source, m.source);
    if (m.source == 1) c.w.Text(k.file, m.file, c.utf8);
    c.w.Int(k.projection, m.projection);
    c.w.Int(k.tiling, m.tiling);
    c.w.Int(k.autoTransform, m.autoTransform);
    for (double v : m.matrix) c.w.Real(k.matrix, v);
}

} // namespace

void WriteMaterialGroups(WriteContext& c, const Object& o) {
    static const MaterialData kNone{};
    const MaterialData& m = o.material ? *o.material : kNone;
    auto& w = c.w;
    w.Name(100, "AcDbMaterial");
    w.Text(1, m.name, c.utf8);
    w.Text(2, m.description, c.utf8);
    Colour(c, m.ambient, 70, 40, 90);
    Colour(c, m.diffuse, 71, 41, 91);
    Map(c, m.diffuseMap, kDiffuseMap);
    w.Real(44, m.gloss);
    Colour(c, m.specular, 76, 45, 92);
    Map(c, m.specularMap, kSpecularMap);
    Map(c, m.reflectionMap, kReflectionMap);
    w.Real(140, m.opacity);
    Map(c, m.opacityMap, kOpacityMap);
    Map(c, m.bumpMap, kBumpMap);
    w.Real(145, m.refractionIndex);
    Map(c, m.refractionMap, kRefractionMap);
    if (c.release < Release::R2007) return;
    if (m.translucence != 0) w.Real(148, m.translucence);
    if (m.selfIllumination != 0) w.Real(149, m.selfIllumination);
    if (m.reflectivity != 0) w.Real(468, m.reflectivity);
    if (m.illumination != 0) w.Int(93, m.illumination);
    if (m.channels != 0) w.Int(94, m.channels);
    if (m.mode != 0) w.Int(282, m.mode);
}

void WriteVisualStyleGroups(WriteContext& c, const Object& o) {
    static const VisualStyleData kNone{};
    const VisualStyleData& v = VisualStyleToWrite(o.visualStyle ? *o.visualStyle : kNone, c.release);
    auto& w = c.w;
    w.Name(100, "AcDbVisualStyle");
    for (const auto& f : VisualStyleDxfLayout(c.release)) {
        const VisualStyleValue& s = v.slots[f.slot];
        switch (f.kind) {
        case StyleKind::T: w.Text(f.dxf, s.text, c.utf8); break;
        case StyleKind::Fixed: w.Int(f.dxf, f.slot); break;
        case StyleKind::BD: case StyleKind::BLReal: w.Real(f.dxf, s.number); break;
        case StyleKind::BL: case StyleKind::BS: case StyleKind::RC: case StyleKind::B:
            w.Int(f.dxf, s.number > -1e18 && s.number < 1e18 ? static_cast<std::int64_t>(s.number) : 0);
            break;
        case StyleKind::CMC:
            w.Int(f.dxf, StyleColourIndex(s));
            // A true colour, from R2004 (an R2000 file keeps the index alone).
            if (c.release >= Release::R2004 && (static_cast<std::uint32_t>(StyleColourValue(s)) >> 24) == 0xC2)
                w.Int(420 + (f.dxf - 62), StyleColourValue(s) & 0xFFFFFF);    // 62 420, 63 421, ...
            break;
        }
        if (f.flagged) w.Int(176, s.flag);
    }
}

} // namespace ostrel::cad::dxf
