// Runs the hook's decision (the filter with the release guard on) N times for one case, for callgrind to count instructions in
// QuillonDecideOnce only (--toggle-collect). The clock is a plain load, standing in for the
// platform's tick read, which is not counted against the filter.
//   mouse_filter_callgrind_driver CASE N
#include <cstdio>
#include <cstdlib>

#include "mouse_filter_cases.h"

namespace {
HookSharedData shared;
GuardSharedData guard;
}  // namespace

// One decision as the hook procedure makes it: the record in memory, every field read afresh.
extern "C" __attribute__((noinline, noclone)) std::uint32_t QuillonDecideOnce(std::int32_t code, std::uint32_t message,
                                                                     std::uint32_t processId) {
  BenchMessage hooked = BenchHost();
  return DecideMouseMessage(shared, guard, code, message, processId, hooked);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CASE N\n", argv[0]);
    return 2;
  }
  const MouseFilterCase* c = FindMouseFilterCase(argv[1]);
  const long repetitions = std::strtol(argv[2], nullptr, 10);
  if (c == nullptr || repetitions <= 0) return 2;
  shared = BenchSharedData(*c);
  guard = BenchGuardData(*c);
  gBenchHost.xButton = c->xButton;
  std::uint32_t swallowed = 0;
  for (long i = 0; i < repetitions; ++i) {
    ClearPendingReleases(guard);
    swallowed += QuillonDecideOnce(kHcAction, c->message, kBenchOtherProcess) != 0;
  }
  std::printf("%s: %ld decisions, %u swallowed\n", c->name, repetitions, swallowed);
  return 0;
}
