// The library's exports in one process: settings and their ranges, the install state table,
// and the hook procedure called directly, down to the records it leaves in the cache.
#include "hook_test_fixture.h"
#include "mouse_decision.h"

namespace {

constexpr std::uint16_t kNotInstaller = 10241;

class Exports : public LatchkinTest {
 protected:
  // Calls the hook procedure as the platform would for one message of this process.
  LRESULT Message(UINT message, int code = HC_ACTION, short wheelDelta = 0) {
    MOUSEHOOKSTRUCTEX data = {};
    data.mouseData = static_cast<DWORD>(static_cast<WORD>(wheelDelta)) << 16;
    return hook_.MousePreProc(code, message, reinterpret_cast<LPARAM>(&data));
  }
  std::vector<DrainedRecord> Drain(std::uint16_t* count = nullptr) {
    std::uint8_t buffer[kBlockLogCacheSize];
    const std::uint16_t result = hook_.ClearLogCahce(buffer);
    if (count != nullptr) *count = result;
    return result <= kBlockLogCacheSize ? ParseRecords(buffer, result) : std::vector<DrainedRecord>{};
  }
  // Installed by this process with its own messages filtered, every source on, long intervals:
  // everything that follows a message too closely is swallowed, whatever the machine's load.
  void InstallFilteringSelf() {
    ASSERT_EQ(hook_.InstallHook(1), 1);
    hook_.SetHookType(0x07);
    hook_.SetIntervalTime(9999, 9999, 9999);
    hook_.SetLogState(1);
  }
  static std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
  }
};

TEST_F(Exports, IntervalsKeepEachValueOutsideTheRange) {
  struct Row {
    std::uint32_t upDown, dbClick, rotReverse;
    std::vector<std::uint32_t> after;  // the calls are cumulative
  };
  const Row rows[] = {
      {0, 0, 0, {40, 170, 40}},
      {0, 0, 25, {40, 170, 25}},
      {10000, 9999, 1, {40, 9999, 1}},
      {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, {40, 9999, 1}},
      {1, 0, 0, {1, 9999, 1}},
  };
  for (const Row& row : rows) {
    hook_.SetIntervalTime(row.upDown, row.dbClick, row.rotReverse);
    EXPECT_EQ(hook_.Intervals(), row.after) << row.upDown << "," << row.dbClick << "," << row.rotReverse;
  }
}

TEST_F(Exports, NullOutputPointersAreSkipped) {
  hook_.SetIntervalTime(11, 22, 33);
  std::uint32_t b = 0;
  hook_.GetIntervalTime(nullptr, &b, nullptr);
  EXPECT_EQ(b, 22u);
  std::uint32_t counted = 77;
  hook_.ReturnBlockedCount(nullptr, &counted, nullptr);
  EXPECT_EQ(counted, 0u);
  hook_.GetHookType(nullptr);
  hook_.ReturnBlockedCount(nullptr, nullptr, nullptr);
  hook_.GetIntervalTime(nullptr, nullptr, nullptr);
}

TEST_F(Exports, HookTypeIsStoredWhole) {
  for (std::uint8_t hookType : {std::uint8_t{0x07}, std::uint8_t{0xFF}, std::uint8_t{0x00}, std::uint8_t{0x82}}) {
    hook_.SetHookType(hookType);
    std::uint8_t read = 0x5A;
    hook_.GetHookType(&read);
    EXPECT_EQ(read, hookType);
  }
}

TEST_F(Exports, InstallAndUninstallFollowTheStateTable) {
  EXPECT_EQ(hook_.UninstallHook(), 0) << "nothing to remove";
  EXPECT_EQ(hook_.IsSelf(), 0);
  EXPECT_EQ(hook_.ClearLogCahce(nullptr), kNotInstaller);
  hook_.SetLogState(1);
  hook_.SetIntervalTime(12, 34, 56);

  ASSERT_EQ(hook_.InstallHook(0), 1);
  EXPECT_EQ(hook_.QueryHookState(), 1);
  EXPECT_EQ(hook_.IsSelf(), 1);
  EXPECT_EQ(hook_.GetLogState(), 0) << "installing turns logging off";

  hook_.SetLogState(1);
  EXPECT_EQ(hook_.InstallHook(0), 0) << "second install";
  EXPECT_EQ(hook_.QueryHookState(), 1);
  EXPECT_EQ(hook_.GetLogState(), 1) << "a refused install leaves logging alone";

  ASSERT_EQ(hook_.UninstallHook(), 1);
  EXPECT_EQ(hook_.QueryHookState(), 0);
  EXPECT_EQ(hook_.IsSelf(), 0);
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{0, 0, 0}));
  EXPECT_EQ(hook_.Intervals(), (std::vector<std::uint32_t>{12, 34, 56}));
  EXPECT_EQ(hook_.GetLogState(), 1) << "uninstalling leaves logging alone";
  EXPECT_EQ(hook_.UninstallHook(), 0);

  ASSERT_EQ(hook_.InstallHook(1), 1) << "installable again";
  EXPECT_EQ(hook_.GetLogState(), 0);
}

