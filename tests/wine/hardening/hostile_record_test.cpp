// The real library with a hostile shared record: every export, the hook here and in a target
// process, and the real writer's walk neither crash nor change a byte outside the record.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "block_records.h"
#include "hardening_support.h"
#include "hostile_records.h"
#include "log_writer.h"
#include "text_helpers.h"
#include "unique_handle.h"

namespace {

constexpr std::uint32_t kNotAHook = 0xDEADBEEF;

// Writes the library's own record of these fields (every time field set to field) with its
// length replaced; returns the record's true length.
std::size_t PutRecord(std::uint8_t* at, std::uint16_t length, std::uint16_t field, std::uint32_t processId,
                      std::uint16_t code, const std::u16string& name) {
  RecordFields fields;
  fields.Year = fields.Month = fields.DayOfWeek = fields.Day = field;
  fields.Hour = fields.Minute = fields.Second = fields.Milliseconds = field;
  fields.EventCode = code;
  fields.ProcessId = processId;
  fields.AppName = name;
  std::vector<std::uint8_t> record = BuildRecord(fields);
  PutRecordField(record, kBlockLogLengthOffset, length);
  std::memcpy(at, record.data(), record.size());
  return record.size();
}

// Records whose every field is out of its range, names full of quotes, brackets and line breaks,
// then one that claims more bytes than the cache holds.
void OddRecords(HookSharedData& d) {
  std::memset(d.CacheBuffer, 0, sizeof d.CacheBuffer);
  std::u16string name(260, u'"');
  for (std::size_t i = 0; i < name.size(); i += 4) name.replace(i, 4, u"\"\r\n<");
  std::size_t at = 0;
  at += PutRecord(d.CacheBuffer + at, static_cast<std::uint16_t>(26 + 2 * name.size()), 0xFFFF, 0xFFFFFFFF, 0xFFFF, name);
  at += PutRecord(d.CacheBuffer + at, 26, 0, 0, 0, u"");
  at += PutRecord(d.CacheBuffer + at, 0xFFFE, 0x1234, 7, 0x0101, u"C:\\cut.exe");
  d.CacheLength = static_cast<std::uint16_t>(at);
}

struct HostileRow {
  const char* name;
  void (*make)(HookSharedData& d, std::uint32_t self);
};

// Each keeps HookInstalled set and the hook handle on something that is not the hook, so the
// real hook this test installed can neither be installed twice nor removed by accident.
const HostileRow kHostileRows[] = {
    {"every byte 0xFF", [](HookSharedData& d, std::uint32_t) { std::memset(&d, 0xFF, sizeof d); }},
    {"intervals 0, cache length 10241, garbage cache, this process the installer",
     [](HookSharedData& d, std::uint32_t self) {
       Scramble(&d, sizeof d, 3);
       d.InstallerProcessId = self;
       d.HookInstalled = 1;
       d.LogState = 0xFF;
       d.HookType = 0xFF;
       d.HookHandle = kNotAHook;
       d.UpDownIntervalTime = d.DbClickIntervalTime = d.RotReverseIntervalTime = 0;
       d.CacheLength = 10241;
     }},
    {"intervals 0xFFFFFFFF, counters about to wrap, wheel direction 0x80, cache length 65535",
     [](HookSharedData& d, std::uint32_t) {
       std::memset(&d, 0, sizeof d);
       d.InstallerProcessId = 1;
       d.HookInstalled = 0x80;
       d.FilterOwnProcess = 0xFF;
       d.LogState = 1;
       d.HookHandle = kNotAHook;
       d.HookType = 0xFF;
       d.LastWheelForward = 0x80;
       d.BlockedUpDown = d.BlockedDbClick = d.BlockedRotReverse = 0xFFFFFFFF;
       d.UpDownIntervalTime = d.DbClickIntervalTime = d.RotReverseIntervalTime = 0xFFFFFFFF;
       d.CacheLength = 65535;
       LyingRecords(d, 546, u'y');
     }},
    {"random bytes",
     [](HookSharedData& d, std::uint32_t) {
       Scramble(&d, sizeof d, 17);
       d.HookInstalled = 0xA5;
       d.HookHandle = kNotAHook;
     }},
};

// Output variables with guard bytes behind them: an export may write the value and nothing else.
template <typename T>
struct Out {
  T value{};
  std::uint8_t guard[16];
  Out() { std::memset(guard, 0xCD, sizeof guard); }
  bool GuardIntact() const {
    for (std::uint8_t byte : guard)
      if (byte != 0xCD) return false;
    return true;
  }
};

// Whether the record names an installing process other than this one that does not run (no
// process has the id, or it has ended).
bool NamesAnEndedInstaller(const HookSharedData& record, std::uint32_t self) {
  if (record.HookInstalled == 0 || record.InstallerProcessId == 0 || record.InstallerProcessId == self) return false;
  UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, record.InstallerProcessId));
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

