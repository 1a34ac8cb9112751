// The mouse check's recording, histograms, would-swallow counts and CSV lines (see
// mouse_recording.h).
#include "mouse_recording.h"

#include "filter_extension.h"
#include "hook_shared_data.h"
#include "filter_rules.h"
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

// The buttons of a recording are the filter's buttons, in the same order.
static_assert(kCheckedButtonCount == kButtonCount);
static_assert(static_cast<int>(CheckedInput::Left) == kButtonLeft &&
              static_cast<int>(CheckedInput::Right) == kButtonRight &&
              static_cast<int>(CheckedInput::Middle) == kButtonMiddle &&
              static_cast<int>(CheckedInput::Side1) == kButtonX1 && static_cast<int>(CheckedInput::Side2) == kButtonX2);

bool FilterInForce::operator==(const FilterInForce& other) const noexcept {
  if (HookType != other.HookType || Shared.UpDown != other.Shared.UpDown || Shared.DbClick != other.Shared.DbClick ||
      Shared.RotReverse != other.Shared.RotReverse || PressConfirmTime != other.PressConfirmTime)
    return false;
  for (int b = 0; b < kCheckedButtonCount; ++b) {
    if (OwnUpDown[b] != other.OwnUpDown[b] || OwnDbClick[b] != other.OwnDbClick[b]) return false;
  }
  return true;
}

namespace {

// The filter's own bookkeeping of the intervals in force, filled from filter: the library
// resolves "own or shared" in RefreshButtonIntervals (by IntervalInForce), and so does the
// prediction.
struct ResolvedFilter {
  HookSharedData Data = InitialHookSharedData();
  FilterExtensionData Extension = InitialFilterExtensionData();

  explicit ResolvedFilter(const FilterInForce& filter) noexcept {
    Data.HookType = filter.HookType;
    Data.FilterOwnProcess = 1;
    Data.UpDownIntervalTime = filter.Shared.UpDown;
    Data.DbClickIntervalTime = filter.Shared.DbClick;
    Data.RotReverseIntervalTime = filter.Shared.RotReverse;
    for (int b = 0; b < kCheckedButtonCount; ++b) {
      Extension.OwnUpDownIntervalTime[b] = filter.OwnUpDown[b];
      Extension.OwnDbClickIntervalTime[b] = filter.OwnDbClick[b];
    }
    RefreshButtonIntervals(Data, Extension);
  }
};

}  // namespace

ColumnRule RuleOf(const FilterInForce& filter, CheckedInput input, IntervalColumn column) noexcept {
  if (IsWheel(input)) {
    return {(filter.HookType & kSourceWheel) != 0, false, filter.Shared.RotReverse};
  }
  const int button = static_cast<int>(input);
  const bool on = (filter.HookType & kButtonSources[button]) != 0;
  if (column == IntervalColumn::PressToPress) {
    const std::uint32_t own = filter.OwnDbClick[button];
    return {on, own != kSharedButtonInterval, IntervalInForce(own, filter.Shared.DbClick)};
  }
  const std::uint32_t own = filter.OwnUpDown[button];
  return {on, own != kSharedButtonInterval, IntervalInForce(own, filter.Shared.UpDown)};
}

namespace {

// Which histogram column a swallowed code belongs to, by its rule.
IntervalColumn ColumnOfRule(CheckedInput input, std::uint8_t rule) noexcept {
  if (IsWheel(input)) return IntervalColumn::DirectionChange;
  if (rule == kRuleUpAfterDown) return IntervalColumn::Hold;
  if (rule == kRuleDownAfterUp) return IntervalColumn::Gap;
  return IntervalColumn::PressToPress;
}

}  // namespace

SwallowCounts CountWouldSwallow(const std::vector<MouseTransition>& transitions, const FilterInForce& filter,
                                std::uint32_t doubleClickTime) {
  using namespace filter_rules;
  SwallowCounts counts;
  if (transitions.empty()) return counts;
  // The filter's own rules on a private record: the history of the recording alone, each
  // button with its intervals in force. Timestamps start one day before the first transition,
  // so the initial zeros are never "too soon".
  ResolvedFilter resolved(filter);
  HookSharedData& data = resolved.Data;
  const std::uint32_t longAgo = transitions.front().Tick - 86400000u;
  data.LastWheel = longAgo;
  struct Times { std::uint32_t LastDown, LastUp, LastDblClk; };
  Times times[kCheckedButtonCount];
  for (Times& t : times) t = {longAgo, longAgo, longAgo};

  // The window system's double-click pairing, per button: the second press within the time
  // becomes a double click, and the pair is then spent.
  struct Pairing { bool HavePress = false; bool LastWasDouble = false; std::uint32_t LastPress = 0; };
  Pairing pairing[kCheckedButtonCount];
  // Whether the program has the button down: its last transition that passed was a press.
  bool programDown[kCheckedButtonCount] = {};
  // Press confirmation: the press is still held confirmTime after it came.
  auto heldLongEnough = [&](std::size_t at, std::uint32_t confirmTime) {
    for (std::size_t j = at + 1; j < transitions.size(); ++j)
      if (transitions[j].Input == transitions[at].Input) return transitions[j].Tick - transitions[at].Tick >= confirmTime;
    return true;  // still held when the recording ends
  };
  for (std::size_t i = 0; i < transitions.size(); ++i) {
    const MouseTransition& t = transitions[i];
    const int input = static_cast<int>(t.Input);
    std::uint16_t code = kPass;
    if (IsWheel(t.Input)) {
      if ((filter.HookType & kSourceWheel) == 0) continue;
      code = Wheel(data, t.Kind == TransitionKind::Forward ? 120 : -120, t.Tick);
    } else {
      if ((filter.HookType & kButtonSources[input]) == 0) continue;
      const Button button = {times[input].LastDown,
                             times[input].LastUp,
                             times[input].LastDblClk,
                             resolved.Extension.UpDownIntervalTime[input],
                             resolved.Extension.DbClickIntervalTime[input],
                             kButtonSources[input]};
      if (t.Kind == TransitionKind::Up) {
        code = Release(data, button, t.Tick);
        if (code == kPass) programDown[input] = false;
      } else {
        Pairing& p = pairing[input];
        const bool doubleClick = p.HavePress && !p.LastWasDouble && t.Tick - p.LastPress < doubleClickTime;
        p.HavePress = true;
        p.LastWasDouble = doubleClick;
        p.LastPress = t.Tick;
        code = doubleClick ? DoubleClick(data, button, t.Tick) : Press(data, button, t.Tick);
        if (code != kPass && filter.PressConfirmTime != 0 && !programDown[input] &&
            heldLongEnough(i, filter.PressConfirmTime)) {
          Accept<Transition::Press>(button, t.Tick);
          if (doubleClick) Accept<Transition::DoubleClick>(button, t.Tick);
          code = kPass;
        }
        if (code == kPass) programDown[input] = true;
      }
    }
    if (code == kPass) continue;
    ++counts.Counts[input][static_cast<int>(ColumnOfRule(t.Input, code & 0xFF))];
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
