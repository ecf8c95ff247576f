#include "cad/dwg/dwg_material_visualstyle.h"

#include <cstdint>

namespace ostrel::cad::dwg {

namespace {

void WriteColour(BitWriter& w, const MaterialColour& c) {
    w.RC(c.method);
    w.BD(c.factor);
    if (c.method == 1) w.BL(c.rgb);
}

bool ReadColour(BitReader& r, MaterialColour& c) {
    c.method = r.RC();
    c.factor = r.BD();
    if (c.method == 1) c.rgb = r.BL();
    return true;
}

void WriteMap(BitWriter& w, const MaterialMap& m) {
    w.BD(m.blend);
    w.RC(m.projection);
    w.RC(m.tiling);
    w.RC(m.autoTransform);
    for (double v : m.matrix) w.BD(v);
    w.RC(m.source);
    if (m.source == 1) w.TV(m.file);
}

bool ReadMap(BitReader& r, MaterialMap& m) {
    m.blend = r.BD();
    m.projection = r.RC();
    m.tiling = r.RC();
    m.autoTransform = r.RC();
    for (double& v : m.matrix) v = r.BD();
    m.source = r.RC();
    if (m.source == 1) m.file = r.TV();
    return m.source < 2;
}

// A number as a long, clamped (a DXF may give a real where a long goes).
std::int32_t AsLong(double v) {
    if (!(v > -2147483648.0)) return v != v ? 0 : INT32_MIN;
    return v < 2147483647.0 ? static_cast<std::int32_t>(v) : INT32_MAX;
}

// R2000 an index; later releases a zero index and the colour value.
void WriteStyleColour(BitWriter& w, const VisualStyleValue& v) {
    if (!w.fullColour) {
        w.BS(StyleColourIndex(v));
        return;
    }
    w.BS(0);
    w.BL(StyleColourValue(v));
    w.RC(v.colourNames);
    if (v.colourNames & 1) w.TV(v.text);
    if (v.colourNames & 2) w.TV(v.book);
}

void ReadStyleColour(BitReader& r, VisualStyleValue& v) {
    v.number = r.BS();
    if (!r.fullColour) return;
    v.rgb = r.BL();
    v.colourNames = r.RC();
    if (v.colourNames & 1) v.text = r.TV();
    if (v.colourNames & 2) v.book = r.TV();
}

} // namespace

void WriteMaterialData(BitWriter& w, const MaterialData& m, Release r) {
    w.TV(m.name);
    w.TV(m.description);
    WriteColour(w, m.ambient);
    WriteColour(w, m.diffuse);
    WriteMap(w, m.diffuseMap);
    WriteColour(w, m.specular);
    WriteMap(w, m.specularMap);
    w.BD(m.gloss);
    WriteMap(w, m.reflectionMap);
    w.BD(m.opacity);
    WriteMap(w, m.opacityMap);
    WriteMap(w, m.bumpMap);
    w.BD(m.refractionIndex);
    WriteMap(w, m.refractionMap);
    if (r < Release::R2007) return;
    w.BD(m.translucence);
    w.BD(m.selfIllumination);
    w.BD(m.reflectivity);
    w.BL(m.illumination);
    w.BL(m.channels);
    w.BL(m.mode);
}

bool ReadMaterialData(BitReader& r, MaterialData& m, Release release) {
    m.name = r.TV();
    m.description = r.TV();
    bool held = ReadColour(r, m.ambient) && ReadColour(r, m.diffuse) && ReadMap(r, m.diffuseMap) &&
                ReadColour(r, m.specular) && ReadMap(r, m.specularMap);
    if (!held) return false;
    m.gloss = r.BD();
    if (!ReadMap(r, m.reflectionMap)) return false;
    m.opacity = r.BD();
    if (!ReadMap(r, m.opacityMap) || !ReadMap(r, m.bumpMap)) return false;
    m.refractionIndex = r.BD();
    if (!ReadMap(r, m.refractionMap)) return false;
    if (release < Release::R2007) return true;
    m.translucence = r.BD();
    m.selfIllumination = r.BD();
    m.reflectivity = r.BD();
    m.illumination = r.BL();
    m.channels = r.BL();
    m.mode = r.BL();
    return true;
}

void WriteVisualStyleData(BitWriter& w, const VisualStyleData& style, Release r) {
    const VisualStyleData& v = VisualStyleToWrite(style, r);
    for (const auto& f : VisualStyleDwgLayout(r)) {
        const VisualStyleValue& s = v.slots[f.slot];
        switch (f.kind) {
        case StyleKind::BL: case StyleKind::BLReal: w.BL(AsLong(s.number)); break;
        case StyleKind::BS: w.BS(static_cast<std::int16_t>(AsLong(s.number))); break;
        case StyleKind::RC: w.RC(static_cast<std::uint8_t>(AsLong(s.number))); break;
        case StyleKind::BD: w.BD(s.number); break;
        case StyleKind::B: w.B(s.number != 0); break;
        case StyleKind::CMC: WriteStyleColour(w, s); break;
        case StyleKind::T: w.TV(s.text); break;
        case StyleKind::Fixed: break;
        }
        if (f.flagged) w.BS(s.flag);
    }
}

void ReadVisualStyleData(BitReader& r, VisualStyleData& v, Release release) {
    for (const auto& f : VisualStyleDwgLayout(release)) {
        VisualStyleValue& s = v.slots[f.slot];
        switch (f.kind) {
        case StyleKind::BL: case StyleKind::BLReal: s.number = r.BL(); break;
        case StyleKind::BS: s.number = r.BS(); break;
        case StyleKind::RC: s.number = r.RC(); break;
        case StyleKind::BD: s.number = r.BD(); break;
        case StyleKind::B: s.number = r.B() ? 1 : 0; break;
        case StyleKind::CMC: ReadStyleColour(r, s); break;
        case StyleKind::T: s.text = r.TV(); break;
        case StyleKind::Fixed: break;
        }
        if (f.flagged) s.flag = r.BS();
    }
    v.source = release;
}

} // namespace ostrel::cad::dwg
