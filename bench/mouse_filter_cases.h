// The three kinds of mouse message the filter benchmarks measure, each set up so that every
// repetition takes the same path through the decision.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "mouse_filter.h"

struct MouseFilterCase {
  const char* name;
  std::uint32_t message;
  std::uint32_t lastLButtonDown;  // the history the message is measured against
};

inline constexpr std::uint32_t kBenchNow = 5000000;
inline constexpr std::uint32_t kBenchOtherProcess = 7;

// WM_MOUSEMOVE: the most frequent message, never judged. A release long after its press: judged
// and passed (it moves LastLButtonUp to the same tick each time). A release at the press's tick:
// judged and swallowed (the counter grows, nothing else moves).
inline constexpr MouseFilterCase kMouseFilterCases[] = {
    {"unwatched", kWmMouseMove, 0},
    {"watched_pass", kWmLButtonUp, 0},
    {"watched_swallow", kWmLButtonUp, kBenchNow},
};

// The record as an installed hook with every source on sees it, installed by another process.
inline HookSharedData BenchSharedData(const MouseFilterCase& c) {
  HookSharedData data = InitialHookSharedData();
  data.HookInstalled = 1;
  data.InstallerProcessId = 1;
  data.HookType = 0x07;
  data.LastLButtonDown = c.lastLButtonDown;
  return data;
}

inline const MouseFilterCase* FindMouseFilterCase(const char* name) {
  for (const MouseFilterCase& c : kMouseFilterCases)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}
