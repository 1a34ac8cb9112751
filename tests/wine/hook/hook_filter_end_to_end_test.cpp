// The installed hook on real input: this process installs it, a separate target process gets
// injected chatter, and what reaches the target, the counters and the drained records agree.
#include "hook_test_fixture.h"

namespace {

// Every rule's interval. A spurious transition comes 15 ms after the genuine one (hundreds of ms
// of margin for a loaded machine); a genuine one at least 600 ms after: a measured gap is never
// shorter than the pause, so that case cannot flake at all.
constexpr std::uint32_t kInterval = 300;
constexpr DWORD kChatter = 15;
constexpr DWORD kCalm = 2 * kInterval;

class FilterEndToEnd : public LatchkinTest {
 protected:
  void SetUp() override {
    LatchkinTest::SetUp();
    ASSERT_TRUE(target_.Start());
    ASSERT_EQ(hook_.InstallHook(0), 1);
    hook_.SetHookType(0x07);
    hook_.SetIntervalTime(kInterval, kInterval, kInterval);
    hook_.SetLogState(1);
  }
  void TearDown() override {
    if (hook_.UninstallHook != nullptr) hook_.UninstallHook();
    target_.Stop();
    LatchkinTest::TearDown();
  }

  MouseTarget target_;
};

TEST_F(FilterEndToEnd, ChatterNeverReachesTheTarget) {
  struct Row {
    const char* name;
    std::vector<InputStep> steps;
    std::vector<ReceivedMessage> received;
    std::uint16_t code;  // 0: nothing swallowed
  };
  const Row rows[] = {
      {"left release right after the press",
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, kChatter),
        ButtonStep(MouseButton::Left, false, kCalm)},
       {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}, 0x0101},
      {"left release well after the press",
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, kCalm)},
       {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}, 0},
      {"right release right after the press",
       {ButtonStep(MouseButton::Right, true, kCalm), ButtonStep(MouseButton::Right, false, kChatter),
        ButtonStep(MouseButton::Right, false, kCalm)},
       {{WM_RBUTTONDOWN, 0}, {WM_RBUTTONUP, 0}}, 0x0401},
      {"wheel turning back right after a notch",
       {WheelStep(120, kCalm), WheelStep(-120, kChatter)}, {{WM_MOUSEWHEEL, 120}}, 0x0202},
      {"wheel turning back well after a notch",
       {WheelStep(120, kCalm), WheelStep(-120, kCalm)}, {{WM_MOUSEWHEEL, 120}, {WM_MOUSEWHEEL, -120}}, 0},
  };
  std::vector<std::uint16_t> expectedCodes;
  for (const Row& row : rows) {
    target_.MoveToFreshPoint();
    target_.ClearReceived();
    ASSERT_TRUE(target_.Play(row.steps)) << row.name;
    EXPECT_EQ(Describe(target_.Received()), Describe(row.received)) << row.name;
    if (row.code != 0) expectedCodes.push_back(row.code);
  }
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{2, 0, 1}));

  std::uint8_t buffer[kBlockLogCacheSize];
  const std::uint16_t count = hook_.ClearLogCahce(buffer);
  ASSERT_LE(count, kBlockLogCacheSize);
  const std::vector<DrainedRecord> records = ParseRecords(buffer, count);
  ASSERT_EQ(records.size(), expectedCodes.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].eventCode, expectedCodes[i]) << "record " << i;
    EXPECT_EQ(records[i].processId, target_.Pid()) << "record " << i;
    EXPECT_EQ(CompareStringOrdinal(records[i].appName.c_str(), -1, target_.ExePath().c_str(), -1, TRUE), CSTR_EQUAL)
        << "record " << i << ": " << std::string(records[i].appName.begin(), records[i].appName.end());
  }
}

// This process installed the hook with its own input unfiltered: its history stays untouched.
TEST_F(FilterEndToEnd, InstallerProcessInputLeavesTheHistoryAlone) {
  target_.MoveToFreshPoint();
  target_.ClearReceived();
  ASSERT_TRUE(target_.Play({ButtonStep(MouseButton::Left, true, kCalm)}));
  // Chatter judged in this process would be swallowed, so it must pass untouched...
  MOUSEHOOKSTRUCTEX data = {};
  EXPECT_NE(hook_.MousePreProc(HC_ACTION, WM_LBUTTONUP, reinterpret_cast<LPARAM>(&data)), 1);
  // ...and leave the target's press as the last accepted one.
  ASSERT_TRUE(target_.Play({ButtonStep(MouseButton::Left, false, kChatter), ButtonStep(MouseButton::Left, false, kCalm)}));
  EXPECT_EQ(Describe(target_.Received()), Describe({{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}));
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{1, 0, 0}));
}

