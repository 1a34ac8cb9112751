// Installing and removing the hook in the shared record, with the platform's hook calls faked:
// the state table, the settings' ranges, and one installation when two processes race for it.
#include "hook_test_kit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#if defined(__x86_64__) && defined(__linux__)
#include <csignal>
#define QUILLON_CAN_STEP_INSTRUCTIONS 1
#endif

namespace {

constexpr std::uint32_t kSelf = 300;
constexpr std::uint32_t kHandle = 0x000A0B0Cu;

TEST(HookControl, IntervalsAcceptOneTo9999Each) {
  struct Row {
    std::uint32_t upDown, dbClick, rotReverse;
    std::uint32_t expectUpDown, expectDbClick, expectRotReverse;
  };
  const Row rows[] = {
      {0, 0, 25, 40, 170, 25},
      {10000, 9999, 1, 40, 9999, 1},
      {0xFFFFFFFFu, 0x80000000u, 0, 40, 170, 40},
      {1, 2, 3, 1, 2, 3},
      {9998, 0, 10001, 9998, 170, 40},
  };
  for (const Row& row : rows) {
    HookSharedData data = InitialHookSharedData();
    SetSharedIntervalTimes(data, row.upDown, row.dbClick, row.rotReverse);
    EXPECT_EQ(data.UpDownIntervalTime, row.expectUpDown) << row.upDown;
    EXPECT_EQ(data.DbClickIntervalTime, row.expectDbClick) << row.dbClick;
    EXPECT_EQ(data.RotReverseIntervalTime, row.expectRotReverse) << row.rotReverse;
  }
}

TEST(HookControl, InitialRecord) {
  const HookSharedData data = InitialHookSharedData();
  EXPECT_EQ(data.UpDownIntervalTime, 40u);
  EXPECT_EQ(data.DbClickIntervalTime, 170u);
  EXPECT_EQ(data.RotReverseIntervalTime, 40u);
  EXPECT_EQ(data.LastWheelForward, 1);
  EXPECT_EQ(data.HookType, 0);
  EXPECT_EQ(data.InstallerProcessId, 0u);
  EXPECT_EQ(data.CacheLength, 0);
}

TEST(HookControl, InstallFollowsTheStateTable) {
  struct Row {
    const char* name;
    std::uint8_t installed;
    std::uint32_t installer;  // before
    std::uint32_t handle;     // what the platform returns
    std::uint8_t result;
    int platformCalls;
    std::uint8_t installedAfter;
    std::uint32_t installerAfter;
    std::uint8_t logStateAfter;
  };
  const Row rows[] = {
      {"installs", 0, 0, kHandle, 1, 1, 1, kSelf, 0},
      {"platform refuses", 0, 0, 0, 0, 1, 0, 0, 0},
      {"already installed elsewhere", 1, 77, kHandle, 0, 0, 1, 77, 1},
      {"already installed here", 1, kSelf, kHandle, 0, 0, 1, kSelf, 1},
      {"another process is installing", 0, 77, kHandle, 0, 0, 0, 77, 1},
  };
  for (const Row& row : rows) {
    HookSharedData data = InitialHookSharedData();
    data.HookInstalled = row.installed;
    data.InstallerProcessId = row.installer;
    data.LogState = 1;
    data.CacheLength = 120;
    int calls = 0;
    const std::uint8_t result = InstallSharedHook(data, kSelf, 1, [&] {
      ++calls;
      EXPECT_EQ(data.InstallerProcessId, kSelf) << row.name << ": hook set before the claim";
      return row.handle;
    });
    EXPECT_EQ(result, row.result) << row.name;
    EXPECT_EQ(calls, row.platformCalls) << row.name;
    EXPECT_EQ(data.HookInstalled, row.installedAfter) << row.name;
    EXPECT_EQ(data.InstallerProcessId, row.installerAfter) << row.name;
    EXPECT_EQ(data.LogState, row.logStateAfter) << row.name;
    EXPECT_EQ(data.CacheLength, 120) << row.name;
    if (row.platformCalls == 1) {
      EXPECT_EQ(data.HookHandle, row.handle) << row.name;
      EXPECT_EQ(data.FilterOwnProcess, row.result) << row.name;
    }
  }
}

TEST(HookControl, UninstallFollowsTheStateTable) {
  constexpr std::uint32_t kOther = kSelf + 1;
  struct Row {
    const char* name;
    std::uint8_t installed;
    std::uint32_t installer;  // the installing process the record names
    bool unhookSucceeds;
    bool installerEnded;      // what the platform says of the named process
    std::uint8_t result;
    int platformCalls;
    int takeovers;  // what the ended installer left beside the record is cleared
  };
  const Row rows[] = {
      {"removes", 1, kSelf, true, false, 1, 1, 0},
      {"another's hook, removed", 1, kOther, true, false, 1, 1, 0},
      {"platform refuses", 1, kSelf, false, false, 0, 1, 0},
      {"platform refuses, the installer runs", 1, kOther, false, false, 0, 1, 0},
      // The system took the hook with its ended installer: the record is reset all the same.
      {"platform refuses, the installer ended", 1, kOther, false, true, 1, 1, 1},
      {"platform refuses, this process is the installer", 1, kSelf, false, true, 0, 1, 0},
      {"not installed", 0, 0, true, false, 0, 0, 0},
  };
  for (const Row& row : rows) {
    HookSharedData data = InitialHookSharedData();
    data.HookInstalled = row.installed;
    data.InstallerProcessId = row.installer;
    data.HookHandle = row.installed ? kHandle : 0;
    data.FilterOwnProcess = row.installed;
    data.BlockedUpDown = 5;
    data.BlockedDbClick = 6;
    data.BlockedRotReverse = 7;
    data.LogState = 1;
    data.HookType = 0x05;
    data.UpDownIntervalTime = 77;
    data.LastLButtonDown = 1234;
    data.LastWheelForward = 0;
    data.CacheLength = 60;
    const HookSharedData before = data;
    int calls = 0, takeovers = 0;
    const std::uint8_t result = UninstallSharedHook(
        data, kSelf,
        [&](std::uint32_t handle) {
          ++calls;
          EXPECT_EQ(handle, kHandle) << row.name;
          return row.unhookSucceeds;
        },
        [&](std::uint32_t processId) {
          EXPECT_EQ(processId, row.installer) << row.name;
          return row.installerEnded;
        },
        [&] { ++takeovers; });
    EXPECT_EQ(result, row.result) << row.name;
    EXPECT_EQ(calls, row.platformCalls) << row.name;
    EXPECT_EQ(takeovers, row.takeovers) << row.name;
    if (result == 1) {
      HookSharedData expected = before;
      expected.HookInstalled = expected.FilterOwnProcess = 0;
      expected.InstallerProcessId = expected.HookHandle = 0;
      expected.BlockedUpDown = expected.BlockedDbClick = expected.BlockedRotReverse = 0;
      EXPECT_EQ(std::memcmp(&data, &expected, sizeof data), 0) << row.name << ": more or less than the install fields changed";
    } else {
      EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0) << row.name << ": the record changed";
    }
  }
}

