// The decision the hook runs for every mouse message: the timing rules (filter_rules.h) for all
// five buttons and the wheel, and around them, per button, one small state machine of what the
// application has of that button and what is pending for it, so that no button is left down
// and no deliberate press is eaten. The installing program's deliverer decides here too
// (ServePendingReleases). Platform access is a parameter (Host, Deliverer), so timed patterns
// run natively in tests.
//
// Per button, the application's view (ButtonView) and what each transition does in it, once
// the rules have spoken (a rule "holds" when the transition comes too soon):
//
//   view            press/double click                     release
//   Up              rules pass: accept -> Down             rules pass: accept (stays Up)
//                   rule holds, PressConfirm on: confirm    rule holds: swallow (as Down)
//                     (held PressConfirmTime: accept ->
//                     Down, else swallow)
//                   rule holds, otherwise: swallow
//   Down            rules pass: accept                     rules pass: accept -> Up; with
//                   rule holds: swallow (a bounce inside     drag hold after a long hold:
//                     a held press)                          hold -> ReleasePending (held)
//                                                          rule holds: swallow; guard on: arm
//                                                            -> ReleasePending (late)
//   ReleasePending  held + drag hold: join the drop-out     the deliverer's own: accept -> Up
//                     -> Down                              otherwise as Down
//                   otherwise as Down, and a late release
//                     is settled (the button moved)
//
// A pending release belongs to the thread that left it. The button moving in that thread drops
// it (the application takes its state from the new transition); moving in another thread makes
// it due, so the first window still gets its release. A release is never armed over another
// thread's: it passes instead. The filter's own input (either mark) is never held, never joins a
// drop-out and never ends a hold.
//
// The physical state is read only where it decides: the deliverer's (it injects only the release
// of a button that is up), ending a hold (not while the button is down again) and the press
// confirmation's (host.PressHeld).
#pragma once
#include <cstdint>

#include "filter_extension.h"
#include "guard_shared_data.h"
#include "filter_rules.h"

// The mark the deliverer puts on the input it injects (the input's extra information), so the
// hook lets its own late release through. Only the low 32 bits count: a 32-bit process sees
// that much of a 64-bit installer's value.
inline constexpr std::uint32_t kInjectedReleaseMark = 0x4C4B5247;
// The mark on a message the hooked thread sends again behind a held release. The hook judges it
// like any other (only kInjectedReleaseMark passes unjudged); the mark tells a recorder of the
// mouse's own transitions that it saw this one already, when the hook first held it back. The two
// differ in the lowest bit alone, so one compare tells the filter's own input.
inline constexpr std::uint32_t kReplayedInputMark = kInjectedReleaseMark ^ 1;
constexpr bool IsFilterOwnInput(std::uint32_t mark) noexcept { return (mark | 1) == (kInjectedReleaseMark | 1); }

// A verdict: 0 passes the message, anything else swallows it. The low 16 bits are the event
// code to log (so a code of the plain filter is a verdict as it stands; 0 with kVerdictSwallow
// swallows silently: a held release or a flushed message), a second record of the same code is
// logged when kVerdictSecondRecord is set, and kVerdictWake asks the hook to wake the
// installing program's deliverer.
inline constexpr std::uint32_t kVerdictSwallow = 1u << 16;
inline constexpr std::uint32_t kVerdictSecondRecord = 1u << 17;
inline constexpr std::uint32_t kVerdictWake = 1u << 18;

// The deliverer's answer when nothing is pending: wait for the hook's signal alone.
inline constexpr std::uint32_t kNoDeadline = 0xFFFFFFFFu;
// A held release whose button is physically down at the end of its window: the re-press is on
// its way to the hook; look again this often, and give up this long after the window.
inline constexpr std::uint32_t kHeldRecheckMs = 5;
inline constexpr std::uint32_t kHeldDownGiveUpMs = 500;
// Claims of one pending release that fail because its state moved meanwhile, before the
// deliverer looks again at the next wake-up rather than at once (every process can write it).
inline constexpr int kClaimAttempts = 4;
inline constexpr std::uint32_t kClaimRetryMs = 1;
// How far past its deadline a pending release is still served. The deliverer is late by
// milliseconds; a state this stale (or due further ahead than its interval allows) was not left
// by the hook, and is dropped and counted.
inline constexpr std::uint32_t kStalePendingMs = 1000;

