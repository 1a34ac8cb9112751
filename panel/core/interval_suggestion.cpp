// Suggested filter intervals and their reasons (see interval_suggestion.h).
#include "interval_suggestion.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "latchkin_contract.h"
#include "text_builder.h"

namespace {

// A value that swallows everything up to lowest - 1 and passes highest: the geometric middle
// of the valley (it is a valley on the log axis), on a multiple of 5 where that stays inside.
std::uint32_t PickInValley(std::uint32_t lowest, std::uint32_t highest) {
  const double middle = std::sqrt(static_cast<double>(lowest) * static_cast<double>(highest));
  const std::uint32_t exact = std::clamp(static_cast<std::uint32_t>(middle + 0.5), lowest, highest);
  const std::uint32_t round = (exact + 2) / 5 * 5;
  return round >= lowest && round <= highest ? round : exact;
}

// With no chatter, a value that keeps clear of the fastest deliberate value by half of it,
// and otherwise stays as it is.
std::uint32_t KeepClearOf(std::uint32_t fastest, std::uint32_t current) {
  if (fastest == 0) return current;
  return std::min(current, std::max<std::uint32_t>(1, fastest / 2));
}

IntervalSuggestion NotEnough(std::uint32_t current) { return {SuggestionBasis::NotEnoughData, current, 0, 0}; }

// Chatter is what lies at or below the ceiling, the user's own doing what lies above it; a
// valley is a clear gap between the two.
IntervalSuggestion SplitChatter(std::vector<std::uint32_t> values, std::uint32_t current) {
  std::sort(values.begin(), values.end());
  const auto firstDeliberate = std::upper_bound(values.begin(), values.end(), kChatterCeilingMs);
  if (firstDeliberate == values.begin()) {
    return {SuggestionBasis::NoChatter, KeepClearOf(values.front(), current), 0, values.front()};
  }
  const std::uint32_t chatterMax = *(firstDeliberate - 1);
  if (firstDeliberate == values.end()) {
    return {SuggestionBasis::ChatterOnly, std::max(current, chatterMax + 1), chatterMax, 0};
  }
  const std::uint32_t fastest = *firstDeliberate;
  if (fastest < kValleyRatio * std::max<std::uint32_t>(chatterMax, 1)) {
    return {SuggestionBasis::Overlap, current, chatterMax, fastest};
  }
  return {SuggestionBasis::Valley, PickInValley(chatterMax + 1, fastest), chatterMax, fastest};
}

const std::vector<std::uint32_t>& SamplesOf(const MouseRecording& recording, CheckedInput input,
                                            IntervalColumn column) {
  return recording.Statistics(input).Samples[static_cast<int>(column)];
}

// A set of buttons by ButtonIndex bit: those one interval governs.
using ButtonSet = std::uint8_t;
constexpr bool Holds(ButtonSet set, int button) { return ((set >> button) & 1) != 0; }

IntervalSuggestion SuggestUpDown(const MouseRecording& recording, ButtonSet buttons, std::uint32_t current) {
  std::vector<std::uint32_t> values;
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    if (!Holds(buttons, button)) continue;
    for (IntervalColumn column : {IntervalColumn::Hold, IntervalColumn::Gap}) {
      for (std::uint32_t value : SamplesOf(recording, static_cast<CheckedInput>(button), column)) values.push_back(value);
    }
  }
  if (values.size() < kMinButtonSamples) return NotEnough(current);
  return SplitChatter(std::move(values), current);
}

// The longest gap taken for a bounce, from the bounce suggestion that governs the button.
std::uint32_t ChatterGapOf(const IntervalSuggestion& upDown) {
  return upDown.Basis == SuggestionBasis::Valley || upDown.Basis == SuggestionBasis::ChatterOnly ? upDown.ChatterMax
                                                                                                 : kChatterCeilingMs;
}

