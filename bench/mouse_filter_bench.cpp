// Time per decision of the mouse filter for an unwatched, a passing and a swallowed message,
// with a constant clock (the platform's tick read is not the filter's cost).
#include <benchmark/benchmark.h>

#include "mouse_filter_cases.h"

namespace {

void BM_MouseFilter(benchmark::State& state, const MouseFilterCase* c) {
  HookSharedData data = BenchSharedData(*c);
  std::uint32_t now = kBenchNow;
  for (auto _ : state) {
    benchmark::DoNotOptimize(now);
    std::uint16_t code =
        FilterMouseMessage(data, kHcAction, c->message, 0, kBenchOtherProcess, [&] { return now; });
    benchmark::DoNotOptimize(code);
    benchmark::ClobberMemory();
  }
  state.counters["swallowed"] = static_cast<double>(data.BlockedUpDown);
}

BENCHMARK_CAPTURE(BM_MouseFilter, unwatched_WM_MOUSEMOVE, &kMouseFilterCases[0]);
BENCHMARK_CAPTURE(BM_MouseFilter, watched_pass_WM_LBUTTONUP, &kMouseFilterCases[1]);
BENCHMARK_CAPTURE(BM_MouseFilter, watched_swallow_WM_LBUTTONUP, &kMouseFilterCases[2]);

}  // namespace

BENCHMARK_MAIN();
