// The three kinds of mouse message the filter benchmarks measure, each set up so that every
// repetition takes the same path through the decision.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "hook_test_kit.h"

struct MouseFilterCase {
  const char* name;
  std::uint32_t message;
  std::uint32_t lastDown;  // the history the message is measured against: its button's last press
  std::uint8_t dragHold;   // the release guard is on, as the programs run it by default
  std::uint16_t xButton;   // a side button's message: which one
  std::uint32_t lastUp = 0;  // its button's last release
};

inline constexpr std::uint32_t kBenchNow = 5000000;
inline constexpr std::uint32_t kBenchOtherProcess = 7;

// WM_MOUSEMOVE: the most frequent message, never judged. A release long after its press: judged
// and passed (it moves LastLButtonUp to the same tick each time). A release at the press's tick:
// judged and swallowed (the counter grows, nothing else moves).
// The swallowed release also leaves a late release pending. With drag hold, a release after a
// long hold is held back (and left pending) instead of passing. The middle and side buttons
// take their own out-of-line path: a swallowed release of each, leaving its late release.
// Press confirmation is on, as the programs run it by default: a bounce inside a held press is
// swallowed without a wait; a phantom press after a release is confirmed (the fake answers at
// once that the button is up: the platform's wait is the Wine bench's to measure).
inline constexpr MouseFilterCase kMouseFilterCases[] = {
    {"unwatched", kWmMouseMove, 0, 0, 0},
    {"watched_pass", kWmLButtonUp, 0, 0, 0},
    {"watched_swallow", kWmLButtonUp, kBenchNow, 0, 0},
    {"watched_press", kWmLButtonDown, 0, 0, 0},
    {"drag_hold_release", kWmLButtonUp, 0, 1, 0},
    {"middle_swallow", kWmMButtonUp, kBenchNow, 0, 0},
    {"side_swallow", kWmXButtonUp, kBenchNow, 0, kXButton2},
    {"bounce_press", kWmLButtonDown, kBenchNow - 5, 0, 0, kBenchNow - 10},
    {"phantom_press", kWmLButtonDown, kBenchNow - 10, 0, 0, kBenchNow - 5},
};

// The record as an installed hook with every source on sees it, installed by another process.
inline HookSharedData BenchSharedData(const MouseFilterCase& c) {
  HookSharedData data = InitialHookSharedData();
  data.HookInstalled = 1;
  data.InstallerProcessId = 1;
  data.HookType = 0x3F;
  if (c.message <= kWmLButtonDblClk) data.LastLButtonDown = c.lastDown;
  if (c.message <= kWmLButtonDblClk) data.LastLButtonUp = c.lastUp;
  return data;
}

inline GuardSharedData BenchGuardData(const MouseFilterCase& c) {
  GuardSharedData guard = InitialGuardSharedData();
  SetGuardSettings(guard, 1, c.dragHold, kDefaultDragHoldTime);
  SetPressConfirmSettings(guard, 1, kDefaultPressConfirmTime);
  if (c.message == kWmMButtonUp) guard.Extension.ExtraButtons[0].LastDown = c.lastDown;
  if (c.message == kWmXButtonUp) guard.Extension.ExtraButtons[kButtonX2 - kButtonMiddle].LastDown = c.lastDown;
  return guard;
}

// Nothing left pending by the repetition before (outside the counted function).
inline void ClearPendingReleases(GuardSharedData& guard) {
  for (std::uint8_t b = 0; b < kButtonCount; ++b) PendingReleaseOf(guard, b).State = kPendingNone;
}

// What the hook reads of the message, through the tests' one fake: the tick and the input's
// extra information are memory reads (stand-ins for the platform's), the window is another
// process's and never looked up, and the hooked process's own state outlives each message, as
// the library's per-process copy does.
inline FakeHookState gBenchHost = [] {
  FakeHookState host;
  host.tick = kBenchNow;
  host.self = kBenchOtherProcess;
  return host;
}();
using BenchMessage = GlobalFakeHookHost<gBenchHost>;
inline BenchMessage BenchHost() { return {}; }

inline const MouseFilterCase* FindMouseFilterCase(const char* name) {
  for (const MouseFilterCase& c : kMouseFilterCases)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}
