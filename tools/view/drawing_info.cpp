// What a drawing holds, as text or JSON.
#include "tools/view/drawing_info.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cad/block_extents.h"
#include "tools/convert/json_text.h"
#include "tools/view/open_drawing.h"

namespace ostrel::cli {

namespace {

using cad::Box;
using cad::ExtentsOf;

using Counts = std::map<std::string, std::int64_t>;

Counts CountEntities(const cad::Drawing& d, std::uint32_t block) {
    Counts c;
    if (block >= d.blocks.size()) return c;
    for (std::uint32_t i : d.blocks[block].entities)
        if (!(d.entities[i].flags & cad::kEntityDeleted)) ++c[cad::EntityTypeName(d.entities[i].type)];
    return c;
}

std::string CountsText(const Counts& c) {
    std::string out;
    for (const auto& [type, n] : c) out += (out.empty() ? "" : ", ") + type + " " + std::to_string(n);
    return out.empty() ? "(none)" : out;
}

std::string CountsJson(const Counts& c) {
    std::string out = "{";
    for (const auto& [type, n] : c) out += (out.size() > 1 ? ", " : "") + JsonString(type) + ": " + std::to_string(n);
    return out + "}";
}

std::string NotReadJson(const std::map<std::string, std::uint32_t, std::less<>>& counts) {
    std::string out = "{";
    for (const auto& [kind, n] : counts)
        out += (out.size() > 1 ? ", " : "") + JsonString(kind) + ": " + std::to_string(n);
    return out + "}";
}

std::string BoxJson(const Box& b) {
    if (b.empty()) return "null";
    return "[" + JsonNumber(b.minX) + ", " + JsonNumber(b.minY) + ", " + JsonNumber(b.maxX) + ", " +
           JsonNumber(b.maxY) + "]";
}

std::string BoxText(const Box& b) {
    if (b.empty()) return "(empty)";
    char buf[160];
    std::snprintf(buf, sizeof buf, "(%.3f, %.3f) - (%.3f, %.3f)", b.minX, b.minY, b.maxX, b.maxY);
    return buf;
}

// The drawing as JSON for scripts.
std::string InfoJson(const std::string& path, const std::string& format, const cad::Drawing& d,
                     const std::vector<LayoutRef>& layouts, const Box& model, const Box& header) {
    std::string out = "{\n  \"file\": " + JsonString(path) + ",\n  \"format\": \"" + format + "\",\n  \"release\": \"" +
          cad::ReleaseName(d.release) + "\",\n  \"acadver\": \"" + cad::AcadVersionString(d.release) +
          "\",\n  \"layers\": [";
    for (std::size_t i = 0; i < d.layers.size(); ++i) {
        const auto& l = d.layers[i];
        const std::string lt = l.linetype < d.linetypes.size() ? d.linetypes[l.linetype].name : "Continuous";
        out += (i ? ",\n    " : "\n    ") + std::string("{\"name\": ") + JsonString(l.name) +
               ", \"colour\": " + std::to_string(l.colour) + ", \"linetype\": " + JsonString(lt) + "}";
    }
    out += "\n  ],\n  \"blocks\": [";
    for (std::size_t i = 0; i < d.blocks.size(); ++i)
        out += (i ? ", " : "") + JsonString(d.blocks[i].name);
    out += "],\n  \"layouts\": [";
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        const auto& l = layouts[i];
        out += (i ? ",\n    " : "\n    ") + std::string("{\"name\": ") + JsonString(l.name) +
               ", \"entities\": " + CountsJson(CountEntities(d, l.block)) +
               ", \"extents\": " + BoxJson(ExtentsOf(d, l.block));
        if (l.data && l.block != d.ModelSpace())
            out += ", \"paper_mm\": [" + JsonNumber(l.data->paperWidth) + ", " + JsonNumber(l.data->paperHeight) + "]";
        out += "}";
    }
    out += "\n  ],\n  \"block_entities\": {";
    bool first = true;
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b) {
        if (d.blocks[b].IsModelSpace() || d.blocks[b].IsPaperSpace()) continue;
        out += (first ? "\n    " : ",\n    ") + JsonString(d.blocks[b].name) + ": " + CountsJson(CountEntities(d, b));
        first = false;
    }
    out += "\n  },\n  \"not_read\": " + NotReadJson(d.notRead) +
           ",\n  \"objects_not_read\": " + NotReadJson(d.objectsNotRead);
    out += ",\n  \"extents\": " + BoxJson(model) + ",\n  \"header_extents\": " + BoxJson(header) + "\n}\n";
    return out;
}