// True while some release waits for the deliverer. Drag hold's path asks before every message, so
// the two pairs of neighbouring state words (left and right, middle and the first side button)
// are read a pair at a time: a snapshot is all it needs.
inline bool AnyPendingRelease(const GuardSharedData& guard) noexcept {
  using PendingPair = std::uint64_t __attribute__((may_alias, aligned(4)));
  static_assert(offsetof(GuardSharedData, Right) == offsetof(GuardSharedData, Left) + 4);
  const auto& leftRight = *reinterpret_cast<const volatile PendingPair*>(&guard.Left);
  const auto& middleSide = *reinterpret_cast<const volatile PendingPair*>(&guard.ExtraButtons[0]);
  return (leftRight | middleSide | SharedLoad(guard.ExtraButtons[2].State)) != 0;
}

// The physical button that sends a logical button's messages: left and right trade places while
// the buttons are swapped; the others never move. The physical state is read by this one.
constexpr std::uint8_t PhysicalButton(std::uint8_t button, bool swapped) noexcept {
  return swapped && button < kButtonMiddle ? static_cast<std::uint8_t>(button ^ 1) : button;
}

namespace mouse_decision_detail {

using filter_rules::Button;
using filter_rules::Transition;

// Arms a pending release for this thread when nothing is pending. Anything else is the caller's
// to settle out of line (ArmOverOwn): as a rule nothing is pending.
inline bool ArmOverNone(PendingRelease& pending, std::uint32_t kind, std::uint32_t threadId) noexcept {
  return __builtin_expect(SharedCompareExchange(pending.State, kPendingNone, PendingState(threadId, kind)), 1);
}
// Arms over this thread's own pending release, of any kind; never over another thread's, whose
// release must still reach its window: false, and the caller lets this release pass instead.
inline bool ArmOverOwn(PendingRelease& pending, std::uint32_t kind, std::uint32_t threadId) noexcept {
  const std::uint32_t armed = PendingState(threadId, kind);
  for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
    const std::uint32_t state = SharedLoad(pending.State);
    if (state != kPendingNone && !PendingOwnedBy(state, threadId)) return false;
    if (SharedCompareExchange(pending.State, state, armed)) return true;
  }
  return false;
}

// The button moved: a pending release of the given kinds (a bit per kind) is settled, and the
// verdict it is handed returned. This thread's own is dropped; another thread's is made due and
// the deliverer woken. Out of line and cold, and called last, as a jump: in the common case
// nothing is pending, and that costs the caller one test and no stack frame.
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t SettlePending(PendingRelease& pending, std::uint32_t state,
                                                         std::uint32_t kindBits, std::uint32_t verdict,
                                                         Host host) noexcept {
  if (((kindBits >> (state & kPendingKindMask)) & 1) == 0) return verdict;
  if (PendingOwnedBy(state, host.ThreadId())) {
    SharedCompareExchange(pending.State, state, kPendingNone);
  } else if (SharedCompareExchange(pending.State, state, state | kPendingDue)) {
    host.WakeDeliverer();
  }
  return verdict;
}
template <typename Host>
inline std::uint32_t SettleThen(PendingRelease& pending, std::uint32_t kindBits, std::uint32_t verdict,
                                Host& host) noexcept {
  const std::uint32_t state = SharedLoad(pending.State);
  if (state == kPendingNone) return verdict;
  return SettlePending(pending, state, kindBits, verdict, host);
}

// A press settles a late or due release (a held one is drag hold's, below); a release that
// reaches the application settles any.
inline constexpr std::uint32_t kLateOrDueBits = (1u << kPendingLate) | (1u << kPendingDue);
inline constexpr std::uint32_t kAnyPendingBits = kLateOrDueBits | (1u << kPendingHeld);

// With drag hold: a press (or double click) of a button whose release is held: the drop-out is
// over, both are swallowed, and the drag goes on from its first press. A press the filter sent
// again itself is the application's to have.
template <typename Host>
inline std::uint32_t JoinDropOut(HookSharedData& data, PendingRelease& pending, std::uint8_t source,
                                 Host& host) noexcept {
  const std::uint32_t state = SharedLoad(pending.State);
  if ((state & kPendingKindMask) != kPendingHeld || IsFilterOwnInput(host.InputMark())) return kPass;
  if (!SharedCompareExchange(pending.State, state, kPendingNone)) return kPass;
  SharedIncrement(data.BlockedUpDown);
  SharedIncrement(data.BlockedUpDown);
  return kVerdictSecondRecord | EventCode(source, kRuleDragHold);
}