TEST_F(Exports, OwnMessagesPassUnlessInstalledToFilterThem) {
  ASSERT_EQ(hook_.InstallHook(0), 1);
  hook_.SetHookType(0x07);
  hook_.SetIntervalTime(9999, 9999, 9999);
  EXPECT_NE(Message(WM_LBUTTONDOWN), 1);
  EXPECT_NE(Message(WM_LBUTTONUP), 1);
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{0, 0, 0}));
}

TEST_F(Exports, HookProcedureSwallowsAndRecords) {
  InstallFilteringSelf();
  struct Row {
    const char* name;
    UINT message;
    int code;
    short wheelDelta;
    bool swallowed;
  };
  const Row rows[] = {
      {"left press", WM_LBUTTONDOWN, HC_ACTION, 0, false},
      {"peeked release", WM_LBUTTONUP, HC_NOREMOVE, 0, false},
      {"negative code", WM_LBUTTONUP, -1, 0, false},
      {"left release", WM_LBUTTONUP, HC_ACTION, 0, true},
      {"move", WM_MOUSEMOVE, HC_ACTION, 0, false},
      {"middle press", WM_MBUTTONDOWN, HC_ACTION, 0, false},
      {"wheel forward", WM_MOUSEWHEEL, HC_ACTION, 120, false},
      {"wheel backward", WM_MOUSEWHEEL, HC_ACTION, -120, true},
      {"wheel zero", WM_MOUSEWHEEL, HC_ACTION, 0, true},
      {"horizontal wheel", WM_MOUSEHWHEEL, HC_ACTION, -120, false},
      {"right press", WM_RBUTTONDOWN, HC_ACTION, 0, false},
      {"right double click", WM_RBUTTONDBLCLK, HC_ACTION, 0, true},
  };
  for (const Row& row : rows) EXPECT_EQ(Message(row.message, row.code, row.wheelDelta) == 1, row.swallowed) << row.name;
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{1, 1, 2}));

  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::vector<DrainedRecord> records = Drain();
  const std::uint16_t codes[] = {0x0101, 0x0202, 0x0202, 0x0404};
  ASSERT_EQ(records.size(), 4u);
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].eventCode, codes[i]) << "record " << i;
    EXPECT_EQ(records[i].processId, GetCurrentProcessId()) << "record " << i;
    EXPECT_EQ(records[i].appName, OwnPath()) << "record " << i;
    EXPECT_EQ(records[i].localTime[0], now.wYear) << "record " << i;
    EXPECT_EQ(records[i].length, 26 + 2 * OwnPath().size()) << "record " << i;
  }
  std::uint16_t count = 99;
  EXPECT_TRUE(Drain(&count).empty());
  EXPECT_EQ(count, 0) << "a drain empties the cache";
}

// The other bitness's hook calls run in the installing process: judged by their window's
// process, and logged under it. Stood in for here by a window of another process.
TEST_F(Exports, InstallingProcessJudgesOtherProcessesWindows) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  ASSERT_EQ(hook_.InstallHook(0), 1);
  hook_.SetHookType(0x07);
  hook_.SetIntervalTime(9999, 9999, 9999);
  hook_.SetLogState(1);
  auto message = [&](UINT id, HWND window) {
    MOUSEHOOKSTRUCTEX data = {};
    data.hwnd = window;
    return hook_.MousePreProc(HC_ACTION, id, reinterpret_cast<LPARAM>(&data));
  };
  EXPECT_NE(message(WM_LBUTTONDOWN, target.Window()), 1);
  EXPECT_EQ(message(WM_LBUTTONUP, target.Window()), 1) << "another process's chatter";
  EXPECT_NE(message(WM_LBUTTONUP, nullptr), 1) << "no window: this process's own";
  const std::vector<DrainedRecord> records = Drain();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].eventCode, 0x0101);
  EXPECT_EQ(records[0].processId, target.Pid());
  EXPECT_EQ(CompareStringOrdinal(records[0].appName.c_str(), -1, target.ExePath().c_str(), -1, TRUE), CSTR_EQUAL)
      << std::string(records[0].appName.begin(), records[0].appName.end());
}

