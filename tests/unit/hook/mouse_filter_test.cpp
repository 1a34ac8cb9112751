// The filter's rules as the hook's decision runs them, against a fake clock: every code and its
// counter, the boundaries of each interval, the tick wrap, and the messages and processes that
// are never judged.
#include "hook_test_kit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kInstaller = 100;
constexpr std::uint32_t kOther = 200;
constexpr std::uint32_t kT = 1000000;  // far from every initial timestamp

// One message as the hook sees it; the tick is what the fake clock answers.
struct Message {
  std::uint32_t id;
  std::uint32_t tick;
  std::int16_t wheelDelta = 0;
  std::int32_t hookCode = kHcAction;
  std::uint32_t processId = kOther;
};

struct Filter {
  HookSharedData data = InitialHookSharedData();
  GuardSharedData guard = InitialGuardSharedData();
  int clockReads = 0;

  // The fake with its clock reads counted.
  struct Host : FakeHookHost {
    int* reads;
    std::uint32_t Tick() const {
      ++*reads;
      return FakeHookHost::Tick();
    }
  };

  Filter() {
    data.HookType = 0x07;
    data.HookInstalled = 1;
    data.InstallerProcessId = kInstaller;
  }

  std::uint16_t Run(const Message& m) {
    FakeHookState state;
    state.tick = m.tick;
    state.wheelDelta = m.wheelDelta;
    state.self = m.processId;
    RefreshButtonIntervals(data, guard.Extension);  // the shared intervals in force, as set
    Host host{FakeHookHost(&state), &clockReads};
    return static_cast<std::uint16_t>(DecideMouseMessage(data, guard, m.hookCode, m.id, m.processId, host));
  }

  // Feeds messages in order; returns the code each one got.
  std::vector<std::uint16_t> RunAll(const std::vector<Message>& messages) {
    std::vector<std::uint16_t> codes;
    for (const Message& m : messages) codes.push_back(Run(m));
    return codes;
  }

  std::vector<std::uint32_t> Counters() const { return {data.BlockedUpDown, data.BlockedDbClick, data.BlockedRotReverse}; }
};

std::string Hex(std::uint16_t code) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", code);
  return text;
}

// The last message of each sequence is the one judged; the ones before it are accepted history.
struct SequenceRow {
  const char* name;
  std::vector<Message> messages;
  std::uint16_t expected;
  std::vector<std::uint32_t> counters;  // up/down, double click, wheel reversal
};

TEST(MouseFilter, EveryRuleSwallowsWithItsCodeAndCounter) {
  const SequenceRow rows[] = {
      {"left release soon after press", {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 30}}, 0x0101, {1, 0, 0}},
      {"left press soon after release", {{kWmLButtonUp, kT}, {kWmLButtonDown, kT + 39}}, 0x0102, {1, 0, 0}},
      {"left double click soon after press",
       {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 60}, {kWmLButtonDblClk, kT + 150}}, 0x0104, {0, 1, 0}},
      {"left press soon after double click", {{kWmLButtonDblClk, kT}, {kWmLButtonDown, kT + 100}}, 0x0108, {0, 1, 0}},
      {"left double click soon after double click", {{kWmLButtonDblClk, kT}, {kWmLButtonDblClk, kT + 150}}, 0x0110, {0, 1, 0}},
      {"wheel forward soon after backward", {{kWmMouseWheel, kT, -120}, {kWmMouseWheel, kT + 20, 120}}, 0x0201, {0, 0, 1}},
      {"wheel backward soon after forward", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 20, -120}}, 0x0202, {0, 0, 1}},
      {"right release soon after press", {{kWmRButtonDown, kT}, {kWmRButtonUp, kT + 30}}, 0x0401, {1, 0, 0}},
      {"right press soon after release", {{kWmRButtonUp, kT}, {kWmRButtonDown, kT + 39}}, 0x0402, {1, 0, 0}},
      {"right double click soon after press",
       {{kWmRButtonDown, kT}, {kWmRButtonUp, kT + 60}, {kWmRButtonDblClk, kT + 150}}, 0x0404, {0, 1, 0}},
      {"right press soon after double click", {{kWmRButtonDblClk, kT}, {kWmRButtonDown, kT + 100}}, 0x0408, {0, 1, 0}},
      {"right double click soon after double click", {{kWmRButtonDblClk, kT}, {kWmRButtonDblClk, kT + 150}}, 0x0410, {0, 1, 0}},
  };
  for (const SequenceRow& row : rows) {
    Filter filter;
    std::vector<std::uint16_t> codes = filter.RunAll(row.messages);
    for (std::size_t i = 0; i + 1 < codes.size(); ++i) EXPECT_EQ(codes[i], kPass) << row.name << ": history message " << i;
    EXPECT_EQ(Hex(codes.back()), Hex(row.expected)) << row.name;
    EXPECT_EQ(filter.Counters(), row.counters) << row.name;
  }
}