// What the application has of a button: the release of its last accepted press passed, that
// press is still down for it, or a release of it waits for the deliverer (late, held or due).
enum class ButtonView : std::uint8_t { Up, Down, ReleasePending };
inline ButtonView ViewOf(const Button& button, const PendingRelease& pending, std::uint32_t now) noexcept {
  if (SharedLoad(pending.State) != kPendingNone) return ButtonView::ReleasePending;
  // Ages, not ticks: right across the wrap. A passed double click is a press too.
  const std::uint32_t sinceDown = now - SharedLoad(button.LastDown);
  const std::uint32_t sinceDblClk = now - SharedLoad(button.LastDblClk);
  const std::uint32_t sincePress = sinceDown < sinceDblClk ? sinceDown : sinceDblClk;
  return sincePress < now - SharedLoad(button.LastUp) ? ButtonView::Down : ButtonView::Up;
}

// A press the rules would swallow, by the view: only a button the application has up may be
// pressed on purpose; inside a held press (or before its release reached the application) it
// is a bounce.
enum class SwallowedPress : std::uint8_t { Swallow, Confirm };
inline constexpr SwallowedPress kSwallowedPress[] = {
    SwallowedPress::Confirm,  // Up
    SwallowedPress::Swallow,  // Down
    SwallowedPress::Swallow,  // ReleasePending
};
// The table read at compile time for each view, so the library carries no copy of it.
constexpr SwallowedPress SwallowedPressIn(ButtonView view) noexcept {
  switch (view) {
    case ButtonView::Up: return kSwallowedPress[static_cast<int>(ButtonView::Up)];
    case ButtonView::Down: return kSwallowedPress[static_cast<int>(ButtonView::Down)];
    default: return kSwallowedPress[static_cast<int>(ButtonView::ReleasePending)];
  }
}

// The press confirmation, below (it rebuilds the button from its index).
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t ConfirmOrSwallow(HookSharedData& data, GuardSharedData& guard,
                                                            std::uint8_t index, bool doubleClick, std::uint8_t rule,
                                                            std::uint32_t now, Host host) noexcept;

template <Transition kOf, typename Host>
inline std::uint32_t JudgePress(HookSharedData& data, GuardSharedData& guard, const Button& button,
                                PendingRelease& pending, std::uint8_t index, std::uint32_t now, Host& host) noexcept {
  const std::uint8_t rule = filter_rules::BrokenRule<kOf>(button, now);
  // Accepted or swallowed, a press means the button moved again: the application gets its
  // state from this press and what follows, so a late release would be one too many.
  if (__builtin_expect(rule == filter_rules::kNoRule, 1)) {
    filter_rules::Accept<kOf>(button, now);
    return SettleThen(pending, kLateOrDueBits, kPass, host);
  }
  if (SharedLoad(guard.PressConfirm) != 0)
    return ConfirmOrSwallow(data, guard, index, kOf == Transition::DoubleClick, rule, now, host);
  return SettleThen(pending, kLateOrDueBits, filter_rules::CountSwallowed(data, button.Source, rule), host);
}

template <typename Host>
inline std::uint32_t GuardedPress(HookSharedData& data, GuardSharedData& guard, std::uint8_t dragHold,
                                  const Button& button, PendingRelease& pending, std::uint8_t index,
                                  bool doubleClick, std::uint32_t now, Host& host) noexcept {
  if (dragHold != 0)
    if (const std::uint32_t joined = JoinDropOut(data, pending, button.Source, host)) return joined;
  if (doubleClick) return JudgePress<Transition::DoubleClick>(data, guard, button, pending, index, now, host);
  return JudgePress<Transition::Press>(data, guard, button, pending, index, now, host);
}

// The buttons as the extension judges them: each with the intervals in force for it.
inline Button LeftButton(HookSharedData& data, FilterExtensionData& extension) noexcept {
  return {data.LastLButtonDown, data.LastLButtonUp, data.LastLButtonDblClk,
          extension.UpDownIntervalTime[kButtonLeft], extension.DbClickIntervalTime[kButtonLeft], kSourceLeftButton};
}
inline Button RightButton(HookSharedData& data, FilterExtensionData& extension) noexcept {
  return {data.LastRButtonDown, data.LastRButtonUp, data.LastRButtonDblClk,
          extension.UpDownIntervalTime[kButtonRight], extension.DbClickIntervalTime[kButtonRight],
          kSourceRightButton};
}
// The middle or a side button, by ButtonIndex - kButtonMiddle ("extra"). Their source bits
// follow each other in the same order.
inline constexpr std::uint32_t kExtraMiddle = kButtonMiddle - kButtonMiddle;
static_assert(kSourceXButton1 == kSourceMiddleButton << 1 && kSourceXButton2 == kSourceMiddleButton << 2);
inline Button ExtraButton(FilterExtensionData& extension, std::uint32_t extra) noexcept {
  ExtraButtonTimes& times = extension.ExtraButtons[extra];
  return {times.LastDown,
          times.LastUp,
          times.LastDblClk,
          extension.UpDownIntervalTime[kButtonMiddle + extra],
          extension.DbClickIntervalTime[kButtonMiddle + extra],
          static_cast<std::uint8_t>(kSourceMiddleButton << extra)};
}
// Any of the five, by ButtonIndex: for the deliverer, which serves them in turn.
inline Button ButtonOf(HookSharedData& data, FilterExtensionData& extension, std::uint8_t index) noexcept {
  if (index == kButtonLeft) return LeftButton(data, extension);
  if (index == kButtonRight) return RightButton(data, extension);
  return ExtraButton(extension, index - kButtonMiddle);
}

