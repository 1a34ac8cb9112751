// The mouse check's recording: every physical transition of the five buttons and the wheel,
// the intervals measured between them (hold, gap, press to press, wheel direction change) on a
// logarithmic millisecond histogram, what the filter in force (its switches, each button's own
// or the shared intervals) would swallow of them, and the CSV form of each transition. Ticks are the platform's 32-bit millisecond ticks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

enum class CheckedInput : std::uint8_t { Left, Right, Middle, Side1, Side2, Wheel };
inline constexpr int kCheckedButtonCount = 5;
inline constexpr int kCheckedInputCount = 6;

// Down and Up for buttons; Forward (positive delta) and Backward for wheel notches.
enum class TransitionKind : std::uint8_t { Down, Up, Forward, Backward };

struct MouseTransition {
  std::uint32_t Tick;
  CheckedInput Input;
  TransitionKind Kind;
};

// One raw-input mouse report as transitions at tick: its button flags (the platform's
// RI_MOUSE_* bits: left down 0x0001, up 0x0002, right 0x0004/0x0008, middle 0x0010/0x0020,
// side buttons 0x0040/0x0080 and 0x0100/0x0200, wheel 0x0400) in that order, and a wheel notch
// when the wheel bit comes with a non-zero delta. Returns how many were written.
inline constexpr std::size_t kMaxTransitionsPerReport = 11;
std::size_t TransitionsFromRawReport(std::uint16_t buttonFlags, std::int16_t wheelDelta, std::uint32_t tick,
                                     MouseTransition (&out)[kMaxTransitionsPerReport]) noexcept;

// The measured intervals, one histogram column each. For the wheel only DirectionChange is
// measured: the time from a notch to the next notch in the other direction.
enum class IntervalColumn : std::uint8_t { Hold, Gap, PressToPress, DirectionChange };
inline constexpr int kIntervalColumnCount = 4;

// Logarithmic bins from 1 ms to 1 s on whole milliseconds: bin i holds [edge i, edge i + 1).
// 0 ms falls into the first bin; 1000 ms and more count as Beyond.
inline constexpr int kHistogramBinCount = 27;
inline constexpr std::uint16_t kHistogramEdges[kHistogramBinCount + 1] = {
    1,   2,   3,   4,   5,   6,   8,   10,  13,  16,  20,  25,  32,  40,
    50,  63,  79,  100, 126, 158, 200, 251, 316, 398, 501, 631, 794, 1000};
inline constexpr std::uint32_t kHistogramEndMs = 1000;
int HistogramBin(std::uint32_t milliseconds) noexcept;  // -1 for 1000 ms and more

struct Histogram {
  std::uint32_t Bins[kHistogramBinCount] = {};
  std::uint32_t Beyond = 0;
  std::uint32_t Total = 0;
  void Add(std::uint32_t milliseconds) noexcept;
  std::uint32_t Tallest() const noexcept;
};


struct InputStatistics {
  std::uint32_t Downs = 0;  // wheel: forward notches
  std::uint32_t Ups = 0;    // wheel: backward notches
  bool Pressed = false;
  Histogram Columns[kIntervalColumnCount];
  std::vector<std::uint32_t> Samples[kIntervalColumnCount];
  // Where the walk stands.
  bool HaveDown = false, HaveUp = false, HaveNotch = false, UpSinceDown = false;
  std::uint32_t LastDown = 0, LastUp = 0, LastNotch = 0;
  TransitionKind LastNotchKind = TransitionKind::Forward;
};

class MouseRecording {
 public:
  // About four hours of brisk clicking; beyond it the recording stops growing.
  static constexpr std::size_t kCapacity = 200000;

  // False (nothing recorded) once the recording is full, or for a kind that does not fit the
  // input (a wheel Down, a button Forward).
  bool Add(const MouseTransition& transition);
  void Clear();

