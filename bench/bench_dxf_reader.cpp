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

#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dxf/dxf_reader.h"
#include "cad/dxf/dxf_writer.h"
#include "site_drawing.h"
#include "trim/frmDWGTrim.h"

namespace {

using namespace ostrel::cad;

constexpr std::size_t kEntities = 1'000'000;

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
    static auto d = ostrel::bench::SiteDrawing(kEntities, nullptr, true);
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
