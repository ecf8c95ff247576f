// How each release lays out a visual style's values in DWG and DXF.
#include "cad/render_styles.h"

namespace ostrel::cad {

namespace {

using K = StyleKind;

// The properties as R2010 and later write them: kind and R2010 DXF code
// (R2013 and later DXF use the kind's general code).
struct Property {
    K kind;
    std::int16_t dxf2010;
};
constexpr Property kProperties[58] = {
    {K::BL, 71},  {K::BL, 72},  {K::BL, 73},  {K::BS, 90},  {K::BD, 40},  {K::BD, 41},  {K::CMC, 63},
    {K::BL, 74},  {K::BL, 91},  {K::CMC, 64}, {K::CMC, 65}, {K::BL, 75},  {K::BL, 175}, {K::BD, 42},
    {K::BL, 92},  {K::CMC, 66}, {K::BD, 43},  {K::BL, 76},  {K::BL, 77},  {K::BL, 78},  {K::CMC, 67},
    {K::BL, 79},  {K::BL, 170}, {K::BL, 171}, {K::B, 290},  {K::BL, 93},  {K::BD, 44},  {K::BL, 173},
    // R2013 and later.
    {K::B, 0},    {K::B, 0},    {K::B, 0},    {K::B, 0},    {K::B, 0},    {K::B, 0},    {K::B, 0},
    {K::B, 0},    {K::B, 0},    {K::BL, 0},   {K::BD, 0},   {K::BD, 0},   {K::BL, 0},   {K::CMC, 0},
    {K::BL, 0},   {K::BL, 0},   {K::CMC, 0},  {K::B, 0},    {K::BL, 0},   {K::BL, 0},   {K::BL, 0},
    {K::B, 0},    {K::BL, 0},   {K::CMC, 0},  {K::BD, 0},   {K::BL, 0},   {K::T, 0},    {K::B, 0},
    {K::BD, 0},   {K::BD, 0},
};

std::int16_t GeneralCode(K kind) {
    switch (kind) {
    case K::BD: case K::BLReal: return 40;
    case K::CMC: return 62;
    case K::B: return 290;
    case K::T: return 1;
    case K::BL: case K::BS: case K::RC: case K::Fixed: return 90;
    }
    return 90;
}

// Before R2010: no flags, some properties narrower, two fields more.
struct OldField {
    std::uint8_t slot;
    K kind;
    std::int16_t dxf;
};
constexpr OldField kOldDwg[] = {
    {0, K::BL, 71},   {1, K::BL, 72},   {2, K::BL, 73},   {4, K::BD, 40},   {5, K::BD, 41},
    {6, K::CMC, 63},  {3, K::BL, 90},   {7, K::BL, 74},   {8, K::BL, 91},   {9, K::CMC, 64},
    {10, K::CMC, 65}, {11, K::BL, 75},  {13, K::BD, 42},  {14, K::BL, 92},  {15, K::CMC, 66},
    {16, K::BD, 43},  {17, K::BS, 76},  {18, K::BS, 77},  {19, K::BL, 78},  {20, K::CMC, 67},
    {21, K::BS, 79},  {22, K::RC, 170}, {23, K::BS, 171}, {24, K::B, 290},  {kVsEdgeStyleApply, K::BS, 174},
    {12, K::BS, 175}, {25, K::BL, 93},  {26, K::BLReal, 44}, {27, K::BL, 173},
};

std::vector<VisualStyleField> OldDwg(bool r2007) {
    std::vector<VisualStyleField> f{{kVsDescription, K::T, 2, false}, {kVsType, K::BL, 70, false}};
    for (const auto& o : kOldDwg) f.push_back({o.slot, o.kind, o.dxf, false});
    if (r2007) f.push_back({kVsTrailingReal, K::BD, 45, false});
    f.push_back({kVsInternal, K::B, 291, false});
    return f;
}

// The DXF order of the same fields: the properties in their own order, a
// constant 62 5 before the face colour, the internal flag before the real.
std::vector<VisualStyleField> OldDxf() {
    std::vector<VisualStyleField> f{{kVsDescription, K::T, 2, false}, {kVsType, K::BL, 70, false}};
    for (std::uint8_t p = 0; p < 25; ++p) {
        if (p == 6) f.push_back({5, K::Fixed, 62, false});
        for (const auto& o : kOldDwg)
            if (o.slot == p) f.push_back({p, o.kind, o.dxf, false});
    }
    for (std::uint8_t slot : {std::uint8_t(kVsEdgeStyleApply), std::uint8_t(25), std::uint8_t(26), std::uint8_t(27)})
        for (const auto& o : kOldDwg)
            if (o.slot == slot) f.push_back({slot, o.kind, o.dxf, false});
    f.push_back({kVsInternal, K::B, 291, false});
    f.push_back({kVsTrailingReal, K::BD, 45, false});
    return f;
}

std::vector<VisualStyleField> Flagged(std::size_t count, bool generalCodes, bool dxf) {
    std::vector<VisualStyleField> f{{kVsDescription, K::T, 2, false},
                              {kVsType, K::BL, 70, false},
                              {kVsLightingModel, K::BS, 177, false},
                              {kVsInternal, K::B, 291, false}};
    if (dxf && generalCodes) f.push_back({58, K::Fixed, 70, false});
    for (std::uint8_t p = 0; p < count; ++p) {
        const K kind = kProperties[p].kind;
        f.push_back({p, kind, generalCodes ? GeneralCode(kind) : kProperties[p].dxf2010, true});
    }
    return f;
}

} // namespace

const std::vector<VisualStyleField>& VisualStyleDwgLayout(Release r) {
    static const std::vector<VisualStyleField> r2000 = OldDwg(false), r2007 = OldDwg(true), r2010 = Flagged(28, false, false),
                                         r2013 = Flagged(58, true, false);
    return r >= Release::R2013 ? r2013 : r >= Release::R2010 ? r2010 : r >= Release::R2007 ? r2007 : r2000;
}

const std::vector<VisualStyleField>& VisualStyleDxfLayout(Release r) {
    static const std::vector<VisualStyleField> old = OldDxf(), r2010 = Flagged(28, false, true), r2013 = Flagged(58, true, true);
    return r >= Release::R2013 ? r2013 : r >= Release::R2010 ? r2010 : old;
}

namespace {

// Releases whose files lay visual styles out alike (R2007 adds one real).
int LayoutFamily(Release r) { return r >= Release::R2013 ? 3 : r >= Release::R2010 ? 2 : r >= Release::R2007 ? 1 : 0; }

} // namespace

std::int32_t ColourValueOfIndex(std::int16_t index) {
    const std::uint32_t v = index == 256   ? 0xC0000000u
                            : index == 0   ? 0xC1000000u
                            : index == 257 ? 0xC8000000u
                                           : 0xC3000000u | static_cast<std::uint32_t>(index & 0xFF);
    return static_cast<std::int32_t>(v);
}

std::int32_t StyleColourValue(const VisualStyleValue& v) {
    return v.rgb != 0 ? v.rgb : ColourValueOfIndex(StyleColourIndex(v));
}

std::int16_t StyleColourIndex(const VisualStyleValue& v) {
    if (v.number != 0 || v.rgb == 0) return v.number > 0 && v.number <= 257 ? static_cast<std::int16_t>(v.number) : 0;
    const auto value = static_cast<std::uint32_t>(v.rgb);
    switch (value >> 24) {
    case 0xC0: return 256;
    case 0xC1: return 0;
    case 0xC2: return (value & 0xFF) >= 0xF0 ? 7 : 8;
    case 0xC8: return 257;
    default: return static_cast<std::int16_t>(value & 0xFF);
    }
}

const VisualStyleData& VisualStyleToWrite(const VisualStyleData& v, Release r) {
    if (!v.standard && LayoutFamily(v.source) == LayoutFamily(r)) return v;
    const VisualStyleData* standard = StandardVisualStyle(v.Name(), r);
    return standard ? *standard : v;
}

} // namespace ostrel::cad
