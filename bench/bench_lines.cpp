// POLY, POLY3D and TRI records on an in-memory drawing, and the plane
// geometry of the clip tests: time per record (or per test) and heap
// allocations per record once the layers exist and the buffers have grown.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "run/record_reader.h"
#include "run/run.h"
#include "geometry/plane_geometry.h"

namespace {

std::atomic<long> gAllocations{0};

} // namespace

// Counting allocations: every new of the program goes through malloc here,
// so the frees below match it (GCC cannot see that and warns).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace ostrel;

struct Fixture {
    std::filesystem::path dir;
    std::unique_ptr<ConversionRun> run;
    std::unique_ptr<ExportFile> file;

    explicit Fixture(const std::string& exportText) {
        dir = std::filesystem::temp_directory_path() / ("ostrel-bench-lines-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        Write("settings.ini",
              "[EXPORT]\r\nBYENT=0\r\nLAYERSTYLE=0\r\n[LAYERS]\r\nEDGE-LINE=ROAD-EDGE\r\n"
              "[COLORTABLE]\r\n1=1\r\n3=3\r\nMajorContour=1,6\r\nMinorContour=8,9\r\n");
        Write("user.ini", "[OPTION]\r\ntxtDWGoverride=" + (dir / "settings.ini").string() + "\r\n");
        Write("job.txt", exportText);
        run = std::make_unique<ConversionRun>(HostOptions{nullptr, nullptr, (dir / "user.ini").string()});
        run->Construct();
        run->tk = std::make_unique<Toolkit>();
        run->tk->library->InitLibrary();
        run->CreateDrawing();
        SilentPrompter prompter;
        file = OpenForInput((dir / "job.txt").string(), true, prompter);
    }
    ~Fixture() {
        file.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    // One pass over the export as the record loop makes it; returns the records handled.
    long Pass() {
        long records = 0;
        file->Seek(1);
        while (!file->AtEnd()) {
            std::string_view line = file->ReadLine();
            const std::string_view keyword = GetCommaField(0, line);
            if (keyword == "POLY") run->AddPolylineRecord(line, *file, false);
            else if (keyword == "POLY3D") run->AddPolylineRecord(line, *file, true);
            else if (keyword == "TRI") run->AddTriangleRecord(line);
            ++records;
        }
        return records;
    }
};

void RunExport(benchmark::State& state, const std::string& text) {
    Fixture f(text);
    f.Pass();   // layers made, buffers grown
    long allocations = 0, records = 0;
    for (auto _ : state) {
        const long before = gAllocations.load(std::memory_order_relaxed);
        records += f.Pass();
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
    }
    state.SetItemsProcessed(records);
    state.counters["allocs/record"] = records ? static_cast<double>(allocations) / records : 0;
}

std::string Chain(const char* keyword, const char* layer, int records, int verticesPerRecord, bool is3D) {
    std::string text;
    double x = 1000, y = 2000;
    for (int r = 0; r < records; ++r) {
        text += std::string(keyword) + "," + layer + ",3,0.5,1020";
        if (r > 0) {
            x -= 1.25;   // the continuation repeats the last vertex
            y -= 0.5;
        }
        for (int v = 0; v < verticesPerRecord; ++v) {
            text += "," + std::to_string(x) + "," + std::to_string(y);
            if (is3D) text += ",50.125";
            x += 1.25;
            y += 0.5;
        }
        text += "\r\n";
    }
    return text;
}

void BM_PlanLines(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += Chain("POLY", i % 2 ? "KERB(2)" : "EDGE", 1, 8, false);
    RunExport(state, text);
}

void BM_ThreeDimensionalChains(benchmark::State& state) {
    // Each chain: a record and three continuation records.
    std::string text;
    for (int i = 0; i < 20; ++i) text += Chain("POLY3D", "BREAKLINE", 4, 10, true);
    RunExport(state, text);
}

void BM_ContourLines(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += Chain("POLY", i % 2 ? "CONTOUR-MAJ" : "CONTOUR-MIN", 1, 8, false);
    RunExport(state, text);
}

void BM_Triangles(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "TRI,5," + std::to_string(1000 + i) + ",2000,50.1,1010.5,2000,50.2,1005,2010.25,50.3\r\n";
    RunExport(state, text);
}

// A boundary of n points on a wavy circle of radius 100 around (1000, 2000).
Polygon Boundary(int n) {
    Polygon b;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n, r = 100 + 5 * std::sin(7 * a);
        b.points.push_back({std::round((1000 + r * std::sin(a)) * 1000) / 1000,
                            std::round((2000 + r * std::cos(a)) * 1000) / 1000, 0});
    }
    b.points.push_back(b.points[0]);
    b.count = static_cast<std::int16_t>(b.points.size());
    b.points.push_back({});
    return b;
}

void BM_PointInBoundary(benchmark::State& state) {
    const Polygon b = Boundary(static_cast<int>(state.range(0)));
    std::vector<Point3D> points;
    for (int i = 0; i < 256; ++i) points.push_back({900 + (i * 37 % 200) + 0.125, 1900 + (i * 53 % 200) + 0.375});
    std::size_t i = 0;
    for (auto _ : state) {
        const Point3D& p = points[i++ & 255];
        benchmark::DoNotOptimize(PointInBoundary(p.X, p.Y, b));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ClipSegment(benchmark::State& state) {
    const Polygon b = Boundary(static_cast<int>(state.range(0)));
    const std::vector<Point3D> segment{{850.5, 1990.25, 10}, {1150.75, 2010.5, 20}};
    std::vector<Point3D> pieces;
    for (auto _ : state) benchmark::DoNotOptimize(ClipSegmentToBoundary(segment, b, pieces));
    state.SetItemsProcessed(state.iterations());
}

void BM_Bearing(benchmark::State& state) {
    double x = 1000.125;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Bearing(x, 2000.5, 1010.25, 2030.75));
        x += 0.001;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PlanLines);
BENCHMARK(BM_ThreeDimensionalChains);
BENCHMARK(BM_ContourLines);
BENCHMARK(BM_Triangles);
BENCHMARK(BM_PointInBoundary)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(BM_ClipSegment)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(BM_Bearing);

} // namespace

BENCHMARK_MAIN();