class HostileRecord : public LatchkinTest {
 protected:
  void SetUp() override {
    LatchkinTest::SetUp();
    section_ = FindSharedSection(module_);
    ASSERT_NE(section_.record, nullptr) << "no shared_d section in the library";
    ASSERT_GE(section_.virtualSize, sizeof(HookSharedData));
    ASSERT_NE(section_.characteristics & IMAGE_SCN_MEM_SHARED, 0u);
  }

  HookSharedData& Record() { return *section_.record; }

  // Calls every export and the hook procedure with the record as it stands.
  void CallEveryExport(const std::string& where) {
    const HookSharedData hostile = Record();
    const std::uint32_t self = GetCurrentProcessId();

    EXPECT_EQ(hook_.InstallHook(0), 0) << where;
    EXPECT_EQ(hook_.InstallHook(1), 0) << where;
    // InstallHook turns logging off even when it installs nothing; put the hostile byte back.
    Record().LogState = hostile.LogState;
    const HookSharedData beforeUnhook = Record();
    if (NamesAnEndedInstaller(hostile, self)) {
      // The handle names nothing, as after an installer that ended without removing its hook:
      // the install fields are given free and nothing else changes.
      EXPECT_EQ(hook_.UninstallHook(), 1) << where << ": the record of an ended installer was kept";
      HookSharedData expected = beforeUnhook;
      expected.HookInstalled = expected.FilterOwnProcess = 0;
      expected.InstallerProcessId = expected.HookHandle = 0;
      expected.BlockedUpDown = expected.BlockedDbClick = expected.BlockedRotReverse = 0;
      EXPECT_EQ(std::memcmp(&expected, &Record(), sizeof(HookSharedData)), 0)
          << where << ": more or less than the install fields changed";
      Record() = beforeUnhook;  // the hostile record again, for the other exports
    } else {
      EXPECT_EQ(hook_.UninstallHook(), 0) << where << ": removed a handle that is not a hook";
      EXPECT_EQ(std::memcmp(&beforeUnhook, &Record(), sizeof(HookSharedData)), 0)
          << where << ": a refused unhook changed the record";
    }
    EXPECT_EQ(hook_.QueryHookState(), hostile.HookInstalled) << where;
    EXPECT_EQ(hook_.IsSelf(), hostile.InstallerProcessId == self ? 1 : 0) << where;

    Out<std::uint8_t> type;
    hook_.GetHookType(&type.value);
    EXPECT_EQ(type.value, hostile.HookType) << where;
    EXPECT_TRUE(type.GuardIntact()) << where;
    hook_.GetHookType(nullptr);
    hook_.SetHookType(hostile.HookType);

    hook_.SetIntervalTime(0, 0xFFFFFFFF, 10000);
    Out<std::uint32_t> upDown, dbClick, rotReverse;
    hook_.GetIntervalTime(&upDown.value, &dbClick.value, &rotReverse.value);
    EXPECT_EQ(upDown.value, hostile.UpDownIntervalTime) << where;
    EXPECT_EQ(dbClick.value, hostile.DbClickIntervalTime) << where;
    EXPECT_EQ(rotReverse.value, hostile.RotReverseIntervalTime) << where;
    EXPECT_TRUE(upDown.GuardIntact() && dbClick.GuardIntact() && rotReverse.GuardIntact()) << where;
    hook_.GetIntervalTime(nullptr, nullptr, nullptr);

    Out<std::uint32_t> counts[3];
    hook_.ReturnBlockedCount(&counts[0].value, &counts[1].value, &counts[2].value);
    EXPECT_EQ(counts[0].value, hostile.BlockedUpDown) << where;
    EXPECT_TRUE(counts[0].GuardIntact() && counts[1].GuardIntact() && counts[2].GuardIntact()) << where;
    hook_.ReturnBlockedCount(nullptr, nullptr, nullptr);

    EXPECT_EQ(hook_.GetLogState(), hostile.LogState) << where;
    hook_.SetLogState(hostile.LogState);  // the same value: nothing else changes
    EXPECT_EQ(Record().CacheLength, hostile.CacheLength) << where;

    // The drain: into a buffer with guard bytes behind its 10240, and into no buffer at all.
    std::vector<std::uint8_t> buffer(kBlockLogCacheSize + 64, 0xCD);
    const std::uint16_t drained = hook_.ClearLogCahce(buffer.data());
    if (hostile.InstallerProcessId == self) {
      EXPECT_LE(drained, kBlockLogCacheSize) << where;
    } else {
      EXPECT_EQ(drained, 10241) << where;
    }
    for (std::size_t i = kBlockLogCacheSize; i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], 0xCD) << where << ": the drain wrote past 10240 bytes";
    }
    const std::uint16_t intoNothing = hook_.ClearLogCahce(nullptr);
    EXPECT_TRUE(intoNothing == 0 || intoNothing == 10241) << where << ": " << intoNothing;

    // Switching logging away and back empties the cache whatever its length said.
    hook_.SetLogState(static_cast<std::uint8_t>(~hostile.LogState));
    hook_.SetLogState(hostile.LogState);
    EXPECT_EQ(Record().CacheLength, 0) << where;
    hook_.ClearBlockedCount();
    EXPECT_EQ(hook_.Counts(), (std::vector<std::uint32_t>{0, 0, 0})) << where;

    // The hook procedure in this process: every watched message and a few others, with and
    // without the platform's structure, for each kind of hook code.
    MOUSEHOOKSTRUCTEX data = {};
    data.mouseData = static_cast<DWORD>(-120) << 16;
    for (int code : {HC_ACTION, HC_NOREMOVE, -1}) {
      for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP,
                           WM_RBUTTONDBLCLK, WM_MOUSEWHEEL, WM_MOUSEMOVE, WM_MOUSEHWHEEL, WM_MBUTTONDOWN}) {
        hook_.MousePreProc(code, message, reinterpret_cast<LPARAM>(&data));
        hook_.MousePreProc(code, message, 0);
      }
    }
  }

  SharedSection section_;
};

