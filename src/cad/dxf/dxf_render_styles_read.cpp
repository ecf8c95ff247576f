// MATERIAL and VISUALSTYLE records read into the drawing's objects.
#include <algorithm>
#include <iterator>
#include <memory>

#include "cad/dxf/dxf_read_context.h"
#include "cad/dxf/dxf_render_styles.h"
#include "cad/render_styles.h"

namespace ostrel::cad {

namespace {

struct MapCodes {
    int blend, source, file, projection, tiling, autoTransform, matrix;
    MaterialMap MaterialData::*map;
};
constexpr MapCodes kMaps[] = {
    {42, 72, 3, 73, 74, 75, 43, &MaterialData::diffuseMap},     {46, 77, 4, 78, 79, 170, 47, &MaterialData::specularMap},
    {48, 171, 6, 172, 173, 174, 49, &MaterialData::reflectionMap}, {141, 175, 7, 176, 177, 178, 142, &MaterialData::opacityMap},
    {143, 179, 8, 270, 271, 272, 144, &MaterialData::bumpMap},  {146, 273, 9, 274, 275, 276, 147, &MaterialData::refractionMap},
};
struct ColourCodes {
    int method, factor, rgb;
    MaterialColour MaterialData::*colour;
};
constexpr ColourCodes kColours[] = {
    {70, 40, 90, &MaterialData::ambient}, {71, 41, 91, &MaterialData::diffuse}, {76, 45, 92, &MaterialData::specular}};

// One group of a map or colour; the first of a code counts (a later map of
// the same codes is one this reader does not hold).
bool MapGroup(MaterialData& m, const DxfTag& t, std::vector<int>& seen, int& matrixCount, const MapCodes& k) {
    MaterialMap& map = m.*k.map;
    if (t.code == k.matrix) {
        if (matrixCount < 16) map.matrix[static_cast<std::size_t>(matrixCount++)] = TagDouble(t);
        return true;
    }
    if (std::find(seen.begin(), seen.end(), t.code) != seen.end()) return false;
    if (t.code == k.blend) map.blend = TagDouble(t);
    else if (t.code == k.source) map.source = static_cast<std::uint8_t>(TagShort(t));
    else if (t.code == k.projection) map.projection = static_cast<std::uint8_t>(TagShort(t));
    else if (t.code == k.tiling) map.tiling = static_cast<std::uint8_t>(TagShort(t));
    else if (t.code == k.autoTransform) map.autoTransform = static_cast<std::uint8_t>(TagShort(t));
    else return false;
    seen.push_back(t.code);
    return true;
}

bool ColourGroup(MaterialData& m, const DxfTag& t, std::vector<int>& seen) {
    for (const auto& k : kColours) {
        if (t.code != k.method && t.code != k.factor && t.code != k.rgb) continue;
        if (std::find(seen.begin(), seen.end(), t.code) != seen.end()) return true;
        seen.push_back(t.code);
        MaterialColour& c = m.*k.colour;
        if (t.code == k.method) c.method = static_cast<std::uint8_t>(TagShort(t));
        else if (t.code == k.factor) c.factor = TagDouble(t);
        else c.rgb = TagInt(t);
        return true;
    }
    return false;
}

void OtherGroup(DxfReadContext& ctx, MaterialData& m, const DxfTag& t, std::vector<int>& seen) {
    if (std::find(seen.begin(), seen.end(), t.code) != seen.end()) return;
    seen.push_back(t.code);
    switch (t.code) {
    case 1: m.name = ctx.DecodeTextString(t.value); break;
    case 2: m.description = ctx.DecodeTextString(t.value); break;
    case 44: m.gloss = TagDouble(t); break;
    case 140: m.opacity = TagDouble(t); break;
    case 145: m.refractionIndex = TagDouble(t); break;
    case 148: m.translucence = TagDouble(t); break;
    case 149: m.selfIllumination = TagDouble(t); break;
    case 468: m.reflectivity = TagDouble(t); break;
    case 93: m.illumination = TagInt(t); break;
    case 94: m.channels = TagInt(t); break;
    case 282: m.mode = TagInt(t); break;
    default:
        for (const auto& k : kMaps)
            if (t.code == k.file) (m.*k.map).file = ctx.DecodeTextString(t.value);
        break;
    }
}

void Identity(DxfReadContext& ctx, Object& o, std::size_t& dataStart) {
    bool ownerSeen = false;
    dataStart = ctx.record.size();
    for (std::size_t i = 0; i < ctx.record.size(); ++i) {
        const auto& t = ctx.record[i];
        if (t.code == 5) o.handle = TagHandle(t);
        else if (t.code == 330 && !ownerSeen) {
            o.owner = TagHandle(t);
            ownerSeen = true;
        } else if (t.code == 100 && dataStart == ctx.record.size()) dataStart = i + 1;
    }
}

bool ReadStyleLayout(DxfReadContext& ctx, std::size_t k, const std::vector<VisualStyleField>& layout, VisualStyleData& v) {
    const auto& tags = ctx.record;
    for (const auto& f : layout) {
        if (k >= tags.size() || tags[k].code != f.dxf) return false;
        VisualStyleValue& s = v.slots[f.slot];
        const DxfTag& t = tags[k++];
        switch (f.kind) {
        case StyleKind::T: s.text = ctx.DecodeTextString(t.value); break;
        case StyleKind::Fixed: break;
        case StyleKind::BD: case StyleKind::BLReal: s.number = TagDouble(t); break;
        case StyleKind::BL: case StyleKind::BS: case StyleKind::RC: case StyleKind::B: s.number = TagInt(t); break;
        case StyleKind::CMC:
            s.number = TagShort(t);
            s.rgb = ColourValueOfIndex(TagShort(t));
            if (k < tags.size() && tags[k].code == 420 + (f.dxf - 62))     // its true colour
                s.rgb = static_cast<std::int32_t>(0xC2000000u | (static_cast<std::uint32_t>(TagInt(tags[k++])) & 0xFFFFFF));
            break;
        }
        if (f.flagged && k < tags.size() && tags[k].code == 176) s.flag = TagShort(tags[k++]);
    }
    return true;
}

} // namespace

bool ReadMaterialRecord(DxfReadContext& ctx, Object& o) {
    std::size_t start = 0;
    Identity(ctx, o, start);
    auto m = std::make_shared<MaterialData>();
    std::vector<int> seen;
    int matrices[std::size(kMaps)] = {};
    for (std::size_t i = start; i < ctx.record.size(); ++i) {
        const DxfTag& t = ctx.record[i];
        bool taken = ColourGroup(*m, t, seen);
        for (std::size_t k = 0; k < std::size(kMaps) && !taken; ++k) taken = MapGroup(*m, t, seen, matrices[k], kMaps[k]);
        if (!taken) OtherGroup(ctx, *m, t, seen);
    }
    for (const auto& k : kMaps)
        if (((*m).*k.map).source > 1) return false;
    o.material = std::move(m);
    return true;
}

bool ReadVisualStyleRecord(DxfReadContext& ctx, Object& o) {
    std::size_t start = 0;
    Identity(ctx, o, start);
    auto v = std::make_shared<VisualStyleData>();
    // The layout of the file's release first, then the others.
    for (Release r : {ctx.d.release, Release::R2000, Release::R2010, Release::R2013}) {
        *v = VisualStyleData{};
        if (!ReadStyleLayout(ctx, start, VisualStyleDxfLayout(r), *v)) continue;
        v->source = r;
        o.visualStyle = std::move(v);
        return true;
    }
    return false;
}

} // namespace ostrel::cad
