// The block log cache's lock across processes: a drain waits for a process that holds
// "CACHE_IO_MUTEX", an append (in a hooked program's input path) and a log-state change (on a
// window thread) only for a bounded time, and all take the lock over when that process dies
// holding it.
#include "hook_test_fixture.h"

#include <functional>

namespace {

// Runs work on a thread of its own so a test can see whether it is blocked.
class Worker {
 public:
  explicit Worker(std::function<void()> work) : work_(std::move(work)) {
    thread_ = CreateThread(nullptr, 0, &Worker::Run, this, 0, nullptr);
  }
  ~Worker() {
    if (thread_ != nullptr) {
      WaitForSingleObject(thread_, 60000);
      CloseHandle(thread_);
    }
  }
  bool Started() const { return thread_ != nullptr; }
  bool FinishedWithin(DWORD ms) { return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0; }

 private:
  static DWORD WINAPI Run(void* self) {
    static_cast<Worker*>(self)->work_();
    return 0;
  }
  std::function<void()> work_;
  HANDLE thread_ = nullptr;
};

class CacheMutex : public LatchkinTest {
 protected:
  void SetUp() override {
    LatchkinTest::SetUp();
    ASSERT_EQ(hook_.InstallHook(1), 1);
    hook_.SetHookType(0x07);
    hook_.SetIntervalTime(9999, 9999, 9999);
    hook_.SetLogState(1);
    ASSERT_NE(Message(WM_LBUTTONDOWN), 1);
  }
  LRESULT Message(UINT message) {
    MOUSEHOOKSTRUCTEX data = {};
    return hook_.MousePreProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&data));
  }
  std::uint16_t Drain() {
    std::uint8_t buffer[kBlockLogCacheSize];
    return hook_.ClearLogCahce(buffer);
  }
  std::wstring Name(const wchar_t* what) const {
    return L"Quillon.HookTest." + std::to_wstring(GetCurrentProcessId()) + L"." + what;
  }
  // A peer that takes the mutex, says so, and on Go either releases it or dies holding it.
  ChildProcess StartHolder(bool dies) {
    ChildProcess peer = StartPeer({L"holdmutex", L"signal:" + Name(L"Held"), L"wait:" + Name(L"Go"),
                                   dies ? L"exit:7" : L"releasemutex"});
    EXPECT_EQ(WaitForSingleObject(held_, 30000), WAIT_OBJECT_0) << "the peer never took the mutex";
    return peer;
  }

  HANDLE held_ = Event(Name(L"Held"));
  HANDLE go_ = Event(Name(L"Go"));
};

TEST_F(CacheMutex, OnlyTheDrainWaitsForTheHolderAndAllTakeOverAnAbandonedLock) {
  struct Row {
    const char* name;
    bool holderDies;
    bool needsRecord;  // the drain takes the lock only for a non-empty cache
    bool waitsForHolder;  // else it returns within its bound while the holder keeps the lock
    std::function<void()> operation;
    std::function<void()> check;
  };
  std::uint16_t drained = 0;
  const Row rows[] = {
      {"append, holder keeps the lock and dies", true, false, false,
       [this] { EXPECT_EQ(Message(WM_LBUTTONUP), 1) << "swallowed all the same"; },
       [this] {
         EXPECT_EQ(Drain(), 0) << "the record made while the lock was held elsewhere is dropped";
         ASSERT_EQ(Message(WM_LBUTTONUP), 1);
         EXPECT_GT(Drain(), 0) << "the next append did not take the abandoned lock over";
       }},
      {"drain, holder dies", true, true, true, [&] { drained = Drain(); }, [&] { EXPECT_GT(drained, 0); }},
      {"log switched off and on, holder keeps the lock", false, true, false,
       [this] {
         hook_.SetLogState(0);
         hook_.SetLogState(1);
       },
       [this] {
         EXPECT_EQ(hook_.GetLogState(), 1);
         EXPECT_EQ(Drain(), 0) << "records from before the switch reached the drain";
         ASSERT_EQ(Message(WM_LBUTTONUP), 1);
         EXPECT_GT(Drain(), 0) << "a record made after the switch was lost";
       }},
  };
  for (const Row& row : rows) {
    ResetEvent(held_);
    ResetEvent(go_);
    if (row.needsRecord) {
      ASSERT_EQ(Message(WM_LBUTTONUP), 1) << row.name;
    }
    ChildProcess holder = StartHolder(row.holderDies);
    Worker worker(row.operation);
    ASSERT_TRUE(worker.Started()) << row.name;
    if (row.waitsForHolder) {
      // The holder keeps the lock until told otherwise, so this wait cannot race anything.
      EXPECT_FALSE(worker.FinishedWithin(300)) << row.name << ": did not wait for the lock";
    } else {
      // At most two changes of kLogStateLockWaitMs (300 ms) each, with a margin for a loaded machine.
      EXPECT_TRUE(worker.FinishedWithin(3000)) << row.name << ": blocked while the holder keeps the lock";
      EXPECT_TRUE(holder.Running()) << row.name;
    }
    SetEvent(go_);
    EXPECT_TRUE(worker.FinishedWithin(30000)) << row.name << ": still blocked after the holder let go";
    ASSERT_TRUE(holder.WaitForExit(30000)) << row.name;
    row.check();
  }
  // And the lock is usable as ever.
  ASSERT_EQ(Message(WM_LBUTTONUP), 1);
  EXPECT_GT(Drain(), 0);
}

}  // namespace
