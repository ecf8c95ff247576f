// OBJECTS: the named object dictionary first, then every other object the
// release knows (dictionaries, plot-style names, layouts, MLINESTYLE, the
// drawing's settings and annotation scales, multileader and table styles).
#include "cad/dxf/dxf_style_objects.h"
#include "cad/dxf/dxf_text_encoding.h"
#include "cad/dxf/dxf_render_styles.h"
#include "cad/dxf/dxf_write_context.h"

namespace ostrel::cad::dxf {

namespace {

// Dictionary keys: control characters cannot stand in a value line.
std::string KeyText(const WriteContext& c, std::string_view name) {
    std::string s(name);
    for (auto& ch : s)
        if (static_cast<unsigned char>(ch) < 0x20) ch = '_';
    return c.utf8 ? Cp1252ToUtf8(s) : s;
}

void ObjectHead(WriteContext& c, const Object& o) {
    auto& w = c.w;
    w.Marker(ObjectTypeName(o.type));
    w.HandleRef(5, o.handle);
    if (!o.reactors.empty()) {
        w.Name(102, "{ACAD_REACTORS");
        for (Handle r : o.reactors) w.HandleRef(330, r);
        w.Name(102, "}");
    }
    w.HandleRef(330, o.owner);
}

void WriteDictionary(WriteContext& c, const Object& o) {
    auto& w = c.w;
    w.Name(100, "AcDbDictionary");
    if (o.hardOwner) w.Int(280, 1);
    w.Int(281, o.cloning);
    for (const auto& entry : o.entries) {
        if (!c.ObjectWritten(entry.target)) continue;
        w.Name(3, KeyText(c, entry.name));
        w.HandleRef(o.hardOwner ? 360 : 350, entry.target);
    }
    if (o.type == ObjectType::DictionaryWithDefault) {
        w.Name(100, "AcDbDictionaryWithDefault");
        w.HandleRef(340, o.defaultEntry);
    }
}

void WriteMLineStyle(WriteContext& c, const Object& o) {
    auto& w = c.w;
    w.Name(100, "AcDbMlineStyle");
    w.Name(2, KeyText(c, o.name.empty() ? std::string_view("Standard") : std::string_view(o.name)));
    w.Int(70, 0);
    w.Name(3, "");
    w.Int(62, 256);
    w.Real(51, 90);
    w.Real(52, 90);
    w.Int(71, 2);
    for (double offset : {0.5, -0.5}) {
        w.Real(49, offset);
        w.Int(62, 256);
        w.Name(6, "BYLAYER");
    }
}

void WriteScale(WriteContext& c, const Object& o) {
    auto& w = c.w;
    w.Name(100, "AcDbScale");
    w.Int(70, 0);
    w.Text(300, o.name, c.utf8);
    w.Real(140, o.paperUnits);
    w.Real(141, o.drawingUnits);
    w.Int(290, o.unitScale ? 1 : 0);
}

void WriteLayout(WriteContext& c, const Object& o) {
    auto& w = c.w;
    static const LayoutData kEmpty{};
    const LayoutData& l = o.layout ? *o.layout : kEmpty;
    w.Name(100, "AcDbPlotSettings");
    w.Text(1, l.pageSetupName, c.utf8);
    w.Text(2, l.printerName, c.utf8);
    w.Text(4, l.paperName, c.utf8);
    w.Name(6, "");                              // plot view
    w.Real(40, 0);                              // margins
    w.Real(41, 0);
    w.Real(42, 0);
    w.Real(43, 0);
    w.Real(44, l.paperWidth);
    w.Real(45, l.paperHeight);
    w.Real(46, 0);                              // plot origin
    w.Real(47, 0);
    w.Real(48, 0);                              // plot window
    w.Real(49, 0);
    w.Real(140, 0);
    w.Real(141, 0);
    w.Real(142, 1);                             // custom scale 1:1
    w.Real(143, 1);
    w.Int(70, l.plotFlags);
    w.Int(72, 1);                               // paper units: millimetres
    w.Int(73, 0);                               // no rotation
    w.Int(74, 5);                               // plot the layout
    w.Name(7, "");                              // plot style table
    w.Int(75, 16);                              // standard scale 1:1
    w.Real(147, 1);
    if (c.release >= Release::R2004) {
        w.Int(76, 0);                           // shade plot: as displayed
        w.Int(77, 2);                           // resolution: normal
        w.Int(78, 300);                         // dpi
    }
    w.Real(148, 0);
    w.Real(149, 0);

    w.Name(100, "AcDbLayout");
    w.Text(1, l.name, c.utf8);
    w.Int(70, l.layoutFlags);
    w.Int(71, l.tabOrder);
    w.Point2(10, l.limMin[0], l.limMin[1]);
    w.Point2(11, l.limMax[0], l.limMax[1]);
    w.Point3(12, l.insBase);
    w.Point3(14, l.extMin);
    w.Point3(15, l.extMax);
    w.Real(146, 0);                             // elevation
    w.Point3(13, Vec3{});                       // UCS origin and axes
    w.Point3(16, Vec3{1, 0, 0});
    w.Point3(17, Vec3{0, 1, 0});
    w.Int(76, 0);                               // UCS not orthographic
    w.HandleRef(330, l.blockRecord);
    if (l.lastViewport) w.HandleRef(331, l.lastViewport);
}

void WriteObject(WriteContext& c, const Object& o) {
    ObjectHead(c, o);
    switch (o.type) {
    case ObjectType::Dictionary:
    case ObjectType::DictionaryWithDefault: WriteDictionary(c, o); break;
    case ObjectType::Placeholder: break;
    case ObjectType::Layout: WriteLayout(c, o); break;
    case ObjectType::MLineStyle: WriteMLineStyle(c, o); break;
    case ObjectType::XRecord:
        c.w.Name(100, "AcDbXrecord");
        c.w.Int(280, 1);                        // cloning: keep existing
        break;
    case ObjectType::DictionaryVar:
        c.w.Name(100, "DictionaryVariables");
        c.w.Int(280, 0);                        // schema
        c.w.Text(1, o.value, c.utf8);
        break;
    case ObjectType::Scale: WriteScale(c, o); break;
    case ObjectType::MLeaderStyle:
    case ObjectType::TableStyle:
        WriteStyleObject(c, o);
        break;
    case ObjectType::Material: WriteMaterialGroups(c, o); break;
    case ObjectType::VisualStyle: WriteVisualStyleGroups(c, o); break;
    }
}

} // namespace

void WriteObjectsSection(WriteContext& c) {
    c.w.Marker("SECTION");
    c.w.Name(2, "OBJECTS");
    auto root = c.d.FindObject(c.d.rootDictionary);
    if (root != kNone && c.objectWritten[root]) WriteObject(c, c.d.objects[root]);
    for (std::uint32_t i = 0; i < c.d.objects.size(); ++i)
        if (i != root && c.objectWritten[i]) WriteObject(c, c.d.objects[i]);
    c.w.Marker("ENDSEC");
}

} // namespace ostrel::cad::dxf
