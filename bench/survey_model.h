#pragma once
// What a conversion makes of the generated survey: the layer each record
// lands on, the colours it carries and the linetypes its lines make. The
// generator keeps this book while it writes records, so that the peer and the
// runner know the drawing to expect (kinds, counts, layers, blocks) without
// reading the export again.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostrel::bench {

// The main settings the generator writes, held as the rules they stand for.
struct SurveySettings {
    bool byEntity = true;
    int layerStyle = 0;
    // LAYERS keys that are not patterns ("NAME", "NAME*", "WORD*"), upper case.
    std::map<std::string, std::string> layerKeys;
    // LAYERS entries whose key begins with "*": pattern (without "*"), value, in order.
    std::vector<std::pair<std::string, std::string>> layerPatterns;
    // LAYERS "$" + linetype name entries: linetype name, replacement.
    std::map<std::string, std::string> linetypeNames;
    // COLORTABLE: code -> value text; MajorContour / MinorContour pairs.
    std::map<std::int64_t, std::string> colourTable;
    std::string majorContour, minorContour;
    // style.lin, line by line: the names before "=".
    std::vector<std::string> styleNames;

    // The settings of every generated survey; only BYENT varies.
    static SurveySettings Standard(bool byEntity) {
        SurveySettings s;
        s.byEntity = byEntity;
        s.layerStyle = 0;
        s.layerKeys = {
            {"POINT", "SURVEY-POINTS"},        // exact
            {"MANHOLE", "DRAINAGE-MH"},        // exact
            {"WALL-LINE", "WALLS"},            // exact
            {"KERB-LINE*", "KERBS"},           // name followed by "*"
            {"ROAD*", "HIGHWAYS"},             // first word followed by "*"
        };
        s.layerPatterns = {{"HEDGE", "VEGETATION-HEDGE"}, {"BANK", "EARTHWORKS"}, {"WATER", "HYDROLOGY"}};
        s.linetypeNames = {{"FENCE", "FENCE-POST-RAIL"}};
        s.colourTable = {{1, "1"},  {2, "2"},  {3, "3"},   {4, "4"},   {5, "5"},    {6, "6"}, {7, "7"},
                         {8, "8"},  {9, "8"},  {11, "30"}, {12, "140"}, {13, "250.5"}, {16777215, "7"}};
        s.majorContour = "1,6";
        s.minorContour = "8,9";
        s.styleNames = {"DASHED", "FENCE", "HIDDEN", "DOTTED"};
        return s;
    }

    // The main settings file (GENERAL, EXPORT, LAYERS, COLORTABLE).
    std::string MainIni() const {
        std::string t = "; Main settings of a generated survey.\r\n[GENERAL]\r\nDEBUG=OFF\r\n\r\n[EXPORT]\r\n";
        t += std::string("BYENT=") + (byEntity ? "1" : "0") + "\r\n";
        t += "LAYERSTYLE=" + std::to_string(layerStyle) + "\r\nDWGVersion=2000\r\nDXFVersion=2000\r\n\r\n[LAYERS]\r\n";
        for (auto& [k, v] : layerKeys) t += k + "=" + v + "\r\n";
        for (auto& [p, v] : layerPatterns) t += "*" + p + "=" + v + "\r\n";
        for (auto& [n, v] : linetypeNames) t += "$" + n + "=" + v + "\r\n";
        t += "\r\n[COLORTABLE]\r\n";
        for (auto& [c, v] : colourTable) t += std::to_string(c) + "=" + v + "\r\n";
        t += "MajorContour=" + majorContour + "\r\nMinorContour=" + minorContour + "\r\n";
        return t;
    }

    // styles/style.lin beside the user settings file.
    std::string StyleFile() const {
        static const char* const descriptions[] = {"Dashed __ __ __", "Fence -x-x-x-", "Hidden _ _ _ _",
                                                   "Dotted . . . ."};
        std::string t;
        for (std::size_t i = 0; i < styleNames.size(); ++i)
            t += styleNames[i] + " = " + descriptions[i % 4] + "\r\n";
        return t;
    }
};