// Every test is a strict less-than: interval - 1 swallows, the interval itself passes.
TEST(MouseFilter, IntervalBoundariesAreStrict) {
  struct Row {
    const char* name;
    Message history;
    std::uint32_t judgedId;
    std::int16_t judgedDelta;
    std::uint32_t interval;  // of the rule
    std::uint16_t code;
  };
  const Row rows[] = {
      {"release after press", {kWmLButtonDown, kT}, kWmLButtonUp, 0, 40, 0x0101},
      {"press after release", {kWmLButtonUp, kT}, kWmLButtonDown, 0, 40, 0x0102},
      {"double click after press", {kWmLButtonDown, kT}, kWmLButtonDblClk, 0, 170, 0x0104},
      {"press after double click", {kWmLButtonDblClk, kT}, kWmLButtonDown, 0, 170, 0x0108},
      {"double click after double click", {kWmLButtonDblClk, kT}, kWmLButtonDblClk, 0, 170, 0x0110},
      {"wheel backward after forward", {kWmMouseWheel, kT, 120}, kWmMouseWheel, -120, 40, 0x0202},
      {"right release after press", {kWmRButtonDown, kT}, kWmRButtonUp, 0, 40, 0x0401},
      {"right press after double click", {kWmRButtonDblClk, kT}, kWmRButtonDown, 0, 170, 0x0408},
  };
  for (const Row& row : rows) {
    for (std::uint32_t offset : {row.interval - 1, row.interval, row.interval + 1}) {
      Filter filter;
      ASSERT_EQ(filter.Run(row.history), kPass) << row.name;
      const std::uint16_t expected = offset < row.interval ? row.code : kPass;
      EXPECT_EQ(Hex(filter.Run({row.judgedId, kT + offset, row.judgedDelta})), Hex(expected))
          << row.name << " at +" << offset;
    }
  }
}

TEST(MouseFilter, IntervalsAreReadAtEachMessage) {
  Filter filter;
  filter.data.UpDownIntervalTime = 500;
  ASSERT_EQ(filter.Run({kWmLButtonDown, kT}), kPass);
  EXPECT_EQ(filter.Run({kWmLButtonUp, kT + 499}), 0x0101);
  filter.data.UpDownIntervalTime = 1;
  EXPECT_EQ(filter.Run({kWmLButtonUp, kT + 1}), kPass);
}