// The shared sections are one per machine, hooks one per session: whose filter the library holds.
TEST(HookControl, HolderTellsAnotherSessionsFilter) {
  constexpr std::uint32_t kOther = kSelf + 1, kSession = 2;
  struct Row {
    const char* name;
    std::uint8_t installed;
    std::uint32_t installer, sessionTag;
    std::uint8_t holder;
  };
  const Row rows[] = {
      {"nothing installed", 0, 0, kSession + 1, kHookHolderNone},
      {"this process", 1, kSelf, kSession, kHookHolderThisProcess},
      {"another program of this session", 1, kOther, kSession, kHookHolderThisSession},
      {"a program of another session", 1, kOther, kSession + 1, kHookHolderOtherSession},
      {"an installer that did not say its session", 1, kOther, 0, kHookHolderThisSession},
  };
  for (const Row& row : rows) {
    HookSharedData data = InitialHookSharedData();
    data.HookInstalled = row.installed;
    data.InstallerProcessId = row.installer;
    EXPECT_EQ(HookHolder(data, InstallerSession{row.sessionTag}, kSelf, kSession), row.holder) << row.name;
  }
}

// Two programs remove the hook of an ended installer at once: the one whose claim lands first
// resets the record, the other leaves it alone, and a program that installs in between keeps
// its install.
TEST(HookControl, OnlyOneRemovalTakesOverAnEndedInstallersRecord) {
  constexpr std::uint32_t kEnded = kSelf + 1, kSecond = kSelf + 2, kNewInstaller = kSelf + 3;
  HookSharedData data = InitialHookSharedData();
  data.HookInstalled = 1;
  data.InstallerProcessId = kEnded;
  data.HookHandle = kHandle;
  const auto refuses = [](std::uint32_t) { return false; };
  const auto ended = [](std::uint32_t processId) { return processId == kEnded; };
  std::uint8_t secondResult = 9;
  // The second removal asks about the ended installer while the first is between its look and
  // its claim... and then the first resets the record and a new program installs.
  const std::uint8_t firstResult = UninstallSharedHook(data, kSelf, refuses, [&](std::uint32_t processId) {
    secondResult = UninstallSharedHook(data, kSecond, refuses, ended);
    return ended(processId);
  });
  EXPECT_EQ(secondResult, 1) << "the second removal, nearer, claims first";
  EXPECT_EQ(firstResult, 0) << "the first removal's claim must fail: the record changed under it";
  ASSERT_EQ(InstallSharedHook(data, kNewInstaller, 0, [] { return kHandle + 1; }), 1);
  EXPECT_EQ(UninstallSharedHook(data, kSelf, refuses, ended), 0) << "a running installer's record is kept";
  EXPECT_EQ(data.InstallerProcessId, kNewInstaller);
  EXPECT_EQ(data.HookInstalled, 1);
}