// Presses measured, as the filter measures them, from the last deliberate press of their
// button: a press after a chatter gap (chatterGap, per button) is a bounce, any other within
// the double-click time makes a deliberate double click.
IntervalSuggestion SuggestDbClick(const MouseRecording& recording, ButtonSet buttons,
                                  const std::uint32_t (&chatterGap)[kCheckedButtonCount], std::uint32_t current,
                                  std::uint32_t doubleClickTime) {
  struct Walk { bool HavePress = false, HaveUp = false; std::uint32_t LastPress = 0, LastUp = 0; };
  Walk walks[kCheckedButtonCount];
  std::size_t deliberate = 0;
  std::uint32_t fastest = UINT32_MAX, chatterMax = 0;
  bool chatter = false;
  for (const MouseTransition& t : recording.Transitions()) {
    const int button = static_cast<int>(t.Input);
    if (t.Input == CheckedInput::Wheel || !Holds(buttons, button)) continue;
    Walk& walk = walks[button];
    if (t.Kind == TransitionKind::Up) {
      walk.HaveUp = true;
      walk.LastUp = t.Tick;
      continue;
    }
    const bool bounce = walk.HaveUp && t.Tick - walk.LastUp <= chatterGap[button];
    if (walk.HavePress && t.Tick - walk.LastPress < doubleClickTime) {
      const std::uint32_t sinceLastPress = t.Tick - walk.LastPress;
      if (bounce) {
        chatter = true;
        chatterMax = std::max(chatterMax, sinceLastPress);
      } else {
        ++deliberate;
        fastest = std::min(fastest, sinceLastPress);
      }
    }
    if (!bounce) {
      walk.HavePress = true;
      walk.LastPress = t.Tick;
    }
  }
  if (deliberate < kMinDoubleClicks) return NotEnough(current);
  if (!chatter) return {SuggestionBasis::NoChatter, KeepClearOf(fastest, current), 0, fastest};
  if (chatterMax < fastest) return {SuggestionBasis::Valley, PickInValley(chatterMax + 1, fastest), chatterMax, fastest};
  return {SuggestionBasis::Overlap, current, chatterMax, fastest};
}

IntervalSuggestion SuggestRotReverse(const MouseRecording& recording, std::uint32_t current) {
  const InputStatistics& wheel = recording.Statistics(CheckedInput::Wheel);
  if (wheel.Downs + wheel.Ups < kMinWheelNotches) return NotEnough(current);
  std::vector<std::uint32_t> flips = SamplesOf(recording, CheckedInput::Wheel, IntervalColumn::DirectionChange);
  if (flips.empty()) return {SuggestionBasis::NoChatter, current, 0, 0};
  return SplitChatter(std::move(flips), current);
}

IntervalSuggestion NothingGoverned(std::uint32_t current) { return {SuggestionBasis::NotFiltered, current, 0, 0}; }

// A press held above the confirmation time passes; one let go before it is swallowed: the time
// lies between the longest phantom hold and the user's quickest press, as a bounce interval does.
IntervalSuggestion SuggestPressConfirm(const MouseRecording& recording, std::uint8_t hookType, std::uint32_t current) {
  std::vector<std::uint32_t> holds;
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    if ((hookType & kButtonSources[button]) == 0) continue;
    for (std::uint32_t hold : SamplesOf(recording, static_cast<CheckedInput>(button), IntervalColumn::Hold))
      holds.push_back(hold);
  }
  if (holds.size() < kMinButtonSamples) return NotEnough(current);
  IntervalSuggestion suggestion = SplitChatter(std::move(holds), current);
  suggestion.Value = std::clamp(suggestion.Value, kMinPressConfirmTime, kMaxPressConfirmTime);
  return suggestion;
}

}  // namespace

