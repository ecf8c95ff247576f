// The DXF writer's throughput on a generated drawing of a million entities
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

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "cad/drawing.h"
#include "cad/dxf/dxf_writer.h"

namespace {

using namespace ostrel::cad;

constexpr std::uint32_t kEntities = 1'000'000;

// Mix of a surveyed site: of every 25 entities, 8 points, 4 faces, 1 text
// and one polyline of 10 vertices with its sequence end (12).
struct Mix {
    std::uint32_t points = 0, faces = 0, texts = 0, polylines = 0, vertices = 0;
};

Entity Make(Drawing& d, EntityType type, std::uint32_t layer) {
    Entity e;
    e.type = type;
    e.handle = d.NewHandle();
    e.layer = layer;
    return e;
}

std::unique_ptr<Drawing> BuildSite(std::uint32_t total, Mix& mix) {
    auto d = NewDrawing();
    std::uint32_t layers[4];
    const char* names[4] = {"SPOT", "GROUND", "TEXT", "KERB"};
    for (int i = 0; i < 4; ++i) {
        Layer l;
        l.name = names[i];
        l.handle = d->NewHandle();
        l.colour = static_cast<std::int16_t>(i + 1);
        layers[i] = d->AddLayer(l);
    }
    const auto ms = d->ModelSpace();
    char label[32];
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; n < total; ++i) {
        const double x = 1000 + (i % 1000) * 1.25, y = 5000 + (i / 1000) * 1.25, z = 20 + std::sin(i * 0.01);
        const auto slot = i % 25;
        if (slot < 8) {
            Entity e = Make(*d, EntityType::Point, layers[0]);
            e.geom.point.pos = {x, y, z};
            d->AppendEntity(ms, e);
            ++mix.points;
            ++n;
        } else if (slot < 12) {
            Entity e = Make(*d, EntityType::Face3D, layers[1]);
            e.geom.face = {};
            e.geom.face.corner[0] = {x, y, z};
            e.geom.face.corner[1] = {x + 1.25, y, z + 0.1};
            e.geom.face.corner[2] = {x, y + 1.25, z - 0.1};
            e.geom.face.corner[3] = e.geom.face.corner[2];
            d->AppendEntity(ms, e);
            ++mix.faces;
            ++n;
        } else if (slot == 12) {
            Entity e = Make(*d, EntityType::Text, layers[2]);
            e.geom.text = {};
            e.geom.text.pos = {x, y, 0};
            e.geom.text.height = 0.5;
            e.geom.text.widthFactor = 1;
            int len = std::snprintf(label, sizeof label, "%.3f", z);
            d->SetText(e.geom.text, std::string_view(label, static_cast<std::size_t>(len)));
            d->AppendEntity(ms, e);
            ++mix.texts;
            ++n;
        } else if (slot == 13) {
            Entity p = Make(*d, EntityType::Polyline, layers[3]);
            p.geom.polyline = {};
            d->AppendEntity(ms, p);
            ++mix.polylines;
            ++n;
            for (int v = 0; v < 10 && n < total; ++v) {
                Entity e = Make(*d, EntityType::Vertex, layers[3]);
                e.geom.vertex = {};
                e.geom.vertex.pos = {x + v * 0.5, y + (v % 2) * 0.3, 0};
                d->AppendEntity(ms, e);
                ++mix.vertices;
                ++n;
            }
            if (n < total) {
                d->AppendEntity(ms, Make(*d, EntityType::SeqEnd, layers[3]));
                ++n;
            }
        }
    }
    return d;
}

std::string OutputPath() {
    auto dir = std::filesystem::temp_directory_path() / "ostrel-bench-dxf";
    std::filesystem::create_directories(dir);
    return (dir / "site.dxf").string();
}

void BM_SaveDxf(benchmark::State& state) {
    const auto release = static_cast<Release>(state.range(0));
    Mix mix;
    auto d = BuildSite(kEntities, mix);
    const auto path = OutputPath();
    SaveDxf(*d, release, path);   // the first save makes the repairs; later ones find none
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