TEST(HookControl, ReinstallAfterUninstallGoesOnFromTheHistory) {
  HookSharedData data = InitialHookSharedData();
  ASSERT_EQ(InstallSharedHook(data, kSelf, 0, [] { return kHandle; }), 1);
  data.LastLButtonDown = 999;
  ASSERT_EQ(UninstallSharedHook(data, [](std::uint32_t) { return true; }), 1);
  EXPECT_EQ(InstallSharedHook(data, kSelf + 1, 0, [] { return kHandle + 1; }), 1);
  EXPECT_EQ(data.InstallerProcessId, kSelf + 1);
  EXPECT_EQ(data.LastLButtonDown, 999u);
}

#if QUILLON_CAN_STEP_INSTRUCTIONS
// Runs a call one machine instruction at a time (the processor's trap flag, a SIGTRAP after
// each instruction) and calls `between` after every instruction, on the same thread. Another
// program's whole operation can so be placed at each point of the call: no timing-based race
// reaches every point, least of all the one between two adjacent stores.
class InstructionStepper {
 public:
  static void Run(void (*call)(void*), void* argument, const std::function<void()>& between) {
    struct sigaction action = {}, previous = {};
    action.sa_sigaction = &OnTrap;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGTRAP, &action, &previous), 0);
    between_ = &between;
    asm volatile("pushfq\n\torq $0x100, (%%rsp)\n\tpopfq" ::: "memory", "cc");
    call(argument);
    asm volatile("pushfq\n\tandq $~0x100, (%%rsp)\n\tpopfq" ::: "memory", "cc");
    between_ = nullptr;
    sigaction(SIGTRAP, &previous, nullptr);
  }

 private:
  // The kernel clears the trap flag while the handler runs and restores it on return.
  static void OnTrap(int, siginfo_t*, void*) {
    if (between_ != nullptr) (*between_)();
  }
  static inline const std::function<void()>* between_ = nullptr;
};

constexpr std::uint32_t kOther = 500;
constexpr std::uint32_t kOtherHandle = 0x000D0E0Fu;

struct SteppedInstall {
  HookSharedData* data;
  std::uint32_t handle;  // what the platform gives this install; 0: it refuses
};

__attribute__((noinline)) void RunSteppedInstall(void* argument) {
  auto* install = static_cast<SteppedInstall*>(argument);
  InstallSharedHook(*install->data, kSelf, 0, [install] { return install->handle; });
}

