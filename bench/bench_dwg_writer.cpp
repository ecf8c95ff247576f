// The DWG writer beside the DXF writer on one drawing of a million entities
// (points, 3D faces, texts, and polylines of ten vertices with their sequence
// ends, in the proportions of a surveyed site), and the reader of the DWG.
//
//   bench_dwg_writer [--benchmark_filter=...]
//
// BM_SaveDwg and BM_SaveDxfR2000 write the same drawing to a file (atomic
// save included); the DWG must take no longer than the DXF. BM_EncodeDwg
// makes the whole DWG file in one vector instead (what the tests use);
// BM_ReadDwg reads the written file back.
// Counters: entities (per second), MB (file megabytes per second), file_MB.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"

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

// In every run of 40 entities: 14 points, 12 faces, 2 texts, and one
// polyline with 10 vertices and its sequence end.
std::unique_ptr<Drawing> SiteDrawing(std::size_t count) {
    auto d = NewDrawing();
    std::uint32_t layer[4];
    const char* names[4] = {"SURVEY-PTS", "DTM", "LABELS", "BOUNDARY"};
    for (int i = 0; i < 4; ++i) {
        Layer l;
        l.name = names[i];
        l.handle = d->NewHandle();
        l.colour = static_cast<std::int16_t>(2 + i);
        l.plotStyle = d->layers[0].plotStyle;
        layer[i] = d->AddLayer(l);
    }
    const auto ms = d->ModelSpace();
    d->entities.reserve(count + 16);
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
    NormalizeForSave(*d);
    return d;
}

std::string OutputPath(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / "ostrel-bench-dwg";
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

void BM_SaveDwg(benchmark::State& state) {
    Drawing& d = Site();
    const auto path = OutputPath("site.dwg");
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        SaveDwg(d, Release::R2000, path);
        bytes = std::filesystem::file_size(path);
    }
    Report(state, bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveDwg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SaveDxfR2000(benchmark::State& state) {
    Drawing& d = Site();
    const auto path = OutputPath("site.dxf");
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        SaveDxf(d, Release::R2000, path);
        bytes = std::filesystem::file_size(path);
    }
    Report(state, bytes);
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveDxfR2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_EncodeDwg(benchmark::State& state) {
    Drawing& d = Site();
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto image = dwg::EncodeDwg(d);
        bytes = image.size();
        benchmark::DoNotOptimize(image.data());
    }
    Report(state, bytes);
}
BENCHMARK(BM_EncodeDwg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_ReadDwg(benchmark::State& state) {
    const auto path = OutputPath("read.dwg");
    SaveDwg(Site(), Release::R2000, path);
    for (auto _ : state) {
        auto d = ReadDwg(path);
        benchmark::DoNotOptimize(d.get());
    }
    Report(state, std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadDwg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

BENCHMARK_MAIN();