// A release to leave pending (held, or late after the rule it broke) that finds something pending
// for its button: it takes the place of this thread's own, or passes when another thread's waits
// (one pending release cannot stand for both). Out of line and cold, the button rebuilt from its
// index, so the common path keeps no button in memory.
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t ArmOverPending(HookSharedData& data, GuardSharedData& guard,
                                                          std::uint8_t index, std::uint32_t kind, std::uint8_t rule,
                                                          std::uint32_t now, Host host) noexcept {
  const Button button = ButtonOf(data, guard.Extension, index);
  if (!ArmOverOwn(PendingReleaseOf(guard, index), kind, host.ThreadId())) {
    filter_rules::Accept<Transition::Release>(button, now);
    return kPass;
  }
  if (kind == kPendingHeld) return kVerdictSwallow | kVerdictWake;
  return kVerdictWake | filter_rules::CountSwallowed(data, button.Source, rule);
}

// The release rule, unchanged, with the guard between its halves: a release that passes stays
// cheap, and only one that would be swallowed (or, with drag hold, one after a long hold) is
// looked at further.
template <typename Host>
inline std::uint32_t GuardedRelease(HookSharedData& data, GuardSharedData& guard, std::uint8_t dragHold,
                                    const Button& button, PendingRelease& pending, std::uint8_t index,
                                    std::uint32_t now, Host& host) noexcept {
  const std::uint8_t rule = filter_rules::BrokenRule<Transition::Release>(button, now);
  if (rule == filter_rules::kNoRule) {
    // With drag hold, a release after a long hold is held back for DragHoldTime (never the
    // filter's own input).
    if (dragHold != 0 && now - SharedLoad(button.LastDown) >= SharedLoad(button.DbClickInterval) &&
        !IsFilterOwnInput(host.InputMark())) {
      SharedStore(guard.HeldSince[index], now);
      if (ArmOverNone(pending, kPendingHeld, host.ThreadId())) return kVerdictSwallow | kVerdictWake;
      return ArmOverPending(data, guard, index, kPendingHeld, filter_rules::kNoRule, now, host);
    }
    filter_rules::Accept<Transition::Release>(button, now);
    return SettleThen(pending, kAnyPendingBits, kPass, host);  // the application has its release
  }
  // The deliverer's own late release stands for one swallowed (and counted) earlier; it passes
  // whatever the rule says, even after the guard was switched off.
  if (host.InputMark() == kInjectedReleaseMark) {
    filter_rules::Accept<Transition::Release>(button, now);
    return kPass;
  }
  if (SharedLoad(guard.ReleaseGuard) == 0) return filter_rules::CountSwallowed(data, button.Source, rule);
  if (!ArmOverNone(pending, kPendingLate, host.ThreadId()))
    return ArmOverPending(data, guard, index, kPendingLate, rule, now, host);
  return kVerdictWake | filter_rules::CountSwallowed(data, button.Source, rule);
}

// With drag hold: any message of another button or the wheel while a release is held ends the
// hold. The hook cannot put the release in front of this message, so this thread swallows the
// message and sends both again itself, the release first, with its own rights: of the shared
// state only which button to release is taken, and only while that button is physically up.
// While it is down again its re-press is on its way and joins the hold: the message passes.
// When the platform refuses the input, the message passes and the release is left due to the
// deliverer.
template <typename Host>
inline bool FlushHeldRelease(PendingRelease& pending, std::uint8_t button, std::uint32_t message,
                             Host& host) noexcept {
  const std::uint32_t state = SharedLoad(pending.State);
  if ((state & kPendingKindMask) != kPendingHeld || host.PhysicallyDown(button)) return false;
  if (!SharedCompareExchange(pending.State, state, kPendingNone)) return false;
  if (host.SendReleaseThenMessage(button, message)) return true;
  SharedCompareExchange(pending.State, kPendingNone, state | kPendingDue);
  host.WakeDeliverer();
  return false;
}

