// The mouse check's recording, histograms, would-swallow counts and CSV lines (see
// mouse_recording.h).
#include "mouse_recording.h"

#include "hook_shared_data.h"
#include "mouse_filter.h"
#include "text_builder.h"

int HistogramBin(std::uint32_t milliseconds) noexcept {
  if (milliseconds >= kHistogramEndMs) return -1;
  int bin = 0;
  while (bin + 1 < kHistogramBinCount && milliseconds >= kHistogramEdges[bin + 1]) ++bin;
  return bin;
}

void Histogram::Add(std::uint32_t milliseconds) noexcept {
  const int bin = HistogramBin(milliseconds);
  if (bin < 0) {
    ++Beyond;
  } else {
    ++Bins[bin];
  }
  ++Total;
}

std::uint32_t Histogram::Tallest() const noexcept {
  std::uint32_t tallest = 0;
  for (std::uint32_t count : Bins) tallest = count > tallest ? count : tallest;
  return tallest;
}

std::size_t TransitionsFromRawReport(std::uint16_t buttonFlags, std::int16_t wheelDelta, std::uint32_t tick,
                                     MouseTransition (&out)[kMaxTransitionsPerReport]) noexcept {
  constexpr std::uint16_t kRawWheel = 0x0400;
  std::size_t count = 0;
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    const std::uint16_t downBit = static_cast<std::uint16_t>(1u << (2 * button));
    if (buttonFlags & downBit) out[count++] = {tick, static_cast<CheckedInput>(button), TransitionKind::Down};
    if (buttonFlags & (downBit << 1)) out[count++] = {tick, static_cast<CheckedInput>(button), TransitionKind::Up};
  }
  if ((buttonFlags & kRawWheel) && wheelDelta != 0) {
    out[count++] = {tick, CheckedInput::Wheel, wheelDelta > 0 ? TransitionKind::Forward : TransitionKind::Backward};
  }
  return count;
}

namespace {

bool IsWheel(CheckedInput input) noexcept { return input == CheckedInput::Wheel; }
bool IsNotch(TransitionKind kind) noexcept {
  return kind == TransitionKind::Forward || kind == TransitionKind::Backward;
}

void Measure(InputStatistics& s, IntervalColumn column, std::uint32_t milliseconds) {
  s.Columns[static_cast<int>(column)].Add(milliseconds);
  s.Samples[static_cast<int>(column)].push_back(milliseconds);
}

void AddButton(InputStatistics& s, const MouseTransition& t) {
  if (t.Kind == TransitionKind::Down) {
    ++s.Downs;
    if (s.HaveUp && s.UpSinceDown) Measure(s, IntervalColumn::Gap, t.Tick - s.LastUp);
    if (s.HaveDown) Measure(s, IntervalColumn::PressToPress, t.Tick - s.LastDown);
    s.HaveDown = true;
    s.LastDown = t.Tick;
    s.UpSinceDown = false;
    s.Pressed = true;
  } else {
    ++s.Ups;
    // A release without its press (one lost, or pressed before the recording began) has no hold.
    if (s.Pressed) Measure(s, IntervalColumn::Hold, t.Tick - s.LastDown);
    s.HaveUp = true;
    s.LastUp = t.Tick;
    s.UpSinceDown = true;
    s.Pressed = false;
  }
}

void AddNotch(InputStatistics& s, const MouseTransition& t) {
  if (t.Kind == TransitionKind::Forward) {
    ++s.Downs;
  } else {
    ++s.Ups;
  }
  if (s.HaveNotch && t.Kind != s.LastNotchKind) Measure(s, IntervalColumn::DirectionChange, t.Tick - s.LastNotch);
  s.HaveNotch = true;
  s.LastNotch = t.Tick;
  s.LastNotchKind = t.Kind;
}

}  // namespace

bool MouseRecording::Add(const MouseTransition& transition) {
  if (transitions_.size() >= kCapacity) return false;
  if (static_cast<int>(transition.Input) >= kCheckedInputCount) return false;
  if (IsWheel(transition.Input) != IsNotch(transition.Kind)) return false;
  transitions_.push_back(transition);
  InputStatistics& s = statistics_[static_cast<int>(transition.Input)];
  if (IsWheel(transition.Input)) {
    AddNotch(s, transition);
  } else {
    AddButton(s, transition);
  }
  return true;
}

void MouseRecording::Clear() {
  transitions_.clear();
  for (InputStatistics& s : statistics_) s = InputStatistics{};
}

