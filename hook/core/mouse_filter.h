// The mouse filter's decision: given one mouse message and the shared record, pass it or
// swallow it with an event code. Inline, because it runs for every mouse message of every GUI
// thread on the desktop.
#pragma once
#include <cstdint>

#include "hook_shared_data.h"

// The message identifiers the filter watches (values of the platform's WM_ constants).
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmXButtonDown = 0x020B;
inline constexpr std::uint32_t kWmXButtonUp = 0x020C;
inline constexpr std::uint32_t kWmXButtonDblClk = 0x020D;
// The high word of a side button message's mouseData names the button.
inline constexpr std::uint16_t kXButton1 = 0x0001;
inline constexpr std::uint16_t kXButton2 = 0x0002;
inline constexpr std::uint32_t kWmMouseHWheel = 0x020E;

inline constexpr std::int32_t kHcAction = 0;
inline constexpr std::int32_t kHcNoRemove = 3;

// The result of a decision: 0 passes the message, anything else is the event code it was
// swallowed with (latchkin_contract.h).
inline constexpr std::uint16_t kPass = 0;

namespace mouse_filter_detail {

inline std::uint16_t Swallow(std::uint32_t& counter, std::uint16_t code) noexcept {
  SharedIncrement(counter);
  return code;
}

// A button's three timestamps, the intervals it is judged by and its source bit; the same
// rules serve every button.
struct Button {
  std::uint32_t& LastDown;
  std::uint32_t& LastUp;
  std::uint32_t& LastDblClk;
  const std::uint32_t& UpDownInterval;
  const std::uint32_t& DbClickInterval;
  std::uint8_t Source;
};

// The two buttons of the fixed record, judged by the shared intervals.
inline Button LeftButton(HookSharedData& data) noexcept {
  return {data.LastLButtonDown, data.LastLButtonUp, data.LastLButtonDblClk,
          data.UpDownIntervalTime, data.DbClickIntervalTime, kSourceLeftButton};
}

inline Button RightButton(HookSharedData& data) noexcept {
  return {data.LastRButtonDown, data.LastRButtonUp, data.LastRButtonDblClk,
          data.UpDownIntervalTime, data.DbClickIntervalTime, kSourceRightButton};
}

inline std::uint16_t Press(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  if (now - SharedLoad(button.LastDblClk) < SharedLoad(button.DbClickInterval))
    return Swallow(data.BlockedDbClick, EventCode(button.Source, kRuleDownAfterDblClk));
  if (now - SharedLoad(button.LastUp) < SharedLoad(button.UpDownInterval))
    return Swallow(data.BlockedUpDown, EventCode(button.Source, kRuleDownAfterUp));
  SharedStore(button.LastDown, now);
  return kPass;
}

// The release rule in two halves, so the release guard can look between them.
inline bool ReleaseTooSoon(std::uint32_t lastDown, std::uint32_t upDownInterval, std::uint32_t now) noexcept {
  return now - lastDown < upDownInterval;
}
inline std::uint16_t SwallowRelease(HookSharedData& data, const Button& button) noexcept {
  return Swallow(data.BlockedUpDown, EventCode(button.Source, kRuleUpAfterDown));
}

inline std::uint16_t Release(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  if (ReleaseTooSoon(SharedLoad(button.LastDown), SharedLoad(button.UpDownInterval), now))
    return SwallowRelease(data, button);
  SharedStore(button.LastUp, now);
  return kPass;
}

inline std::uint16_t DoubleClick(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  const std::uint32_t interval = SharedLoad(button.DbClickInterval);
  if (now - SharedLoad(button.LastDblClk) < interval)
    return Swallow(data.BlockedDbClick, EventCode(button.Source, kRuleDblClkAfterDblClk));
  if (now - SharedLoad(button.LastDown) < interval)
    return Swallow(data.BlockedDbClick, EventCode(button.Source, kRuleDblClkAfterDown));
  SharedStore(button.LastDblClk, now);
  return kPass;
}

inline std::uint16_t Wheel(HookSharedData& data, std::int16_t wheelDelta, std::uint32_t now) noexcept {
  const std::uint8_t forward = wheelDelta > 0 ? 1 : 0;
  if (now - SharedLoad(data.LastWheel) < SharedLoad(data.RotReverseIntervalTime) &&
      forward != SharedLoad(data.LastWheelForward))
    return Swallow(data.BlockedRotReverse,
                   EventCode(kSourceWheel, forward ? kRuleWheelForward : kRuleWheelBackward));
  SharedStore(data.LastWheel, now);
  SharedStore(data.LastWheelForward, forward);
  return kPass;
}

}  // namespace mouse_filter_detail

// Decides one mouse message. A swallowed message has its counter incremented here and moves
// no timestamp, so a burst of spurious transitions is judged as a whole against the genuine
// one before it. readTick is called at most once, and only for a watched message of an
// enabled source: everything else must stay as cheap as a few compares. Elapsed times are
// unsigned 32-bit differences, right across the wrap of the tick count.
template <typename ReadTick>
inline std::uint16_t FilterMouseMessage(HookSharedData& data, std::int32_t hookCode, std::uint32_t message,
                                        std::int16_t wheelDelta, std::uint32_t processId,
                                        ReadTick&& readTick) noexcept {
  using namespace mouse_filter_detail;
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
