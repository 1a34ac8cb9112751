// The mouse check's guided mode: five single clicks, five double clicks, a two-second drag and
// a scroll-and-stop with the left button and the wheel, then a short step per other button the
// filter watches (five clicks, and five double clicks where the button has its own double-click
// interval), one after another, each step recognised from the recorded transitions of its
// input. Bounces do not count as clicks.
#pragma once
#include <cstdint>

#include "interval_suggestion.h"
#include "mouse_recording.h"

enum class GuidedStep : std::uint8_t { Off, SingleClicks, DoubleClicks, Drag, Scroll, Done };

inline constexpr std::uint32_t kGuidedClicks = 5;
inline constexpr std::uint32_t kGuidedDragMs = 1800;       // "two seconds", with some slack
inline constexpr std::uint32_t kGuidedScrollNotches = 5;   // before a stop counts
inline constexpr std::uint32_t kGuidedScrollStopMs = 700;  // no notch for this long: stopped
// The left button's four steps, two per other button, and Done.
inline constexpr int kMaxGuidedSteps = 4 + 2 * (kCheckedButtonCount - 1) + 1;

class GuidedCheck {
 public:
  // The steps follow the filter in force: a step for each button it watches beside the left.
  void Start(std::uint32_t doubleClickTime, const FilterInForce& filter) noexcept;
  void Stop() noexcept { *this = GuidedCheck{}; }
  // True when the transition finished a step.
  bool Feed(const MouseTransition& transition) noexcept;
  // The wheel has been still for kGuidedScrollStopMs; true when that finished the scroll step.
  bool WheelStopped() noexcept;
  // In the scroll step with enough notches: the platform should time the stop.
  bool AwaitingWheelStop() const noexcept {
    return Step() == GuidedStep::Scroll && progress_ >= kGuidedScrollNotches;
  }
  GuidedStep Step() const noexcept { return steps_[index_].Step; }
  // The button of a clicks step (the left one for the first four steps).
  CheckedInput Button() const noexcept { return steps_[index_].Button; }
  // A step beyond the left button's four: the platform names its button.
  bool ExtraStep() const noexcept { return index_ > 4 && Step() != GuidedStep::Done; }
  std::uint32_t Progress() const noexcept { return progress_; }  // clicks, double clicks, notches

 private:
  struct Entry {
    GuidedStep Step;
    CheckedInput Button;
  };
  bool Advance() noexcept;

  Entry steps_[kMaxGuidedSteps] = {};  // steps_[0] is Off
  int index_ = 0;
  std::uint32_t progress_ = 0;
  std::uint32_t doubleClickTime_ = 500;
  bool haveUp_ = false, havePress_ = false, pairOpen_ = false;
  std::uint32_t lastUp_ = 0, lastPress_ = 0;
};

// The inputs whose promised suggestion still lacks data once the steps are through, one bit per
// CheckedInput (1 << input): the left button for the shared button intervals it measures, the
// wheel for its reversal, a button for its own intervals. 0: every suggestion has its data.
std::uint32_t InputsLackingData(const Suggestion& suggestion) noexcept;