TEST_F(HostileRecord, EveryExportAndTheHookedTargetKeepRunning) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  ASSERT_EQ(hook_.InstallHook(0), 1);
  hook_.SetHookType(0x07);
  hook_.SetLogState(1);
  const HookSharedData sane = Record();
  ASSERT_NE(sane.HookHandle, kNotAHook);
  const ModuleBytes untouched(module_);

  for (const HostileRow& row : kHostileRows) {
    SCOPED_TRACE(row.name);
    HookSharedData hostile;
    row.make(hostile, GetCurrentProcessId());
    Record() = hostile;
    CallEveryExport(row.name);

    // Real input through the hook in the target's process: whatever the record says, each
    // message either reaches the target or is counted, and the target keeps answering.
    const std::vector<InputStep> steps = {
        ButtonStep(MouseButton::Left, true),  ButtonStep(MouseButton::Left, false),
        ButtonStep(MouseButton::Right, true), ButtonStep(MouseButton::Right, false),
        WheelStep(120),                       WheelStep(-120),
        WheelStep(-120, 300),                 ButtonStep(MouseButton::Left, true, 300),
        ButtonStep(MouseButton::Left, false, 300)};
    target.MoveToFreshPoint();
    target.ClearReceived();
    const std::vector<std::uint32_t> before = hook_.Counts();
    ASSERT_TRUE(target.Play(steps)) << row.name << ": the target stopped answering";
    const std::vector<std::uint32_t> after = hook_.Counts();
    const std::uint32_t swallowed = (after[0] - before[0]) + (after[1] - before[1]) + (after[2] - before[2]);
    EXPECT_EQ(target.Received().size() + swallowed, steps.size())
        << row.name << ": received " << Describe(target.Received()) << ", counted " << swallowed;
    EXPECT_TRUE(target.Running()) << row.name;

    Record() = sane;
  }

  EXPECT_EQ(untouched.Changed(), std::vector<std::string>{}) << "bytes outside the record changed";
  // Sane again: the hook filters and is removed as ever.
  hook_.SetIntervalTime(300, 300, 300);
  target.MoveToFreshPoint();
  target.ClearReceived();
  const std::vector<std::uint32_t> before = hook_.Counts();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true, 600), ButtonStep(MouseButton::Left, false),
                           ButtonStep(MouseButton::Left, false, 600)}));
  EXPECT_EQ(Describe(target.Received()), Describe({{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}));
  EXPECT_EQ(hook_.Counts()[0] - before[0], 1u);
  EXPECT_EQ(hook_.UninstallHook(), 1);
}

