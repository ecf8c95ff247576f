// The record reader and the settings lookups: lines per second through
// ReadLine + GetCommaField + GetNumField, the leading-number scan alone, and
// a settings lookup served from the cache of parsed files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "run/record_reader.h"
#include "run/settings.h"
#include "ostrel/host.h"

namespace {

using namespace ostrel;

std::filesystem::path BenchFolder() {
    auto dir = std::filesystem::temp_directory_path() / ("ostrel-bench-reader-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

std::string WriteText(const std::string& name, const std::string& text) {
    const auto path = (BenchFolder() / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ExportOf(int records) {
    std::string text = "TALVERO\r\n";
    char line[160];
    for (int i = 0; i < records; ++i) {
        std::snprintf(line, sizeof line, "POLY3D,CONTOUR-MAJ,9,0.5,1020,%d.125,%d.750,50.250,%d.5,%d.25,51.000\r\n",
                      100000 + i, 200000 + i, 100010 + i, 200010 + i);
        text += line;
    }
    return text;
}

// Opens the export and reads every record's fields and numbers, as the
// record loop and the handlers do.
void BM_ReadExport(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string path = WriteText("export.txt", ExportOf(records));
    SilentPrompter prompter;
    double sum = 0;
    for (auto _ : state) {
        auto file = OpenForInput(path, true, prompter);
        while (!file->AtEnd()) {
            const std::string_view line = file->ReadLine();
            if (GetCommaField(0, line) != "POLY3D") continue;
            benchmark::DoNotOptimize(GetCommaField(1, line));
            for (int n = 2; n <= 10; ++n) sum += GetNumField(n, line);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadExport)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LeadingNumber(benchmark::State& state) {
    const std::string_view texts[] = {"1020.125", "-0.5", "2040.750", "1 000", "1E3", "50.25m", "&H1F", "abc"};
    double sum = 0;
    for (auto _ : state)
        for (auto t : texts) sum += LeadingNumber(t);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_LeadingNumber);

// A settings lookup once the file is cached: no file system access.
void BM_SettingsLookup(benchmark::State& state) {
    std::string text = "[GENERAL]\r\nDEBUG=OFF\r\n[EXPORT]\r\nBYENT=0\r\n[COLORTABLE]\r\n";
    for (int i = 0; i < 200; ++i) text += std::to_string(i) + "=" + std::to_string(i % 256) + "\r\n";
    std::string file = WriteText("settings.ini", text);
    for (auto _ : state) benchmark::DoNotOptimize(GetINIValue("COLORTABLE", "150", file));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SettingsLookup);

} // namespace

BENCHMARK_MAIN();