// An accepted message moves its own timestamp (and the wheel's direction); a swallowed one moves
// nothing, so a burst is judged as a whole against the accepted message before it.
TEST(MouseFilter, OnlyAcceptedMessagesMoveTheHistory) {
  struct Row {
    const char* name;
    std::vector<Message> messages;
    std::vector<std::uint16_t> codes;
    std::uint32_t HookSharedData::*field;
    std::uint32_t expected;
  };
  const Row rows[] = {
      {"accepted release sets LastLButtonUp", {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 40}}, {0, 0},
       &HookSharedData::LastLButtonUp, kT + 40},
      {"burst of releases judged from the press", {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 30}, {kWmLButtonUp, kT + 35}},
       {0, 0x0101, 0x0101}, &HookSharedData::LastLButtonUp, 0},
      {"swallowed press keeps LastLButtonDown", {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 50}, {kWmLButtonDown, kT + 60}},
       {0, 0, 0x0102}, &HookSharedData::LastLButtonDown, kT},
      {"accepted double click sets LastLButtonDblClk", {{kWmLButtonDown, kT}, {kWmLButtonDblClk, kT + 170}}, {0, 0},
       &HookSharedData::LastLButtonDblClk, kT + 170},
      {"swallowed double click keeps LastLButtonDblClk", {{kWmLButtonDblClk, kT}, {kWmLButtonDblClk, kT + 150}},
       {0, 0x0110}, &HookSharedData::LastLButtonDblClk, kT},
      {"spurious press 6 ms after spurious release passes", {{kWmLButtonDown, kT}, {kWmLButtonUp, kT + 8}, {kWmLButtonDown, kT + 14}},
       {0, 0x0101, 0}, &HookSharedData::LastLButtonDown, kT + 14},
      {"right button has its own history", {{kWmLButtonDown, kT}, {kWmRButtonUp, kT + 10}}, {0, 0},
       &HookSharedData::LastRButtonUp, kT + 10},
      {"swallowed wheel keeps LastWheel", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 20, -120}}, {0, 0x0202},
       &HookSharedData::LastWheel, kT},
      {"steady scroll moves LastWheel", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 10, 120}}, {0, 0},
       &HookSharedData::LastWheel, kT + 10},
  };
  for (const Row& row : rows) {
    Filter filter;
    std::vector<std::uint16_t> codes = filter.RunAll(row.messages);
    ASSERT_EQ(codes.size(), row.codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(Hex(codes[i]), Hex(row.codes[i])) << row.name << " message " << i;
    EXPECT_EQ(filter.data.*row.field, row.expected) << row.name;
  }
}

TEST(MouseFilter, WheelDirection) {
  struct Row {
    const char* name;
    std::vector<Message> messages;
    std::vector<std::uint16_t> codes;
    std::uint8_t lastForward;
  };
  const Row rows[] = {
      {"reversal after the interval becomes the direction", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 40, -120}}, {0, 0}, 0},
      {"zero delta counts as backward", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 10, 0}}, {0, 0x0202}, 1},
      {"initial direction is forward", {{kWmMouseWheel, kT + 10, -120}}, {0}, 0},
      {"initial forward notch right after start", {{kWmMouseWheel, 10, -120}}, {0x0202}, 1},
      {"smallest positive delta is forward", {{kWmMouseWheel, kT, -120}, {kWmMouseWheel, kT + 1, 1}}, {0, 0x0201}, 0},
      {"most negative delta is backward", {{kWmMouseWheel, kT, 120}, {kWmMouseWheel, kT + 1, INT16_MIN}}, {0, 0x0202}, 1},
  };
  for (const Row& row : rows) {
    Filter filter;
    std::vector<std::uint16_t> codes = filter.RunAll(row.messages);
    for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(Hex(codes[i]), Hex(row.codes[i])) << row.name << " message " << i;
    EXPECT_EQ(filter.data.LastWheelForward, row.lastForward) << row.name;
  }
}

TEST(MouseFilter, ElapsedTimeSpansTheTickWrap) {
  struct Row {
    std::uint32_t last;
    std::uint32_t now;
    std::uint16_t expected;
  };
  const Row rows[] = {
      {0xFFFFFFFAu, 26, 0x0101},  // 32 ms across the wrap
      {0xFFFFFFFAu, 34, kPass},   // exactly 40
      {0xFFFFFFFFu, 0, 0x0101},
      {5, 0xFFFFFFF0u, kPass},    // a "negative" elapsed time is a huge one
  };
  for (const Row& row : rows) {
    Filter filter;
    filter.data.LastLButtonDown = row.last;
    EXPECT_EQ(Hex(filter.Run({kWmLButtonUp, row.now})), Hex(row.expected)) << row.last << " -> " << row.now;
  }
}

