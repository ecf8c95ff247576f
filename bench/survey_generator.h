#pragma once
// A generator of survey exports of a given size: survey points with their
// spot heights, symbols, strings and contours split over continuation
// records, annotation, circles and a ground model of triangles, in the
// proportions of a surveyed site with a terrain model. The same seed gives
// the same bytes on every machine (own random numbers, no library
// distributions).
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "survey_model.h"

namespace ostrel::bench {

inline constexpr double kPi = std::numbers::pi;

// splitmix64: small, fast and the same everywhere.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    std::uint64_t Below(std::uint64_t n) { return n ? Next() % n : 0; }

private:
    std::uint64_t s_;
};

// Shares of the export's records, by kind. Line records count every POLY and
// POLY3D line, continuation records included.
struct RecordMix {
    double triangles = 0.40;
    double points = 0.14;
    double spotHeights = 0.08;   // TEXT3D beside the points
    double symbols = 0.08;
    double texts = 0.06;
    double circles = 0.02;
    double lines = 0.22;         // what is left over
};

struct GeneratorOptions {
    std::uint64_t records = 100000;   // export records after the header line
    std::uint64_t seed = 1;
    bool byEntity = true;
    // Appends a title block after the survey: STARTTB, the sheet's frame, a
    // trim frame over the site and a title whose caret asks for a companion.
    bool titleBlock = false;
    RecordMix mix;
};

struct RecordCounts {
    std::uint64_t triangles = 0, points = 0, spotHeights = 0, symbols = 0, texts = 0, circles = 0, lines = 0;
    std::uint64_t Total() const { return triangles + points + spotHeights + symbols + texts + circles + lines; }
};

// Splits a record total into the mix's shares; the line records take the rest.
inline RecordCounts SplitRecords(std::uint64_t total, const RecordMix& mix) {
    auto share = [&](double f) { return static_cast<std::uint64_t>(std::floor(static_cast<double>(total) * f)); };
    RecordCounts c;
    c.triangles = share(mix.triangles);
    c.points = share(mix.points);
    c.spotHeights = share(mix.spotHeights);
    c.symbols = share(mix.symbols);
    c.texts = share(mix.texts);
    c.circles = share(mix.circles);
    std::uint64_t used = c.triangles + c.points + c.spotHeights + c.symbols + c.texts + c.circles;
    c.lines = total > used ? total - used : 0;
    return c;
}

// Records a polyline chain of `vertices` vertices takes when each record holds
// at most `perLine` vertices and every continuation repeats the last one.
inline std::uint64_t ChainLines(std::uint64_t vertices, std::uint64_t perLine) {
    if (vertices <= perLine) return 1;
    return 1 + (vertices - perLine + perLine - 2) / (perLine - 1);
}
// The most vertices a chain of `lines` records can hold.
inline std::uint64_t ChainCapacity(std::uint64_t lines, std::uint64_t perLine) {
    return lines == 0 ? 0 : perLine + (lines - 1) * (perLine - 1);
}

class SurveyGenerator {
    GeneratorOptions opt_;
    SurveySettings settings_;

public:
    // sink receives the export's bytes in pieces of about a megabyte.
    SurveyGenerator(const GeneratorOptions& options, std::function<void(std::string_view)> sink)
        : opt_(options), settings_(SurveySettings::Standard(options.byEntity)), model(settings_), rng_(options.seed),
          sink_(std::move(sink)) {
        side_ = std::max(200.0, std::sqrt(static_cast<double>(std::max<std::uint64_t>(opt_.records, 1))) * 3.0);
        model.extents[0] = x0_;
        model.extents[1] = y0_;
        model.extents[2] = x0_ + side_;
        model.extents[3] = y0_ + side_;
        out_.reserve(kFlush + 4096);
        DefineSymbols();
    }

    const SurveySettings& Settings() const { return settings_; }

    // Writes the whole export.
    void Run() {
        RecordCounts c = SplitRecords(opt_.records, opt_.mix);
        out_ += "TALVERO\r\n";
        WritePoints(c.points, c.spotHeights);
        WriteSymbols(c.symbols);
        WriteLines(c.lines);
        WriteTexts(c.texts);
        WriteCircles(c.circles);
        WriteTriangles(c.triangles);
        if (opt_.titleBlock) WriteTitleBlock();
        Flush();
    }