// PressConfirm: a press the rules would swallow while the application has the button up passes
// when the physical button is still down PressConfirmTime after it came (a phantom is held a few
// milliseconds, a quick deliberate click tens). It is then an accepted press for every later
// rule, neither counted nor logged. Out of line and cold, the button rebuilt from its index (so
// the common path keeps no button in memory): the hook waits here, on this path only.
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t ConfirmOrSwallow(HookSharedData& data, GuardSharedData& guard,
                                                            std::uint8_t index, bool doubleClick, std::uint8_t rule,
                                                            std::uint32_t now, Host host) noexcept {
  const Button button = ButtonOf(data, guard.Extension, index);
  PendingRelease& pending = PendingReleaseOf(guard, index);
  if (SwallowedPressIn(ViewOf(button, pending, now)) == SwallowedPress::Confirm &&
      host.PressHeld(index, SharedLoad(guard.PressConfirmTime))) {
    filter_rules::Accept<Transition::Press>(button, now);
    if (doubleClick) filter_rules::Accept<Transition::DoubleClick>(button, now);
    return kPass;
  }
  return SettleThen(pending, kLateOrDueBits, filter_rules::CountSwallowed(data, button.Source, rule), host);
}

// The side buttons share their messages; the high word of mouseData tells them apart.
// kButtonCount for a side button of neither kind.
template <typename Host>
inline std::uint8_t SideButtonIndex(Host& host) noexcept {
  const std::uint16_t which = host.XButton();
  if (which == kXButton1) return kButtonX1;
  return which == kXButton2 ? std::uint8_t{kButtonX2} : kButtonCount;
}

// The middle and side buttons (extra is ButtonIndex - kButtonMiddle): the three rules with the
// guard between them, as for left and right. Out of line, with their own copy of the host and
// drag hold as a value, so one copy serves all three buttons and the common path carries none
// of it; a release and a press apart, so each builds only the state it judges.
template <std::uint8_t kDragHold, typename Host>
[[gnu::noinline]] std::uint32_t ExtraButtonReleaseWith(HookSharedData& data, GuardSharedData& guard,
                                                       std::uint32_t extra, Host host) noexcept {
  return GuardedRelease(data, guard, kDragHold, ExtraButton(guard.Extension, extra), guard.ExtraButtons[extra],
                        static_cast<std::uint8_t>(kButtonMiddle + extra), host.Tick(), host);
}
// A release apart for each drag hold setting: the common one carries none of the hold's state.
template <typename Host>
inline std::uint32_t ExtraButtonRelease(HookSharedData& data, GuardSharedData& guard, std::uint8_t dragHold,
                                        std::uint32_t extra, Host& host) noexcept {
  if (dragHold != 0) return ExtraButtonReleaseWith<1>(data, guard, extra, host);
  return ExtraButtonReleaseWith<0>(data, guard, extra, host);
}
template <typename Host>
[[gnu::noinline]] std::uint32_t ExtraButtonPress(HookSharedData& data, GuardSharedData& guard, std::uint8_t dragHold,
                                                 std::uint32_t extra, bool doubleClick, Host host) noexcept {
  return GuardedPress(data, guard, dragHold, ExtraButton(guard.Extension, extra), guard.ExtraButtons[extra],
                      static_cast<std::uint8_t>(kButtonMiddle + extra), doubleClick, host.Tick(), host);
}

// The side buttons share their messages; which one it is, is read only here.
template <typename Host>
[[gnu::noinline]] std::uint32_t SideButtonMessage(HookSharedData& data, GuardSharedData& guard, std::uint8_t dragHold,
                                                  std::uint8_t hookType, std::uint32_t message, Host host) noexcept {
  const std::uint8_t index = SideButtonIndex(host);
  if (index == kButtonCount || (hookType & kButtonSources[index]) == 0) return kPass;
  if (message == kWmXButtonUp) return ExtraButtonRelease(data, guard, dragHold, index - kButtonMiddle, host);
  return ExtraButtonPress(data, guard, dragHold, index - kButtonMiddle, message == kWmXButtonDblClk, host);
}

// The button a watched message belongs to; kButtonCount for the wheel and a side button of
// neither kind.
template <typename Host>
inline std::uint8_t MessageButton(std::uint32_t message, Host& host) noexcept {
  if (message <= kWmLButtonDblClk) return kButtonLeft;
  if (message <= kWmRButtonDblClk) return kButtonRight;
  if (message <= kWmMButtonDblClk) return kButtonMiddle;
  if (message == kWmMouseWheel) return kButtonCount;
  return SideButtonIndex(host);
}

}  // namespace mouse_decision_detail

