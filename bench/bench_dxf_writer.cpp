// The DXF writer's throughput on the site drawing of a million entities
// (points, 3D faces, polylines with their vertices, texts), and the memory
// the drawing database holds per entity.
//
//   bench_dxf_writer [--benchmark_filter=...]
//
// Counters: entities (entities written per second of wall time, the file
// included), MB (DXF megabytes per second), bytes_per_entity (heap bytes
// the database holds per entity, as malloc counts them, with the vectors'
// spare capacity included).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dxf/dxf_writer.h"
#include "site_drawing.h"

namespace {

using namespace ostrel::cad;

constexpr std::uint32_t kEntities = 1'000'000;

std::string OutputPath() {
    auto dir = std::filesystem::temp_directory_path() / "ostrel-bench-dxf";
    std::filesystem::create_directories(dir);
    return (dir / "site.dxf").string();
}

void BM_SaveDxf(benchmark::State& state) {
    const auto release = static_cast<Release>(state.range(0));
    auto d = ostrel::bench::SiteDrawing(kEntities);
    const auto path = OutputPath();
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        SaveDxf(*d, release, path);
        bytes = std::filesystem::file_size(path);
    }
    state.counters["entities"] =
        benchmark::Counter(static_cast<double>(kEntities), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.SetLabel(ReleaseName(release));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveDxf)
    ->Arg(static_cast<int>(Release::R12))
    ->Arg(static_cast<int>(Release::R2000))
    ->Arg(static_cast<int>(Release::R2018))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// Heap bytes in use: small blocks plus the large ones malloc maps directly.
std::size_t HeapInUse() {
    const auto m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Heap bytes per entity for a drawing of one million entities of one kind.
template <EntityType Type>
void BM_MemoryPerEntity(benchmark::State& state) {
    double perEntity = 0;
    for (auto _ : state) {
        auto d = NewDrawing();
        const auto ms = d->ModelSpace();
        const auto base = HeapInUse();
        if (Type == EntityType::Vertex) {
            Entity p;
            p.type = EntityType::Polyline;
            p.handle = d->NewHandle();
            d->AppendEntity(ms, p);
        }
        for (std::uint32_t i = 0; i < kEntities; ++i) {
            Entity e;
            e.type = Type;
            e.handle = d->NewHandle();
            e.geom.point.pos = {i * 0.5, i * 0.25, 1};
            d->AppendEntity(ms, e);
        }
        perEntity = static_cast<double>(HeapInUse() - base) / kEntities;
        benchmark::DoNotOptimize(d.get());
    }
    state.counters["bytes_per_entity"] = perEntity;
    state.counters["sizeof_Entity"] = sizeof(Entity);
}
BENCHMARK(BM_MemoryPerEntity<EntityType::Point>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryPerEntity<EntityType::Face3D>)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryPerEntity<EntityType::Vertex>)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