// The middle and side buttons: chatter swallowed when the button is switched on, passed when
// it is off, each side button on its own switch.
TEST_F(FilterEndToEnd, MiddleAndSideButtonChatterFollowsTheirSwitches) {
  struct Row {
    const char* name;
    MouseButton button;
    std::uint8_t hookType;
    UINT down, up;
    int which;            // the side button the target sees, 0 for the middle one
    std::uint16_t code;   // 0: the chatter passes
  };
  const Row rows[] = {
      {"middle on", MouseButton::Middle, 0x08, WM_MBUTTONDOWN, WM_MBUTTONUP, 0, 0x0801},
      {"middle off", MouseButton::Middle, 0x37, WM_MBUTTONDOWN, WM_MBUTTONUP, 0, 0},
      {"side 1 on", MouseButton::X1, 0x10, WM_XBUTTONDOWN, WM_XBUTTONUP, 1, 0x1001},
      {"side 1 off, side 2 on", MouseButton::X1, 0x20, WM_XBUTTONDOWN, WM_XBUTTONUP, 1, 0},
      {"side 2 on", MouseButton::X2, 0x20, WM_XBUTTONDOWN, WM_XBUTTONUP, 2, 0x2001},
      {"side 2 off, side 1 on", MouseButton::X2, 0x10, WM_XBUTTONDOWN, WM_XBUTTONUP, 2, 0},
  };
  std::vector<std::uint16_t> expectedCodes;
  for (const Row& row : rows) {
    hook_.SetHookType(row.hookType);
    target_.MoveToFreshPoint();
    target_.ClearReceived();
    ASSERT_TRUE(target_.Play({ButtonStep(row.button, true, kCalm), ButtonStep(row.button, false, kChatter),
                              ButtonStep(row.button, false, kCalm)}))
        << row.name;
    std::vector<ReceivedMessage> expected = {{row.down, row.which}, {row.up, row.which}};
    if (row.code == 0) expected.push_back({row.up, row.which});
    EXPECT_EQ(Describe(target_.Received()), Describe(expected)) << row.name;
    if (row.code != 0) expectedCodes.push_back(row.code);
  }
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{3, 0, 0}));
  std::uint8_t buffer[kBlockLogCacheSize];
  const std::vector<DrainedRecord> records = ParseRecords(buffer, hook_.ClearLogCahce(buffer));
  ASSERT_EQ(records.size(), expectedCodes.size());
  for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].eventCode, expectedCodes[i]) << i;
}

// An excluded program's window receives chatter unfiltered while another program's does not;
// a change of the list, and the pause, reach programs that are already running.
TEST_F(FilterEndToEnd, ExcludedProgramsAndThePauseReachRunningPrograms) {
  const std::wstring folder = MakeScratchFolder(L"excluded-target");
  ASSERT_FALSE(folder.empty());
  const std::wstring copy = folder + L"Excluded_Target.exe";
  ASSERT_TRUE(CopyFileW(target_.ExePath().c_str(), copy.c_str(), FALSE));
  MouseTarget excluded;
  ASSERT_TRUE(excluded.Start(MouseTarget::kDefaultLeft - MouseTarget::kSize - 40, MouseTarget::kDefaultTop, copy));
  hook_.SetHookType(0x08);
  ASSERT_NE(hook_.SetExcludedPrograms, nullptr);

  const std::vector<ReceivedMessage> filtered = {{WM_MBUTTONDOWN, 0}, {WM_MBUTTONUP, 0}};
  const std::vector<ReceivedMessage> unfiltered = {{WM_MBUTTONDOWN, 0}, {WM_MBUTTONUP, 0}, {WM_MBUTTONUP, 0}};
  auto chatterInto = [&](MouseTarget& target) {
    target.Activate();
    target.MoveToFreshPoint();
    target.ClearReceived();
    target.Play({ButtonStep(MouseButton::Middle, true, kCalm), ButtonStep(MouseButton::Middle, false, kChatter),
                 ButtonStep(MouseButton::Middle, false, kCalm)});
    return Describe(target.Received());
  };
  struct Step {
    const char* name;
    const wchar_t* list;  // null: leave it
    int pause;            // -1: leave it
    bool excludedFiltered, otherFiltered;
  };
  const Step steps[] = {
      {"listed in other case, with a folder", L"game.exe; C:\\Tools\\EXCLUDED_TARGET.EXE", -1, false, true},
      {"taken off the list while it runs", L"game.exe", -1, true, true},
      {"listed again", L"excluded_target.exe", -1, false, true},
      {"paused", nullptr, 1, false, false},
      {"resumed", nullptr, 0, false, true},
  };
  for (const Step& step : steps) {
    if (step.list) {
      EXPECT_EQ(hook_.SetExcludedPrograms(step.list), 1) << step.name;
    }
    if (step.pause >= 0) hook_.SetFilterPaused(static_cast<std::uint8_t>(step.pause));
    EXPECT_EQ(chatterInto(excluded), Describe(step.excludedFiltered ? filtered : unfiltered)) << step.name;
    EXPECT_EQ(chatterInto(target_), Describe(step.otherFiltered ? filtered : unfiltered)) << step.name;
  }
  // One swallow for each "filtered" above: four in the other program's window, one in the
  // listed program's while it was off the list; nothing while listed or paused.
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{5, 0, 0}));
  excluded.Stop();
}

}  // namespace
