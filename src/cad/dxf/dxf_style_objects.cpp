// MLEADERSTYLE and TABLESTYLE in DXF: the fields of the style's list that the
// release holds, in order; read back field by field, a group code matched to
// the next field of the list that has it (the table style's rows repeat theirs).
#include "cad/dxf/dxf_style_objects.h"

#include "cad/dxf/dxf_read_tags.h"

namespace ostrel::cad {

namespace {

using K = StyleFieldKind;

std::span<const StyleField> FieldsOf(ObjectType type) {
    return type == ObjectType::MLeaderStyle ? MLeaderStyleFields() : TableStyleFields();
}

const std::string* TextStyleName(const Drawing& d, Handle h) {
    for (const auto& s : d.styles)
        if (s.handle == h) return &s.name;
    return nullptr;
}

void WriteField(dxf::WriteContext& c, bool mleader, const StyleField& f, const StyleValue& v) {
    auto& w = c.w;
    switch (f.kind) {
    case K::Short:
    case K::Long:
    case K::Flag: w.Int(f.code, static_cast<std::int32_t>(v.number)); break;
    case K::Real: w.Real(f.code, v.number); break;
    case K::Colour:
        w.Int(f.code, mleader ? ColourValue(static_cast<std::int16_t>(v.number)) : static_cast<std::int32_t>(v.number));
        break;
    case K::Text: w.Text(f.code, v.text, c.utf8); break;
    case K::TextStyle:
        if (!mleader) {
            const std::string* name = TextStyleName(c.d, v.handle);
            w.Text(f.code, name ? *name : std::string("Standard"), c.utf8);
            break;
        }
        [[fallthrough]];
    case K::Linetype:
    case K::Block:
        if (v.handle) w.HandleRef(f.code, v.handle);   // none: left out
        break;
    }
}

void ReadField(DxfReadContext& ctx, bool mleader, const StyleField& f, const DxfTag& t, StyleValue& v) {
    switch (f.kind) {
    case K::Short: v.number = TagShort(t); break;
    case K::Long:
    case K::Flag: v.number = TagInt(t); break;
    case K::Real: v.number = TagDouble(t); break;
    case K::Colour: v.number = mleader ? ColourIndex(TagInt(t)) : TagShort(t); break;
    case K::Text: v.text = ctx.DecodeTextString(t.value); break;
    case K::TextStyle:
        if (!mleader) {
            const auto style = ctx.d.FindStyle(ctx.DecodeTextString(t.value));
            v.handle = style == kNone ? 0 : ctx.d.styles[style].handle;
            break;
        }
        [[fallthrough]];
    case K::Linetype:
    case K::Block: v.handle = TagHandle(t); break;
    }
}

} // namespace

namespace dxf {

void WriteStyleObject(WriteContext& c, const Object& o) {
    const bool mleader = o.type == ObjectType::MLeaderStyle;
    c.w.Name(100, mleader ? "AcDbMLeaderStyle" : "AcDbTableStyle");
    const auto fields = FieldsOf(o.type);
    for (std::size_t i = 0; i < fields.size() && i < o.style.size(); ++i)
        if (c.release >= fields[i].since) WriteField(c, mleader, fields[i], o.style[i]);
    if (mleader && c.release < Release::R2010) {
        c.w.Name(1001, kMLeaderVersionApp);
        c.w.Int(1070, 2);
    }
}

} // namespace dxf

// Values the record does not give keep the standard style's.
void ReadStyleObject(DxfReadContext& ctx, Object& o) {
    const bool mleader = o.type == ObjectType::MLeaderStyle;
    const auto fields = FieldsOf(o.type);
    o.style = StandardStyleValues(fields, 0, 0);
    bool ownerSeen = false, inStyle = false;
    std::size_t next = 0;
    for (const auto& t : ctx.record) {
        if (t.code == 5) o.handle = TagHandle(t);
        if (t.code == 330 && !ownerSeen) {
            o.owner = TagHandle(t);
            ownerSeen = true;
        }
        if (t.code == 100) inStyle = t.value == (mleader ? "AcDbMLeaderStyle" : "AcDbTableStyle");
        if (!inStyle || t.code == 100) continue;
        for (std::size_t i = next; i < fields.size(); ++i) {
            if (fields[i].code != t.code) continue;
            ReadField(ctx, mleader, fields[i], t, o.style[i]);
            next = i + 1;
            break;
        }
    }
}

} // namespace ostrel::cad