    // The title block's records, in the export's own units: a sheet at 1:500
    // turned by 0.3 radians, its frame around the site with a title panel on
    // the right, the trim frame on the site's edge, a caret title and a plain
    // line under it.
    static constexpr double kTitleScale = 500, kTitleRotation = 0.3;
    static constexpr int kTitleBlockRecords = 6;
    void WriteTitleBlock() {
        const double m = side_ * 0.05, x1 = x0_ + side_, y1 = y0_ + side_, panel = x1 + side_ * 0.3;
        auto rectangle = [&](const char* layer, int code, double ax, double ay, double bx, double by) {
            out_ += "POLY";
            Text(layer);
            Int(code);
            Num(0, 1);
            Int(0);
            for (auto [x, y] : {std::pair{ax, ay}, {ax, by}, {bx, by}, {bx, ay}, {ax, ay}}) {
                Num(x);
                Num(y);
            }
            EndLine();
        };
        out_ += "STARTTB";
        Num(kTitleScale, 0);
        Num(kTitleRotation, 1);
        EndLine();
        rectangle("SHEET", 7, x0_ - m, y0_ - m, panel, y1 + m);
        rectangle("TRIM", 1, x0_, y0_, x1, y1);
        out_ += "POLY,SHEET,7,0.0,0";
        for (double y : {y0_ - m, y1 + m}) {
            Num(x1 + m);
            Num(y);
        }
        EndLine();
        const double tx = x1 + 2 * m, h = side_ * 0.01;
        for (auto [text, y] : {std::pair{"^Kestrel Fields topographic survey", y1 - m}, {"Drawn from the export", y1 - 3 * m}}) {
            out_ += "TEXT,TITLE,7";
            Text(text);
            Num(tx);
            Num(y);
            Num(h);
            Num(0, 1);
            EndLine();
        }
        model.records += kTitleBlockRecords;
        model.titleBlock = true;
    }

    // The symbol-definition file that goes beside the export.
    std::string SymbolFile() const {
        std::string t;
        for (auto& b : model.blocks) {
            t += "SYMDEF," + b.name.substr(3) + "\r\n";
            for (auto& ol : b.outlines) {
                for (auto& [x, y] : ol.vertices) {
                    AppendFixed(t, x, 4);
                    t += ',';
                    AppendFixed(t, y, 4);
                    t += ',';
                }
                if (ol.closed) t += "-9.999,-9.999,";
                t += "\r\n";
            }
            t += "ENDSYM\r\n";
        }
        return t;
    }

    SurveyModel model;

private:
    static constexpr std::size_t kFlush = 1u << 20;

