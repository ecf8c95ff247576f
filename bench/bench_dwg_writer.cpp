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

#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/dwg_reader.h"
#include "cad/dwg/dwg_writer.h"
#include "cad/dxf/dxf_writer.h"
#include "site_drawing.h"

namespace {

using namespace ostrel::cad;

constexpr std::size_t kEntities = 1'000'000;

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
    static auto d = ostrel::bench::SiteDrawing(kEntities);
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
