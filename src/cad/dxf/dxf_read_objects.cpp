// The OBJECTS section: dictionaries, the plot-style placeholder, layouts,
// multiline styles, drawing settings, annotation scales, multileader and table
// styles, materials and visual styles. Other objects are not held (they are
// counted by kind); references to them are removed when the drawing is
// completed.
#include <memory>
#include <string>

#include "cad/dxf/dxf_read_context.h"
#include "cad/dxf/dxf_style_objects.h"
#include "cad/dxf/dxf_render_styles.h"

namespace ostrel::cad {

namespace {

void ReadDictionary(DxfReadContext& ctx, Object& o) {
    bool ownerSeen = false;
    std::string name;
    bool nameOpen = false;
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 5: o.handle = TagHandle(t); break;
        case 330:
            if (!ownerSeen) { o.owner = TagHandle(t); ownerSeen = true; }
            break;
        case 280: o.hardOwner = TagShort(t) != 0; break;
        case 281: o.cloning = TagShort(t); break;
        case 3: name = ctx.DecodeString(t.value); nameOpen = true; break;
        case 350:
        case 360:
            if (nameOpen) {
                o.entries.push_back({name, TagHandle(t)});
                nameOpen = false;
            }
            break;
        case 340: o.defaultEntry = TagHandle(t); break;
        default: break;
        }
    }
}

void ReadLayout(DxfReadContext& ctx, Object& o) {
    auto data = std::make_shared<LayoutData>();
    bool layoutPart = false;     // after "100 AcDbLayout"
    bool ownerSeen = false;
    for (auto& t : ctx.record) {
        if (t.code == 100) {
            layoutPart = t.value == "AcDbLayout";
            continue;
        }
        if (t.code == 5) { o.handle = TagHandle(t); continue; }
        if (!layoutPart) {
            switch (t.code) {
            case 330: if (!ownerSeen) { o.owner = TagHandle(t); ownerSeen = true; } break;
            case 1: data->pageSetupName = ctx.DecodeTextString(t.value); break;
            case 2: data->printerName = ctx.DecodeTextString(t.value); break;
            case 4: data->paperName = ctx.DecodeTextString(t.value); break;
            case 44: data->paperWidth = TagDouble(t); break;
            case 45: data->paperHeight = TagDouble(t); break;
            case 70: data->plotFlags = TagShort(t); break;
            default: break;
            }
            continue;
        }
        switch (t.code) {
        case 1: data->name = ctx.DecodeTextString(t.value); break;
        case 70: data->layoutFlags = TagShort(t); break;
        case 71: data->tabOrder = TagShort(t); break;
        case 10: data->limMin[0] = TagDouble(t); break;
        case 20: data->limMin[1] = TagDouble(t); break;
        case 11: data->limMax[0] = TagDouble(t); break;
        case 21: data->limMax[1] = TagDouble(t); break;
        case 12: data->insBase.x = TagDouble(t); break;
        case 22: data->insBase.y = TagDouble(t); break;
        case 32: data->insBase.z = TagDouble(t); break;
        case 14: data->extMin.x = TagDouble(t); break;
        case 24: data->extMin.y = TagDouble(t); break;
        case 34: data->extMin.z = TagDouble(t); break;
        case 15: data->extMax.x = TagDouble(t); break;
        case 25: data->extMax.y = TagDouble(t); break;
        case 35: data->extMax.z = TagDouble(t); break;
        case 330: data->blockRecord = TagHandle(t); break;
        case 331: data->lastViewport = TagHandle(t); break;
        default: break;
        }
    }
    o.layout = std::move(data);
}

void ReadSimpleObject(DxfReadContext& ctx, Object& o) {
    bool ownerSeen = false;
    for (auto& t : ctx.record) {
        if (t.code == 5) o.handle = TagHandle(t);
        else if (t.code == 330 && !ownerSeen) { o.owner = TagHandle(t); ownerSeen = true; }
        else if (t.code == 2 && o.type == ObjectType::MLineStyle && o.name.empty()) o.name = ctx.DecodeString(t.value);
    }
}

// DICTIONARYVAR (value 1) and SCALE (name 300, units 140 and 141, 290 the 1:1 scale).
void ReadSettingObject(DxfReadContext& ctx, Object& o) {
    bool ownerSeen = false;
    for (auto& t : ctx.record) {
        switch (t.code) {
        case 5: o.handle = TagHandle(t); break;
        case 330: if (!ownerSeen) { o.owner = TagHandle(t); ownerSeen = true; } break;
        case 1: o.value = ctx.DecodeTextString(t.value); break;
        case 300: o.name = ctx.DecodeTextString(t.value); break;
        case 140: o.paperUnits = TagDouble(t); break;
        case 141: o.drawingUnits = TagDouble(t); break;
        case 290: o.unitScale = TagShort(t) != 0; break;
        default: break;
        }
    }
}

} // namespace

void ReadObjectsSection(DxfReadContext& ctx) {
    auto& d = ctx.d;
    bool first = true;
    DxfTag tag;
    while (ctx.tags.Next(tag)) {
        if (tag.code != 0) ThrowAtLine(tag.line, "unexpected group code " + std::to_string(tag.code) + " in OBJECTS");
        if (tag.value == "ENDSEC") return;
        if (tag.value == "EOF") ThrowAtLine(tag.line, "EOF inside OBJECTS");
        ctx.ReadRecord(tag.line);
        Object o;
        const auto& type = tag.value;
        if (type == "DICTIONARY") {
            o.type = ObjectType::Dictionary;
            ReadDictionary(ctx, o);
        } else if (type == "ACDBDICTIONARYWDFLT") {
            o.type = ObjectType::DictionaryWithDefault;
            ReadDictionary(ctx, o);
        } else if (type == "ACDBPLACEHOLDER") {
            o.type = ObjectType::Placeholder;
            ReadSimpleObject(ctx, o);
        } else if (type == "MLINESTYLE") {
            o.type = ObjectType::MLineStyle;
            ReadSimpleObject(ctx, o);
        } else if (type == "DICTIONARYVAR" || type == "SCALE") {
            o.type = type == "SCALE" ? ObjectType::Scale : ObjectType::DictionaryVar;
            ReadSettingObject(ctx, o);
        } else if (type == "MLEADERSTYLE" || type == "TABLESTYLE") {
            o.type = type == "TABLESTYLE" ? ObjectType::TableStyle : ObjectType::MLeaderStyle;
            ReadStyleObject(ctx, o);
        } else if ((type == "MATERIAL" && ReadMaterialRecord(ctx, o)) ||
                   (type == "VISUALSTYLE" && ReadVisualStyleRecord(ctx, o))) {
            o.type = type == "MATERIAL" ? ObjectType::Material : ObjectType::VisualStyle;
        } else if (type == "LAYOUT") {
            o.type = ObjectType::Layout;
            ReadLayout(ctx, o);
        } else {
            d.CountObjectNotRead(type);
            first = false;
            continue;
        }
        o.reactors = ctx.reactors;
        // An object without a handle, or one whose handle is taken, cannot be
        // referred to: it is left out.
        if (o.handle == 0 || d.FindObject(o.handle) != kNone) {
            first = false;
            continue;
        }
        if (first && o.type == ObjectType::Dictionary) d.rootDictionary = o.handle;
        first = false;
        d.AddObject(std::move(o));
    }
    ThrowAtLine(ctx.tags.Line(), "file ends inside OBJECTS (truncated?)");
}

} // namespace ostrel::cad
