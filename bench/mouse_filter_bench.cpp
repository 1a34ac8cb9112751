// Time per decision of the mouse filter for an unwatched, a passing and a swallowed message,
// with a constant clock (the platform's tick read is not the filter's cost).
#include <benchmark/benchmark.h>

#include "mouse_filter_cases.h"

namespace {

void BM_MouseFilter(benchmark::State& state, const MouseFilterCase* c) {
  HookSharedData data = BenchSharedData(*c);
  GuardSharedData guard = BenchGuardData(*c);
  BenchMessage hooked = BenchHost();
  gBenchHost.xButton = c->xButton;
  for (auto _ : state) {
    ClearPendingReleases(guard);
    std::uint32_t verdict = DecideMouseMessage(data, guard, kHcAction, c->message, kBenchOtherProcess, hooked);
    benchmark::DoNotOptimize(verdict);
    benchmark::ClobberMemory();
  }
  state.counters["swallowed"] = static_cast<double>(data.BlockedUpDown);
}

BENCHMARK_CAPTURE(BM_MouseFilter, unwatched_WM_MOUSEMOVE, &kMouseFilterCases[0]);
BENCHMARK_CAPTURE(BM_MouseFilter, watched_pass_WM_LBUTTONUP, &kMouseFilterCases[1]);
BENCHMARK_CAPTURE(BM_MouseFilter, watched_swallow_WM_LBUTTONUP, &kMouseFilterCases[2]);
BENCHMARK_CAPTURE(BM_MouseFilter, watched_press_WM_LBUTTONDOWN, &kMouseFilterCases[3]);
BENCHMARK_CAPTURE(BM_MouseFilter, drag_hold_release_WM_LBUTTONUP, &kMouseFilterCases[4]);
BENCHMARK_CAPTURE(BM_MouseFilter, middle_swallow_WM_MBUTTONUP, &kMouseFilterCases[5]);
BENCHMARK_CAPTURE(BM_MouseFilter, side_swallow_WM_XBUTTONUP, &kMouseFilterCases[6]);
BENCHMARK_CAPTURE(BM_MouseFilter, bounce_press_WM_LBUTTONDOWN, &kMouseFilterCases[7]);
BENCHMARK_CAPTURE(BM_MouseFilter, phantom_press_WM_LBUTTONDOWN, &kMouseFilterCases[8]);

}  // namespace

BENCHMARK_MAIN();