namespace mouse_decision_detail {

// The watched messages once the process is settled; kDragHold is the setting, so the common
// case (drag hold off) carries none of its tests.
template <bool kDragHold, typename Host>
[[gnu::always_inline]] inline std::uint32_t DecideButtonMessage(HookSharedData& data, GuardSharedData& guard, std::uint32_t message,
                                         Host& host) noexcept {
  using filter_rules::Wheel;
  constexpr std::uint8_t dragHold = kDragHold ? 1 : 0;
  const std::uint8_t hookType = SharedLoad(data.HookType);
  // Every value of the range has its case, and the caller sent everything outside it on its way
  // already.
  switch (message - kWmLButtonDown) {
    case kWmLButtonDown - kWmLButtonDown:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return GuardedPress(data, guard, dragHold, LeftButton(data, guard.Extension), guard.Left, kButtonLeft, false,
                          host.Tick(), host);
    case kWmLButtonDblClk - kWmLButtonDown:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return GuardedPress(data, guard, dragHold, LeftButton(data, guard.Extension), guard.Left, kButtonLeft, true,
                          host.Tick(), host);
    case kWmLButtonUp - kWmLButtonDown:
      if ((hookType & kSourceLeftButton) == 0) return kPass;
      return GuardedRelease(data, guard, dragHold, LeftButton(data, guard.Extension), guard.Left, kButtonLeft,
                            host.Tick(), host);
    case kWmRButtonDown - kWmLButtonDown:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return GuardedPress(data, guard, dragHold, RightButton(data, guard.Extension), guard.Right, kButtonRight, false,
                          host.Tick(), host);
    case kWmRButtonDblClk - kWmLButtonDown:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return GuardedPress(data, guard, dragHold, RightButton(data, guard.Extension), guard.Right, kButtonRight, true,
                          host.Tick(), host);
    case kWmRButtonUp - kWmLButtonDown:
      if ((hookType & kSourceRightButton) == 0) return kPass;
      return GuardedRelease(data, guard, dragHold, RightButton(data, guard.Extension), guard.Right, kButtonRight,
                            host.Tick(), host);
    case kWmMouseWheel - kWmLButtonDown:
      if ((hookType & kSourceWheel) == 0) return kPass;
      return Wheel(data, host.WheelDelta(), host.Tick());
    case kWmMButtonDown - kWmLButtonDown:
    case kWmMButtonDblClk - kWmLButtonDown:
      if ((hookType & kSourceMiddleButton) == 0) return kPass;
      return ExtraButtonPress(data, guard, dragHold, kExtraMiddle, message == kWmMButtonDblClk, host);
    case kWmMButtonUp - kWmLButtonDown:
      if ((hookType & kSourceMiddleButton) == 0) return kPass;
      return ExtraButtonRelease(data, guard, dragHold, kExtraMiddle, host);
    case kWmXButtonDown - kWmLButtonDown:
    case kWmXButtonUp - kWmLButtonDown:
    case kWmXButtonDblClk - kWmLButtonDown:
      if ((hookType & (kSourceXButton1 | kSourceXButton2)) == 0) return kPass;
      return SideButtonMessage(data, guard, dragHold, hookType, message, host);
    default:
      __builtin_unreachable();
  }
}

// The watched messages with drag hold on, once no held release stands in front of them.
template <typename Host>
[[gnu::noinline]] std::uint32_t DecideDragHoldButtonMessage(HookSharedData& data, GuardSharedData& guard,
                                                            std::uint32_t message, Host host) noexcept {
  return DecideButtonMessage<true>(data, guard, message, host);
}

// Something is pending: a held release of another button than the message's (or any, before
// the wheel) is sent ahead of the message, which is swallowed and sent again behind it. Out of
// line and cold, so the drag hold path only asks whether anything is pending and needs no frame.
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t FlushThenDecide(HookSharedData& data, GuardSharedData& guard,
                                                           std::uint32_t message, Host host) noexcept {
  if (!IsFilterOwnInput(host.InputMark())) {
    const std::uint8_t own = MessageButton(message, host);
    for (std::uint8_t b = 0; b < kButtonCount; ++b)
      if (b != own && FlushHeldRelease(PendingReleaseOf(guard, b), b, message, host)) return kVerdictSwallow;
  }
  return DecideDragHoldButtonMessage(data, guard, message, host);
}

// With drag hold on: a held release is flushed by any message of another button or the wheel
// before that message is judged. Out of line, with its own copy of the host, so the common path
// builds no frame for it.
template <typename Host>
[[gnu::noinline]] std::uint32_t DecideWithDragHold(HookSharedData& data, GuardSharedData& guard,
                                                   std::uint32_t message, Host host) noexcept {
  if (AnyPendingRelease(guard)) return FlushThenDecide(data, guard, message, host);
  return DecideDragHoldButtonMessage(data, guard, message, host);
}

}  // namespace mouse_decision_detail

