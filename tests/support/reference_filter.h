// The filter as first specified: the timing rules alone, for the two buttons and the wheel of
// the fixed record, each with the shared intervals. The hook runs DecideMouseMessage
// (mouse_decision.h); this reference is what it must equal with its own features off.
#pragma once
#include <cstdint>

#include "filter_rules.h"

// Decides one mouse message. A swallowed message has its counter incremented here and moves
// no timestamp, so a burst of spurious transitions is judged as a whole against the genuine
// one before it. readTick is called at most once, and only for a watched message of an
// enabled source: everything else must stay as cheap as a few compares. Elapsed times are
// unsigned 32-bit differences, right across the wrap of the tick count.
template <typename ReadTick>
inline std::uint16_t FilterMouseMessage(HookSharedData& data, std::int32_t hookCode, std::uint32_t message,
                                        std::int16_t wheelDelta, std::uint32_t processId,
                                        ReadTick&& readTick) noexcept {
  using namespace filter_rules;
  // One compare sends every message outside WM_LBUTTONDOWN..WM_MOUSEWHEEL (WM_MOUSEMOVE first
  // of all) on its way.
  if (message - kWmLButtonDown > kWmMouseWheel - kWmLButtonDown) return kPass;
  // Negative codes and peeked-at messages are judged once, when they are removed.
  if (hookCode != kHcAction) return kPass;
  // The installing process sees its own input unfiltered unless it asked otherwise, and leaves
  // the shared history alone. (The process id first: in every other process that settles it.)
  if (processId == SharedLoad(data.InstallerProcessId) && SharedLoad(data.FilterOwnProcess) == 0) return kPass;
  const std::uint8_t hookType = SharedLoad(data.HookType);

  switch (message) {
    case kWmLButtonDown:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return Press(data, LeftButton(data), readTick());
    case kWmLButtonUp:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return Release(data, LeftButton(data), readTick());
    case kWmLButtonDblClk:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return DoubleClick(data, LeftButton(data), readTick());
    case kWmRButtonDown:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return Press(data, RightButton(data), readTick());
    case kWmRButtonUp:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return Release(data, RightButton(data), readTick());
    case kWmRButtonDblClk:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return DoubleClick(data, RightButton(data), readTick());
    case kWmMouseWheel:
      if ((hookType & kSourceWheel) == 0) return kPass;
      return Wheel(data, wheelDelta, readTick());
    default:  // the middle button's messages
      return kPass;
  }
}
