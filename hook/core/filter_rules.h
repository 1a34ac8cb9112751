// The filter's timing rules: the message identifiers it watches, and the one table of rules a
// button's press, release and double click are judged by against that button's own history.
// Inline, because they run for every judged mouse message of every GUI thread on the desktop.
#pragma once
#include <cstddef>
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

namespace filter_rules {

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

enum class Transition : std::uint8_t { Press, Release, DoubleClick };
enum class Since : std::uint8_t { Down, Up, DblClk };

// One rule: a transition comes less than the interval after the button's timestamp. Rules
// measured with the double-click interval count as double-click blocks, the others as up/down.
struct TimingRule {
  Transition Of;
  Since From;
  bool DbClickInterval;
  std::uint8_t Rule;
};

// The rules, asked in this order: a transition is swallowed by the first of its rows that holds.
// An accepted transition moves its own timestamp; a swallowed one moves none, so a burst of
// spurious transitions is judged as a whole against the genuine one before it.
inline constexpr TimingRule kTimingRules[] = {
    {Transition::Press, Since::DblClk, true, kRuleDownAfterDblClk},
    {Transition::Press, Since::Up, false, kRuleDownAfterUp},
    {Transition::Release, Since::Down, false, kRuleUpAfterDown},
    {Transition::DoubleClick, Since::DblClk, true, kRuleDblClkAfterDblClk},
    {Transition::DoubleClick, Since::Down, true, kRuleDblClkAfterDown},
};
inline constexpr std::size_t kRuleCount = sizeof kTimingRules / sizeof kTimingRules[0];
// What BrokenRule answers when no rule holds (rule codes are never 0).
inline constexpr std::uint8_t kNoRule = 0;

// A rule's counter follows from its code, so a swallowed transition needs no table at run time:
// the up/down rules count as bounces, the double-click rules as double-click blocks.
constexpr bool CountsAsUpDown(std::uint8_t rule) noexcept { return (rule & (kRuleUpAfterDown | kRuleDownAfterUp)) != 0; }
constexpr bool RulesCountAsTheirIntervals() noexcept {
  for (const TimingRule& row : kTimingRules)
    if (row.Rule == kNoRule || CountsAsUpDown(row.Rule) == row.DbClickInterval) return false;
  return true;
}
static_assert(RulesCountAsTheirIntervals(), "each rule is counted with the interval it is measured by");

template <Since kFrom>
inline std::uint32_t& Stamp(const Button& button) noexcept {
  if constexpr (kFrom == Since::Down) return button.LastDown;
  else if constexpr (kFrom == Since::Up) return button.LastUp;
  else return button.LastDblClk;
}

// The rule code of the first row of kOf that holds at now, or kNoRule. Unrolled at compile
// time: each row costs one subtraction and one compare, as a hand-written rule would.
template <Transition kOf, std::size_t kRow = 0>
[[gnu::always_inline]] inline std::uint8_t BrokenRule(const Button& button, std::uint32_t now) noexcept {
  if constexpr (kRow == kRuleCount) {
    return kNoRule;
  } else {
    constexpr TimingRule row = kTimingRules[kRow];
    if constexpr (row.Of == kOf) {
      const std::uint32_t interval =
          SharedLoad(row.DbClickInterval ? button.DbClickInterval : button.UpDownInterval);
      if (now - SharedLoad(Stamp<row.From>(button)) < interval) return row.Rule;
    }
    return BrokenRule<kOf, kRow + 1>(button, now);
  }
}

// A swallowed transition: its counter and its event code.
inline std::uint16_t CountSwallowed(HookSharedData& data, std::uint8_t source, std::uint8_t rule) noexcept {
  SharedIncrement(CountsAsUpDown(rule) ? data.BlockedUpDown : data.BlockedDbClick);
  return EventCode(source, rule);
}

// An accepted transition moves its own timestamp.
template <Transition kOf>
inline void Accept(const Button& button, std::uint32_t now) noexcept {
  if constexpr (kOf == Transition::Press) SharedStore(button.LastDown, now);
  else if constexpr (kOf == Transition::Release) SharedStore(button.LastUp, now);
  else SharedStore(button.LastDblClk, now);
}

// A transition judged by the rules alone.
template <Transition kOf>
inline std::uint16_t Judge(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  const std::uint8_t rule = BrokenRule<kOf>(button, now);
  if (rule != kNoRule) return CountSwallowed(data, button.Source, rule);
  Accept<kOf>(button, now);
  return kPass;
}
inline std::uint16_t Press(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  return Judge<Transition::Press>(data, button, now);
}
inline std::uint16_t Release(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  return Judge<Transition::Release>(data, button, now);
}
inline std::uint16_t DoubleClick(HookSharedData& data, const Button& button, std::uint32_t now) noexcept {
  return Judge<Transition::DoubleClick>(data, button, now);
}

// The wheel's one rule: a notch against the direction of the last accepted one, too soon.
inline std::uint16_t Wheel(HookSharedData& data, std::int16_t wheelDelta, std::uint32_t now) noexcept {
  const std::uint8_t forward = wheelDelta > 0 ? 1 : 0;
  if (now - SharedLoad(data.LastWheel) < SharedLoad(data.RotReverseIntervalTime) &&
      forward != SharedLoad(data.LastWheelForward)) {
    SharedIncrement(data.BlockedRotReverse);
    return EventCode(kSourceWheel, forward ? kRuleWheelForward : kRuleWheelBackward);
  }
  SharedStore(data.LastWheel, now);
  SharedStore(data.LastWheelForward, forward);
  return kPass;
}

}  // namespace filter_rules