TEST_F(Exports, ReleaseGuardLeavesALateReleasePendingAndLetsItsOwnThrough) {
  InstallFilteringSelf();
  auto message = [&](UINT id, ULONG_PTR extraInfo) {
    MOUSEHOOKSTRUCTEX data = {};
    data.dwExtraInfo = extraInfo;
    return hook_.MousePreProc(HC_ACTION, id, reinterpret_cast<LPARAM>(&data));
  };
  EXPECT_EQ(hook_.DeliverPendingReleases(0), INFINITE) << "nothing pending";
  hook_.SetReleaseGuard(1, 0, 30);
  ASSERT_NE(message(WM_LBUTTONDOWN, 0), 1);
  ASSERT_EQ(message(WM_LBUTTONUP, 0), 1);
  const DWORD wait = hook_.DeliverPendingReleases(0);
  EXPECT_GT(wait, 9000u) << "due when the 9999 ms interval since the press has run out";
  EXPECT_LE(wait, 9999u);
  // The deliverer's marked release passes, uncounted, even while the interval still runs.
  EXPECT_NE(message(WM_LBUTTONUP, kInjectedReleaseMark), 1);
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{1, 0, 0}));
  // A press (here a swallowed one) cancels the pending release; the deliverer's replay mark
  // earns it no pass.
  ASSERT_EQ(message(WM_LBUTTONDOWN, kReplayedInputMark), 1);
  EXPECT_EQ(hook_.DeliverPendingReleases(0), INFINITE);
  std::uint32_t delivered = 7, dropped = 7;
  hook_.ReturnLateReleaseCount(&delivered, &dropped);
  EXPECT_EQ(delivered, 0u);
  EXPECT_EQ(dropped, 0u);
}

TEST_F(Exports, FullCacheDropsWholeRecordsUntilDrained) {
  InstallFilteringSelf();
  const std::size_t recordLength = 26 + 2 * OwnPath().size();
  const std::size_t fitting = kBlockLogCacheSize / recordLength;
  ASSERT_NE(Message(WM_LBUTTONDOWN), 1);
  for (std::size_t i = 0; i < fitting + 5; ++i) ASSERT_EQ(Message(WM_LBUTTONUP), 1) << "release " << i;
  EXPECT_EQ(hook_.Counts()[0], fitting + 5) << "dropped records are still counted";
  std::uint16_t count = 0;
  EXPECT_EQ(Drain(&count).size(), fitting);
  EXPECT_EQ(count, fitting * recordLength);
  Drain(&count);
  EXPECT_EQ(count, 0);
}

TEST_F(Exports, LogStateDecidesWhatIsRecorded) {
  InstallFilteringSelf();
  ASSERT_NE(Message(WM_LBUTTONDOWN), 1);
  struct Row {
    const char* name;
    std::vector<std::uint8_t> statesAfterSwallow;  // SetLogState calls after one swallowed release
    std::size_t drained;
    std::uint16_t logStateForDrain;
  };
  const Row rows[] = {
      {"logging on", {}, 1, 1},
      {"same state again keeps records", {1}, 1, 1},
      {"off and on again empties", {0, 1}, 0, 1},
      {"another non-zero value empties", {2}, 0, 2},
  };
  for (const Row& row : rows) {
    hook_.SetLogState(1);
    Drain();
    ASSERT_EQ(Message(WM_LBUTTONUP), 1) << row.name;
    for (std::uint8_t state : row.statesAfterSwallow) hook_.SetLogState(state);
    EXPECT_EQ(hook_.GetLogState(), row.logStateForDrain) << row.name;
    EXPECT_EQ(Drain().size(), row.drained) << row.name;
  }
  hook_.SetLogState(0);
  ASSERT_EQ(Message(WM_LBUTTONUP), 1);
  std::uint16_t count = 99;
  Drain(&count);
  EXPECT_EQ(count, 0) << "logging off: no record, no drain";
  hook_.SetLogState(1);
  EXPECT_TRUE(Drain().empty()) << "a record made while logging was off";
}

}  // namespace
