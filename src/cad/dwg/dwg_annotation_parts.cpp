#include "cad/dwg/dwg_annotation_parts.h"

namespace ostrel::cad::dwg {

namespace {

constexpr Vec3 kUp{0, 0, 1};

void Keep(std::string& pool, const std::string& value, std::uint32_t& offset, std::uint32_t& length) {
    offset = static_cast<std::uint32_t>(pool.size());
    length = static_cast<std::uint32_t>(value.size());
    pool.append(value);
}

} // namespace

// ------------------------------------------------------------ MTEXT

namespace {

// The copy of the geometry a non-annotative MTEXT repeats from R2018 on,
// with no columns.
void WriteRedundantMText(BitWriter& w, const MTextGeom& m, const Vec3& direction) {
    w.B(true);                                  // not annotative
    w.BS(4);                                    // version
    w.B(true);                                  // default flag
    w.BL(m.attachment);
    w.BD3(direction);
    w.BD3(m.pos);
    w.BD(m.width);
    w.BD(0.0);                                  // rectangle height
    w.BD(0.0);                                  // extents width
    w.BD(0.0);                                  // extents height
    w.BS(0);                                    // no columns
}

void ReadRedundantMText(BitReader& r, bool& appid) {
    appid = r.B();                              // not annotative: the copy follows
    if (!appid) return;
    r.BS();
    r.B();
    r.BL();
    r.BD3();
    r.BD3();
    for (int i = 0; i < 4; ++i) r.BD();
    const std::int16_t columns = r.BS();
    if (columns == 0) return;
    const std::int32_t heights = r.BL();
    r.BD();                                     // column width
    r.BD();                                     // gutter
    const bool autoHeight = r.B();
    r.B();                                      // flow reversed
    if (autoHeight || columns != 2) return;
    if (heights < 0) r.Fail("an MTEXT has a negative column count");
    r.RequireItems(static_cast<std::uint64_t>(heights), 2, "column heights");
    for (std::int32_t i = 0; i < heights; ++i) r.BD();
}

} // namespace

void WriteMText(BitWriter& w, const MTextGeom& m, std::string_view value, Release release) {
    const bool noDirection = m.direction.x == 0 && m.direction.y == 0 && m.direction.z == 0;
    const Vec3 direction = noDirection ? Vec3{1, 0, 0} : m.direction;
    w.BD3(m.pos);
    w.BD3(kUp);
    w.BD3(direction);
    w.BD(m.width);
    if (release >= Release::R2007) w.BD(0.0);   // rectangle height
    w.BD(m.height);
    w.BS(m.attachment != 0 ? m.attachment : 1);
    w.BS(m.drawingDirection != 0 ? m.drawingDirection : 1);
    w.BD(0.0);                                  // extents height
    w.BD(0.0);                                  // extents width
    w.TV(value);
    w.BS(m.lineSpacingStyle != 0 ? m.lineSpacingStyle : 1);
    w.BD(m.lineSpacing != 0 ? m.lineSpacing : 1.0);
    w.B(false);
    if (release >= Release::R2004) w.BL(0);     // no background fill
    if (release >= Release::R2018) WriteRedundantMText(w, m, direction);
}

void ReadMText(BitReader& r, MTextGeom& m, std::string& pool, Release release, bool& appid) {
    m.pos = r.BD3();
    r.BD3();                                    // extrusion
    m.direction = r.BD3();
    m.width = r.BD();
    if (release >= Release::R2007) r.BD();      // rectangle height
    m.height = r.BD();
    m.attachment = static_cast<std::uint8_t>(r.BS());
    m.drawingDirection = static_cast<std::uint8_t>(r.BS());
    r.BD();
    r.BD();                                     // extents
    Keep(pool, r.TV(), m.textOffset, m.textLength);
    m.style = kNone;
    m.lineSpacingStyle = static_cast<std::uint8_t>(r.BS());
    m.lineSpacing = r.BD();
    r.B();
    if (release >= Release::R2004) {
        const std::int32_t fill = r.BL();
        if ((fill & 1) || (release >= Release::R2018 && (fill & 0x10))) {
            r.BD();                             // scale
            r.CMC();
            r.BL();                             // transparency
        }
    }
    appid = false;
    if (release >= Release::R2018) ReadRedundantMText(r, appid);
}

// ------------------------------------------------------------ attributes

void WriteAttribute(BitWriter& w, const AttributeData& a, bool definition, Release release) {
    if (release >= Release::R2010) w.RC(0);     // version
    if (release >= Release::R2018) w.RC(1);     // a single-line attribute
    w.TV(a.tag);
    w.BS(a.fieldLength);
    w.RC(static_cast<std::uint8_t>(a.flags));
    if (release >= Release::R2007) w.B(a.lockPosition);
    if (release >= Release::R2010) w.RC(0);     // ATTDEF: version; ATTRIB: a byte some readers expect
    if (definition) w.TV(a.prompt);
}

bool ReadAttribute(BitReader& r, AttributeData& a, bool definition, Release release) {
    if (release >= Release::R2010) r.RC();
    if (release >= Release::R2018 && r.RC() > 1) return false;
    a.tag = r.TV();
    a.fieldLength = r.BS();
    a.flags = r.RC();
    if (release >= Release::R2007) a.lockPosition = r.B();
    if (!definition) return true;
    if (release >= Release::R2010) r.RC();
    a.prompt = r.TV();
    return true;
}

// ------------------------------------------------------------ dimensions

namespace {

// DXF 70 flags beside the dimension's type.
constexpr std::int16_t kOwnBlock = 32, kOrdinateX = 64, kUserTextPosition = 128;
// Object types by dimension type: rotated, aligned, angular, diameter,
// radius, angular 3-point, ordinate.
constexpr std::int16_t kDimensionTypes[7] = {21, 22, 24, 26, 25, 23, 20};

void WriteDimensionCommon(BitWriter& w, const DimensionData& dim, Release release) {
    if (release >= Release::R2010) w.RC(0);     // version
    w.BD3(dim.normal);
    w.RD2(dim.textMidpoint.x, dim.textMidpoint.y);
    w.BD(dim.textMidpoint.z);                   // elevation
    std::uint8_t flags = (dim.type & kUserTextPosition) ? 0 : 1;
    if (dim.type & kOwnBlock) flags |= 2;
    w.RC(flags);
    w.TV(dim.text);
    w.BD(dim.textRotation);
    w.BD(dim.horizontalDirection);
    w.BD3({1, 1, 1});                           // the block's scale and rotation
    w.BD(0.0);
    w.BS(dim.attachment);
    w.BS(dim.lineSpacingStyle);
    w.BD(dim.lineSpacing);
    w.BD(dim.measurement);
    if (release >= Release::R2007) {
        w.B(false);
        w.B(false);                             // arrows not flipped
        w.B(false);
    }
    w.RD2(dim.insertPoint.x, dim.insertPoint.y);
}

std::int16_t ReadDimensionCommon(BitReader& r, DimensionData& dim, Release release) {
    if (release >= Release::R2010) r.RC();
    dim.normal = r.BD3();
    dim.textMidpoint.x = r.RD();
    dim.textMidpoint.y = r.RD();
    dim.textMidpoint.z = r.BD();
    const std::uint8_t flags = r.RC();
    dim.text = r.TV();
    dim.textRotation = r.BD();
    dim.horizontalDirection = r.BD();
    r.BD3();
    r.BD();
    dim.attachment = r.BS();
    dim.lineSpacingStyle = r.BS();
    dim.lineSpacing = r.BD();
    dim.measurement = r.BD();
    if (release >= Release::R2007) {
        r.B();
        r.B();
        r.B();
    }
    dim.insertPoint.x = r.RD();
    dim.insertPoint.y = r.RD();
    dim.insertPoint.z = dim.textMidpoint.z;
    std::int16_t extra = (flags & 1) ? 0 : kUserTextPosition;
    if (flags & 2) extra |= kOwnBlock;
    return extra;
}

} // namespace

std::int16_t DimensionObjectType(const DimensionData& dim) {
    const int kind = dim.type & 7;
    return kDimensionTypes[kind < 7 ? kind : 0];
}

bool IsDimensionObjectType(std::int16_t type) { return type >= 20 && type <= 26; }

void WriteDimension(BitWriter& w, const DimensionData& d, std::int16_t type, Release release) {
    WriteDimensionCommon(w, d, release);
    switch (type) {
    case 20:                                    // ordinate
        w.BD3(d.defPoint);
        w.BD3(d.defPoint2);
        w.BD3(d.defPoint3);
        w.RC((d.type & kOrdinateX) ? 1 : 0);
        break;
    case 21:                                    // rotated: aligned's points, then its rotation
    case 22:
        w.BD3(d.defPoint2);
        w.BD3(d.defPoint3);
        w.BD3(d.defPoint);
        w.BD(d.oblique);
        if (type == 21) w.BD(d.rotation);
        break;
    case 23:                                    // angular 3-point
        w.BD3(d.defPoint);
        w.BD3(d.defPoint2);
        w.BD3(d.defPoint3);
        w.BD3(d.defPoint4);
        break;
    case 24:                                    // angular 2-line
        w.RD2(d.arcPoint.x, d.arcPoint.y);
        w.BD3(d.defPoint2);
        w.BD3(d.defPoint3);
        w.BD3(d.defPoint4);
        w.BD3(d.defPoint);
        break;
    case 25:                                    // radius
        w.BD3(d.defPoint);
        w.BD3(d.defPoint4);
        w.BD(d.leaderLength);
        break;
    default:                                    // diameter
        w.BD3(d.defPoint4);
        w.BD3(d.defPoint);
        w.BD(d.leaderLength);
        break;
    }
}

void ReadDimension(BitReader& r, DimensionData& d, std::int16_t type, Release release) {
    const std::int16_t extra = ReadDimensionCommon(r, d, release);
    const std::int16_t kinds[7] = {6, 0, 1, 5, 2, 4, 3};   // by object type - 20
    d.type = static_cast<std::int16_t>(kinds[type - 20] | extra);
    switch (type) {
    case 20:
        d.defPoint = r.BD3();
        d.defPoint2 = r.BD3();
        d.defPoint3 = r.BD3();
        if (r.RC() & 1) d.type |= kOrdinateX;
        break;
    case 21:
    case 22:
        d.defPoint2 = r.BD3();
        d.defPoint3 = r.BD3();
        d.defPoint = r.BD3();
        d.oblique = r.BD();
        if (type == 21) d.rotation = r.BD();
        break;
    case 23:
        d.defPoint = r.BD3();
        d.defPoint2 = r.BD3();
        d.defPoint3 = r.BD3();
        d.defPoint4 = r.BD3();
        break;
    case 24:
        d.arcPoint.x = r.RD();
        d.arcPoint.y = r.RD();
        d.arcPoint.z = d.textMidpoint.z;
        d.defPoint2 = r.BD3();
        d.defPoint3 = r.BD3();
        d.defPoint4 = r.BD3();
        d.defPoint = r.BD3();
        break;
    case 25:
        d.defPoint = r.BD3();
        d.defPoint4 = r.BD3();
        d.leaderLength = r.BD();
        break;
    default:
        d.defPoint4 = r.BD3();
        d.defPoint = r.BD3();
        d.leaderLength = r.BD();
        break;
    }
}

} // namespace ostrel::cad::dwg
