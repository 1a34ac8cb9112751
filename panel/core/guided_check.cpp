// The guided mouse check's steps (see guided_check.h).
#include "guided_check.h"

#include "interval_suggestion.h"

void GuidedCheck::Start(std::uint32_t doubleClickTime) noexcept {
  *this = GuidedCheck{};
  step_ = GuidedStep::SingleClicks;
  doubleClickTime_ = doubleClickTime;
}

bool GuidedCheck::Advance() noexcept {
  step_ = static_cast<GuidedStep>(static_cast<int>(step_) + 1);
  progress_ = 0;
  pairOpen_ = false;
  return true;
}

bool GuidedCheck::Feed(const MouseTransition& t) noexcept {
  if (step_ == GuidedStep::Off || step_ == GuidedStep::Done) return false;
  if (t.Input == CheckedInput::Wheel) {
    if (step_ == GuidedStep::Scroll) ++progress_;
    return false;
  }
  if (t.Input != CheckedInput::Left) return false;
  if (t.Kind == TransitionKind::Up) {
    const bool finishesDrag = step_ == GuidedStep::Drag && havePress_ && t.Tick - lastPress_ >= kGuidedDragMs;
    haveUp_ = true;
    lastUp_ = t.Tick;
    return finishesDrag && Advance();
  }
  // A press this soon after a release is a bounce, not a click.
  if (haveUp_ && t.Tick - lastUp_ <= kChatterCeilingMs) return false;
  const bool pairs = havePress_ && t.Tick - lastPress_ < doubleClickTime_;
  havePress_ = true;
  lastPress_ = t.Tick;
  switch (step_) {
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
