// The DXF reader and the trim pass on a drawing of a million entities
// (points, 3D faces, texts, and polylines of ten vertices with their sequence
// ends, in the proportions of a surveyed site) with a title block.
//
//   bench_dxf_reader [--benchmark_filter=...]
//
// BM_ReadDxfR2000 / BM_ReadDxfR2018 read the file our writer wrote (R2018
// text is UTF-8); BM_SaveDxfR2000 writes it, for scale; BM_TrimPass is the
// whole second pass: open (read), measure, build the sheet, save (write).
// The pass should cost about one read plus one write.
// Counters: entities (per second), MB (file megabytes per second), file_MB.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "trim/frmDWGTrim.h"

namespace {

using namespace ostrel::cad;

constexpr std::size_t kEntities = 1'000'000;

Entity NewEntity(Drawing& d, EntityType type, std::uint32_t layer) {
    Entity e;
    e.type = type;
    e.handle = d.NewHandle();
    e.layer = layer;
    return e;
}

std::uint32_t NewLayer(Drawing& d, const char* name, std::int16_t colour) {
    Layer l;
    l.name = name;
    l.handle = d.NewHandle();
    l.colour = colour;
    l.plotStyle = d.layers[0].plotStyle;
    return d.AddLayer(l);
}

void Polyline(Drawing& d, std::uint32_t ms, std::uint32_t layer, const double (*pts)[2], int n) {
    Entity p = NewEntity(d, EntityType::Polyline, layer);
    p.geom.polyline = {};
    d.AppendEntity(ms, p);
    for (int i = 0; i < n; ++i) {
        Entity v = NewEntity(d, EntityType::Vertex, layer);
        v.geom.vertex = {};
        v.geom.vertex.pos = {pts[i][0], pts[i][1], 0};
        d.AppendEntity(ms, v);
    }
    d.AppendEntity(ms, NewEntity(d, EntityType::SeqEnd, layer));
}

// In every run of 40 entities: 14 points, 12 faces, 2 texts, and one
// polyline with 10 vertices and its sequence end; then a trim frame and a
// title block.
std::unique_ptr<Drawing> SiteDrawing(std::size_t count) {
    auto d = NewDrawing();
    const std::uint32_t layer[4] = {NewLayer(*d, "SURVEY-PTS", 2), NewLayer(*d, "DTM", 3), NewLayer(*d, "LABELS", 4),
                                    NewLayer(*d, "BOUNDARY", 5)};
    const auto ms = d->ModelSpace();
    d->entities.reserve(count + 64);
    char text[24];
    std::size_t made = 0;
    for (std::size_t run = 0; made < count; ++run) {
        const double x0 = 250000.0 + static_cast<double>(run % 700) * 2.5;
        const double y0 = 6100000.0 + static_cast<double>(run / 700) * 2.5;
        for (int k = 0; k < 40 && made < count; ++k, ++made) {
            const double x = x0 + 0.05 * k, y = y0 + 0.03 * k, z = 100.0 + std::cos(0.001 * static_cast<double>(made));
            if (k < 14) {
                Entity e = NewEntity(*d, EntityType::Point, layer[0]);
                e.geom.point.pos = {x, y, z};
                d->AppendEntity(ms, e);
            } else if (k < 26) {
                Entity e = NewEntity(*d, EntityType::Face3D, layer[1]);
                e.geom.face = {{{x, y, z}, {x + 2.5, y, z + 0.2}, {x + 2.5, y + 2.5, z - 0.1}, {x + 2.5, y + 2.5, z - 0.1}}, 0};
                d->AppendEntity(ms, e);
            } else if (k < 28) {
                Entity e = NewEntity(*d, EntityType::Text, layer[2]);
                e.geom.text = {};
                e.geom.text.pos = {x, y, 0};
                e.geom.text.height = 0.25;
                e.geom.text.widthFactor = 1;
                int n = std::snprintf(text, sizeof text, "%.2f", z);
                d->SetText(e.geom.text, std::string_view(text, static_cast<std::size_t>(n)));
                d->AppendEntity(ms, e);
            } else if (k == 28) {
                Entity e = NewEntity(*d, EntityType::Polyline, layer[3]);
                e.geom.polyline = {};
                d->AppendEntity(ms, e);
            } else if (k < 39) {
                Entity e = NewEntity(*d, EntityType::Vertex, layer[3]);
                e.geom.vertex = {};
                e.geom.vertex.pos = {x, y + 0.5 * (k % 3), 0};
                d->AppendEntity(ms, e);
            } else {
                d->AppendEntity(ms, NewEntity(*d, EntityType::SeqEnd, layer[3]));
            }
        }
    }
    const double trim[5][2] = {{250000, 6100000}, {251750, 6100000}, {251750, 6101000}, {250000, 6101000}, {250000, 6100000}};
    const double sheet[5][2] = {{249900, 6099900}, {252100, 6099900}, {252100, 6101200}, {249900, 6101200}, {249900, 6099900}};
    Polyline(*d, ms, NewLayer(*d, "$TB-TRIM-FRAME", 1), trim, 5);
    Polyline(*d, ms, NewLayer(*d, "$TB-SHEET", 7), sheet, 5);
    NormalizeForSave(*d);
    return d;
}

std::string OutputPath(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / "ostrel-bench-dxf-reader";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void Report(benchmark::State& state, std::uintmax_t bytes) {
    state.counters["entities"] =
        benchmark::Counter(static_cast<double>(kEntities), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

Drawing& Site() {
    static auto d = SiteDrawing(kEntities);
    return *d;
}

void ReadRelease(benchmark::State& state, Release release, const char* name) {
    const auto path = OutputPath(name);
    SaveDxf(Site(), release, path);
    for (auto _ : state) {
        auto d = ReadDxf(path);
        benchmark::DoNotOptimize(d.get());
    }
    Report(state, std::filesystem::file_size(path));
    std::filesystem::remove(path);
}

void BM_ReadDxfR2000(benchmark::State& state) { ReadRelease(state, Release::R2000, "read2000.dxf"); }
BENCHMARK(BM_ReadDxfR2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReadDxfR2018(benchmark::State& state) { ReadRelease(state, Release::R2018, "read2018.dxf"); }
BENCHMARK(BM_ReadDxfR2018)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SaveDxfR2000(benchmark::State& state) {
    const auto path = OutputPath("save.dxf");
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        SaveDxf(Site(), Release::R2000, path);
        bytes = std::filesystem::file_size(path);
    }
    Report(state, bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveDxfR2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_TrimPass(benchmark::State& state) {
    const auto path = OutputPath("trim.dxf");
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SaveDxf(Site(), Release::R2000, path);
        state.ResumeTiming();
        ostrel::frmDWGTrim form;
        form.TrimDWG(path, 500, 0.3);
        bytes = std::filesystem::file_size(path);
    }
    Report(state, bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_TrimPass)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