// The drawing as text for people.
std::string InfoText(const std::string& path, const std::string& format, const cad::Drawing& d,
                     const std::vector<LayoutRef>& layouts, const Box& model, const Box& header) {
    std::string out = "drawing:  " + path + "\nrelease:  " + cad::ReleaseName(d.release) + " (" +
          cad::AcadVersionString(d.release) + "), " + format + "\n";
    out += "layers:   " + std::to_string(d.layers.size()) + "\n";
    for (const auto& l : d.layers) {
        const std::string lt = l.linetype < d.linetypes.size() ? d.linetypes[l.linetype].name : "Continuous";
        out += "  " + l.name + "  colour " + std::to_string(l.colour) + "  " + lt + "\n";
    }
    out += "blocks:   " + std::to_string(d.blocks.size()) + "\n";
    for (std::uint32_t b = 0; b < d.blocks.size(); ++b)
        out += "  " + d.blocks[b].name + ": " + CountsText(CountEntities(d, b)) + "\n";
    out += "layouts:  " + std::to_string(layouts.size()) + "\n";
    for (const auto& l : layouts) {
        out += "  " + l.name;
        if (l.data && l.block != d.ModelSpace()) {
            char paper[64];
            std::snprintf(paper, sizeof paper, " (paper %g x %g mm)", l.data->paperWidth, l.data->paperHeight);
            out += paper;
        }
        out += ": " + CountsText(CountEntities(d, l.block)) + "\n";
        out += "    extents " + BoxText(ExtentsOf(d, l.block)) + "\n";
    }
    if (!d.notRead.empty()) out += "not read: " + NotReadText(d.notRead) + "\n";
    if (!d.objectsNotRead.empty()) out += "objects not read: " + NotReadText(d.objectsNotRead) + "\n";
    out += "extents:  " + BoxText(model) + " (model space, measured)\n";
    out += "header:   " + BoxText(header) + " ($EXTMIN, $EXTMAX)\n";
    return out;
}

} // namespace

std::string NotReadText(const std::map<std::string, std::uint32_t, std::less<>>& counts) {
    std::vector<std::pair<std::uint32_t, std::string>> byCount;
    for (const auto& [kind, n] : counts) byCount.emplace_back(n, kind);
    std::stable_sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::string out;
    for (const auto& [n, kind] : byCount) out += (out.empty() ? "" : ", ") + std::to_string(n) + " " + kind;
    return out;
}

int PrintDrawingInfo(const std::string& path, bool json) {
    OpenedDrawing opened;
    try {
        opened = OpenDrawing(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    const cad::Drawing& d = *opened.drawing;
    const auto layouts = LayoutsOf(d);
    Box header;
    header.Add(d.header.extMin.x, d.header.extMin.y);
    header.Add(d.header.extMax.x, d.header.extMax.y);
    const Box model = ExtentsOf(d, d.ModelSpace());
    const std::string format = opened.dwg ? "DWG" : "DXF";

    const std::string out = json ? InfoJson(path, format, d, layouts, model, header)
                                 : InfoText(path, format, d, layouts, model, header);
    std::fputs(out.c_str(), stdout);
    return 0;
}

} // namespace ostrel::cli
