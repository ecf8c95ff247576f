// The table operations and the POINT, SYM, TEXT and CIRCLE handlers on an
// in-memory drawing: time per record and heap allocations per record once
// the layers exist (a steady-state record should allocate nothing of its
// own; what the drawing database stores grows amortised).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "run/record_reader.h"
#include "run/run.h"
#include "run/settings.h"

namespace {

std::atomic<long> gAllocations{0};

} // namespace

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace ostrel;

// Settings in a temporary folder, and a run with a drawing and one symbol.
struct Fixture {
    std::filesystem::path dir;
    std::unique_ptr<ConversionRun> run;

    Fixture() {
        dir = std::filesystem::temp_directory_path() / ("ostrel-bench-tables-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        Write("settings.ini",
              "[EXPORT]\r\nBYENT=1\r\nLAYERSTYLE=0\r\n"
              "[LAYERS]\r\nMANHOLE=DRAINAGE-MH\r\nROAD*=HIGHWAYS\r\n*HEDGE=VEGETATION-HEDGE\r\n"
              "[COLORTABLE]\r\n1=1\r\n3=3\r\n4=4\r\n7=7\r\n16777215=7\r\nMajorContour=1,6\r\nMinorContour=8,9\r\n");
        Write("user.ini", "[OPTION]\r\ntxtDWGoverride=" + (dir / "settings.ini").string() + "\r\n");
        Write("job.SYM", "SYMDEF,MH\r\n-0.5,-0.5,0.5,-0.5,0.5,0.5,-0.5,0.5,-9.999,-9.999,\r\nENDSYM\r\n");
        run = std::make_unique<ConversionRun>(HostOptions{nullptr, nullptr, (dir / "user.ini").string()});
        run->Construct();
        run->tk = std::make_unique<Toolkit>();
        run->tk->library->InitLibrary();
        run->CreateDrawing();
        SilentPrompter prompter;
        auto file = OpenForInput((dir / "job.SYM").string(), true, prompter);
        run->LoadSymbolLibrary(*file);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
};

template <typename Handler>
void RunRecords(benchmark::State& state, const std::vector<std::string>& lines, Handler handle) {
    Fixture f;
    for (auto& l : lines) handle(*f.run, l);   // layers made, buffers grown
    long allocations = 0, records = 0;
    for (auto _ : state) {
        const long before = gAllocations.load(std::memory_order_relaxed);
        for (auto& l : lines) handle(*f.run, l);
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
        records += static_cast<long>(lines.size());
    }
    state.SetItemsProcessed(records);
    state.counters["allocs/record"] = records ? static_cast<double>(allocations) / records : 0;
}

void BM_PointRecords(benchmark::State& state) {
    RunRecords(state, {"POINT,1,1000.000,2000.000,50.000", "POINT,2,1020.500,2010.250,50.400"},
               [](ConversionRun& r, const std::string& l) { r.AddPointRecord(l); });
}

void BM_SymbolRecords(benchmark::State& state) {
    RunRecords(state,
               {"SYM,MANHOLE(FOUL),1,MH,1040.000,2030.000,-999,1,1,0.785398",
                "SYM,ROAD-FURNITURE-SIGNS,3,MH,1075.000,2010.000,50.100,1,1,0"},
               [](ConversionRun& r, const std::string& l) { r.AddSymbolRecord(l); });
}

void BM_TextRecords(benchmark::State& state) {
    RunRecords(state,
               {"TEXT,ANNOTATION-ROAD-NAMES,7,Kestrel Road by the old mill,1035.000,1996.000,4,0",
                "TEXT3D,SPOT-HEIGHTS,4,50.40,1020.500,2010.250,50.400,1.5,0",
                "TEXT,CONTOUR-MAJ-TEXT,9,50.0,1060.000,2042.000,2,0.2"},
               [](ConversionRun& r, const std::string& l) { r.AddTextRecord(l, l[4] == '3'); });
}

void BM_CircleRecords(benchmark::State& state) {
    RunRecords(state, {"CIRCLE,TREES(OAK),3,1015.000,2025.000,51.200,4", "CIRCLE,OLD-HEDGE-LINE,3,1,2,3,6"},
               [](ConversionRun& r, const std::string& l) { r.AddCircleRecord(l); });
}

void BM_LookupColour(benchmark::State& state) {
    Fixture f;
    std::int32_t code = 0;
    for (auto _ : state) benchmark::DoNotOptimize(f.run->LookupColour(code++ & 15));
    state.SetItemsProcessed(state.iterations());
}

void BM_MakeLinetype(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) benchmark::DoNotOptimize(f.run->MakeLinetype(1234, -1));
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PointRecords);
BENCHMARK(BM_SymbolRecords);
BENCHMARK(BM_TextRecords);
BENCHMARK(BM_CircleRecords);
BENCHMARK(BM_LookupColour);
BENCHMARK(BM_MakeLinetype)->Iterations(20000);

} // namespace

BENCHMARK_MAIN();