// Messages that are never judged: they pass, read no clock and change nothing at all.
TEST(MouseFilter, UnjudgedMessagesPassUntouched) {
  struct Row {
    const char* name;
    Message message;
    std::uint8_t hookType;
    std::uint8_t filterOwnProcess;
  };
  const Row rows[] = {
      {"mouse move", {kWmMouseMove, kT + 5}, 0x07, 0},
      {"middle button", {kWmMButtonDown, kT + 5}, 0x07, 0},
      {"middle button up", {0x0208, kT + 5}, 0x07, 0},
      {"extra button", {0x020B, kT + 5}, 0x07, 0},
      {"horizontal wheel", {kWmMouseHWheel, kT + 5, -120}, 0x07, 0},
      {"non-client release", {0x00A2, kT + 5}, 0x07, 0},
      {"message id far above", {0x00010202, kT + 5}, 0x07, 0},
      {"no-remove code", {kWmLButtonUp, kT + 5, 0, kHcNoRemove}, 0x07, 0},
      {"negative code", {kWmLButtonUp, kT + 5, 0, -1}, 0x07, 0},
      {"left source off", {kWmLButtonUp, kT + 5}, 0x06, 0},
      {"wheel source off", {kWmMouseWheel, kT + 5, -120}, 0x05, 0},
      {"right source off", {kWmRButtonUp, kT + 5}, 0x03, 0},
      {"hook type 0", {kWmLButtonUp, kT + 5}, 0x00, 0},
      {"only unknown bits", {kWmLButtonUp, kT + 5}, 0xF8, 0},
      {"installer's own release", {kWmLButtonUp, kT + 5, 0, kHcAction, kInstaller}, 0x07, 0},
      {"installer's own wheel", {kWmMouseWheel, kT + 5, -120, kHcAction, kInstaller}, 0x07, 0},
  };
  for (const Row& row : rows) {
    Filter filter;
    filter.data.HookType = row.hookType;
    filter.data.FilterOwnProcess = row.filterOwnProcess;
    // A history against which each of these would be swallowed if it were judged.
    filter.data.LastLButtonDown = kT;
    filter.data.LastRButtonDown = kT;
    filter.data.LastWheel = kT;
    const HookSharedData before = filter.data;
    EXPECT_EQ(filter.Run(row.message), kPass) << row.name;
    EXPECT_EQ(filter.clockReads, 0) << row.name;
    EXPECT_EQ(std::memcmp(&before, &filter.data, sizeof before), 0) << row.name << ": the record changed";
  }
}

TEST(MouseFilter, OwnProcessIsFilteredWhenInstalledSo) {
  Filter filter;
  filter.data.FilterOwnProcess = 1;
  ASSERT_EQ(filter.Run({kWmLButtonDown, kT, 0, kHcAction, kInstaller}), kPass);
  EXPECT_EQ(filter.Run({kWmLButtonUp, kT + 30, 0, kHcAction, kInstaller}), 0x0101);
  // The history is shared: a press in one process and a release in another meet.
  EXPECT_EQ(filter.Run({kWmLButtonUp, kT + 31, 0, kHcAction, kOther}), 0x0101);
  EXPECT_EQ(filter.data.BlockedUpDown, 2u);
}

TEST(MouseFilter, ClockIsReadOnceForAJudgedMessage) {
  const std::uint32_t judged[] = {kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmRButtonDown,
                                  kWmRButtonUp, kWmRButtonDblClk, kWmMouseWheel};
  for (std::uint32_t id : judged) {
    Filter filter;
    filter.Run({id, kT});
    EXPECT_EQ(filter.clockReads, 1) << std::hex << id;
  }
}

}  // namespace
