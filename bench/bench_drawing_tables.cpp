// How the drawing's tables and entity store scale: every benchmark grows one
// quantity (vertices of one polyline, repeats of one linetype name, layers
// the entities cycle through) and reports the fitted complexity, which must
// stay linear in the work done.
//
//   build-bench/bench_drawing_tables --benchmark_filter=...
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cad/drawing.h"
#include "run/record_reader.h"
#include "toolkit/toolkit.h"

using namespace ostrel;

namespace {

// One polyline of n vertices appended: each append stays constant time.
void BM_PolylineVertices(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto d = cad::NewDrawing();
        d->entities.reserve(d->entities.size() + static_cast<std::size_t>(n) + 1);
        d->blocks[d->ModelSpace()].entities.reserve(static_cast<std::size_t>(n) + 1);
        state.ResumeTiming();
        auto ms = d->ModelSpace();
        cad::Entity e;
        e.type = cad::EntityType::Polyline;
        e.handle = d->NewHandle();
        d->AppendEntity(ms, e);
        for (int i = 0; i < n; ++i) {
            e.type = cad::EntityType::Vertex;
            e.handle = d->NewHandle();
            d->AppendEntity(ms, e);
        }
        benchmark::DoNotOptimize(d->entities.back().handle);
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PolylineVertices)->RangeMultiplier(4)->Range(256, 16384)->Complexity(benchmark::oN);

// n linetype records under one name: each gets the next free "_n".
void BM_RepeatedLinetypeNames(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto d = cad::NewDrawing();
        for (int i = 0; i < n; ++i) {
            cad::Linetype lt;
            lt.name = "FENCE-POST-RAIL";
            lt.handle = d->NewHandle();
            d->AddLinetype(lt);
        }
        benchmark::DoNotOptimize(d->linetypes.back().name.data());
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RepeatedLinetypeNames)->RangeMultiplier(4)->Range(64, 4096)->Complexity(benchmark::oN);

// 20000 points through the toolkit, cycling over n layers found by name and
// named on the entity by handle: the cost per point must not grow with n.
void BM_PointsOverManyLayers(benchmark::State& state) {
    const auto layers = static_cast<int>(state.range(0));
    constexpr int kPoints = 20000;
    for (auto _ : state) {
        state.PauseTiming();
        CadDatabase db;
        CadLibrary lib(db);
        lib.InitLibrary();
        const DrawingId id = db.CreateNewDrawing(7);
        BlockWriter blocks(db);
        EntityHeader header(db);
        PointData point;
        std::vector<std::string> names;
        for (int i = 0; i < layers; ++i) {
            names.push_back("SVC-E-" + std::to_string(i) + "-LINE");
            LayerRecord l(db);
            l.InitLayer(id);
            l.SetLayerName(names.back());
            l.SetLayerHandle(lib.NewHandle(id));
            l.AddLayer(id);
        }
        db.Get(id).entities.reserve(kPoints + 64);
        state.ResumeTiming();
        for (int i = 0; i < kPoints; ++i) {
            blocks.OpenBlockForAppend(id, lib.FindBlockByName(id, "*Model_Space"));
            header.SetEntityKind(2);
            header.InitEntityDefaults(id);
            header.SetEntityHandle(lib.NewHandle(id));
            header.SetEntityLayer(lib.FindLayerByName(id, names[static_cast<std::size_t>(i % layers)]));
            point.InitPoint(id);
            point.SetPointCoord(0, i);
            header.AppendEntity(id, blocks.GetEntityList(), point.GetPointData());
        }
        benchmark::DoNotOptimize(db.Get(id).entities.size());
    }
    state.SetComplexityN(layers);
    state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_PointsOverManyLayers)->RangeMultiplier(4)->Range(16, 4096)->Complexity(benchmark::o1);

// The leading-number scan over the coordinates of a survey export.
void BM_SurveyNumbers(benchmark::State& state) {
    const std::vector<std::string> fields = {"512537.488", "184707.511", "53.671", "-999", "0.785398",
                                             "1.5", "2211:1", "0", "16777215", "50.40"};
    double sum = 0;
    for (auto _ : state) {
        for (auto& f : fields) sum += LeadingNumber(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(fields.size()));
}
BENCHMARK(BM_SurveyNumbers);

} // namespace

BENCHMARK_MAIN();