// One install runs instruction by instruction; at one point of it another program removes
// whatever hook is published and installs its own, filtering its own process and switching
// logging on. Tried at every point in turn: wherever the other program got in, the record ends
// up describing its hook, with its logging on.
TEST(HookControl, NothingOfAnInstallLandsAfterItHandsTheRecordOver) {
  struct Row {
    const char* name;
    std::uint32_t platformGives;  // to the stepped install
  };
  const Row rows[] = {
      {"the platform refuses the stepped install", 0},
      {"the stepped install succeeds and is removed at once", kHandle},
  };
  for (const Row& row : rows) {
    int steps = 0;
    HookSharedData data = InitialHookSharedData();
    SteppedInstall install{&data, row.platformGives};
    InstructionStepper::Run(RunSteppedInstall, &install, [&] { ++steps; });
    ASSERT_GT(steps, 5) << row.name << ": the call was not stepped";

    int otherGotIn = 0;
    for (int at = 0; at <= steps; ++at) {
      data = InitialHookSharedData();
      data.LogState = 1;  // left on by an earlier install
      bool otherInstalled = false;
      int step = 0;
      InstructionStepper::Run(RunSteppedInstall, &install, [&] {
        if (step++ != at) return;
        UninstallSharedHook(data, [](std::uint32_t) { return true; });
        otherInstalled = InstallSharedHook(data, kOther, 1, [] { return kOtherHandle; }) == 1;
        if (otherInstalled) SharedStore(data.LogState, std::uint8_t{1});  // its SetLogState(1)
      });
      if (!otherInstalled) continue;
      ++otherGotIn;
      EXPECT_EQ(data.HookInstalled, 1) << row.name << ", step " << at;
      EXPECT_EQ(data.InstallerProcessId, kOther) << row.name << ", step " << at;
      EXPECT_EQ(data.HookHandle, kOtherHandle) << row.name << ", step " << at;
      EXPECT_EQ(data.FilterOwnProcess, 1) << row.name << ", step " << at;
      EXPECT_EQ(data.LogState, 1) << row.name << ", step " << at << ": its logging was switched off";
    }
    EXPECT_GT(otherGotIn, 0) << row.name << ": the other program never got in";
  }
}
#endif

// Many processes installing at once: exactly one platform hook is set, and it is the one the
// record holds, so none is left orphaned.
TEST(HookControl, RacingInstallsSetOneHook) {
  constexpr int kRounds = 200;
  constexpr int kRacers = 4;
  for (int round = 0; round < kRounds; ++round) {
    HookSharedData data = InitialHookSharedData();
    std::atomic<int> hooksSet{0};
    std::atomic<int> winners{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> racers;
    for (int racer = 0; racer < kRacers; ++racer) {
      racers.emplace_back([&, racer] {
        while (!go.load()) std::this_thread::yield();
        const std::uint32_t handle = kHandle + static_cast<std::uint32_t>(racer);
        if (InstallSharedHook(data, kSelf + static_cast<std::uint32_t>(racer), 0, [&] {
              hooksSet.fetch_add(1);
              return handle;
            }) == 1) {
          winners.fetch_add(1);
          EXPECT_EQ(__atomic_load_n(&data.HookHandle, __ATOMIC_SEQ_CST), handle);
        }
      });
    }
    go.store(true);
    for (std::thread& racer : racers) racer.join();
    ASSERT_EQ(hooksSet.load(), 1) << "round " << round;
    ASSERT_EQ(winners.load(), 1) << "round " << round;
    ASSERT_EQ(data.HookHandle - kHandle, data.InstallerProcessId - kSelf) << "round " << round;
  }
}

// An uninstall racing with installs never resets a record that a newer install has filled.
TEST(HookControl, UninstallNeverClobbersANewerInstall) {
  constexpr int kRounds = 200;
  for (int round = 0; round < kRounds; ++round) {
    HookSharedData data = InitialHookSharedData();
    ASSERT_EQ(InstallSharedHook(data, kSelf, 0, [] { return kHandle; }), 1);
    std::atomic<std::uint32_t> liveHook{kHandle};  // the platform's one hook, 0 when none
    std::atomic<bool> go{false};
    std::thread remover([&] {
      while (!go.load()) std::this_thread::yield();
      UninstallSharedHook(data, [&](std::uint32_t handle) {
        std::uint32_t expected = handle;
        return liveHook.compare_exchange_strong(expected, 0);
      });
    });
    std::thread installer([&] {
      while (!go.load()) std::this_thread::yield();
      for (int attempt = 0; attempt < 1000; ++attempt) {
        const bool installed = InstallSharedHook(data, kSelf + 1, 0, [&] {
          std::uint32_t expected = 0;
          return liveHook.compare_exchange_strong(expected, kHandle + 1) ? kHandle + 1 : 0u;
        }) == 1;
        if (installed) break;
        std::this_thread::yield();
      }
    });
    go.store(true);
    remover.join();
    installer.join();
    // Whatever the interleaving: the record describes the platform's hook.
    if (liveHook.load() == 0) {
      EXPECT_EQ(data.HookInstalled, 0) << "round " << round;
      EXPECT_EQ(data.InstallerProcessId, 0u) << "round " << round;
    } else {
      EXPECT_EQ(data.HookInstalled, 1) << "round " << round;
      EXPECT_EQ(data.HookHandle, liveHook.load()) << "round " << round;
      EXPECT_EQ(data.InstallerProcessId, kSelf + 1) << "round " << round;
    }
  }
}

}  // namespace
