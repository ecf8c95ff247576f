#include "cad/dxf/dxf_read_kinds.h"

#include <cmath>
#include <numbers>
#include <string>

namespace ostrel::cad {

namespace {


// The text style of a name, "Standard" when absent.
std::uint32_t StyleOrStandard(DxfReadContext& ctx, std::uint32_t style) {
    return style == kNone ? StyleForName(ctx, "Standard") : style;
}

} // namespace

void SetAxis(Vec3& v, int axis, const DxfTag& t) {
    double value = TagDouble(t);
    if (axis == 0) v.x = value;
    else if (axis == 1) v.y = value;
    else v.z = value;
}

void ReadLwPolylineRecord(DxfReadContext& ctx, Entity& e) {
    LwPolylineData p;
    bool open = false;
    LwVertex v;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 210, axis)) { SetAxis(p.normal, axis, t); continue; }
        switch (t.code) {
        case 70: p.flags = static_cast<std::int16_t>(TagShort(t) & (1 | 128)); break;
        case 43: p.constantWidth = TagDouble(t); break;
        case 38: p.elevation = TagDouble(t); break;
        case 39: p.thickness = TagDouble(t); break;
        case 10:
            if (open) p.vertices.push_back(v);
            v = LwVertex{};
            v.x = TagDouble(t);
            open = true;
            break;
        case 20: if (open) v.y = TagDouble(t); break;
        case 40: if (open) v.startWidth = TagDouble(t); break;
        case 41: if (open) v.endWidth = TagDouble(t); break;
        case 42: if (open) v.bulge = TagDouble(t); break;
        default: break;
        }
    }
    if (open) p.vertices.push_back(v);
    ctx.d.SetLwPolyline(e, std::move(p));
}

void ReadEllipse(DxfReadContext& ctx, Entity& e) {
    EllipseGeom g{};
    g.ratio = 1;
    g.endParam = 2 * std::numbers::pi;
    g.normal = {0, 0, 1};
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) SetAxis(g.center, axis, t);
        else if (PointCode(t.code, 11, axis)) SetAxis(g.majorAxis, axis, t);
        else if (PointCode(t.code, 210, axis)) SetAxis(g.normal, axis, t);
        else if (t.code == 40) g.ratio = TagDouble(t);
        else if (t.code == 41) g.startParam = TagDouble(t);
        else if (t.code == 42) g.endParam = TagDouble(t);
    }
    e.geom.ellipse = g;
}

void ReadSpline(DxfReadContext& ctx, Entity& e) {
    SplineData s;
    int axis;
    for (auto& t : ctx.record) {
        if (PointCode(t.code, 10, axis)) {
            if (axis == 0) s.controlPoints.emplace_back();
            if (!s.controlPoints.empty()) SetAxis(s.controlPoints.back(), axis, t);
        } else if (PointCode(t.code, 11, axis)) {
            if (axis == 0) s.fitPoints.emplace_back();
            if (!s.fitPoints.empty()) SetAxis(s.fitPoints.back(), axis, t);
        } else if (PointCode(t.code, 12, axis)) SetAxis(s.startTangent, axis, t);
        else if (PointCode(t.code, 13, axis)) SetAxis(s.endTangent, axis, t);
        else if (PointCode(t.code, 210, axis)) SetAxis(s.normal, axis, t);
        else switch (t.code) {
        case 70: s.flags = TagShort(t); break;
        case 71: s.degree = TagShort(t); break;
        case 40: s.knots.push_back(TagDouble(t)); break;
        case 41: s.weights.push_back(TagDouble(t)); break;
        case 42: s.knotTolerance = TagDouble(t); break;
        case 43: s.controlTolerance = TagDouble(t); break;
        case 44: s.fitTolerance = TagDouble(t); break;
        default: break;
        }
    }
    ctx.d.SetSpline(e, std::move(s));
}

void ReadMText(DxfReadContext& ctx, Entity& e) {
    MTextGeom g{};
    g.style = kNone;
    g.attachment = 1;
    g.drawingDirection = 1;
    g.lineSpacingStyle = 1;
    g.lineSpacing = 1;
    double rotation = 0;
    bool directionSeen = false;
    std::string text, last;
    int axis;
    for (auto& t : ctx.record) {
        if (t.code == 101) break;            // an embedded object (columns) follows
        if (PointCode(t.code, 10, axis)) SetAxis(g.pos, axis, t);
        else if (PointCode(t.code, 11, axis)) { SetAxis(g.direction, axis, t); directionSeen = true; }
        else switch (t.code) {
        case 3: text += ctx.DecodeText(t.value); break;
        case 1: last = ctx.DecodeText(t.value); break;
        case 40: g.height = TagDouble(t); break;
        case 41: g.width = TagDouble(t); break;
        case 44: g.lineSpacing = TagDouble(t); break;
        case 50: rotation = TagDouble(t) * kDegree; break;
        case 71: g.attachment = static_cast<std::uint8_t>(TagShort(t)); break;
        case 72: g.drawingDirection = static_cast<std::uint8_t>(TagShort(t)); break;
        case 73: g.lineSpacingStyle = static_cast<std::uint8_t>(TagShort(t)); break;
        case 7: g.style = StyleForName(ctx, t.value); break;
        default: break;
        }
    }
    if (!directionSeen) g.direction = {std::cos(rotation), std::sin(rotation), 0};
    if (g.attachment < 1 || g.attachment > 9) g.attachment = 1;
    g.style = StyleOrStandard(ctx, g.style);
    ctx.d.SetText(g, text + last);
    e.geom.mtext = g;
}