    static void AppendFixed(std::string& s, double v, int decimals) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        s.append(buf, r.ptr);
    }
    void Num(double v, int decimals = 3) {
        out_ += ',';
        AppendFixed(out_, v, decimals);
    }
    void Int(long long v) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        out_ += ',';
        out_.append(buf, r.ptr);
    }
    void Text(std::string_view s) {
        out_ += ',';
        out_ += s;
    }
    void EndLine() {
        out_ += "\r\n";
        if (out_.size() >= kFlush) Flush();
    }
    void Flush() {
        if (!out_.empty()) sink_(out_);
        out_.clear();
    }

    // Ground level: gentle hills over a tilted plane.
    double Ground(double x, double y) const {
        double u = x - x0_, v = y - y0_;
        return 50.0 + 0.004 * u - 0.002 * v + 4.0 * std::sin(u / 83.0) + 3.0 * std::cos(v / 57.0) +
               1.2 * std::sin((u + v) / 23.0);
    }
    double SiteX() { return x0_ + rng_.Range(0.0, side_); }
    double SiteY() { return y0_ + rng_.Range(0.0, side_); }

    void DefineSymbols() {
        auto polygon = [](int n, double r, double phase) {
            SymbolOutline o{true, {}};
            for (int i = 0; i < n; ++i) {
                double a = phase + 2.0 * kPi * i / n;
                o.vertices.push_back({std::round(r * std::cos(a) * 1e4) / 1e4, std::round(r * std::sin(a) * 1e4) / 1e4});
            }
            o.vertices.push_back(o.vertices.front());
            return o;
        };
        auto segment = [](double x1, double y1, double x2, double y2) {
            return SymbolOutline{false, {{x1, y1}, {x2, y2}}};
        };
        auto add = [&](const char* name, std::vector<SymbolOutline> outlines) {
            model.blocks.push_back({std::string("SYM") + name, std::move(outlines)});
        };
        add("TREE", {polygon(8, 1.0, 0.0), segment(-0.3, 0, 0.3, 0), segment(0, -0.3, 0, 0.3)});
        add("MH", {polygon(4, 0.7071, kPi / 4), segment(-0.5, -0.5, 0.5, 0.5), segment(-0.5, 0.5, 0.5, -0.5)});
        add("GULLY", {polygon(4, 0.4, kPi / 4), segment(-0.28, 0, 0.28, 0)});
        add("LAMP", {polygon(6, 0.3, 0.0), segment(0, 0.3, 0, 0.9)});
        add("SIGN", {polygon(3, 0.5, kPi / 2), segment(0, -0.25, 0, -0.8)});
        add("POLE", {polygon(12, 0.15, 0.0)});
        add("VALVE", {polygon(4, 0.25, 0.0), segment(-0.35, 0, 0.35, 0)});
        add("HYDRANT", {polygon(8, 0.3, kPi / 8), segment(0, 0.3, 0, 0.6), segment(-0.2, 0.45, 0.2, 0.45)});
        add("BOLLARD", {polygon(5, 0.2, 0.0)});
        add("STN", {polygon(3, 0.6, kPi / 2), segment(0, -0.1, 0, 0.1), segment(-0.1, 0, 0.1, 0)});
    }

    // Survey points, most of them followed by their spot height; heights
    // left over when the points are done stand on their own.
    void WritePoints(std::uint64_t points, std::uint64_t heights) {
        std::uint64_t id = 1000;
        while (points || heights) {
            double x = SiteX(), y = SiteY(), z = Ground(x, y);
            if (points) {
                out_ += "POINT";
                Int(static_cast<long long>(++id));
                Num(x);
                Num(y);
                Num(z);
                EndLine();
                model.Point();
                --points;
            }
            if (heights && (points == 0 || rng_.Uniform() * 0.14 < 0.08)) {
                char label[32];
                auto r = std::to_chars(label, label + sizeof label, z, std::chars_format::fixed, 2);
                out_ += "TEXT3D,SPOT-HEIGHTS,4";
                Text(std::string_view(label, static_cast<std::size_t>(r.ptr - label)));
                Num(x);
                Num(y);
                Num(z);
                out_ += ",1.5,0";
                EndLine();
                model.Text("SPOT-HEIGHTS", 4);
                --heights;
            }
        }
    }

    struct SymbolFeature {
        const char* layer;
        int code;
        const char* symbol;
        double weight;
        bool defined;
    };
    void WriteSymbols(std::uint64_t n) {
        static const SymbolFeature features[] = {
            {"TREES(OAK)", 3, "TREE", 0.16, true},   {"TREES(ASH)", 3, "TREE", 0.10, true},
            {"TREES(BIRCH)", 3, "TREE", 0.06, true}, {"MANHOLE", 1, "MH", 0.12, true},
            {"GULLY", 1, "GULLY", 0.12, true},       {"LAMP", 7, "LAMP", 0.08, true},
            {"SIGN", 2, "SIGN", 0.06, true},         {"POLE-TEL", 6, "POLE", 0.06, true},
            {"POLE-ELEC", 1, "POLE", 0.05, true},    {"VALVE", 4, "VALVE", 0.06, true},
            {"HYDRANT", 1, "HYDRANT", 0.04, true},   {"BOLLARD", 8, "BOLLARD", 0.04, true},
            {"STATION", 16777215, "STN", 0.02, true}, {"UNKNOWN-FEATURE", 7, "NOSUCH", 0.005, false},
        };
        for (std::uint64_t i = 0; i < n; ++i) {
            const SymbolFeature& f = Pick(features);
            double x = SiteX(), y = SiteY();
            bool noLevel = rng_.Uniform() < 0.05;
            double scale = f.symbol[0] == 'T' ? std::round(rng_.Range(1.0, 4.0)) : 1.0;
            out_ += "SYM";
            Text(f.layer);
            Int(f.code);
            Text(f.symbol);
            Num(x);
            Num(y);
            if (noLevel) out_ += ",-999";
            else Num(Ground(x, y));
            Num(scale, 1);
            Num(scale, 1);
            Num(rng_.Range(0.0, 6.283185), 6);
            EndLine();
            model.Symbol(f.layer, f.code, f.symbol, f.defined);
        }
    }

    struct LineFeature {
        const char* layer;
        int code;
        double width;
        const char* linetype;     // field 4 as written
        int linetypeCode;
        int styleLine;            // the style line the conversion reads for it
        bool is3D;
        bool closed;
        int minVertices, maxVertices;
        double step;              // typical distance between vertices
        double weight;
    };
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        double total = 0;
        for (auto& i : items) total += i.weight;
        double r = rng_.Uniform() * total;
        for (auto& i : items) {
            if (r < i.weight) return i;
            r -= i.weight;
        }
        return items[N - 1];
    }

    void WriteLines(std::uint64_t budget) {
        static const LineFeature features[] = {
            {"CONTOUR-MAJ", 10, 0, "0", 0, 0, true, false, 60, 400, 4.0, 0.06},
            {"CONTOUR-MIN", 10, 0, "0", 0, 0, true, false, 60, 400, 4.0, 0.20},
            {"CONTOUR-MAJ-NEG", 10, 0, "0", 0, 0, true, false, 20, 120, 4.0, 0.01},
            {"CONTOUR-MIN-NEG", 10, 0, "0", 0, 0, true, false, 20, 120, 4.0, 0.02},
            {"BANK-TOP", 2, 0, "0", 0, 0, true, false, 5, 80, 6.0, 0.04},
            {"BANK-BOTTOM", 2, 0, "0", 0, 0, true, false, 5, 80, 6.0, 0.04},
            {"KERB(2)", 3, 0, "0", 0, 0, false, false, 4, 60, 8.0, 0.08},
            {"KERB(1)", 3, 0, "0", 0, 0, false, false, 4, 60, 8.0, 0.04},
            {"ROAD-EDGE", 2, 0, "0", 0, 0, false, false, 4, 80, 10.0, 0.05},
            {"ROAD-CL", 12, 0, "0", 0, 0, false, false, 4, 80, 12.0, 0.02},
            {"FENCE", 5, 0, "2211:1", 2211, 1, false, false, 3, 40, 15.0, 0.04},
            {"HEDGE", 3, 0, "1010", 1010, 0, false, false, 3, 30, 8.0, 0.02},
            {"WALL", 6, 0.3, "0", 0, 0, false, false, 2, 20, 6.0, 0.03},
            {"BUILDING", 6, 0, "0", 0, 0, false, true, 4, 12, 8.0, 0.05},
            {"DITCH", 4, 0, "0", 0, 0, true, false, 4, 50, 7.0, 0.02},
            {"WATER-EDGE", 4, 0, "0", 0, 0, false, false, 10, 120, 5.0, 0.02},
            {"PATH-EDGE", 11, 0, "0", 0, 0, false, false, 4, 50, 6.0, 0.02},
            {"RAIL", 1, 0.15, "0", 0, 0, false, false, 2, 30, 20.0, 0.01},
            {"TRACK", 16777215, 0, "0", 0, 0, false, false, 4, 40, 10.0, 0.01},
            {"STEPS", 300, 0, "0", 0, 0, false, false, 2, 8, 1.0, 0.01},
            {"SVC", 7, 0, "0", 0, 0, false, false, 2, 40, 10.0, 0.12},   // one of 80 service codes
        };
        static const char* const services[] = {"E", "G", "W", "T"};
        static const int serviceCodes[] = {1, 2, 4, 13};
        std::string layer;
        std::vector<double> xs, ys, zs;
        std::string lastLayer;
        double lastX = 0, lastY = 0;
        while (budget > 0) {
            const LineFeature& f = Pick(features);
            int code = f.code;
            layer = f.layer;
            if (layer == "SVC") {
                std::uint64_t s = rng_.Below(4), n = 1 + rng_.Below(20);
                layer += '-';
                layer += services[s];
                layer += n < 10 ? "-0" : "-";
                layer += std::to_string(n);
                code = serviceCodes[s];
            }
            std::uint64_t perLine = f.is3D ? 8 : 10;
            std::uint64_t vertices = f.minVertices + rng_.Below(static_cast<std::uint64_t>(f.maxVertices - f.minVertices + 1));
            std::uint64_t lines = ChainLines(vertices, perLine);
            if (lines > budget) {
                lines = budget;
                vertices = ChainCapacity(lines, perLine);
            }
            budget -= lines;
            MakeChain(f, vertices, xs, ys, zs);
            // A chain that started where the previous one of its layer ended
            // would be read as its continuation.
            if (layer == lastLayer && std::hypot(xs[0] - lastX, ys[0] - lastY) < 0.01) xs[0] += 1.0;
            WriteChain(f, layer, code, perLine, xs, ys, zs);
            lastLayer = layer;
            lastX = xs.back();
            lastY = ys.back();
            model.Polyline(layer, code, f.width, f.linetypeCode, f.styleLine, f.is3D, vertices, lines);
        }
    }

    void MakeChain(const LineFeature& f, std::uint64_t vertices, std::vector<double>& xs, std::vector<double>& ys,
                   std::vector<double>& zs) {
        xs.clear();
        ys.clear();
        zs.clear();
        double x = SiteX(), y = SiteY();
        double level = std::round(Ground(x, y) * 2.0) / 2.0;   // contours lie on half-metre levels
        bool contour = f.layer[0] == 'C';
        if (f.closed) {
            // A building outline: a polygon around a centre, its first corner repeated at the end.
            std::uint64_t corners = vertices > 1 ? vertices - 1 : 1;
            double r = rng_.Range(4.0, 15.0), phase = rng_.Range(0.0, kPi);
            for (std::uint64_t i = 0; i < corners; ++i) {
                double a = phase + 2.0 * kPi * static_cast<double>(i) / static_cast<double>(corners);
                xs.push_back(x + r * std::cos(a));
                ys.push_back(y + r * std::sin(a));
                zs.push_back(Ground(xs.back(), ys.back()));
            }
            xs.push_back(xs.front());
            ys.push_back(ys.front());
            zs.push_back(zs.front());
            return;
        }
        double heading = rng_.Range(0.0, 2.0 * kPi);
        for (std::uint64_t i = 0; i < vertices; ++i) {
            xs.push_back(x);
            ys.push_back(y);
            zs.push_back(contour ? level : Ground(x, y));
            heading += rng_.Range(-0.35, 0.35);
            double step = f.step * rng_.Range(0.5, 1.5);
            x += step * std::sin(heading);
            y += step * std::cos(heading);
            if (x < x0_ || x > x0_ + side_) {
                heading = -heading;
                x = std::clamp(x, x0_, x0_ + side_);
            }
            if (y < y0_ || y > y0_ + side_) {
                heading = kPi - heading;
                y = std::clamp(y, y0_, y0_ + side_);
            }
        }
    }

    void WriteChain(const LineFeature& f, const std::string& layer, int code, std::uint64_t perLine,
                    const std::vector<double>& xs, const std::vector<double>& ys, const std::vector<double>& zs) {
        std::size_t n = xs.size(), next = 0;
        bool first = true;
        while (next < n) {
            out_ += f.is3D ? "POLY3D" : "POLY";
            Text(layer);
            Int(code);
            if (f.width > 0) Num(f.width, 2);
            else out_ += ",0";
            Text(f.linetype);
            std::size_t from = first ? 0 : next - 1;   // a continuation repeats the last vertex
            std::size_t to = std::min(n, from + perLine);
            for (std::size_t i = from; i < to; ++i) {
                Num(xs[i]);
                Num(ys[i]);
                if (f.is3D) Num(zs[i]);
            }
            EndLine();
            next = to;
            first = false;
        }
    }

    struct TextFeature {
        const char* keyword;
        const char* layer;
        int code;
        double height;
        double weight;
    };
    void WriteTexts(std::uint64_t n) {
        static const TextFeature features[] = {
            {"TEXT", "ANNOTATION-ROAD", 7, 4.0, 0.10},    {"TEXT", "ANNOTATION-BUILDING", 6, 3.0, 0.10},
            {"TEXT", "CONTOUR-TEXT", 10, 2.0, 0.30},      {"TEXT", "POINT-LABELS", 16777215, 1.0, 0.25},
            {"TEXT", "NOTES", 7, 2.5, 0.05},              {"TEXT", "SVC-E-01(LABEL)", 1, 1.5, 0.05},
            {"TEXT3D", "LEVELS(FFL)", 9, 1.5, 0.10},      {"TEXT", "WATER-LABELS", 4, 2.0, 0.05},
        };
        static const char* const words[] = {"Kestrel Road", "Store", "Barn", "Mill Lane", "Pump House",
                                            "Footpath", "Gate", "Culvert"};
        for (std::uint64_t i = 0; i < n; ++i) {
            const TextFeature& f = Pick(features);
            double x = SiteX(), y = SiteY(), z = Ground(x, y);
            out_ += f.keyword;
            Text(f.layer);
            Int(f.code);
            if (f.layer[0] == 'C') {
                char label[16];
                auto r = std::to_chars(label, label + sizeof label, std::round(z * 2.0) / 2.0,
                                       std::chars_format::fixed, 1);
                Text(std::string_view(label, static_cast<std::size_t>(r.ptr - label)));
            } else if (f.layer[0] == 'P') {
                Int(static_cast<long long>(1000 + rng_.Below(100000)));
            } else {
                Text(words[rng_.Below(8)]);
            }
            Num(x);
            Num(y);
            if (f.keyword[4] == '3') Num(z);
            Num(f.height, 1);
            Num(rng_.Uniform() < 0.6 ? 0.0 : rng_.Range(0.0, 6.283185), 6);
            EndLine();
            model.Text(f.layer, f.code);
        }
    }

    void WriteCircles(std::uint64_t n) {
        struct CircleFeature {
            const char* layer;
            int code;
            double lo, hi;
            double weight;
        };
        static const CircleFeature features[] = {
            {"TREES(OAK)", 3, 3.0, 12.0, 0.5}, {"DRAINAGE", 1, 0.6, 1.5, 0.3}, {"TREES-SPREAD", 3, 2.0, 8.0, 0.2}};
        for (std::uint64_t i = 0; i < n; ++i) {
            const CircleFeature& f = Pick(features);
            double x = SiteX(), y = SiteY();
            out_ += "CIRCLE";
            Text(f.layer);
            Int(f.code);
            Num(x);
            Num(y);
            Num(Ground(x, y));
            Num(rng_.Range(f.lo, f.hi), 2);
            EndLine();
            model.Circle(f.layer, f.code);
        }
    }

    // A ground model over a jittered grid: two triangles per cell, row by row,
    // neighbouring triangles sharing their corners exactly.
    void WriteTriangles(std::uint64_t n) {
        if (n == 0) return;
        std::uint64_t cells = (n + 1) / 2;
        std::uint64_t nx = static_cast<std::uint64_t>(std::ceil(std::sqrt(static_cast<double>(cells))));
        double cell = side_ / static_cast<double>(nx);
        auto corner = [&](std::uint64_t i, std::uint64_t j, double& x, double& y, double& z) {
            Rng jitter((i * 0x100000001B3ull) ^ (j * 0xC2B2AE3D27D4EB4Full) ^ opt_.seed);
            x = x0_ + (static_cast<double>(i) + jitter.Range(-0.3, 0.3)) * cell;
            y = y0_ + (static_cast<double>(j) + jitter.Range(-0.3, 0.3)) * cell;
            x = std::round(x * 1000.0) / 1000.0;
            y = std::round(y * 1000.0) / 1000.0;
            z = std::round(Ground(x, y) * 1000.0) / 1000.0;
        };
        double c[4][3];
        std::uint64_t written = 0;
        for (std::uint64_t j = 0; written < n; ++j) {
            for (std::uint64_t i = 0; i < nx && written < n; ++i) {
                corner(i, j, c[0][0], c[0][1], c[0][2]);
                corner(i + 1, j, c[1][0], c[1][1], c[1][2]);
                corner(i + 1, j + 1, c[2][0], c[2][1], c[2][2]);
                corner(i, j + 1, c[3][0], c[3][1], c[3][2]);
                static const int tris[2][3] = {{0, 1, 2}, {0, 2, 3}};
                for (int t = 0; t < 2 && written < n; ++t) {
                    out_ += "TRI,5";
                    for (int k : tris[t])
                        for (int a = 0; a < 3; ++a) Num(c[k][a]);
                    EndLine();
                    model.Triangle(5);
                    ++written;
                }
            }
        }
    }

    Rng rng_;
    std::function<void(std::string_view)> sink_;
    std::string out_;
    double x0_ = 512000.0, y0_ = 184000.0, side_ = 1000.0;
};

} // namespace ostrel::bench