bool IsFilteredInput(CheckedInput input) noexcept {
  return input == CheckedInput::Left || input == CheckedInput::Right || input == CheckedInput::Wheel;
}

namespace {

// The window messages the filter is shown for a transition.
std::uint32_t ButtonMessage(CheckedInput input, TransitionKind kind, bool doubleClick) noexcept {
  const std::uint32_t down = input == CheckedInput::Left ? kWmLButtonDown : kWmRButtonDown;
  if (kind == TransitionKind::Up) return down + 1;
  return doubleClick ? down + 2 : down;
}

// Which histogram column a swallowed code belongs to, by its rule.
IntervalColumn ColumnOfRule(CheckedInput input, std::uint8_t rule) noexcept {
  if (IsWheel(input)) return IntervalColumn::DirectionChange;
  if (rule == kRuleUpAfterDown) return IntervalColumn::Hold;
  if (rule == kRuleDownAfterUp) return IntervalColumn::Gap;
  return IntervalColumn::PressToPress;
}

}  // namespace

SwallowCounts CountWouldSwallow(const std::vector<MouseTransition>& transitions, const FilterIntervals& intervals,
                                std::uint32_t doubleClickTime) {
  SwallowCounts counts;
  // The filter's own record, private to this count: the history of the recording alone, every
  // source on, nobody's own process exempt. Timestamps start one day before the first
  // transition, so the initial zeros are never "too soon".
  HookSharedData data = InitialHookSharedData();
  data.HookType = kSourceLeftButton | kSourceRightButton | kSourceWheel;
  data.FilterOwnProcess = 1;
  data.UpDownIntervalTime = intervals.UpDown;
  data.DbClickIntervalTime = intervals.DbClick;
  data.RotReverseIntervalTime = intervals.RotReverse;
  if (transitions.empty()) return counts;
  const std::uint32_t longAgo = transitions.front().Tick - 86400000u;
  for (std::uint32_t* field : {&data.LastLButtonDown, &data.LastLButtonUp, &data.LastLButtonDblClk, &data.LastWheel,
                               &data.LastRButtonDown, &data.LastRButtonUp, &data.LastRButtonDblClk}) {
    *field = longAgo;
  }

  // The window system's double-click pairing, per button: the second press within the time
  // becomes a double click, and the pair is then spent.
  struct Pairing { bool HavePress = false; bool LastWasDouble = false; std::uint32_t LastPress = 0; };
  Pairing pairing[2];
  for (const MouseTransition& t : transitions) {
    if (!IsFilteredInput(t.Input)) continue;
    std::uint32_t message = kWmMouseWheel;
    std::int16_t delta = 0;
    if (IsWheel(t.Input)) {
      delta = t.Kind == TransitionKind::Forward ? 120 : -120;
    } else {
      bool doubleClick = false;
      if (t.Kind == TransitionKind::Down) {
        Pairing& p = pairing[t.Input == CheckedInput::Left ? 0 : 1];
        doubleClick = p.HavePress && !p.LastWasDouble && t.Tick - p.LastPress < doubleClickTime;
        p.HavePress = true;
        p.LastWasDouble = doubleClick;
        p.LastPress = t.Tick;
      }
      message = ButtonMessage(t.Input, t.Kind, doubleClick);
    }
    const std::uint16_t code = FilterMouseMessage(data, kHcAction, message, delta, 0, [&] { return t.Tick; });
    if (code == kPass) continue;
    ++counts.Counts[static_cast<int>(t.Input)][static_cast<int>(ColumnOfRule(t.Input, code & 0xFF))];
    ++counts.Total;
  }
  return counts;
}

namespace {

const char* const kInputNames[kCheckedInputCount] = {"left", "right", "middle", "side1", "side2", "wheel"};
const char* const kKindNames[] = {"down", "up", "forward", "backward"};

}  // namespace

std::size_t ComposeCsvHeader(char16_t* buffer, std::size_t capacity) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Ascii("time_ms,input,event,gap_ms\r\n");
  return builder.Length();
}

std::size_t ComposeCsvLine(char16_t* buffer, std::size_t capacity, const MouseTransition& transition,
                           std::uint32_t firstTick, bool haveGap, std::uint32_t gap) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Decimal(transition.Tick - firstTick).Char(u',');
  builder.Ascii(kInputNames[static_cast<int>(transition.Input) % kCheckedInputCount]).Char(u',');
  builder.Ascii(kKindNames[static_cast<int>(transition.Kind) & 3]).Char(u',');
  if (haveGap) builder.Decimal(gap);
  builder.Ascii("\r\n");
  return builder.Length();
}
