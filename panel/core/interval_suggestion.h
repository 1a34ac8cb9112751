// Suggested filter intervals from a mouse check's recording: per interval, a value in the
// valley between the chatter cluster (gaps of a few milliseconds) and the user's own fastest
// deliberate action, with what it was based on, and the one-line reason shown to the user.
#pragma once
#include <cstddef>
#include <cstdint>

#include "mouse_recording.h"

// Chatter is never longer than this; anything longer is taken for the user's own doing.
inline constexpr std::uint32_t kChatterCeilingMs = 25;
// A valley: the fastest deliberate value at least this many times the longest chatter;
// closer, the two overlap and nothing is suggested.
inline constexpr std::uint32_t kValleyRatio = 2;
// Data needed before anything is suggested.
inline constexpr std::size_t kMinButtonSamples = 8;       // holds and gaps: four clicks
inline constexpr std::size_t kMinDoubleClicks = 3;        // deliberate double clicks
inline constexpr std::uint32_t kMinWheelNotches = 8;

enum class SuggestionBasis : std::uint8_t {
  NotEnoughData,  // Value is the current interval
  Valley,         // chatter up to ChatterMax, fastest deliberate Fastest: Value between them
  NoChatter,      // no chatter; Fastest deliberate (0: none seen): Value keeps clear of it
  ChatterOnly,    // chatter up to ChatterMax, nothing deliberate to keep clear of
  Overlap,        // chatter and deliberate values overlap: Value is the current interval
  NotFiltered,    // the interval governs no input that is switched on: Value is the current one
};

struct IntervalSuggestion {
  SuggestionBasis Basis = SuggestionBasis::NotEnoughData;
  std::uint32_t Value = 0;
  std::uint32_t ChatterMax = 0;
  std::uint32_t Fastest = 0;
  // Based on recorded data: "Use these" applies it.
  bool HasData() const noexcept {
    return Basis != SuggestionBasis::NotEnoughData && Basis != SuggestionBasis::NotFiltered;
  }
};

// One suggestion per interval in force, each from the data of the inputs it governs: the shared
// bounce and double-click intervals from the switched-on buttons without an own value of their
// own, a button's own interval from that button alone, the wheel reversal from the wheel. A
// button's own interval is never folded into the shared one, nor a shared one split per
// button: the user chose which buttons share, and the suggestion keeps to it.
struct Suggestion {
  IntervalSuggestion UpDown, DbClick, RotReverse;
  // By ButtonIndex; NotFiltered where the button has no own value or is switched off.
  IntervalSuggestion OwnUpDown[kCheckedButtonCount], OwnDbClick[kCheckedButtonCount];
  // PressConfirmTime, from the holds of the switched-on buttons: a phantom press's (chatter)
  // against the user's own quickest; NotFiltered while press confirmation is off. Always within
  // the key's range.
  IntervalSuggestion PressConfirm;
};

// filter: the filter in force (which inputs are on, which intervals govern them; a value stays
// as it is where the data says nothing); doubleClickTime: the window system's, which bounds
// what counts as a double click.
Suggestion SuggestIntervals(const MouseRecording& recording, const FilterInForce& filter,
                            std::uint32_t doubleClickTime);

// The language texts of a reason line.
struct ReasonTexts {
  const char16_t* Label;        // "Button bounce:"
  const char16_t* ChatterUpTo;  // "chatter up to"
  const char16_t* Fastest;      // "your fastest click"
  const char16_t* NoChatter;    // "no chatter"
  const char16_t* Overlap;      // "chatter and your own input overlap"
  const char16_t* NotEnough;    // "not enough data"
  const char16_t* NotFiltered;  // "not filtered"
  const char16_t* Unit;         // "ms"
};
// "<label> chatter up to 14 ms, your fastest click 62 ms → 30 ms", and the shorter forms of the
// other bases; "<label> not enough data", "<label> not filtered".
inline constexpr std::size_t kReasonCapacity = 512;
std::size_t ComposeReason(char16_t* buffer, std::size_t capacity, const IntervalSuggestion& suggestion,
                          const ReasonTexts& texts) noexcept;
