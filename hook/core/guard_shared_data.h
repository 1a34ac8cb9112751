// The library's second cross-process area, beside the fixed 10320-byte record: the release
// guard's settings and each of the five buttons' pending release. Byte for byte as every process that maps
// the library sees it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "filter_extension_data.h"
#include "latchkin_contract.h"

// A pending release's state word: the kind in the low two bits, above them the low 30 bits of the
// id of the thread that left it pending, so that thread's own later input settles it while
// another thread's makes it due instead. 0: nothing pending. A late
// release is due when the up/down interval since the button's last accepted press has run out;
// a held one DragHoldTime after HeldSince; a due one at once. Whatever the state says, the
// deliverer only ever injects the release of a button that is physically up.
inline constexpr std::uint32_t kPendingNone = 0;
inline constexpr std::uint32_t kPendingLate = 1;  // a release swallowed too soon after its press
inline constexpr std::uint32_t kPendingHeld = 2;  // a release held back through a drag's drop-out
inline constexpr std::uint32_t kPendingDue = 3;   // the button moved in another thread meanwhile
inline constexpr std::uint32_t kPendingKindMask = 3;

constexpr std::uint32_t PendingState(std::uint32_t threadId, std::uint32_t kind) noexcept {
  return (threadId << 2) | kind;
}
constexpr bool PendingOwnedBy(std::uint32_t state, std::uint32_t threadId) noexcept {
  return (state >> 2) == (threadId & 0x3FFFFFFF);
}

struct PendingRelease {
  std::uint32_t State;
};

// Plain fixed-width fields only: x86 and x64 processes map the same bytes.
struct GuardSharedData {
  std::uint8_t ReleaseGuard;      // 1: a release swallowed too soon is delivered late
  std::uint8_t DragHold;          // 1: a release after a long hold waits DragHoldTime for a re-press
  std::uint16_t DragHoldTime;     // ms
  std::uint8_t PressConfirm;      // 1: a press the rules would swallow is confirmed by the button
  std::uint8_t Reserved5;
  std::uint16_t PressConfirmTime;  // ms
  PendingRelease Left;
  PendingRelease Right;
  // Once drag hold's replay slot; neither read nor written since the hooked thread that ends a
  // hold sends the held release and its own message itself. Zero.
  std::uint8_t Reserved16[8];
  std::uint32_t LateReleases;     // releases the deliverer injected
  std::uint32_t DroppedReleases;  // pending releases given up: the button was down again
  // The middle and side buttons' pending releases by ButtonIndex - kButtonMiddle, after the
  // fields the left and right ones were first laid out with.
  PendingRelease ExtraButtons[kButtonCount - kButtonMiddle];
  // Each button's (by ButtonIndex) tick its held release was held at.
  std::uint32_t HeldSince[kButtonCount];
  // The middle and side buttons, each button's intervals, the excluded programs and the pause.
  FilterExtensionData Extension;
};

static_assert(sizeof(GuardSharedData) == 64 + sizeof(FilterExtensionData),
              "the guard's shared section holds its 64-byte record and the filter extension");
static_assert(offsetof(GuardSharedData, Extension) == 64);
static_assert(offsetof(GuardSharedData, ReleaseGuard) == 0);
static_assert(offsetof(GuardSharedData, DragHold) == 1);
static_assert(offsetof(GuardSharedData, DragHoldTime) == 2);
static_assert(offsetof(GuardSharedData, PressConfirm) == 4);
static_assert(offsetof(GuardSharedData, PressConfirmTime) == 6);
static_assert(offsetof(GuardSharedData, Left) == 8);
static_assert(offsetof(GuardSharedData, Right) == 12);
static_assert(offsetof(GuardSharedData, Reserved16) == 16);
static_assert(offsetof(GuardSharedData, LateReleases) == 24);
static_assert(offsetof(GuardSharedData, DroppedReleases) == 28);
static_assert(offsetof(GuardSharedData, ExtraButtons) == 32);
static_assert(offsetof(GuardSharedData, HeldSince) == 44);

// Any button's pending release, by ButtonIndex.
inline PendingRelease& PendingReleaseOf(GuardSharedData& guard, std::uint8_t button) noexcept {
  if (button >= kButtonMiddle) return guard.ExtraButtons[button - kButtonMiddle];
  return button == kButtonRight ? guard.Right : guard.Left;
}

// Every feature stays off until an installing program that knows it turns it on: a library
// driven by an older program behaves exactly as before.
constexpr GuardSharedData InitialGuardSharedData() noexcept {
  GuardSharedData data{};
  data.DragHoldTime = static_cast<std::uint16_t>(kDefaultDragHoldTime);
  data.PressConfirmTime = static_cast<std::uint16_t>(kDefaultPressConfirmTime);
  data.Extension = InitialFilterExtensionData();
  return data;
}