Suggestion SuggestIntervals(const MouseRecording& recording, const FilterInForce& filter,
                            std::uint32_t doubleClickTime) {
  Suggestion suggestion;
  // Which switched-on buttons follow the shared intervals, and which have their own.
  ButtonSet sharedUpDown = 0, sharedDbClick = 0;
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    const CheckedInput input = static_cast<CheckedInput>(button);
    const ColumnRule upDown = RuleOf(filter, input, IntervalColumn::Gap);
    const ColumnRule dbClick = RuleOf(filter, input, IntervalColumn::PressToPress);
    suggestion.OwnUpDown[button] = NothingGoverned(upDown.Interval);
    suggestion.OwnDbClick[button] = NothingGoverned(dbClick.Interval);
    if (!upDown.On) continue;
    if (upDown.Own) {
      suggestion.OwnUpDown[button] = SuggestUpDown(recording, ButtonSet(1u << button), upDown.Interval);
    } else {
      sharedUpDown |= ButtonSet(1u << button);
    }
    if (!dbClick.Own) sharedDbClick |= ButtonSet(1u << button);
  }
  suggestion.UpDown = sharedUpDown != 0 ? SuggestUpDown(recording, sharedUpDown, filter.Shared.UpDown)
                                        : NothingGoverned(filter.Shared.UpDown);

  std::uint32_t chatterGap[kCheckedButtonCount];
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    chatterGap[button] = ChatterGapOf(Holds(sharedUpDown, button) ? suggestion.UpDown : suggestion.OwnUpDown[button]);
  }
  for (int button = 0; button < kCheckedButtonCount; ++button) {
    const ColumnRule dbClick = RuleOf(filter, static_cast<CheckedInput>(button), IntervalColumn::PressToPress);
    if (dbClick.On && dbClick.Own) {
      suggestion.OwnDbClick[button] =
          SuggestDbClick(recording, ButtonSet(1u << button), chatterGap, dbClick.Interval, doubleClickTime);
    }
  }
  suggestion.DbClick = sharedDbClick != 0
                           ? SuggestDbClick(recording, sharedDbClick, chatterGap, filter.Shared.DbClick, doubleClickTime)
                           : NothingGoverned(filter.Shared.DbClick);
  suggestion.RotReverse = (filter.HookType & kSourceWheel) != 0
                              ? SuggestRotReverse(recording, filter.Shared.RotReverse)
                              : NothingGoverned(filter.Shared.RotReverse);
  suggestion.PressConfirm = filter.PressConfirmTime != 0
                                ? SuggestPressConfirm(recording, filter.HookType, filter.PressConfirmTime)
                                : NothingGoverned(kDefaultPressConfirmTime);
  return suggestion;
}

std::size_t ComposeReason(char16_t* buffer, std::size_t capacity, const IntervalSuggestion& suggestion,
                          const ReasonTexts& texts) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(texts.Label).Char(u' ');
  const auto milliseconds = [&](std::uint32_t value) { builder.Char(u' ').Decimal(value).Char(u' ').Text(texts.Unit); };
  switch (suggestion.Basis) {
    case SuggestionBasis::NotEnoughData: builder.Text(texts.NotEnough); return builder.Length();
    case SuggestionBasis::NotFiltered: builder.Text(texts.NotFiltered); return builder.Length();
    case SuggestionBasis::Valley:
      builder.Text(texts.ChatterUpTo);
      milliseconds(suggestion.ChatterMax);
      builder.Ascii(", ").Text(texts.Fastest);
      milliseconds(suggestion.Fastest);
      break;
    case SuggestionBasis::NoChatter:
      builder.Text(texts.NoChatter);
      if (suggestion.Fastest != 0) {
        builder.Ascii(", ").Text(texts.Fastest);
        milliseconds(suggestion.Fastest);
      }
      break;
    case SuggestionBasis::ChatterOnly:
      builder.Text(texts.ChatterUpTo);
      milliseconds(suggestion.ChatterMax);
      break;
    case SuggestionBasis::Overlap: builder.Text(texts.Overlap); break;
  }
  builder.Ascii(" ").Char(u'\u2192');
  milliseconds(suggestion.Value);
  return builder.Length();
}
