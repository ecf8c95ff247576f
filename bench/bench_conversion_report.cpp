// A whole conversion of a 60,000-record export with and without a report
// asked for (HostOptions::report: keyword tallies, dropped records by line,
// messages) and with a progress sink receiving the bytes read: what the
// host pays for each.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "ostrel/clsDWG.h"

namespace {

using namespace ostrel;

constexpr int kRecords = 60000;

class Folder {
public:
    Folder() : dir_(std::filesystem::temp_directory_path() / ("ostrel-bench-report-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(dir_);
        Write("main.ini", "[EXPORT]\r\nDXFVersion=2000\r\n");
        Write("user.ini", "[OPTION]\r\ntxtDWGoverride=" + file("main.ini") + "\r\n");
        Write("job.SYM", "SYMDEF,TREE\r\n0,0,1,0,1,1,-9.999,-9.999,\r\nENDSYM\r\n");
        std::string text = "TALVERO\r\n";
        for (int i = 0; i < kRecords; ++i) {
            const std::string x = std::to_string(1000 + (i % 997) * 0.5), y = std::to_string(2000 + (i % 991) * 0.5);
            switch (i % 6) {
            case 0: text += "POINT," + std::to_string(i) + "," + x + "," + y + ",50.125\r\n"; break;
            case 1: text += "SYM,TREES,3," + std::string(i % 12 == 1 ? "NOSUCH" : "TREE") + "," + x + "," + y + ",51,2,2,0\r\n"; break;
            case 2: text += "POLY,KERB,3,0,0," + x + "," + y + ",1010.5,2010.5,1020.25,2005.75\r\n"; break;
            case 3: text += "TEXT,NOTES,7,Note " + std::to_string(i) + "," + x + "," + y + ",2,0\r\n"; break;
            case 4: text += "TRI,5," + x + "," + y + ",50,1001,2001,50.5,1000,2002,50.25\r\n"; break;
            default: text += "REMARK,not a drawing record\r\n"; break;
            }
        }
        Write("job.txt", text);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

private:
    void Write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name, std::ios::binary) << text; }
    std::filesystem::path dir_;
};

struct CountingSink final : ProgressSink {
    void Start(long) override {}
    void Step() override {}
    void Finish() override {}
    void ExportRead(std::int64_t, std::int64_t) override { ++calls; }
    long calls = 0;
};

// Arg 0: nothing asked; 1: progress; 2: report; 3: both.
void BM_Conversion(benchmark::State& state) {
    static Folder folder;
    HostOptions host{nullptr, nullptr, folder.file("user.ini")};
    if (state.range(0) & 1) host.progress = std::make_shared<CountingSink>();
    if (state.range(0) & 2) host.report = std::make_shared<ConversionReport>();
    clsDWG conversion(host);
    for (auto _ : state) conversion.SaveAsDWG(folder.file("job.txt"), folder.file("job.dxf"));
    state.SetItemsProcessed(state.iterations() * kRecords);
    if (host.report) state.counters["dropped"] = static_cast<double>(host.report->dropped.size());
}
BENCHMARK(BM_Conversion)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