namespace mouse_decision_detail {

// The decision once the message is watched and the process is known to be filtered.
template <typename Host>
[[gnu::always_inline]] inline std::uint32_t DecideFilteredMessage(HookSharedData& data, GuardSharedData& guard,
                                                                  std::uint32_t message, Host& host) noexcept {
  if (SharedLoad(guard.DragHold) != 0) return DecideWithDragHold(data, guard, message, host);
  return DecideButtonMessage<false>(data, guard, message, host);
}

// A process that is not known to be filtered at the current generation: an excluded one, the
// installing one, or one that must decide again. Out of line, with its own copy of the host,
// so the common path keeps no registers for it.
template <typename Host>
[[gnu::noinline, gnu::cold]] std::uint32_t DecideUnsettledProcess(HookSharedData& data, GuardSharedData& guard,
                                                       std::uint32_t message, std::uint32_t processId,
                                                       Host host) noexcept {
  if (PassesUnfiltered(data, guard.Extension, processId, host)) return kPass;
  return DecideFilteredMessage(data, guard, message, host);
}

}  // namespace mouse_decision_detail

// Decides one mouse message with the guard. Host provides, each called only where needed:
//   std::uint32_t Tick()            the current tick, at most once, for a judged message
//   std::int16_t WheelDelta()       the wheel delta of a WM_MOUSEWHEEL
//   std::uint32_t InputMark()       the low 32 bits of the input's extra information
//   std::uint32_t ThreadId()        the hooked thread's id, where a pending release is settled
//   void WakeDeliverer()            sets the installing program's event
//   bool PhysicallyDown(std::uint8_t button), with drag hold, before a hold is ended
//   bool SendReleaseThenMessage(std::uint8_t button, std::uint32_t message)   ends a hold: the
//                                   button's release marked kInjectedReleaseMark, then the
//                                   message again marked kReplayedInputMark, in one go; false
//                                   when the platform refused them
//   std::uint16_t XButton()         the high word of mouseData of a side button's message
//   bool PressHeld(std::uint8_t button, std::uint32_t ms)   with PressConfirm, for a press the
//                                   rules would swallow: waits while the logical button's
//                                   physical one stays down, at most ms from now; true when it
//                                   is still down then (false when up or unreadable)
//   and what PassesUnfiltered (filter_extension.h) asks, for a process not settled yet
// With the guard's features and PressConfirm off, every decision of the three original sources
// is exactly the plain rules' (the tests keep that reference beside them).
template <typename Host>
[[gnu::always_inline]] inline std::uint32_t DecideMouseMessage(HookSharedData& data, GuardSharedData& guard, std::int32_t hookCode,
                                        std::uint32_t message, std::uint32_t processId, Host& host) noexcept {
  using namespace mouse_decision_detail;
  // One compare sends every message outside WM_LBUTTONDOWN..WM_XBUTTONDBLCLK (WM_MOUSEMOVE
  // first of all, and WM_MOUSEHWHEEL) on its way.
  if (message - kWmLButtonDown > kWmXButtonDblClk - kWmLButtonDown) return kPass;
  // Negative codes and peeked-at messages are judged once, when they are removed.
  if (hookCode != kHcAction) return kPass;
  // One compare settles every process that found itself filtered at the current generation of
  // the excluded list, the pause and the installer; the rest decide out of line.
  if (!ProcessStaysFiltered(guard.Extension, host.Process()))
    return DecideUnsettledProcess(data, guard, message, processId, host);
  return DecideFilteredMessage(data, guard, message, host);
}