bool TextGroup(DxfReadContext& ctx, const DxfTag& t, TextRead& text) {
    TextGeom& g = text.g;
    int axis;
    if (PointCode(t.code, 10, axis)) { SetAxis(g.pos, axis, t); return true; }
    if (PointCode(t.code, 11, axis)) { SetAxis(g.align, axis, t); text.alignSeen = true; return true; }
    switch (t.code) {
    case 40: g.height = TagDouble(t); return true;
    case 41: g.widthFactor = TagDouble(t); return true;
    case 50: g.rotation = TagDouble(t) * kDegree; return true;
    case 51: g.oblique = TagDouble(t) * kDegree; return true;
    case 7: g.style = StyleForName(ctx, t.value); return true;
    case 72: g.hAlign = static_cast<std::uint8_t>(TagShort(t)); return true;
    default: return false;
    }
}

void FinishText(DxfReadContext& ctx, TextRead& text) {
    text.g.style = StyleOrStandard(ctx, text.g.style);
    if (!text.alignSeen) text.g.align = text.g.pos;
    if (text.g.widthFactor == 0) text.g.widthFactor = 1;
}

void ReadAttribute(DxfReadContext& ctx, Entity& e) {
    AttributeData a;
    TextRead text;
    std::string value;
    for (auto& t : ctx.record) {
        if (t.code == 101) break;            // a multi-line attribute's MTEXT follows
        if (TextGroup(ctx, t, text)) continue;
        switch (t.code) {
        case 1: value = ctx.DecodeText(t.value); break;
        case 2: a.tag = ctx.DecodeString(t.value); break;
        case 3: a.prompt = ctx.DecodeTextString(t.value); break;
        case 70: a.flags = TagShort(t); break;
        case 73: a.fieldLength = TagShort(t); break;
        case 74: text.g.vAlign = static_cast<std::uint8_t>(TagShort(t)); break;
        default: break;
        }
    }
    FinishText(ctx, text);
    a.text = text.g;
    ctx.d.SetText(a.text, value);
    ctx.d.SetAttribute(e, std::move(a));
}

void ReadDimension(DxfReadContext& ctx, Entity& e) {
    DimensionData m;
    int axis;
    Vec3* const points[] = {&m.defPoint, &m.textMidpoint, &m.insertPoint, &m.defPoint2,
                            &m.defPoint3, &m.defPoint4, &m.arcPoint};
    for (auto& t : ctx.record) {
        bool point = false;
        for (int k = 0; k < 7 && !point; ++k)
            if (PointCode(t.code, 10 + k, axis)) { SetAxis(*points[k], axis, t); point = true; }
        if (point) continue;
        if (PointCode(t.code, 210, axis)) { SetAxis(m.normal, axis, t); continue; }
        switch (t.code) {
        case 2: m.block = BlockForName(ctx, t.value); break;
        case 3: {
            const auto name = ctx.Decode(t.value);
            for (std::uint32_t i = 0; i < ctx.d.dimstyles.size(); ++i)
                if (FoldedNameEqual{}(ctx.d.dimstyles[i].name, name)) m.dimstyle = i;
            break;
        }
        case 1: m.text = ctx.DecodeTextString(t.value); break;
        case 70: m.type = TagShort(t); break;
        case 71: m.attachment = TagShort(t); break;
        case 72: m.lineSpacingStyle = TagShort(t); break;
        case 40: m.leaderLength = TagDouble(t); break;
        case 41: m.lineSpacing = TagDouble(t); break;
        case 42: m.measurement = TagDouble(t); break;
        case 50: m.rotation = TagDouble(t) * kDegree; break;
        case 51: m.horizontalDirection = TagDouble(t) * kDegree; break;
        case 52: m.oblique = TagDouble(t) * kDegree; break;
        case 53: m.textRotation = TagDouble(t) * kDegree; break;
        default: break;
        }
    }
    ctx.d.SetDimension(e, std::move(m));
}

} // namespace ostrel::cad