// The leading number of a settings value: sign, digits, one "." (0 when none).
inline double LeadingValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::size_t start = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool dot = false;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || (text[i] == '.' && !dot))) {
        dot = dot || text[i] == '.';
        ++i;
    }
    double v = 0;
    const char* first = text.data() + start;
    if (start < text.size() && text[start] == '+') ++first;
    auto r = std::from_chars(first, text.data() + i, v);
    return r.ec == std::errc() ? v : 0.0;
}

inline long long RoundHalfEven(double v) { return static_cast<long long>(std::nearbyint(v)); }

// Text before the first "(" and after the first ")" when the name has both.
inline std::string StripBrackets(std::string_view name) {
    auto open = name.find('('), close = name.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos) return std::string(name);
    return std::string(name.substr(0, open)) + std::string(name.substr(close + 1));
}

// Layer-name mapping as the conversion applies it, for upper-case names and
// values without "=".
inline std::string MapLayer(const SurveySettings& s, const std::string& name, bool& matched) {
    matched = true;
    auto key = [&](const std::string& k) -> const std::string* {
        auto it = s.layerKeys.find(k);
        return it == s.layerKeys.end() || it->second.empty() ? nullptr : &it->second;
    };
    if (auto* v = key(name)) return *v;
    if (auto* v = key(name + "*")) return *v;
    if (auto dash = name.find('-'); dash != std::string::npos)
        if (auto* v = key(name.substr(0, dash) + "*")) return *v;
    for (auto& [pattern, value] : s.layerPatterns)
        if (name.find(pattern) != std::string::npos) return value;
    matched = false;
    return name;
}

// The drawing colour index of an export colour code (COLORTABLE).
inline std::int32_t ColourIndex(const SurveySettings& s, std::int32_t code) {
    long long index = 0;
    if (auto it = s.colourTable.find(code); it != s.colourTable.end()) index = RoundHalfEven(LeadingValue(it->second));
    if (code == 16777215) index = 7;
    if (index == 0) index = code;
    if (index > 255) index = 255;
    return static_cast<std::int32_t>(index);
}

// The colour code of an entity on a contour layer.
inline std::int32_t ContourCode(const SurveySettings& s, std::string_view layer, std::int32_t code) {
    if (auto it = s.colourTable.find(code); it != s.colourTable.end() && !it->second.empty())
        return static_cast<std::int32_t>(RoundHalfEven(LeadingValue(it->second)));
    auto has = [&](std::string_view m) { return layer.find(m) != std::string_view::npos; };
    auto column = [](const std::string& pair, int n) {
        std::string_view v = pair;
        for (int i = 0; i < n; ++i) {
            auto c = v.find(',');
            if (c == std::string_view::npos) return 0.0;
            v = v.substr(c + 1);
        }
        return LeadingValue(v.substr(0, v.find(',')));
    };
    double v = 0;
    if (has("ANNOTATION") || has("TEXT")) v = column(s.majorContour, 0);
    else if (has("MAJ")) v = column(s.majorContour, has("NEG") ? 1 : 0);
    else if (has("MIN")) v = column(s.minorContour, has("NEG") ? 1 : 0);
    return static_cast<std::int32_t>(RoundHalfEven(v));
}

// Entity kinds the drawing receives, named as DXF names them.
enum class Kind : int { Point, Insert, Text, Circle, Face, Polyline, Vertex, Seqend, Count_ };
inline const char* KindName(Kind k) {
    static const char* const names[] = {"POINT", "INSERT", "TEXT", "CIRCLE", "3DFACE", "POLYLINE", "VERTEX", "SEQEND"};
    return names[static_cast<int>(k)];
}
constexpr int kKinds = static_cast<int>(Kind::Count_);

