// The mouse check's core: recording statistics and histogram bins, what the filter would
// swallow, the suggested intervals from synthetic recordings, reason lines, CSV lines and the
// guided check's steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "guided_check.h"
#include "interval_suggestion.h"
#include "latchkin_contract.h"
#include "mouse_recording.h"

namespace {

constexpr FilterIntervals kDefaults = {kDefaultUpDownIntervalTime, kDefaultDbClickIntervalTime,
                                       kDefaultRotReverseIntervalTime};
constexpr std::uint32_t kDoubleClickTime = 500;
constexpr std::uint8_t kThreeSources = kSourceLeftButton | kSourceRightButton | kSourceWheel;
using Kind = TransitionKind;

// The filter in force: the shared intervals, the sources switched on, and own intervals given
// by Own(button, upDown, dbClick) (0: the shared one).
struct Filter {
  FilterInForce value;
  explicit Filter(FilterIntervals shared = kDefaults, std::uint8_t hookType = kThreeSources) {
    value.HookType = hookType;
    value.Shared = shared;
  }
  Filter& Own(CheckedInput button, std::uint32_t upDown, std::uint32_t dbClick) {
    value.OwnUpDown[static_cast<int>(button)] = upDown;
    value.OwnDbClick[static_cast<int>(button)] = dbClick;
    return *this;
  }
  Filter& Confirm(std::uint32_t pressConfirmTime) {
    value.PressConfirmTime = pressConfirmTime;
    return *this;
  }
  Filter& On(std::uint8_t sources) {
    value.HookType |= sources;
    return *this;
  }
  Filter& Off(std::uint8_t sources) {
    value.HookType &= static_cast<std::uint8_t>(~sources);
    return *this;
  }
  operator const FilterInForce&() const { return value; }
};

// Builds a synthetic recording; a start tick near the wrap checks the unsigned differences.
struct Script {
  std::vector<MouseTransition> events;
  std::uint32_t now = 0xFFFFF000u;