// The real writer drains hostile caches: it writes whole lines or nothing, and the first real
// record after each one is logged as ever.
TEST_F(HostileRecord, TheWriterTurnsAHostileCacheIntoWholeLinesOnly) {
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  ASSERT_TRUE(InstallLoggingHook(hook_, 1));  // this process's own messages are judged too
  ASSERT_TRUE(StartRealLogWriter(hook_, 5120));
  const std::wstring log = folder_ + kLogFileName;
  ASSERT_TRUE(WaitUntil([&] { return ReadLog(log).byteOrderMark; }, 15000)) << "the first pass made no file";

  struct CacheRow {
    const char* name;
    void (*make)(HookSharedData& d);
  };
  const CacheRow rows[] = {
      {"cache length 65535, every byte 0xFF",
       [](HookSharedData& d) {
         std::memset(d.CacheBuffer, 0xFF, sizeof d.CacheBuffer);
         d.CacheLength = 65535;
       }},
      {"cache length 10241, random bytes",
       [](HookSharedData& d) {
         Scramble(d.CacheBuffer, sizeof d.CacheBuffer, 5);
         d.CacheLength = 10241;
       }},
      {"546-byte records whose names never end",
       [](HookSharedData& d) {
         LyingRecords(d, 546, u'z');
         d.CacheLength = kBlockLogCacheSize;
       }},
      {"fields out of range, names with quotes and line breaks, a record past the end", &OddRecords},
      {"26-byte records up to an odd length",
       [](HookSharedData& d) {
         for (std::size_t at = 0; at + 26 <= sizeof d.CacheBuffer; at += 26) PutRecord(d.CacheBuffer + at, 26, 1, 2, 3, u"");
         d.CacheLength = 10239;
       }},
  };

  std::size_t lines = 0;
  for (const CacheRow& row : rows) {
    SCOPED_TRACE(row.name);
    {
      // Under the cache's own lock, so the writer's drain sees the cache whole.
      UniqueHandle mutex(CreateMutexW(nullptr, FALSE, L"CACHE_IO_MUTEX"));
      ASSERT_TRUE(mutex);
      ASSERT_EQ(WaitForSingleObject(mutex.get(), 15000), WAIT_OBJECT_0);
      row.make(Record());
      ReleaseMutex(mutex.get());
    }
    ASSERT_TRUE(WaitUntil([&] { return Record().CacheLength == 0; }, 15000)) << "never drained";

    // One real record behind the hostile ones.
    MOUSEHOOKSTRUCTEX data = {};
    ASSERT_NE(hook_.MousePreProc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&data)), 1);
    ASSERT_EQ(hook_.MousePreProc(HC_ACTION, WM_LBUTTONUP, reinterpret_cast<LPARAM>(&data)), 1);
    auto realLineLast = [&] {
      const LogContents contents = ReadLog(log);
      return contents.broken.empty() && contents.lines.size() > lines && contents.lines.back().sane &&
             contents.lines.back().processId == GetCurrentProcessId() && contents.lines.back().eventCode == 0x0101;
    };
    EXPECT_TRUE(WaitUntil(realLineLast, 20000)) << "the real record was not logged after the hostile cache";

    const LogContents contents = ReadLog(log);
    EXPECT_TRUE(contents.byteOrderMark);
    EXPECT_EQ(Narrow(contents.broken), "") << "not a whole line";
    // Whole records of at least 26 bytes: a drain can not yield more lines than that.
    EXPECT_LE(contents.lines.size() - lines, kBlockLogCacheSize / 26 + 1);
    lines = contents.lines.size();
  }

  EXPECT_TRUE(StopLogWriter(15000));
  LogWriter.Library = nullptr;
  EXPECT_EQ(hook_.UninstallHook(), 1);
  SetCurrentDirectoryW(BinDirectory().c_str());
}

}  // namespace