struct LayerEntry {
    std::string name;
    std::int32_t colour = 0;      // colour index
    std::string linetype;         // name of the linetype made with it, or ""
};

struct LinetypeEntry {
    std::string name;
    double dash[4] = {0, 0, 0, 0};   // dash, gap, dash, gap (positive lengths)
};

// One run of alike entities: same kind, layer, colour and shape options.
struct EntityGroup {
    Kind kind = Kind::Point;
    std::string layer;
    std::int32_t colour = -1;          // explicit colour index, -1 none (by layer)
    std::int32_t vertexColour = -1;    // polylines: explicit vertex colour, -1 none
    std::string block;                 // inserts
    int flags = 0;                     // polylines: 128 plan, 8 three-dimensional
    double width = 0;                  // polylines
    bool linetypePerEntity = false;    // polylines: a new linetype on every header
    std::uint64_t count = 0;
    std::uint64_t vertices = 0;        // polylines: all vertices of the group
};

inline EntityGroup GroupOf(Kind kind, std::string layer) {
    EntityGroup g;
    g.kind = kind;
    g.layer = std::move(layer);
    return g;
}

struct SymbolOutline {
    bool closed = false;
    std::vector<std::pair<double, double>> vertices;
};
struct SymbolBlock {
    std::string name;                  // "SYM" + symbol name
    std::vector<SymbolOutline> outlines;
};

inline void JsonString(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
}

inline void JsonNumber(std::string& out, double v) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// The drawing to expect, built up record by record.
class SurveyModel {
public:
    explicit SurveyModel(const SurveySettings& settings) : s_(settings) {}

    void Point() {
        ++records;
        bool matched = false;
        std::string layer = MapLayer(s_, "POINT", matched);
        UseLayer(layer, 0, 0, -1);
        Add(GroupOf(Kind::Point, layer));
    }

    void Symbol(std::string_view layerField, std::int32_t code, std::string_view symbol, bool defined) {
        ++records;
        bool matched = false;
        std::string layer = MapLayer(s_, StripBrackets(layerField), matched);
        if (!defined) return;   // no block: no insert and no layer
        UseLayer(layer, code, 0, -1);
        EntityGroup g = GroupOf(Kind::Insert, layer);
        g.colour = s_.byEntity || matched ? ColourIndex(s_, code) : -1;
        g.block = "SYM" + std::string(symbol);
        Add(g);
    }

    void Text(std::string_view layerField, std::int32_t code) {
        ++records;
        std::string layer = StripBrackets(layerField);
        if (layer.find("CONTOUR") != std::string::npos) code = ContourCode(s_, layer, code);
        bool matched = false;
        layer = MapLayer(s_, layer, matched);
        UseLayer(layer, code, 0, -1);
        EntityGroup g = GroupOf(Kind::Text, layer);
        g.colour = s_.byEntity ? ColourIndex(s_, code) : -1;
        Add(g);
    }

    void Circle(std::string_view layerField, std::int32_t code) {
        ++records;
        bool matched = false;
        std::string layer = MapLayer(s_, StripBrackets(layerField), matched);
        UseLayer(layer, code, 0, -1);
        EntityGroup g = GroupOf(Kind::Circle, layer);
        g.colour = s_.byEntity || matched ? ColourIndex(s_, code) : -1;
        Add(g);
    }

    void Triangle(std::int32_t code) {
        ++records;
        UseLayer("TRI", code, 0, -1);
        EntityGroup g = GroupOf(Kind::Face, "TRI");
        g.colour = s_.byEntity ? ColourIndex(s_, code) : -1;
        Add(g);
    }

