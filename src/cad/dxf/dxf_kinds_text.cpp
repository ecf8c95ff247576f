// The text kinds: TEXT, MTEXT (before R13 one TEXT a line), and ATTDEF and
// ATTRIB, which carry TEXT's groups and their own.
#include <cmath>
#include <string>

#include "cad/dxf/dxf_kinds.h"
#include "cad/mtext_lines.h"

namespace ostrel::cad::dxf {

namespace {

constexpr std::size_t kTextChunk = 250;   // MTEXT text travels in pieces of this many bytes

// The text style of a name, "Standard" when absent.
std::uint32_t StyleOrStandard(DxfReadContext& ctx, std::uint32_t style) {
    return style == kNone ? StyleForName(ctx, "Standard") : style;
}

// A TEXT, ATTDEF or ATTRIB's text geometry, read tag by tag: TextGroup takes
// the groups all three share (the two points, height, width factor,
// rotation, oblique angle, style, horizontal alignment) and says whether
// the tag was one of them; FinishText fills in what the record left out.
struct TextRead {
    TextGeom g{};
    bool alignSeen = false;
    TextRead() { g.widthFactor = 1; g.style = kNone; }
};

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

// The AcDbText groups of a TEXT, ATTDEF or ATTRIB, with `value` as its text.
void WriteTextGroups(WriteContext& c, const TextGeom& t, std::string_view value) {
    auto& w = c.w;
    c.Subclass("AcDbText");
    w.Point3(10, t.pos);
    w.Real(40, t.height);
    w.Text(1, value, c.utf8);
    if (t.rotation != 0) w.Real(50, t.rotation * kDegrees);
    if (t.widthFactor != 1 && t.widthFactor > 0) w.Real(41, t.widthFactor);
    if (t.oblique != 0) w.Real(51, t.oblique * kDegrees);
    if (t.style != 0 && t.style < c.names.styles.size()) w.Name(7, c.names.styles[t.style]);
    if (t.hAlign != 0) w.Int(72, t.hAlign);
    if (t.hAlign != 0 || t.vAlign != 0) w.Point3(11, t.align);
}

// ATTDEF or ATTRIB, by e.type.
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

void WriteAttribute(WriteContext& c, const Entity& e) {
    const auto& a = c.d.attributes[e.geom.extra.index];
    const bool def = e.type == EntityType::AttDef;
    auto& w = c.w;
    WriteCommon(c, e);
    WriteTextGroups(c, a.text, c.d.Text(a.text));
    c.Subclass(def ? "AcDbAttributeDefinition" : "AcDbAttribute");
    if (def) w.Text(3, a.prompt, c.utf8);
    w.Text(2, a.tag, c.utf8);
    w.Int(70, a.flags);
    if (a.fieldLength != 0) w.Int(73, a.fieldLength);
    if (a.text.vAlign != 0) w.Int(74, a.text.vAlign);
}

// One TEXT a line, top line at the insertion point, lines going down.
void WriteMTextAsTexts(WriteContext& c, const Entity& e, const Vec3& dir) {
    const auto& g = e.geom.mtext;
    const double rot = std::atan2(dir.y, dir.x), step = g.height * 5.0 / 3.0 * (g.lineSpacing > 0 ? g.lineSpacing : 1);
    const auto lines = MTextLines(c.d.Text(g));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TextGeom t{};
        t.pos = {g.pos.x + std::sin(rot) * step * i, g.pos.y - std::cos(rot) * step * i - g.height, g.pos.z};
        t.height = g.height;
        t.rotation = rot;
        t.widthFactor = 1;
        t.style = g.style;
        WriteCommonGroups(c, e, "TEXT", i == 0 ? e.handle : c.nextExtraHandle++, c.OwnerOf(e));
        WriteTextGroups(c, t, lines[i]);
    }
}

} // namespace

// ------------------------------------------------------------ TEXT

template <>
bool DxfKind<EntityType::Text>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    TextRead text;
    std::string_view value;
    for (auto& t : ctx.record) {
        if (TextGroup(ctx, t, text)) continue;
        if (t.code == 1) value = t.value;
        else if (t.code == 73) text.g.vAlign = static_cast<std::uint8_t>(TagShort(t));
    }
    FinishText(ctx, text);
    ctx.d.SetText(text.g, ctx.DecodeText(value));
    e.geom.text = text.g;
    return true;
}
template <>
void DxfKind<EntityType::Text>::Write(WriteContext& c, const Entity& e) {
    const auto& t = e.geom.text;
    WriteCommon(c, e);
    WriteTextGroups(c, t, c.d.Text(t));
    c.Subclass("AcDbText");
    if (t.vAlign != 0) c.w.Int(73, t.vAlign);
}
template <>
std::uint64_t DxfKind<EntityType::Text>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

// ------------------------------------------------------------ MTEXT

template <>
bool DxfKind<EntityType::MText>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
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
    return true;
}
template <>
void DxfKind<EntityType::MText>::Write(WriteContext& c, const Entity& e) {
    const auto& g = e.geom.mtext;
    const auto text = c.d.Text(g);
    const Vec3 dir = g.direction == Vec3{} ? Vec3{1, 0, 0} : g.direction;
    if (!HasCurves(c)) return WriteMTextAsTexts(c, e, dir);
    auto& w = c.w;
    WriteCommon(c, e);
    c.Subclass("AcDbMText");
    w.Point3(10, g.pos);
    w.Real(40, g.height);
    w.Real(41, g.width);
    w.Int(71, g.attachment);
    w.Int(72, g.drawingDirection);
    std::size_t at = 0;
    for (; text.size() - at > kTextChunk; at += kTextChunk) w.Text(3, text.substr(at, kTextChunk), c.utf8);
    w.Text(1, text.substr(at), c.utf8);
    if (g.style != 0 && g.style < c.names.styles.size()) w.Name(7, c.names.styles[g.style]);
    w.Point3(11, dir);
    w.Int(73, g.lineSpacingStyle);
    w.Real(44, g.lineSpacing > 0 ? g.lineSpacing : 1);
}
template <>
std::uint64_t DxfKind<EntityType::MText>::ExtraHandles(const Drawing& d, const Entity& e, Release r) {
    return r == Release::R12 ? MTextLines(d.Text(e.geom.mtext)).size() : 0;
}

// ------------------------------------------------------------ ATTDEF, ATTRIB

template <>
bool DxfKind<EntityType::AttDef>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadAttribute(ctx, e);
    return true;
}
template <>
void DxfKind<EntityType::AttDef>::Write(WriteContext& c, const Entity& e) { WriteAttribute(c, e); }
template <>
std::uint64_t DxfKind<EntityType::AttDef>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

template <>
bool DxfKind<EntityType::Attrib>::Read(DxfReadContext& ctx, Entity& e, std::uint32_t) {
    ReadAttribute(ctx, e);
    return true;
}
template <>
void DxfKind<EntityType::Attrib>::Write(WriteContext& c, const Entity& e) { WriteAttribute(c, e); }
template <>
std::uint64_t DxfKind<EntityType::Attrib>::ExtraHandles(const Drawing&, const Entity&, Release) { return 0; }

} // namespace ostrel::cad::dxf
