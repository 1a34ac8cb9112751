// Two and more processes on one shared record: settings, the installer's identity, the drain
// right, counters, and a single installation when several processes install at once.
#include "hook_test_fixture.h"

namespace {

using Results = std::vector<std::string>;

class SharedRecord : public LatchkinTest {
 protected:
  // Event names are private to this test process.
  std::wstring Name(const wchar_t* what) const {
    return L"Quillon.HookTest." + std::to_wstring(GetCurrentProcessId()) + L"." + what;
  }
};

TEST_F(SharedRecord, SettingsWrittenInOneProcessAreReadInTheOther) {
  hook_.SetHookType(0x05);
  hook_.SetIntervalTime(11, 22, 33);
  EXPECT_EQ(RunPeer({L"gettype", L"getintervals", L"getlog", L"settype:3", L"intervals:0,0,44", L"log:1"}),
            (Results{"5", "11,22,33", "0", "ok", "ok", "ok"}));
  std::uint8_t hookType = 0;
  hook_.GetHookType(&hookType);
  EXPECT_EQ(hookType, 3);
  EXPECT_EQ(hook_.Intervals(), (std::vector<std::uint32_t>{11, 22, 44}));
  EXPECT_EQ(hook_.GetLogState(), 1);
}

TEST_F(SharedRecord, OnlyTheInstallerIsSelfAndMayDrain) {
  ASSERT_EQ(hook_.InstallHook(0), 1);
  hook_.SetLogState(1);
  EXPECT_EQ(hook_.IsSelf(), 1);
  EXPECT_EQ(RunPeer({L"query", L"isself", L"install:0", L"drain", L"getlog"}),
            (Results{"1", "0", "0", "10241", "1"}));
  EXPECT_EQ(hook_.IsSelf(), 1) << "a refused install elsewhere changes nothing";
  std::uint8_t buffer[kBlockLogCacheSize];
  EXPECT_EQ(hook_.ClearLogCahce(buffer), 0);
}

TEST_F(SharedRecord, AnotherProcessInstallsAndAnyProcessUninstalls) {
  ChildProcess peer = StartPeer({L"install:0", L"signal:" + Name(L"Installed"), L"wait:" + Name(L"Go"), L"isself"});
  HANDLE installed = Event(Name(L"Installed"));
  HANDLE go = Event(Name(L"Go"));
  ASSERT_EQ(WaitForSingleObject(installed, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(hook_.QueryHookState(), 1);
  EXPECT_EQ(hook_.IsSelf(), 0);
  EXPECT_EQ(hook_.InstallHook(1), 0);
  std::uint8_t buffer[kBlockLogCacheSize];
  EXPECT_EQ(hook_.ClearLogCahce(buffer), 10241);
  EXPECT_EQ(hook_.UninstallHook(), 1) << "removed from a process that did not install it";
  EXPECT_EQ(hook_.QueryHookState(), 0);
  SetEvent(go);
  ASSERT_TRUE(peer.WaitForExit(30000));
  EXPECT_EQ(PeerResults(0), (Results{"1", "ok", "ok", "0"})) << "the installer learns only from the record";
}

// A message swallowed here, with a peer as the installer, is counted where the peer reads it
// and recorded where only the peer may drain it.
TEST_F(SharedRecord, CountersAndRecordsServeEveryProcess) {
  ChildProcess peer = StartPeer({L"install:0", L"settype:7", L"intervals:9999,9999,9999", L"log:1",
                                 L"signal:" + Name(L"Installed"), L"wait:" + Name(L"Go"), L"counts", L"drain",
                                 L"drain", L"uninstall"});
  HANDLE installed = Event(Name(L"Installed"));
  HANDLE go = Event(Name(L"Go"));
  ASSERT_EQ(WaitForSingleObject(installed, 30000), WAIT_OBJECT_0);
  MOUSEHOOKSTRUCTEX data = {};
  EXPECT_NE(hook_.MousePreProc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_EQ(hook_.MousePreProc(HC_ACTION, WM_LBUTTONUP, reinterpret_cast<LPARAM>(&data)), 1);
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{1, 0, 0}));
  SetEvent(go);
  ASSERT_TRUE(peer.WaitForExit(30000));
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  const Results results = PeerResults(0);
  ASSERT_EQ(results.size(), 10u);
  EXPECT_EQ(results[6], "1,0,0");
  EXPECT_EQ(results[7], std::to_string(26 + 2 * length)) << "one record with this program's path";
  EXPECT_EQ(results[8], "0");
  EXPECT_EQ(results[9], "1");
  EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{0, 0, 0})) << "uninstalling clears the counters";
}

// Programs started together at log-on: however their calls interleave, one hook is installed
// and the record names its installer.
TEST_F(SharedRecord, RacingInstallsInstallOnce) {
  constexpr int kPeers = 4;
  for (int round = 0; round < 3; ++round) {
    const std::wstring suffix = std::to_wstring(round);
    HANDLE go = Event(Name((L"Go" + suffix).c_str()));
    HANDLE end = Event(Name((L"End" + suffix).c_str()));
    std::vector<HANDLE> done;
    std::vector<ChildProcess> peers;
    std::vector<int> peerNumbers;
    for (int i = 0; i < kPeers; ++i) {
      const std::wstring doneName = Name((L"Done" + suffix + L"." + std::to_wstring(i)).c_str());
      done.push_back(Event(doneName));
      peerNumbers.push_back(round * kPeers + i);
      peers.push_back(StartPeer({L"wait:" + Name((L"Go" + suffix).c_str()), L"install:0", L"isself",
                                 L"signal:" + doneName, L"wait:" + Name((L"End" + suffix).c_str())}));
    }
    // Each peer has bound the library before it waits; a little head start lets all of them
    // reach the wait, and a late one only makes the race easier to win.
    PumpMessagesFor(500);
    SetEvent(go);
    ASSERT_EQ(WaitForMultipleObjects(kPeers, done.data(), TRUE, 30000), WAIT_OBJECT_0) << "round " << round;
    int installers = 0, selves = 0;
    for (int number : peerNumbers) {
      const Results results = PeerResults(number);
      ASSERT_GE(results.size(), 3u) << "peer " << number;
      installers += results[1] == "1";
      selves += results[2] == "1";
    }
    EXPECT_EQ(installers, 1) << "round " << round;
    EXPECT_EQ(selves, 1) << "round " << round;
    EXPECT_EQ(hook_.QueryHookState(), 1) << "round " << round;
    EXPECT_EQ(hook_.UninstallHook(), 1) << "round " << round << ": the one hook is removable";
    EXPECT_EQ(hook_.InstallHook(0), 1) << "round " << round << ": nothing was left claimed";
    EXPECT_EQ(hook_.UninstallHook(), 1) << "round " << round;
    SetEvent(end);
    for (ChildProcess& peer : peers) EXPECT_TRUE(peer.WaitForExit(30000));
  }
}

}  // namespace
