// The R2007 (AC1021) container on drawing-sized data: the objects of a
// drawing of 250,000 entities (points, 3D faces, texts; R2000 object
// encoding, close to what R2007 objects hold) laid out as a whole AC1021
// file and read back, with the sections compressed (what the writer does)
// and stored plain (no LZ77, plain Reed-Solomon pages) for comparison.
//
//   bench_dwg_r2007_container [--benchmark_filter=...]
//
// Counters: MB (section megabytes per second), file_MB, ratio (file / data).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "cad/drawing.h"
#include "cad/dwg/dwg_encoder.h"
#include "cad/dwg/r2007_container.h"

namespace {

using namespace ostrel::cad;

std::vector<dwg::NamedSection> Sections(bool compressed) {
    static const std::vector<std::uint8_t> objects = [] {
        auto d = NewDrawing();
        const auto ms = d->ModelSpace();
        char text[24];
        for (std::size_t i = 0; i < 250000; ++i) {
            Entity e;
            e.handle = d->NewHandle();
            const double x = 250000.0 + 0.37 * static_cast<double>(i % 5000), y = 6100000.0 + 0.29 * static_cast<double>(i / 5000);
            const double z = 100.0 + std::cos(0.001 * static_cast<double>(i));
            if (i % 20 < 9) {
                e.type = EntityType::Point;
                e.geom.point.pos = {x, y, z};
            } else if (i % 20 < 18) {
                e.type = EntityType::Face3D;
                e.geom.face = {{{x, y, z}, {x + 2.5, y, z + 0.2}, {x + 2.5, y + 2.5, z - 0.1}, {x + 2.5, y + 2.5, z - 0.1}}};
            } else {
                e.type = EntityType::Text;
                e.geom.text = {};
                e.geom.text.pos = {x, y, 0};
                e.geom.text.height = 0.25;
                e.geom.text.widthFactor = 1;
                const int n = std::snprintf(text, sizeof text, "%.2f", z);
                d->SetText(e.geom.text, std::string_view(text, static_cast<std::size_t>(n)));
            }
            d->AppendEntity(ms, e);
        }
        NormalizeForSave(*d);
        return dwg::EncodeDwg(*d);
    }();
    std::vector<dwg::NamedSection> s(2);
    s[0].name = "AcDb:AcDbObjects";
    s[0].data = objects;
    s[1].name = "AcDb:Header";
    s[1].data.assign(objects.begin(), objects.begin() + 1500);
    for (auto& x : s) x.compressed = compressed;
    return s;
}

void Report(benchmark::State& state, std::size_t data, std::size_t file) {
    state.counters["MB"] = benchmark::Counter(static_cast<double>(data) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = static_cast<double>(file) / 1e6;
    state.counters["ratio"] = static_cast<double>(file) / static_cast<double>(data);
}

void BM_R2007Write(benchmark::State& state) {
    const auto sections = Sections(state.range(0) != 0);
    std::size_t file = 0;
    for (auto _ : state) {
        auto bytes = dwg::r2007::WriteContainer(sections);
        file = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    Report(state, sections[0].data.size() + sections[1].data.size(), file);
}
BENCHMARK(BM_R2007Write)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_R2007Read(benchmark::State& state) {
    const auto sections = Sections(state.range(0) != 0);
    const auto bytes = dwg::r2007::WriteContainer(sections);
    for (auto _ : state) {
        auto back = dwg::r2007::ReadContainer(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(back.sections.data());
    }
    Report(state, sections[0].data.size() + sections[1].data.size(), bytes.size());
}
BENCHMARK(BM_R2007Read)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