  const std::vector<MouseTransition>& Transitions() const noexcept { return transitions_; }
  const InputStatistics& Statistics(CheckedInput input) const noexcept {
    return statistics_[static_cast<int>(input)];
  }

 private:
  std::vector<MouseTransition> transitions_;
  InputStatistics statistics_[kCheckedInputCount];
};

// The three filter intervals, in the order of the panel: button bounce, double click, wheel.
struct FilterIntervals {
  std::uint32_t UpDown;
  std::uint32_t DbClick;
  std::uint32_t RotReverse;
};

// The filter as it stands, as the mouse check predicts with it: the sources switched on
// (HookType bits), the shared intervals, and each button's own bounce and double-click
// intervals by ButtonIndex (kSharedButtonInterval: the shared one).
struct FilterInForce {
  std::uint8_t HookType = 0;
  FilterIntervals Shared = {};
  std::uint32_t OwnUpDown[kCheckedButtonCount] = {};
  std::uint32_t OwnDbClick[kCheckedButtonCount] = {};
  // Press confirmation's time; 0 while it is off. A press the rules would swallow while the
  // program has its button up passes when held this long.
  std::uint32_t PressConfirmTime = 0;
  bool operator==(const FilterInForce& other) const noexcept;
  bool operator!=(const FilterInForce& other) const noexcept { return !(*this == other); }
};

// What the filter judges one input's column by: whether the input is switched on, the interval
// in force (for a button its own one, or the shared one where it has none) and whether it is
// the button's own. Hold and Gap go by the bounce interval, PressToPress by the double-click
// interval, the wheel's DirectionChange by the wheel reversal interval.
struct ColumnRule {
  bool On;
  bool Own;
  std::uint32_t Interval;
};
ColumnRule RuleOf(const FilterInForce& filter, CheckedInput input, IntervalColumn column) noexcept;

// How many recorded transitions the filter would swallow, per input and per column: Hold
// counts releases (too soon after a press), Gap presses (too soon after a release),
// PressToPress double clicks and presses after them, DirectionChange wheel notches. The
// recording is run through the filter's own rules with the sources switched on in filter and
// each button's intervals in force; a press within doubleClickTime of the previous press of its
// button, as the window system makes it, arrives as a double click.
struct SwallowCounts {
  std::uint32_t Counts[kCheckedInputCount][kIntervalColumnCount] = {};
  std::uint32_t Total = 0;
};
SwallowCounts CountWouldSwallow(const std::vector<MouseTransition>& transitions, const FilterInForce& filter,
                                std::uint32_t doubleClickTime);

// "time_ms,input,event,gap_ms": the header line, and one line per transition with the time
// since the first transition and the gap since the previous transition of the same input
// (empty for its first). Lines end with CR LF; every text is ASCII.
inline constexpr std::size_t kCsvLineCapacity = 64;
std::size_t ComposeCsvHeader(char16_t* buffer, std::size_t capacity) noexcept;
std::size_t ComposeCsvLine(char16_t* buffer, std::size_t capacity, const MouseTransition& transition,
                           std::uint32_t firstTick, bool haveGap, std::uint32_t gap) noexcept;
// Every line of the recording, header first, handed one by one to write (a callable taking
// const char16_t* and its length); false as soon as write returns false.
template <typename Write>
bool ComposeCsv(const std::vector<MouseTransition>& transitions, Write&& write) {
  char16_t line[kCsvLineCapacity];
  if (!write(line, ComposeCsvHeader(line, kCsvLineCapacity))) return false;
  if (transitions.empty()) return true;
  bool seen[kCheckedInputCount] = {};
  std::uint32_t last[kCheckedInputCount] = {};
  for (const MouseTransition& t : transitions) {
    const int input = static_cast<int>(t.Input);
    const std::size_t length = ComposeCsvLine(line, kCsvLineCapacity, t, transitions.front().Tick, seen[input],
                                              t.Tick - last[input]);
    seen[input] = true;
    last[input] = t.Tick;
    if (!write(line, length)) return false;
  }
  return true;
}
