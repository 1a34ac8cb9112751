// The guided mouse check's steps (see guided_check.h).
#include "guided_check.h"

void GuidedCheck::Start(std::uint32_t doubleClickTime, const FilterInForce& filter) noexcept {
  *this = GuidedCheck{};
  int count = 1;
  const auto add = [&](GuidedStep step, CheckedInput button) { steps_[count++] = {step, button}; };
  add(GuidedStep::SingleClicks, CheckedInput::Left);
  add(GuidedStep::DoubleClicks, CheckedInput::Left);
  add(GuidedStep::Drag, CheckedInput::Left);
  add(GuidedStep::Scroll, CheckedInput::Wheel);
  for (int b = 1; b < kCheckedButtonCount; ++b) {
    const CheckedInput button = static_cast<CheckedInput>(b);
    if (!RuleOf(filter, button, IntervalColumn::Gap).On) continue;
    add(GuidedStep::SingleClicks, button);
    if (RuleOf(filter, button, IntervalColumn::PressToPress).Own) add(GuidedStep::DoubleClicks, button);
  }
  add(GuidedStep::Done, CheckedInput::Left);
  index_ = 1;
  doubleClickTime_ = doubleClickTime;
}

bool GuidedCheck::Advance() noexcept {
  ++index_;
  progress_ = 0;
  // A press of the previous step never pairs with one of this step; the bounce guard stays.
  havePress_ = pairOpen_ = false;
  return true;
}

bool GuidedCheck::Feed(const MouseTransition& t) noexcept {
  const GuidedStep step = Step();
  if (step == GuidedStep::Off || step == GuidedStep::Done) return false;
  if (t.Input == CheckedInput::Wheel) {
    if (step == GuidedStep::Scroll) ++progress_;
    return false;
  }
  if (t.Input != Button()) return false;
  if (t.Kind == TransitionKind::Up) {
    const bool finishesDrag = step == GuidedStep::Drag && havePress_ && t.Tick - lastPress_ >= kGuidedDragMs;
    haveUp_ = true;
    lastUp_ = t.Tick;
    return finishesDrag && Advance();
  }
  // A press this soon after a release is a bounce, not a click.
  if (haveUp_ && t.Tick - lastUp_ <= kChatterCeilingMs) return false;
  const bool pairs = havePress_ && t.Tick - lastPress_ < doubleClickTime_;
  havePress_ = true;
  lastPress_ = t.Tick;
  switch (step) {
    case GuidedStep::SingleClicks:
      return ++progress_ >= kGuidedClicks && Advance();
    case GuidedStep::DoubleClicks:
      // The second press of a pair completes a double click; the next press opens a new pair.
      if (pairOpen_ && pairs) {
        pairOpen_ = false;
        return ++progress_ >= kGuidedClicks && Advance();
      }
      pairOpen_ = true;
      return false;
    default: return false;
  }
}

bool GuidedCheck::WheelStopped() noexcept { return AwaitingWheelStop() && Advance(); }

std::uint32_t InputsLackingData(const Suggestion& suggestion) noexcept {
  const auto lacks = [](const IntervalSuggestion& s) { return s.Basis == SuggestionBasis::NotEnoughData; };
  std::uint32_t inputs = 0;
  if (lacks(suggestion.UpDown) || lacks(suggestion.DbClick)) inputs |= 1u << static_cast<int>(CheckedInput::Left);
  if (lacks(suggestion.RotReverse)) inputs |= 1u << static_cast<int>(CheckedInput::Wheel);
  for (int b = 0; b < kCheckedButtonCount; ++b)
    if (lacks(suggestion.OwnUpDown[b]) || lacks(suggestion.OwnDbClick[b])) inputs |= 1u << b;
  return inputs;
}
