// The mouse check's guided mode: five single clicks, five double clicks, a two-second drag and
// a scroll-and-stop, one after another, each step recognised from the recorded transitions of
// the left button and the wheel. Bounces do not count as clicks.
#pragma once
#include <cstdint>

#include "mouse_recording.h"

enum class GuidedStep : std::uint8_t { Off, SingleClicks, DoubleClicks, Drag, Scroll, Done };

inline constexpr std::uint32_t kGuidedClicks = 5;
inline constexpr std::uint32_t kGuidedDragMs = 1800;       // "two seconds", with some slack
inline constexpr std::uint32_t kGuidedScrollNotches = 5;   // before a stop counts
inline constexpr std::uint32_t kGuidedScrollStopMs = 700;  // no notch for this long: stopped

class GuidedCheck {
 public:
  void Start(std::uint32_t doubleClickTime) noexcept;
  void Stop() noexcept { *this = GuidedCheck{}; }
  // True when the transition finished a step.
  bool Feed(const MouseTransition& transition) noexcept;
  // The wheel has been still for kGuidedScrollStopMs; true when that finished the scroll step.
  bool WheelStopped() noexcept;
  // In the scroll step with enough notches: the platform should time the stop.
  bool AwaitingWheelStop() const noexcept {
    return step_ == GuidedStep::Scroll && progress_ >= kGuidedScrollNotches;
  }
  GuidedStep Step() const noexcept { return step_; }
  std::uint32_t Progress() const noexcept { return progress_; }  // clicks, double clicks, notches

 private:
  bool Advance() noexcept;

  GuidedStep step_ = GuidedStep::Off;
  std::uint32_t progress_ = 0;
  std::uint32_t doubleClickTime_ = 500;
  bool haveUp_ = false, havePress_ = false, pairOpen_ = false;
  std::uint32_t lastUp_ = 0, lastPress_ = 0;
};