    // One whole polyline chain: `lines` export records (the first and its
    // continuations) holding `vertices` distinct vertices.
    void Polyline(std::string_view layerField, std::int32_t code, double width, std::int32_t linetypeCode,
                  int styleLine, bool is3D, std::uint64_t vertices, std::uint64_t lines) {
        records += lines;
        std::string layer = StripBrackets(layerField);
        if (s_.layerStyle == 0) layer += "-LINE";
        bool matched = false;
        layer = MapLayer(s_, layer, matched);
        if (layer.find("CONTOUR") != std::string::npos) code = ContourCode(s_, layer, code);
        UseLayer(layer, code, linetypeCode, styleLine);
        EntityGroup g = GroupOf(Kind::Polyline, layer);
        if (s_.byEntity) {
            g.colour = ColourIndex(s_, code);
            if (linetypeCode > 0) {
                g.linetypePerEntity = true;
                NewLinetype(linetypeCode, styleLine);
            }
        }
        g.vertexColour = matched ? ColourIndex(s_, code) : -1;
        g.flags = is3D ? 8 : 128;
        g.width = width > 0 ? width : 0;
        EntityGroup& to = Add(g);
        to.vertices += vertices;
        kindCount[static_cast<int>(Kind::Vertex)] += vertices;
        kindCount[static_cast<int>(Kind::Seqend)] += 1;
    }

    std::vector<SymbolBlock> blocks;
    std::vector<LayerEntry> layers;            // in the order they are made
    std::vector<LinetypeEntry> linetypes;      // every linetype record made
    std::vector<EntityGroup> groups;
    std::uint64_t kindCount[kKinds] = {};
    std::uint64_t records = 0;                 // export records, the header line not counted
    double extents[4] = {0, 0, 0, 0};          // min x, min y, max x, max y of the site
    // The export ends with a title block (STARTTB, sheet frame, trim frame,
    // titles). Kinds and counts stay those of the survey: the sheet pass
    // moves the title block to a paper-space layout.
    bool titleBlock = false;

    std::uint64_t Entities() const {
        std::uint64_t n = 0;
        for (auto c : kindCount) n += c;
        return n;
    }

    std::string Json(std::uint64_t seed) const {
        std::string o = "{\n  \"seed\": " + std::to_string(seed) + ",\n  \"records\": " + std::to_string(records) +
                        ",\n  \"entities\": " + std::to_string(Entities()) + ",\n  \"byent\": " +
                        (s_.byEntity ? "1" : "0") + (titleBlock ? ",\n  \"title_block\": 1" : "") +
                        ",\n  \"extents\": [";
        for (int i = 0; i < 4; ++i) {
            if (i) o += ", ";
            JsonNumber(o, extents[i]);
        }
        o += "],\n  \"kinds\": {";
        for (int k = 0; k < kKinds; ++k) {
            if (k) o += ", ";
            JsonString(o, KindName(static_cast<Kind>(k)));
            o += ": " + std::to_string(kindCount[k]);
        }
        o += "},\n  \"layers\": [";
        for (std::size_t i = 0; i < layers.size(); ++i) {
            o += i ? ",\n    {\"name\": " : "\n    {\"name\": ";
            JsonString(o, layers[i].name);
            o += ", \"colour\": " + std::to_string(layers[i].colour) + ", \"linetype\": ";
            JsonString(o, layers[i].linetype);
            o += "}";
        }
        o += "\n  ],\n  \"linetypes\": [";
        for (std::size_t i = 0; i < linetypes.size(); ++i) {
            o += i ? ",\n    {\"name\": " : "\n    {\"name\": ";
            JsonString(o, linetypes[i].name);
            o += ", \"pattern\": [";
            for (int d = 0; d < 4; ++d) {
                if (d) o += ", ";
                JsonNumber(o, linetypes[i].dash[d]);
            }
            o += "]}";
        }
        o += "\n  ],\n  \"blocks\": [";
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            o += i ? ",\n    {\"name\": " : "\n    {\"name\": ";
            JsonString(o, blocks[i].name);
            o += ", \"outlines\": [";
            for (std::size_t j = 0; j < blocks[i].outlines.size(); ++j) {
                auto& ol = blocks[i].outlines[j];
                o += j ? ", {\"closed\": " : "{\"closed\": ";
                o += ol.closed ? "true" : "false";
                o += ", \"vertices\": [";
                for (std::size_t v = 0; v < ol.vertices.size(); ++v) {
                    o += v ? ", [" : "[";
                    JsonNumber(o, ol.vertices[v].first);
                    o += ", ";
                    JsonNumber(o, ol.vertices[v].second);
                    o += "]";
                }
                o += "]}";
            }
            o += "]}";
        }
        o += "\n  ],\n  \"groups\": [";
        for (std::size_t i = 0; i < groups.size(); ++i) {
            auto& g = groups[i];
            o += i ? ",\n    {\"kind\": " : "\n    {\"kind\": ";
            JsonString(o, KindName(g.kind));
            o += ", \"layer\": ";
            JsonString(o, g.layer);
            o += ", \"count\": " + std::to_string(g.count) + ", \"colour\": " + std::to_string(g.colour);
            if (g.kind == Kind::Insert) {
                o += ", \"block\": ";
                JsonString(o, g.block);
            }
            if (g.kind == Kind::Polyline) {
                o += ", \"vertices\": " + std::to_string(g.vertices) + ", \"flags\": " + std::to_string(g.flags) +
                     ", \"width\": ";
                JsonNumber(o, g.width);
                o += ", \"vertex_colour\": " + std::to_string(g.vertexColour) +
                     ", \"linetype_per_entity\": " + (g.linetypePerEntity ? "true" : "false");
            }
            o += "}";
        }
        o += "\n  ]\n}\n";
        return o;
    }

