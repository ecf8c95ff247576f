// TABLES: VPORT, LTYPE (before LAYER, which refers to it), LAYER, STYLE,
// VIEW, UCS, APPID, DIMSTYLE and, from R13, BLOCK_RECORD.
#include <cmath>
#include <numbers>

#include "cad/dxf/dxf_write_context.h"
#include "cad/render_styles.h"

namespace ostrel::cad::dxf {

namespace {


void TableHead(WriteContext& c, const char* name, Handle handle, std::int64_t count) {
    auto& w = c.w;
    w.Marker("TABLE");
    w.Name(2, name);
    if (!c.r12) {
        w.HandleRef(5, handle);
        w.HandleRef(330, 0);
        w.Name(100, "AcDbSymbolTable");
    }
    w.Int(70, count);
}

void RecordHead(WriteContext& c, const char* type, Handle handle, Handle table, const char* subclass,
                std::string_view name, std::int64_t flags) {
    auto& w = c.w;
    w.Marker(type);
    w.HandleRef(std::string_view(type) == "DIMSTYLE" ? 105 : 5, handle);
    if (!c.r12) {
        w.HandleRef(330, table);
        w.Name(100, "AcDbSymbolTableRecord");
        w.Name(100, subclass);
    }
    w.Name(2, name);
    w.Int(70, flags);
}

void EndTable(WriteContext& c) { c.w.Marker("ENDTAB"); }

void WriteVports(WriteContext& c) {
    auto& w = c.w;
    TableHead(c, "VPORT", c.d.controls.vport, static_cast<std::int64_t>(c.d.vports.size()));
    for (const auto& v : c.d.vports) {
        RecordHead(c, "VPORT", v.handle, c.d.controls.vport, "AcDbViewportTableRecord",
                   ValidSymbolName(v.name, c.release, SymbolKind::Other), 0);
        w.Point2(10, 0, 0);                     // lower-left corner
        w.Point2(11, 1, 1);                     // upper-right corner
        w.Point2(12, v.viewCenter.x, v.viewCenter.y);
        w.Point2(13, 0, 0);                     // snap base
        w.Point2(14, 10, 10);                   // snap spacing
        w.Point2(15, 10, 10);                   // grid spacing
        w.Point3(16, Vec3{0, 0, 1});            // view direction
        w.Point3(17, Vec3{});                   // view target
        w.Real(40, v.viewHeight > 0 ? v.viewHeight : 1);
        w.Real(41, v.aspect > 0 ? v.aspect : 1);
        w.Real(42, 50);                         // lens length
        w.Real(43, 0);
        w.Real(44, 0);
        w.Real(50, 0);
        w.Real(51, 0);
        w.Int(71, 0);                           // view mode
        w.Int(72, 100);                         // circle zoom
        w.Int(73, 1);                           // fast zoom
        w.Int(74, 3);                           // UCS icon
        w.Int(75, 0);
        w.Int(76, 0);
        w.Int(77, 0);
        w.Int(78, 0);
        if (!c.preR2000) {
            w.Int(281, 0);                      // render mode
            w.Int(65, 1);                       // UCS follows the viewport
            w.Point3(110, Vec3{});
            w.Point3(111, Vec3{1, 0, 0});
            w.Point3(112, Vec3{0, 1, 0});
            w.Int(79, 0);
            w.Real(146, 0);
        }
        const Handle style = StandardVisualStyleHandle(c.d, "2dWireframe");
        if (c.release >= Release::R2007 && v.name == "*Active" && c.ObjectWritten(style)) w.HandleRef(348, style);
    }
    EndTable(c);
}

bool IsPseudoLinetype(const WriteContext& c, std::uint32_t i) {
    return i == c.byLayerLinetype || i == c.byBlockLinetype;
}

void WriteLinetypes(WriteContext& c) {
    auto& w = c.w;
    const auto& lts = c.d.linetypes;
    // R12 knows BYLAYER and BYBLOCK only as words, not as table records.
    std::int64_t count = 0;
    for (std::uint32_t i = 0; i < lts.size(); ++i)
        if (!(c.r12 && IsPseudoLinetype(c, i))) ++count;
    TableHead(c, "LTYPE", c.d.controls.linetype, count);
    for (std::uint32_t i = 0; i < lts.size(); ++i) {
        if (c.r12 && IsPseudoLinetype(c, i)) continue;
        const auto& lt = lts[i];
        RecordHead(c, "LTYPE", lt.handle, c.d.controls.linetype, "AcDbLinetypeTableRecord", c.names.linetypes[i],
                   0);
        w.Text(3, lt.description, c.utf8);
        w.Int(72, 65);                          // alignment: always "A"
        w.Int(73, static_cast<std::int64_t>(lt.dashes.size()));
        // The total length is what readers check against the elements: their sum.
        double total = 0;
        for (double dash : lt.dashes) total += std::fabs(dash);
        w.Real(40, lt.dashes.empty() ? 0.0 : total);
        for (double dash : lt.dashes) {
            w.Real(49, dash);
            if (!c.r12) w.Int(74, 0);           // a plain dash, no shape or text
        }
    }
    EndTable(c);
}

// Layer colours are 1..255; a layer that is off stores its colour negative.
std::int64_t LayerColour(const Layer& l) {
    std::int64_t colour = (l.colour >= 1 && l.colour <= 255) ? l.colour
                        : (l.colour <= -1 && l.colour >= -255) ? -l.colour
                        : 7;
    bool off = l.off || l.colour < 0;
    return off ? -colour : colour;
}

void WriteLayers(WriteContext& c) {
    auto& w = c.w;
    const auto& layers = c.d.layers;
    TableHead(c, "LAYER", c.d.controls.layer, static_cast<std::int64_t>(layers.size()));
    const Handle material = StandardMaterialHandle(c.d, "Global");
    for (std::uint32_t i = 0; i < layers.size(); ++i) {
        const auto& l = layers[i];
        RecordHead(c, "LAYER", l.handle, c.d.controls.layer, "AcDbLayerTableRecord", c.names.layers[i],
                   l.flags & 0x7);
        w.Int(62, LayerColour(l));
        w.Name(6, c.LayerLinetypeName(l.linetype));
        if (!c.preR2000) {
            if (!l.plot) w.Int(290, 0);
            w.Int(370, l.lineweight);
            if (c.ObjectWritten(l.plotStyle)) w.HandleRef(390, l.plotStyle);
            if (c.release >= Release::R2007 && c.ObjectWritten(material)) w.HandleRef(347, material);
        }
    }
    EndTable(c);
}

void WriteStyles(WriteContext& c) {
    auto& w = c.w;
    const auto& styles = c.d.styles;
    TableHead(c, "STYLE", c.d.controls.style, static_cast<std::int64_t>(styles.size()));
    for (std::uint32_t i = 0; i < styles.size(); ++i) {
        const auto& s = styles[i];
        RecordHead(c, "STYLE", s.handle, c.d.controls.style, "AcDbTextStyleTableRecord", c.names.styles[i],
                   s.flags & 0x5);
        w.Real(40, s.height);
        w.Real(41, s.widthFactor > 0 ? s.widthFactor : 1);
        w.Real(50, s.oblique * kDegrees);
        w.Int(71, s.generation & 0x6);
        w.Real(42, s.lastHeight > 0 ? s.lastHeight : 2.5);
        w.Text(3, s.font.empty() ? std::string_view("txt") : std::string_view(s.font), c.utf8);
        w.Text(4, s.bigFont, c.utf8);
    }
    EndTable(c);
}

void WriteViews(WriteContext& c) {
    auto& w = c.w;
    TableHead(c, "VIEW", c.d.controls.view, static_cast<std::int64_t>(c.d.views.size()));
    for (const auto& v : c.d.views) {
        RecordHead(c, "VIEW", v.handle, c.d.controls.view, "AcDbViewTableRecord",
                   ValidSymbolName(v.name, c.release, SymbolKind::Other), v.flags & 0x1);
        w.Real(40, 1);                          // height
        w.Point2(10, 0, 0);                     // centre
        w.Real(41, 1);                          // width
        w.Point3(11, Vec3{0, 0, 1});            // direction
        w.Point3(12, Vec3{});                   // target
        w.Real(42, 50);
        w.Real(43, 0);
        w.Real(44, 0);
        w.Real(50, 0);
        w.Int(71, 0);
    }
    EndTable(c);
}

void WriteUcss(WriteContext& c) {
    auto& w = c.w;
    TableHead(c, "UCS", c.d.controls.ucs, static_cast<std::int64_t>(c.d.ucss.size()));
    for (const auto& u : c.d.ucss) {
        RecordHead(c, "UCS", u.handle, c.d.controls.ucs, "AcDbUCSTableRecord",
                   ValidSymbolName(u.name, c.release, SymbolKind::Other), 0);
        w.Point3(10, Vec3{});
        w.Point3(11, Vec3{1, 0, 0});
        w.Point3(12, Vec3{0, 1, 0});
        if (!c.preR2000) {
            w.Int(79, 0);
            w.Real(146, 0);
        }
    }
    EndTable(c);
}

void WriteAppids(WriteContext& c) {
    TableHead(c, "APPID", c.d.controls.appid, static_cast<std::int64_t>(c.d.appids.size()));
    for (const auto& a : c.d.appids)
        RecordHead(c, "APPID", a.handle, c.d.controls.appid, "AcDbRegAppTableRecord",
                   ValidSymbolName(a.name, c.release, SymbolKind::Other), 0);
    EndTable(c);
}

void WriteDimstyles(WriteContext& c) {
    auto& w = c.w;
    TableHead(c, "DIMSTYLE", c.d.controls.dimstyle, static_cast<std::int64_t>(c.d.dimstyles.size()));
    if (!c.r12) {
        w.Name(100, "AcDbDimStyleTable");
        w.Int(71, static_cast<std::int64_t>(c.d.dimstyles.size()));
        for (const auto& s : c.d.dimstyles) w.HandleRef(340, s.handle);
    }
    for (const auto& s : c.d.dimstyles)
        RecordHead(c, "DIMSTYLE", s.handle, c.d.controls.dimstyle, "AcDbDimStyleTableRecord",
                   ValidSymbolName(s.name, c.release, SymbolKind::Other), 0);
    EndTable(c);
}

void WriteBlockRecords(WriteContext& c) {
    auto& w = c.w;
    std::int64_t count = 0;
    for (const auto& b : c.d.blocks)
        if (IsWrittenBlock(b, c.release)) ++count;
    TableHead(c, "BLOCK_RECORD", c.d.controls.block, count);
    for (std::uint32_t i = 0; i < c.d.blocks.size(); ++i) {
        const auto& b = c.d.blocks[i];
        if (!IsWrittenBlock(b, c.release)) continue;
        w.Marker("BLOCK_RECORD");
        w.HandleRef(5, b.handle);
        w.HandleRef(330, c.d.controls.block);
        w.Name(100, "AcDbSymbolTableRecord");
        w.Name(100, "AcDbBlockTableRecord");
        w.Name(2, c.names.blocks[i]);
        if (!c.preR2000 && c.ObjectWritten(b.layout)) w.HandleRef(340, b.layout);
        if (c.release >= Release::R2007) {
            w.Int(70, 0);                       // insertion units: unitless
            w.Int(280, 1);                      // explodable
            w.Int(281, 0);                      // not scaled uniformly only
        }
    }
    EndTable(c);
}

} // namespace

void WriteTablesSection(WriteContext& c) {
    c.w.Marker("SECTION");
    c.w.Name(2, "TABLES");
    WriteVports(c);
    WriteLinetypes(c);
    WriteLayers(c);
    WriteStyles(c);
    WriteViews(c);
    WriteUcss(c);
    WriteAppids(c);
    WriteDimstyles(c);
    if (!c.r12) WriteBlockRecords(c);
    c.w.Marker("ENDSEC");
}

} // namespace ostrel::cad::dxf