  Script& At(std::uint32_t delay, CheckedInput input, Kind kind) {
    now += delay;
    events.push_back({now, input, kind});
    return *this;
  }
  // A click held `hold` ms; with bounce > 0 the switch bounces that long after the release
  // (a 2 ms spurious press); then a pause of `pause` ms before whatever follows.
  Script& Click(std::uint32_t hold, std::uint32_t bounce, std::uint32_t pause,
                CheckedInput button = CheckedInput::Left) {
    At(0, button, Kind::Down).At(hold, button, Kind::Up);
    if (bounce > 0) At(bounce, button, Kind::Down).At(2, button, Kind::Up);
    now += pause;
    return *this;
  }
  Script& Notches(int count, Kind kind, std::uint32_t spacing) {
    for (int i = 0; i < count; ++i) At(spacing, CheckedInput::Wheel, kind);
    return *this;
  }
  MouseRecording Recording() const {
    MouseRecording recording;
    for (const MouseTransition& t : events) EXPECT_TRUE(recording.Add(t));
    return recording;
  }
};

TEST(MouseCheck, HistogramBins) {
  struct Row { std::uint32_t ms; int bin; };
  const Row rows[] = {{0, 0}, {1, 0}, {2, 1}, {7, 5}, {8, 6}, {39, 12}, {40, 13}, {999, 26}, {1000, -1},
                      {4294967295u, -1}};
  for (const Row& row : rows) EXPECT_EQ(HistogramBin(row.ms), row.bin) << row.ms << " ms";
  for (int i = 0; i < kHistogramBinCount; ++i) EXPECT_LT(kHistogramEdges[i], kHistogramEdges[i + 1]);
}

TEST(MouseCheck, RawReports) {
  struct Row { const char* name; std::uint16_t flags; std::int16_t delta; std::vector<std::pair<CheckedInput, Kind>> expected; };
  const Row rows[] = {
      {"left down", 0x0001, 0, {{CheckedInput::Left, Kind::Down}}},
      {"right up", 0x0008, 0, {{CheckedInput::Right, Kind::Up}}},
      {"middle and both side buttons", 0x0010 | 0x0080 | 0x0100, 0,
       {{CheckedInput::Middle, Kind::Down}, {CheckedInput::Side1, Kind::Up}, {CheckedInput::Side2, Kind::Down}}},
      {"wheel towards the user", 0x0400, -120, {{CheckedInput::Wheel, Kind::Backward}}},
      {"wheel with a zero delta", 0x0400, 0, {}},
      {"horizontal wheel is no notch", 0x0800, 120, {}},
      {"a move", 0, 0, {}},
      {"everything at once", 0x07FF, 240,
       {{CheckedInput::Left, Kind::Down}, {CheckedInput::Left, Kind::Up}, {CheckedInput::Right, Kind::Down},
        {CheckedInput::Right, Kind::Up}, {CheckedInput::Middle, Kind::Down}, {CheckedInput::Middle, Kind::Up},
        {CheckedInput::Side1, Kind::Down}, {CheckedInput::Side1, Kind::Up}, {CheckedInput::Side2, Kind::Down},
        {CheckedInput::Side2, Kind::Up}, {CheckedInput::Wheel, Kind::Forward}}},
  };
  for (const Row& row : rows) {
    MouseTransition out[kMaxTransitionsPerReport];
    const std::size_t count = TransitionsFromRawReport(row.flags, row.delta, 77, out);
    ASSERT_EQ(count, row.expected.size()) << row.name;
    for (std::size_t i = 0; i < count; ++i) {
      EXPECT_EQ(out[i].Tick, 77u) << row.name;
      EXPECT_EQ(out[i].Input, row.expected[i].first) << row.name << " #" << i;
      EXPECT_EQ(out[i].Kind, row.expected[i].second) << row.name << " #" << i;
    }
  }
}

TEST(MouseCheck, RecordingStatistics) {
  Script s;
  s.At(0, CheckedInput::Left, Kind::Up)          // released before the recording: no hold
      .At(100, CheckedInput::Left, Kind::Down)   // gap 100
      .At(90, CheckedInput::Left, Kind::Up)      // hold 90
      .At(5, CheckedInput::Left, Kind::Down)     // gap 5, press to press 95
      .At(2000, CheckedInput::Middle, Kind::Down)
      .At(1500, CheckedInput::Middle, Kind::Up)  // hold beyond the axis
      .At(10, CheckedInput::Wheel, Kind::Forward)
      .At(10, CheckedInput::Wheel, Kind::Forward)
      .At(7, CheckedInput::Wheel, Kind::Backward)  // direction change 7
      .At(300, CheckedInput::Wheel, Kind::Forward);  // direction change 300
  const MouseRecording recording = s.Recording();
  const InputStatistics& left = recording.Statistics(CheckedInput::Left);
  EXPECT_EQ(left.Downs, 2u);
  EXPECT_EQ(left.Ups, 2u);
  EXPECT_TRUE(left.Pressed);
  const auto samples = [&](CheckedInput input, IntervalColumn column) {
    return recording.Statistics(input).Samples[static_cast<int>(column)];
  };
  EXPECT_EQ(samples(CheckedInput::Left, IntervalColumn::Hold), std::vector<std::uint32_t>{90});
  EXPECT_EQ(samples(CheckedInput::Left, IntervalColumn::Gap), (std::vector<std::uint32_t>{100, 5}));
  EXPECT_EQ(samples(CheckedInput::Left, IntervalColumn::PressToPress), std::vector<std::uint32_t>{95});
  EXPECT_EQ(recording.Statistics(CheckedInput::Middle).Columns[0].Beyond, 1u);
  EXPECT_EQ(samples(CheckedInput::Wheel, IntervalColumn::DirectionChange), (std::vector<std::uint32_t>{7, 300}));
  EXPECT_EQ(recording.Statistics(CheckedInput::Wheel).Downs, 3u);

  MouseRecording copy = recording;
  EXPECT_FALSE(copy.Add({0, CheckedInput::Wheel, Kind::Down})) << "a wheel has no buttons";
  EXPECT_FALSE(copy.Add({0, CheckedInput::Right, Kind::Forward})) << "a button has no notches";
  copy.Clear();
  EXPECT_TRUE(copy.Transitions().empty());
  EXPECT_EQ(copy.Statistics(CheckedInput::Left).Columns[0].Total, 0u);
}

TEST(MouseCheck, WouldSwallowAtIntervals) {
  struct Row {
    const char* name;
    Script script;
    Filter filter;
    CheckedInput input;
    IntervalColumn column;
    std::uint32_t expected;
  };
  using C = CheckedInput;
  const Row rows[] = {
      {"bounce press 39 ms after a release", Script().Click(600, 39, 900), Filter(), C::Left, IntervalColumn::Gap, 1},
      {"bounce press 40 ms after a release passes", Script().Click(600, 40, 900), Filter(), C::Left,
       IntervalColumn::Gap, 0},
      // Within the double-click time the bounce is a double click, judged by its own rule.
      {"bounce press 39 ms after a 100 ms hold", Script().Click(100, 39, 900), Filter(), C::Left, IntervalColumn::Gap,
       0},
      {"early release 39 ms after a press", Script().Click(39, 0, 900), Filter(), C::Right, IntervalColumn::Hold, 0},
      {"early right release", Script().Click(39, 0, 900, C::Right), Filter(), C::Right, IntervalColumn::Hold, 1},
      // A bounce 60 ms after a 100 ms hold is a double click 160 ms after the press.
      {"bounce turned double click", Script().Click(100, 60, 900), Filter(), C::Left, IntervalColumn::PressToPress, 1},
      {"same at a shorter double-click interval", Script().Click(100, 60, 900), Filter({40, 150, 40}), C::Left,
       IntervalColumn::PressToPress, 0},
      {"wheel flips", Script().Notches(3, Kind::Forward, 20).Notches(1, Kind::Backward, 8).Notches(2, Kind::Forward, 9),
       Filter(), C::Wheel, IntervalColumn::DirectionChange, 1},
      // The sources as switched: off, nothing of theirs is swallowed.
      {"middle button switched off", Script().Click(100, 5, 900, C::Middle), Filter(), C::Middle,
       IntervalColumn::PressToPress, 0},
      {"middle button switched on, shared interval", Script().Click(100, 5, 900, C::Middle),
       Filter().On(kSourceMiddleButton), C::Middle, IntervalColumn::PressToPress, 1},
      {"left button switched off", Script().Click(600, 39, 900), Filter().Off(kSourceLeftButton), C::Left,
       IntervalColumn::Gap, 0},
      {"wheel switched off", Script().Notches(3, Kind::Forward, 20).Notches(1, Kind::Backward, 8),
       Filter().Off(kSourceWheel), C::Wheel, IntervalColumn::DirectionChange, 0},
      // A button's own intervals, at interval and interval + 1 (the press comes 105 ms, the
      // bounce 39 ms after what it follows).
      {"middle, own double click 105 ms", Script().Click(100, 5, 900, C::Middle),
       Filter().On(kSourceMiddleButton).Own(C::Middle, 0, 105), C::Middle, IntervalColumn::PressToPress, 0},
      {"middle, own double click 106 ms", Script().Click(100, 5, 900, C::Middle),
       Filter().On(kSourceMiddleButton).Own(C::Middle, 0, 106), C::Middle, IntervalColumn::PressToPress, 1},
      {"side 2, own bounce 39 ms under a shared 40", Script().Click(600, 39, 900, C::Side2),
       Filter().On(kSourceXButton2).Own(C::Side2, 39, 0), C::Side2, IntervalColumn::Gap, 0},
      {"side 2, own bounce 40 ms", Script().Click(600, 39, 900, C::Side2),
       Filter({20, 170, 40}).On(kSourceXButton2).Own(C::Side2, 40, 0), C::Side2, IntervalColumn::Gap, 1},
      {"side 1 with its own interval, switched off", Script().Click(600, 39, 900, C::Side1),
       Filter().Own(C::Side1, 100, 0), C::Side1, IntervalColumn::Gap, 0},
      {"right keeps the shared interval beside an own left one", Script().Click(600, 39, 900, C::Right),
       Filter().Own(C::Left, 30, 0), C::Right, IntervalColumn::Gap, 1},
      {"left, own bounce 30 ms", Script().Click(600, 39, 900), Filter().Own(C::Left, 30, 0), C::Left,
       IntervalColumn::Gap, 0},
      // Press confirmation: a quick double click's second press held 60 ms passes; a phantom
      // held 2 ms, or any bounce inside a press the program has down, is swallowed.
      {"quick double click, confirmation on", Script().Click(60, 0, 70).Click(60, 0, 900), Filter().Confirm(20),
       C::Left, IntervalColumn::PressToPress, 0},
      {"quick double click, confirmation off", Script().Click(60, 0, 70).Click(60, 0, 900), Filter(), C::Left,
       IntervalColumn::PressToPress, 1},
      {"phantom press held 2 ms, confirmation on", Script().Click(600, 39, 900), Filter().Confirm(20), C::Left,
       IntervalColumn::Gap, 1},
  };
  for (const Row& row : rows) {
    const SwallowCounts counts = CountWouldSwallow(row.script.events, row.filter, kDoubleClickTime);
    EXPECT_EQ(counts.Counts[static_cast<int>(row.input)][static_cast<int>(row.column)], row.expected) << row.name;
  }
}

// PressConfirmTime between a phantom press's hold (2 ms, after each click) and the user's own
// quickest (60 ms); nothing while confirmation is off.
TEST(MouseCheck, PressConfirmTimeFromPhantomHoldsAgainstTheUsersOwn) {
  Script phantoms, clean;
  for (std::uint32_t i = 0; i < 8; ++i) phantoms.Click(60 + i, 5, 900), clean.Click(30 + i, 0, 900);
  struct Row { const char* name; Script script; Filter filter; SuggestionBasis basis; std::uint32_t value; };
  const Row rows[] = {
      {"phantoms after clicks held 60-65 ms", phantoms, Filter().Confirm(20), SuggestionBasis::Valley, 15},
      {"holds of 30-37 ms, no phantom: kept clear of the quickest", clean, Filter().Confirm(20),
       SuggestionBasis::NoChatter, 15},
      {"confirmation off", phantoms, Filter(), SuggestionBasis::NotFiltered, kDefaultPressConfirmTime},
  };
  for (const Row& row : rows) {
    const IntervalSuggestion s = SuggestIntervals(row.script.Recording(), row.filter, kDoubleClickTime).PressConfirm;
    EXPECT_EQ(s.Basis, row.basis) << row.name;
    EXPECT_EQ(s.Value, row.value) << row.name;
  }
}

TEST(MouseCheck, RuleOfEachInputAndColumn) {
  struct Row {
    const char* name;
    Filter filter;
    CheckedInput input;
    IntervalColumn column;
    ColumnRule expected;
  };
  using C = CheckedInput;
  using I = IntervalColumn;
  const Row rows[] = {
      {"left hold, shared", Filter(), C::Left, I::Hold, {true, false, 40}},
      {"left press to press, shared", Filter(), C::Left, I::PressToPress, {true, false, 170}},
      {"right gap, own", Filter().Own(C::Right, 25, 0), C::Right, I::Gap, {true, true, 25}},
      {"right press to press beside an own bounce", Filter().Own(C::Right, 25, 0), C::Right, I::PressToPress,
       {true, false, 170}},
      {"middle, switched off, shared", Filter(), C::Middle, I::Gap, {false, false, 40}},
      {"middle, on, own double click", Filter().On(kSourceMiddleButton).Own(C::Middle, 0, 9999), C::Middle,
       I::PressToPress, {true, true, 9999}},
      {"side 1, own bounce, switched off", Filter().Own(C::Side1, 60, 0), C::Side1, I::Hold, {false, true, 60}},
      {"side 2 on", Filter({30, 200, 50}).On(kSourceXButton2), C::Side2, I::Hold, {true, false, 30}},
      {"wheel", Filter({30, 200, 50}), C::Wheel, I::DirectionChange, {true, false, 50}},
      {"wheel switched off", Filter().Off(kSourceWheel), C::Wheel, I::DirectionChange, {false, false, 40}},
  };
  for (const Row& row : rows) {
    const ColumnRule rule = RuleOf(row.filter, row.input, row.column);
    EXPECT_EQ(rule.On, row.expected.On) << row.name;
    EXPECT_EQ(rule.Own, row.expected.Own) << row.name;
    EXPECT_EQ(rule.Interval, row.expected.Interval) << row.name;
  }
  EXPECT_TRUE(Filter().value == Filter().value);
  EXPECT_FALSE(Filter().value == Filter().Own(C::Side2, 0, 1).value) << "an own interval is a change";
  EXPECT_FALSE(Filter().value == Filter().On(kSourceMiddleButton).value) << "a switch is a change";
}

struct Expected {
  SuggestionBasis basis;
  std::uint32_t low, high;  // the value lies in [low, high]
};

TEST(MouseCheck, SuggestionsFromSyntheticRecordings) {
  // A button's own intervals, where the filter gives it some: its suggestions.
  struct Own {
    CheckedInput button;
    Expected upDown, dbClick;
  };
  struct Row {
    const char* name;
    Script script;
    Expected upDown, dbClick, rotReverse;
    Filter filter = Filter();
    std::vector<Own> own = {};
  };
  const auto chatterOnly = [](CheckedInput button = CheckedInput::Left) {
    Script s;
    for (int i = 0; i < 10; ++i) s.Click(100, 4, 1000, button);
    return s;
  };
  // A worn middle button beside a clean left one.
  const auto wornMiddle = [] {
    Script s;
    for (int i = 0; i < 5; ++i) s.Click(80, 0, 700).Click(90, 3, 700, CheckedInput::Middle);
    for (int i = 0; i < 4; ++i) s.Click(70, 0, 60, CheckedInput::Middle).Click(70, 2, 1000, CheckedInput::Middle);
    return s;
  };
  const auto cleanMouse = [] {
    Script s;
    for (int i = 0; i < 6; ++i) s.Click(80, 0, 700);
    for (int i = 0; i < 4; ++i) s.Click(70, 0, 60).Click(70, 0, 1000);
    return s.Notches(10, Kind::Forward, 40);
  };
  const auto heavyChatterFastClicker = [] {
    Script s;
    for (int i = 0; i < 8; ++i) {
      // A bounce right after the press too: released 2 ms in, pressed again 3 ms later.
      s.At(0, CheckedInput::Left, Kind::Down).At(2, CheckedInput::Left, Kind::Up).At(3, CheckedInput::Left, Kind::Down);
      s.At(35 + i % 3 * 5, CheckedInput::Left, Kind::Up).At(3 + i % 5 * 3, CheckedInput::Left, Kind::Down);
      s.At(2, CheckedInput::Left, Kind::Up);
      s.now += 50;  // a fast double click: the second click 50 ms after the bounce
      s.Click(40, 10, 1000);
    }
    return s;
  };
  const auto wheelFlips = [] {
    Script s;
    for (int i = 0; i < 6; ++i) {
      s.now += 300;  // a deliberate turn back
      s.Notches(5, Kind::Forward, 30).Notches(1, Kind::Backward, 8);  // flips back and forth
      s.Notches(3, Kind::Forward, 22);
      s.Notches(4, Kind::Backward, 300);  // a deliberate turn
    }
    return s;
  };
  // Bounces spread up to just under the ceiling, one of them late: all of them are chatter.
  const auto lateBounce = [] {
    Script s;
    for (std::uint32_t i = 0; i < 6; ++i) s.Click(90 + i, i == 3 ? 24 : 1 + i, 900);
    return s;
  };
  // Bounces and holds meet around the ceiling: nothing to suggest but the current value.
  const auto overlapping = [] {
    Script s;
    for (std::uint32_t i = 0; i < 6; ++i) s.Click(28 + i, 20 + i, 900);
    return s;
  };
  const auto tooFew = [] { return Script().Click(100, 4, 800).Click(100, 0, 800).Notches(5, Kind::Forward, 30); };

  using B = SuggestionBasis;
  const Row rows[] = {
      {"chatter only", chatterOnly(), {B::Valley, 5, 100}, {B::NotEnoughData, 170, 170}, {B::NotEnoughData, 40, 40}},
      {"clean mouse", cleanMouse(), {B::NoChatter, 30, 30}, {B::NoChatter, 65, 65}, {B::NoChatter, 40, 40}},
      {"heavy chatter, fast clicker", heavyChatterFastClicker(), {B::Valley, 16, 35}, {B::Valley, 60, 90},
       {B::NotEnoughData, 40, 40}},
      {"wheel flips", wheelFlips(), {B::NotEnoughData, 40, 40}, {B::NotEnoughData, 170, 170}, {B::Valley, 23, 300}},
      {"late bounce under the ceiling", lateBounce(), {B::Valley, 25, 90}, {B::NotEnoughData, 170, 170},
       {B::NotEnoughData, 40, 40}},
      {"chatter and clicks overlap", overlapping(), {B::Overlap, 40, 40}, {B::NotEnoughData, 170, 170},
       {B::NotEnoughData, 40, 40}},
      {"too few events", tooFew(), {B::NotEnoughData, 40, 40}, {B::NotEnoughData, 170, 170},
       {B::NotEnoughData, 40, 40}},
      // Each interval from the inputs it governs, as switched.
      {"middle chatter, middle switched off", chatterOnly(CheckedInput::Middle), {B::NotEnoughData, 40, 40},
       {B::NotEnoughData, 170, 170}, {B::NotEnoughData, 40, 40}},
      {"middle chatter, middle on the shared intervals", chatterOnly(CheckedInput::Middle), {B::Valley, 5, 100},
       {B::NotEnoughData, 170, 170}, {B::NotEnoughData, 40, 40}, Filter().On(kSourceMiddleButton)},
      {"worn middle button with its own intervals", wornMiddle(), {B::NoChatter, 35, 40}, {B::NotEnoughData, 170, 170},
       {B::NotEnoughData, 40, 40}, Filter({40, 170, 40}).On(kSourceMiddleButton).Own(CheckedInput::Middle, 60, 200),
       {{CheckedInput::Middle, {B::Valley, 4, 60}, {B::Valley, 94, 130}}}},
      {"own double click only: the bounce stays shared", wornMiddle(), {B::Valley, 4, 35},
       {B::NotEnoughData, 170, 170}, {B::NotEnoughData, 40, 40},
       Filter().On(kSourceMiddleButton).Own(CheckedInput::Middle, 0, 150),
       {{CheckedInput::Middle, {B::NotFiltered, 40, 40}, {B::Valley, 94, 130}}}},
      {"own intervals of a switched-off button", wornMiddle(), {B::NoChatter, 35, 40}, {B::NotEnoughData, 170, 170},
       {B::NotEnoughData, 40, 40}, Filter().Own(CheckedInput::Middle, 60, 200),
       {{CheckedInput::Middle, {B::NotFiltered, 60, 60}, {B::NotFiltered, 200, 200}}}},
      {"nothing switched on", cleanMouse(), {B::NotFiltered, 40, 40}, {B::NotFiltered, 170, 170},
       {B::NotFiltered, 40, 40}, Filter(kDefaults, 0)},
  };
  for (const Row& row : rows) {
    const Suggestion suggestion = SuggestIntervals(row.script.Recording(), row.filter, kDoubleClickTime);
    std::vector<std::pair<const IntervalSuggestion*, Expected>> pairs = {
        {&suggestion.UpDown, row.upDown}, {&suggestion.DbClick, row.dbClick}, {&suggestion.RotReverse, row.rotReverse}};
    std::vector<std::string> names = {"bounce", "double click", "wheel"};
    // Every button's own pair: as the row expects, or nothing governed.
    for (int button = 0; button < kCheckedButtonCount; ++button) {
      const FilterInForce& filter = row.filter;
      Expected upDown = {B::NotFiltered, 0, 0}, dbClick = {B::NotFiltered, 0, 0};
      upDown.low = upDown.high = filter.OwnUpDown[button] != 0 ? filter.OwnUpDown[button] : filter.Shared.UpDown;
      dbClick.low = dbClick.high = filter.OwnDbClick[button] != 0 ? filter.OwnDbClick[button] : filter.Shared.DbClick;
      for (const Own& own : row.own) {
        if (static_cast<int>(own.button) != button) continue;
        upDown = own.upDown;
        dbClick = own.dbClick;
      }
      pairs.push_back({&suggestion.OwnUpDown[button], upDown});
      pairs.push_back({&suggestion.OwnDbClick[button], dbClick});
      names.push_back("button " + std::to_string(button) + " own bounce");
      names.push_back("button " + std::to_string(button) + " own double click");
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      const IntervalSuggestion& got = *pairs[i].first;
      const Expected& want = pairs[i].second;
      EXPECT_EQ(got.Basis, want.basis) << row.name << ", " << names[i];
      EXPECT_GE(got.Value, want.low) << row.name << ", " << names[i];
      EXPECT_LE(got.Value, want.high) << row.name << ", " << names[i];
      if (got.Basis == B::Valley) {
        EXPECT_GT(got.Value, got.ChatterMax) << row.name << ", " << names[i] << ": swallows all chatter";
        EXPECT_LE(got.Value, got.Fastest) << row.name << ", " << names[i] << ": passes the fastest action";
      }
    }
  }
}

TEST(MouseCheck, ReasonLines) {
  const ReasonTexts texts = {u"Button bounce:",  u"chatter up to",   u"your fastest click", u"no chatter",
                             u"chatter and your clicks overlap", u"not enough data", u"not filtered", u"ms"};
  struct Row { IntervalSuggestion suggestion; std::u16string expected; };
  const Row rows[] = {
      {{SuggestionBasis::Valley, 30, 14, 62}, u"Button bounce: chatter up to 14 ms, your fastest click 62 ms \u2192 30 ms"},
      {{SuggestionBasis::NoChatter, 31, 0, 62}, u"Button bounce: no chatter, your fastest click 62 ms \u2192 31 ms"},
      {{SuggestionBasis::NoChatter, 40, 0, 0}, u"Button bounce: no chatter \u2192 40 ms"},
      {{SuggestionBasis::ChatterOnly, 40, 12, 0}, u"Button bounce: chatter up to 12 ms \u2192 40 ms"},
      {{SuggestionBasis::Overlap, 40, 30, 28}, u"Button bounce: chatter and your clicks overlap \u2192 40 ms"},
      {{SuggestionBasis::NotEnoughData, 40, 0, 0}, u"Button bounce: not enough data"},
      {{SuggestionBasis::NotFiltered, 40, 0, 0}, u"Button bounce: not filtered"},
  };
  for (const Row& row : rows) {
    char16_t buffer[kReasonCapacity];
    const std::size_t length = ComposeReason(buffer, kReasonCapacity, row.suggestion, texts);
    EXPECT_EQ(std::u16string(buffer, length), row.expected);
  }
  char16_t small[12];
  EXPECT_EQ(ComposeReason(small, 12, rows[0].suggestion, texts), 11u) << "cut to the buffer";
}

TEST(MouseCheck, CsvHoldsEveryTransition) {
  Script s;
  s.Click(100, 4, 0).At(10, CheckedInput::Wheel, Kind::Backward).At(0, CheckedInput::Side2, Kind::Down);
  std::u16string csv;
  ASSERT_TRUE(ComposeCsv(s.events, [&](const char16_t* line, std::size_t length) {
    csv.append(line, length);
    return true;
  }));
  EXPECT_EQ(csv,
            u"time_ms,input,event,gap_ms\r\n0,left,down,\r\n100,left,up,100\r\n104,left,down,4\r\n"
            u"106,left,up,2\r\n116,wheel,backward,\r\n116,side2,down,\r\n");
  int lines = 0;
  EXPECT_FALSE(ComposeCsv(s.events, [&](const char16_t*, std::size_t) { return ++lines < 3; }));
  EXPECT_EQ(lines, 3) << "stops at the first failed write";
}

TEST(MouseCheck, GuidedSteps) {
  GuidedCheck guided;
  Script s;
  const auto feed = [&](const Script& script) {
    int finished = 0;
    for (const MouseTransition& t : script.events) finished += guided.Feed(t) ? 1 : 0;
    return finished;
  };
  // Beside the left button and the wheel: the right button, and the middle one with its own
  // double-click interval, each after the wheel.
  guided.Start(kDoubleClickTime, Filter().On(kSourceMiddleButton).Own(CheckedInput::Middle, 0, 300));
  for (int i = 0; i < 4; ++i) s.Click(100, 5, 700);  // bounces are no clicks
  EXPECT_EQ(feed(s), 0);
  EXPECT_EQ(guided.Progress(), 4u);
  EXPECT_EQ(feed(Script().Click(100, 0, 700)), 1);
  EXPECT_EQ(guided.Step(), GuidedStep::DoubleClicks);

  Script doubles;
  for (int i = 0; i < 5; ++i) doubles.Click(60, 0, 80).Click(60, 0, 900);
  EXPECT_EQ(feed(doubles), 1);
  EXPECT_EQ(guided.Step(), GuidedStep::Drag);
  EXPECT_EQ(feed(Script().Click(kGuidedDragMs - 1, 0, 500)), 0) << "one millisecond short";
  EXPECT_EQ(feed(Script().Click(kGuidedDragMs, 0, 500)), 1);
  EXPECT_EQ(guided.Step(), GuidedStep::Scroll);

  EXPECT_FALSE(guided.WheelStopped()) << "no notch yet";
  feed(Script().Notches(kGuidedScrollNotches, Kind::Forward, 30));
  EXPECT_TRUE(guided.AwaitingWheelStop());
  EXPECT_TRUE(guided.WheelStopped());
  struct Extra { CheckedInput button; GuidedStep step; };
  for (const Extra& extra : {Extra{CheckedInput::Right, GuidedStep::SingleClicks},
                             Extra{CheckedInput::Middle, GuidedStep::SingleClicks},
                             Extra{CheckedInput::Middle, GuidedStep::DoubleClicks}}) {
    ASSERT_TRUE(guided.ExtraStep());
    EXPECT_EQ(guided.Step(), extra.step);
    EXPECT_EQ(guided.Button(), extra.button);
    Script clicks;
    for (int i = 0; i < 5; ++i) clicks.Click(60, 5, 80, CheckedInput::Left).Click(60, 5, 80, extra.button).Click(60, 0, 900, extra.button);
    EXPECT_EQ(feed(clicks), 1) << "the left button's clicks count for no other";
  }
  EXPECT_EQ(guided.Step(), GuidedStep::Done);
  EXPECT_EQ(feed(Script().Click(100, 0, 700)), 0);

  // Done says "Done" only when each promised suggestion has its data; else which input lacks it.
  Suggestion suggestion;
  for (IntervalSuggestion* shared : {&suggestion.UpDown, &suggestion.DbClick, &suggestion.RotReverse})
    shared->Basis = SuggestionBasis::Valley;
  for (int b = 0; b < kCheckedButtonCount; ++b)
    suggestion.OwnUpDown[b].Basis = suggestion.OwnDbClick[b].Basis = SuggestionBasis::NotFiltered;
  EXPECT_EQ(InputsLackingData(suggestion), 0u);
  suggestion.OwnUpDown[2].Basis = SuggestionBasis::NotEnoughData;
  suggestion.RotReverse.Basis = SuggestionBasis::NotEnoughData;
  EXPECT_EQ(InputsLackingData(suggestion), 1u << 2 | 1u << 5) << "the middle button and the wheel";
}

}  // namespace