private:
    // The layer is made, once, by the first record that names it.
    void UseLayer(std::string name, std::int32_t code, std::int32_t linetypeCode, int styleLine) {
        if (name.empty()) name = "0";
        if (name == "0" || layerIndex_.count(name)) return;
        LayerEntry l{name, static_cast<std::int16_t>(ColourIndex(s_, code)), ""};
        if (linetypeCode > 0) l.linetype = NewLinetype(linetypeCode, styleLine);
        layerIndex_.emplace(name, layers.size());
        layers.push_back(std::move(l));
    }

    std::string NewLinetype(std::int32_t linetypeCode, int styleLine) {
        LinetypeEntry t;
        if (styleLine > -1 && static_cast<std::size_t>(styleLine) < s_.styleNames.size()) {
            t.name = s_.styleNames[styleLine];
            if (auto it = s_.linetypeNames.find(t.name); it != s_.linetypeNames.end() && !it->second.empty())
                t.name = it->second;
        }
        if (t.name.empty()) t.name = "lstyle" + std::to_string(linetypeCounter_ + 1);
        char digits[16];
        int n = std::snprintf(digits, sizeof digits, "%04d", linetypeCode);
        for (int i = 0; i < 4 && i < n; ++i) t.dash[i] = static_cast<float>((digits[i] - '0') / 10.0);
        ++linetypeCounter_;
        linetypes.push_back(t);
        return t.name;
    }

    EntityGroup& Add(const EntityGroup& g) {
        ++kindCount[static_cast<int>(g.kind)];
        char key[64];
        std::snprintf(key, sizeof key, "|%d|%d|%d|%d|%g|%d|", static_cast<int>(g.kind), g.colour, g.vertexColour,
                      g.flags, g.width, g.linetypePerEntity ? 1 : 0);
        std::string k = g.layer + key + g.block;
        auto [it, added] = groupIndex_.emplace(std::move(k), groups.size());
        if (added) {
            groups.push_back(g);
            groups.back().count = 0;
            groups.back().vertices = 0;
        }
        EntityGroup& to = groups[it->second];
        ++to.count;
        return to;
    }

    SurveySettings s_;
    std::unordered_map<std::string, std::size_t> layerIndex_;
    std::unordered_map<std::string, std::size_t> groupIndex_;
    int linetypeCounter_ = 0;
};

} // namespace ostrel::bench
