// Spelling doubles for DXF: the writer's own shortest-text routine against
// std::to_chars, on survey-shaped values (a few decimals) and on values
// with full precision (results of rotations and clipping).
//
//   bench_real_text
//
// Counter: values (numbers written per second).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstring>
#include <cstdint>
#include <random>
#include <vector>

#include "cad/real_text.h"

namespace {

std::vector<double> Values(bool fullPrecision) {
    std::mt19937_64 rng(3);
    std::uniform_int_distribution<std::int64_t> millimetres(-900000000, 900000000);
    std::vector<double> v(1 << 16);
    for (auto& x : v) {
        x = static_cast<double>(millimetres(rng)) / 1000.0;
        if (fullPrecision) x *= 0.7071067811865476;
    }
    return v;
}

template <typename Write>
void Run(benchmark::State& state, bool fullPrecision, Write write) {
    const auto values = Values(fullPrecision);
    char buf[64];
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (double x : values) {
            bytes += static_cast<std::size_t>(write(buf, x) - buf);
            benchmark::DoNotOptimize(buf);
        }
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["values"] = benchmark::Counter(static_cast<double>(state.iterations() * values.size()),
                                                  benchmark::Counter::kIsRate);
}

char* Ours(char* out, double x) { return ostrel::cad::WriteShortestReal(out, x); }
char* Std(char* out, double x) { return std::to_chars(out, out + 64, x).ptr; }

} // namespace

BENCHMARK_CAPTURE(Run, WriteShortestReal_survey, false, Ours);
BENCHMARK_CAPTURE(Run, to_chars_survey, false, Std);
BENCHMARK_CAPTURE(Run, WriteShortestReal_full_precision, true, Ours);
BENCHMARK_CAPTURE(Run, to_chars_full_precision, true, Std);

BENCHMARK_MAIN();
namespace {
char* Copy(char* out, double x) {
    std::memcpy(out, &x, 8);
    out[8] = '\n';
    return out + 9;
}
}
BENCHMARK_CAPTURE(Run, copy_baseline, false, Copy);