// The deliverer, in the installing program. It injects nothing but releases, and a release only
// while its button is physically up: whatever any process writes into the shared state, it can
// only bring the applications' view of a button to that button's state. Deliverer provides:
//   std::uint32_t Tick()
//   bool PhysicallyDown(std::uint8_t button)   the physical state of the button (a ButtonIndex)
//                                      that sends that logical button's messages (swapped
//                                      left and right buttons mapped)
//   void Inject(std::uint8_t button)   injects the logical button's release marked
//                                      kInjectedReleaseMark
// Delivers every pending release that is due (all of them at once when everyNow is set or the
// hook is gone) and returns the milliseconds until the next deadline, or kNoDeadline. A state no
// hook leaves (due too far ahead, or long past) is dropped and counted.
template <typename Deliverer>
inline std::uint32_t ServePendingReleases(HookSharedData& data, GuardSharedData& guard, bool everyNow,
                                          Deliverer& deliverer) noexcept {
  using namespace mouse_decision_detail;
  if (SharedLoad(data.HookInstalled) == 0) everyNow = true;
  std::uint32_t wait = kNoDeadline;
  for (std::uint8_t b = 0; b < kButtonCount; ++b) {
    PendingRelease& pending = PendingReleaseOf(guard, b);
    const Button button = ButtonOf(data, guard.Extension, b);
    for (int attempt = 0;; ++attempt) {
      if (attempt == kClaimAttempts) {
        if (kClaimRetryMs < wait) wait = kClaimRetryMs;
        break;
      }
      const std::uint32_t state = SharedLoad(pending.State);
      const std::uint32_t kind = state & kPendingKindMask;
      if (state == kPendingNone) break;
      // The deadline and the furthest ahead the hook can have put it; the tick read after them,
      // so a press accepted meanwhile never puts a deadline further ahead than that.
      std::uint32_t deadline = 0, furthest = 0;
      if (kind == kPendingLate) {
        furthest = SharedLoad(button.UpDownInterval);
        deadline = SharedLoad(button.LastDown) + furthest;
        if (furthest > kMaxIntervalTime) furthest = kMaxIntervalTime;
      } else if (kind == kPendingHeld) {
        furthest = kMaxDragHoldTime;
        deadline = SharedLoad(guard.HeldSince[b]) + SharedLoad(guard.DragHoldTime);
      }
      const std::uint32_t now = deliverer.Tick();
      // Milliseconds until it is due, signed: a little ahead or a little behind, right across
      // the tick wrap. A due release is due now.
      const std::int32_t remaining = kind == kPendingDue ? 0 : static_cast<std::int32_t>(deadline - now);
      const bool plausible = kind != kPendingNone && remaining <= static_cast<std::int32_t>(furthest) &&
                             remaining >= -static_cast<std::int32_t>(kStalePendingMs);
      if (plausible && !everyNow && remaining > 0) {
        if (static_cast<std::uint32_t>(remaining) < wait) wait = static_cast<std::uint32_t>(remaining);
        break;
      }
      const bool down = plausible && deliverer.PhysicallyDown(b);
      if (kind == kPendingHeld && down && !everyNow && -static_cast<std::int64_t>(remaining) < kHeldDownGiveUpMs) {
        if (kHeldRecheckMs < wait) wait = kHeldRecheckMs;
        break;
      }
      if (!SharedCompareExchange(pending.State, state, kPendingNone)) continue;  // moved: judge again
      if (!plausible || down) {
        // Not the hook's, or down again: a press is on its way, and the application takes its
        // state from it.
        SharedIncrement(guard.DroppedReleases);
      } else {
        deliverer.Inject(b);
        SharedIncrement(guard.LateReleases);
      }
      break;
    }
  }
  return wait;
}

// The settings of SetReleaseGuard: a hold time outside 5..100 ms leaves the stored one.
inline void SetGuardSettings(GuardSharedData& guard, std::uint8_t releaseGuard, std::uint8_t dragHold,
                             std::uint32_t dragHoldTime) noexcept {
  SharedStore(guard.ReleaseGuard, static_cast<std::uint8_t>(releaseGuard != 0 ? 1 : 0));
  SharedStore(guard.DragHold, static_cast<std::uint8_t>(dragHold != 0 ? 1 : 0));
  if (dragHoldTime >= kMinDragHoldTime && dragHoldTime <= kMaxDragHoldTime)
    SharedStore(guard.DragHoldTime, static_cast<std::uint16_t>(dragHoldTime));
}

// The settings of SetPressConfirm: a time outside 5..100 ms leaves the stored one.
inline void SetPressConfirmSettings(GuardSharedData& guard, std::uint8_t pressConfirm,
                                    std::uint32_t pressConfirmTime) noexcept {
  SharedStore(guard.PressConfirm, static_cast<std::uint8_t>(pressConfirm != 0 ? 1 : 0));
  if (pressConfirmTime >= kMinPressConfirmTime && pressConfirmTime <= kMaxPressConfirmTime)
    SharedStore(guard.PressConfirmTime, static_cast<std::uint16_t>(pressConfirmTime));
}
