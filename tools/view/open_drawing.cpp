// Opening a drawing file and listing its layouts.
#include "tools/view/open_drawing.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "cad/dwg/dwg_reader.h"
#include "cad/dxf/dxf_reader.h"

namespace ostrel::cli {

OpenedDrawing OpenDrawing(const std::string& path) {
    char mark[4] = {};
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot open " + path);
    f.read(mark, sizeof mark);
    OpenedDrawing o;
    o.dwg = f.gcount() == 4 && std::string_view(mark, 4) == "AC10";
    f.close();
    o.drawing = o.dwg ? cad::ReadDwg(path) : cad::ReadDxf(path);
    return o;
}

std::vector<LayoutRef> LayoutsOf(const cad::Drawing& d) {
    std::vector<LayoutRef> out;
    std::vector<std::int16_t> order;
    for (const auto& obj : d.objects) {
        if (obj.type != cad::ObjectType::Layout || !obj.layout) continue;
        LayoutRef ref{obj.layout->name, d.FindBlockByHandle(obj.layout->blockRecord), obj.layout.get()};
        out.push_back(ref);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const LayoutRef& a, const LayoutRef& b) { return a.data->tabOrder < b.data->tabOrder; });
    // Drawings of releases without LAYOUT objects: model space and the one paper space.
    if (out.empty()) {
        if (d.ModelSpace() != cad::kNone) out.push_back({"Model", d.ModelSpace(), nullptr});
        if (d.PaperSpace() != cad::kNone) out.push_back({"Layout1", d.PaperSpace(), nullptr});
    }
    return out;
}

} // namespace ostrel::cli
