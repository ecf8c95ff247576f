#pragma once
// Helpers of the DXF reader and trim pass tests: drawings built straight in
// the database, the ezdxf checkers, and the one-fact-a-line sheet summary.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "../../bench/site_drawing.h"
#include "cad/drawing.h"
#include "support/test_support.h"

namespace ostrel::test {

inline const std::string kPython = "/usr/bin/python3 ";

// ---------------------------------------------------------------- builders

inline std::uint32_t LayerNamed(cad::Drawing& d, const std::string& name) {
    auto i = d.FindLayer(name);
    if (i != cad::kNone) return i;
    cad::Layer l;
    l.name = name;
    l.handle = d.NewHandle();
    l.plotStyle = d.layers[0].plotStyle;
    return d.AddLayer(l);
}

struct Pt {
    double x, y, z = 0;
};

// A heavy 2D polyline with its vertices and SEQEND.
inline std::uint32_t AddPolyline(cad::Drawing& d, std::uint32_t block, const std::string& layer,
                                 const std::vector<Pt>& pts, std::int16_t flags = 0) {
    auto l = LayerNamed(d, layer);
    cad::Entity p = bench::NewEntity(d, cad::EntityType::Polyline, l);
    p.geom.polyline = cad::PolylineGeom{0, 0, 0, flags};
    auto head = d.AppendEntity(block, p);
    for (auto& q : pts) {
        cad::Entity v = bench::NewEntity(d, cad::EntityType::Vertex, l);
        v.geom.vertex = cad::VertexGeom{{q.x, q.y, q.z}, 0, 0, 0, static_cast<std::int16_t>(flags & 8 ? 32 : 0), 0};
        d.AppendEntity(block, v);
    }
    d.AppendEntity(block, bench::NewEntity(d, cad::EntityType::SeqEnd, l));
    return head;
}

inline std::vector<Pt> Rect(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
}

inline std::uint32_t AddText(cad::Drawing& d, std::uint32_t block, const std::string& layer, Pt at, double height,
                             const std::string& text, std::uint8_t hAlign = 0) {
    cad::Entity e = bench::NewEntity(d, cad::EntityType::Text, LayerNamed(d, layer));
    cad::TextGeom t{};
    t.pos = {at.x, at.y, at.z};
    t.align = t.pos;
    t.height = height;
    t.widthFactor = 1;
    t.style = d.FindStyle("Standard");
    t.hAlign = hAlign;
    d.SetText(t, text);
    e.geom.text = t;
    return d.AppendEntity(block, e);
}

// A block "name" holding one line, made once.
inline std::uint32_t SymbolBlock(cad::Drawing& d, const std::string& name) {
    auto b = d.FindBlock(name);
    if (b != cad::kNone) return b;
    cad::BlockRecord r;
    r.name = name;
    r.handle = d.NewHandle();
    b = d.AddBlock(r);
    d.EnsureBlockEnds(b);
    cad::Entity line = bench::NewEntity(d, cad::EntityType::Line, 0);
    line.geom.line = cad::LineGeom{{-1, 0, 0}, {1, 0, 0}};
    d.AppendEntity(b, line);
    return b;
}

inline std::uint32_t AddInsert(cad::Drawing& d, std::uint32_t block, const std::string& layer, const std::string& name,
                               Pt at, double xs, double ys) {
    cad::Entity e = bench::NewEntity(d, cad::EntityType::Insert, LayerNamed(d, layer));
    cad::InsertGeom g{};
    g.pos = {at.x, at.y, at.z};
    g.xScale = xs;
    g.yScale = ys;
    g.zScale = 1;
    g.columns = g.rows = 1;
    g.block = SymbolBlock(d, name);
    e.geom.insert = g;
    return d.AppendEntity(block, e);
}

inline std::uint32_t AddCircle(cad::Drawing& d, std::uint32_t block, const std::string& layer, Pt c, double r) {
    cad::Entity e = bench::NewEntity(d, cad::EntityType::Circle, LayerNamed(d, layer));
    e.geom.circle = cad::CircleGeom{{c.x, c.y, c.z}, r};
    return d.AppendEntity(block, e);
}

// ---------------------------------------------------------------- checkers

// check_dxf.py: ezdxf audit and the tag-level structure checks.
inline void ExpectStrictDxf(const std::string& path, bool r12 = false) {
    auto r = RunChecker("check_dxf.py", path +
                        (r12 ? " --allow-r12-seqend" : ""));
    EXPECT_EQ(r.exitCode, 0) << path << "\n" << r.err;
}

// One line of sheet_summary.py, split at spaces; a TEXT's string is kept
// whole in `text`.
struct SummaryLine {
    std::vector<std::string> f;
    std::string text;
    double num(std::size_t i) const { return std::strtod(f.at(i).c_str(), nullptr); }
};

struct SheetSummary {
    std::vector<SummaryLine> lines;
    std::string raw;

    std::vector<const SummaryLine*> All(const std::string& space, const std::string& type) const {
        std::vector<const SummaryLine*> out;
        for (auto& l : lines)
            if (l.f.size() >= 2 && l.f[0] == space && l.f[1] == type) out.push_back(&l);
        return out;
    }
    std::string Value(const std::string& key) const {
        for (auto& l : lines)
            if (l.f.size() >= 2 && l.f[0] == key) return l.f[1];
        return {};
    }
    std::vector<std::string> Layouts() const {
        std::vector<std::string> out;
        for (auto& l : lines)
            if (l.f.size() >= 2 && l.f[0] == "LAYOUT") out.push_back(l.f[1]);
        return out;
    }
};

inline SheetSummary Summarise(const std::string& path, bool rawText = false) {
    SheetSummary s;
    auto r = RunChecker("sheet_summary.py", path +
                        (rawText ? " --raw-text" : ""));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    s.raw = r.out;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        SummaryLine l;
        std::size_t start = 0;
        while (start <= line.size()) {
            // "<space> TEXT <layer> <x> <y> <height> <string>": the string is the rest.
            if (l.f.size() == 6 && l.f[1] == "TEXT") {
                l.text = line.substr(start);
                break;
            }
            auto end = line.find(' ', start);
            if (end == std::string::npos) end = line.size();
            l.f.push_back(line.substr(start, end - start));
            start = end + 1;
        }
        s.lines.push_back(std::move(l));
    }
    return s;
}

} // namespace ostrel::test
