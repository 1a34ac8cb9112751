// Every field of the shared record hostile at once: the decision, append, drain, settings and
// install paths and the writer's walk touch nothing outside the record, and a drain restores it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "block_log.h"
#include "hook_test_kit.h"
#include "hostile_records.h"
#include "log_record.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_ASAN 1
#endif
#endif
#ifdef QUILLON_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace {

constexpr std::uint32_t kSelf = 4242;
constexpr std::uint32_t kOther = 777;
constexpr std::uint8_t kGuardByte = 0xCD;
constexpr std::size_t kGuardSize = 64;

// A value between two guard zones: AddressSanitizer reports any access to them at once, and
// without it the guard bytes must still be intact at the end.
template <typename T>
class Guarded {
 public:
  Guarded() : block_(new std::uint8_t[kGuardSize + sizeof(T) + kGuardSize]) {
    std::memset(block_.get(), kGuardByte, kGuardSize);
    std::memset(block_.get() + kGuardSize + sizeof(T), kGuardByte, kGuardSize);
    Poison(true);
  }
  ~Guarded() { Poison(false); }
  T& operator*() { return *reinterpret_cast<T*>(block_.get() + kGuardSize); }
  bool GuardsIntact() {
    Poison(false);
    bool intact = true;
    for (std::size_t i = 0; i < kGuardSize; ++i) {
      intact = intact && block_[i] == kGuardByte && block_[kGuardSize + sizeof(T) + i] == kGuardByte;
    }
    Poison(true);
    return intact;
  }

 private:
  void Poison([[maybe_unused]] bool on) {
#ifdef QUILLON_ASAN
    if (on) {
      ASAN_POISON_MEMORY_REGION(block_.get(), kGuardSize);
      ASAN_POISON_MEMORY_REGION(block_.get() + kGuardSize + sizeof(T), kGuardSize);
    } else {
      ASAN_UNPOISON_MEMORY_REGION(block_.get(), kGuardSize);
      ASAN_UNPOISON_MEMORY_REGION(block_.get() + kGuardSize + sizeof(T), kGuardSize);
    }
#endif
  }
  std::unique_ptr<std::uint8_t[]> block_;
};

using DrainBuffer = std::uint8_t[kBlockLogCacheSize];

struct AlwaysLock {
  bool Open() { return true; }
  bool Wait() { return true; }
  void Release() {}
  void Close() {}
};

constexpr BlockLogTime kTime = {2024, 2, 4, 29, 23, 59, 58, 999};
const std::u16string kPath = u"C:\\Program Files\\Target\\target.exe";

void Fill(HookSharedData& data, std::uint8_t byte) { std::memset(&data, byte, sizeof data); }

struct HostileRow {
  const char* name;
  std::function<void(HookSharedData&)> make;
};

const HostileRow kHostileRows[] = {
    {"every byte 0xFF (cache length 65535, intervals 0xFFFFFFFF, type 0xFF, handle not a hook)",
     [](HookSharedData& d) { Fill(d, 0xFF); }},
    {"every byte 0xFF, this process the installer",
     [](HookSharedData& d) {
       Fill(d, 0xFF);
       d.InstallerProcessId = kSelf;
     }},
    {"intervals 0, cache length 10241, garbage cache",
     [](HookSharedData& d) {
       Fill(d, 0x00);
       Scramble(d.CacheBuffer, sizeof d.CacheBuffer, 1);
       d.HookInstalled = 1;
       d.LogState = 0xFF;
       d.HookType = 0xFF;
       d.InstallerProcessId = kSelf;
       d.CacheLength = 10241;
       d.HookHandle = 0xDEADBEEF;
     }},
    {"cache length odd, one byte short of full",
     [](HookSharedData& d) {
       d = InitialHookSharedData();
       Scramble(d.CacheBuffer, sizeof d.CacheBuffer, 2);
       d.HookInstalled = 1;
       d.LogState = 1;
       d.HookType = 0x07;
       d.InstallerProcessId = kSelf;
       d.CacheLength = 10239;
     }},
    {"records claiming more than the cache",
     [](HookSharedData& d) {
       Fill(d, 0x7F);
       LyingRecords(d, 0xFFFE, u'x');
       d.InstallerProcessId = kSelf;
       d.CacheLength = 65534;
     }},
    {"546-byte records whose names never end",
     [](HookSharedData& d) {
       Fill(d, 0x01);
       LyingRecords(d, 546, u'y');
       d.InstallerProcessId = kSelf;
       d.CacheLength = 10240;
     }},
    {"counters about to wrap, wheel direction neither 0 nor 1",
     [](HookSharedData& d) {
       d = InitialHookSharedData();
       d.HookInstalled = 1;
       d.LogState = 1;
       d.HookType = 0x07;
       d.InstallerProcessId = kSelf;
       d.BlockedUpDown = d.BlockedDbClick = d.BlockedRotReverse = 0xFFFFFFFF;
       d.LastWheelForward = 0x80;
       d.UpDownIntervalTime = d.DbClickIntervalTime = d.RotReverseIntervalTime = 0xFFFFFFFF;
     }},
    {"random bytes, seed 11", [](HookSharedData& d) { Scramble(reinterpret_cast<std::uint8_t*>(&d), sizeof d, 11); }},
    {"random bytes, seed 12, installer",
     [](HookSharedData& d) {
       Scramble(reinterpret_cast<std::uint8_t*>(&d), sizeof d, 12);
       d.InstallerProcessId = kSelf;
     }},
};

std::uint32_t CounterSum(const HookSharedData& d) { return d.BlockedUpDown + d.BlockedDbClick + d.BlockedRotReverse; }

// The source a swallowed message's code must name.
std::uint8_t SourceOf(std::uint32_t message) {
  switch (message) {
    case kWmLButtonDown: case kWmLButtonUp: case kWmLButtonDblClk: return kSourceLeftButton;
    case kWmRButtonDown: case kWmRButtonUp: case kWmRButtonDblClk: return kSourceRightButton;
    case kWmMouseWheel: return kSourceWheel;
    case kWmMButtonDown: return kSourceMiddleButton;
    default: return 0;
  }
}

// Walks a drained batch as the log writer does, from an exactly sized copy so that a read past
// the drained count is caught; every line it yields must be whole.
BlockLogStop WalkLikeTheWriter(const std::uint8_t* drained, std::uint16_t count, std::vector<std::u16string>* lines,
                               const std::string& where) {
  std::vector<std::uint8_t> batch(drained, drained + count);
  batch.shrink_to_fit();
  BlockLogLines walk(batch.empty() ? nullptr : batch.data(), batch.size());
  while (walk.Next()) {
    const std::u16string line(walk.Line(), walk.Length());
    EXPECT_TRUE(line.size() >= 4 && line.size() < kLogLineCapacity && line.front() == u'[' &&
                line.compare(line.size() - 3, 3, u">\r\n") == 0)
        << where << ": a line that is not whole";
    if (lines) lines->push_back(line);
  }
  return walk.Stop();
}

// Everything a process can do with the record, with this process as caller.
void RunEverything(HookSharedData& data, DrainBuffer& drain, std::uint32_t caller, const std::string& where) {
  AlwaysLock lock;
  CacheResetMark mark{};

  // Settings: values outside 1..9999 never land.
  const std::uint32_t intervals[3] = {data.UpDownIntervalTime, data.DbClickIntervalTime, data.RotReverseIntervalTime};
  SetSharedIntervalTimes(data, 0, 0xFFFFFFFF, 10000);
  EXPECT_EQ(data.UpDownIntervalTime, intervals[0]) << where;
  EXPECT_EQ(data.DbClickIntervalTime, intervals[1]) << where;
  EXPECT_EQ(data.RotReverseIntervalTime, intervals[2]) << where;

  // A handle that is not a hook: the platform refuses it, and the record stays exactly as it is.
  if (data.HookInstalled != 0) {
    const HookSharedData before = data;
    EXPECT_EQ(UninstallSharedHook(data, [](std::uint32_t) { return false; }), 0) << where;
    EXPECT_EQ(std::memcmp(&before, &data, sizeof data), 0) << where << ": a refused unhook changed the record";
    EXPECT_EQ(InstallSharedHook(data, caller, 1, [] { return 0x1234u; }), 0) << where << ": installed twice";
  }

  // Every message, hook code, wheel delta and tick the platform can hand over, judged by the
  // hook's decision with its own features off (their hostile states are the guard's tests').
  GuardSharedData guard = InitialGuardSharedData();
  RefreshButtonIntervals(data, guard.Extension);
  FakeHookState host;
  host.self = caller;
  const std::uint32_t messages[] = {kWmLButtonDown, kWmLButtonUp,     kWmLButtonDblClk, kWmRButtonDown,
                                    kWmRButtonUp,   kWmRButtonDblClk, kWmMouseWheel,    kWmMouseMove,
                                    kWmMButtonDown, kWmMouseHWheel,   0,                0xFFFFFFFF};
  for (std::uint32_t tick : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 123456u}) {
    for (std::int32_t hookCode : {kHcAction, kHcNoRemove, -1}) {
      for (std::int16_t delta : {std::int16_t{120}, std::int16_t{-120}, std::int16_t{0}, std::int16_t{-32768}}) {
        for (std::uint32_t message : messages) {
          const std::uint32_t before = CounterSum(data);
          host.tick = tick;
          host.wheelDelta = delta;
          const std::uint16_t code = static_cast<std::uint16_t>(DecideWithFake(data, guard, host, message, hookCode));
          if (code == kPass) {
            EXPECT_EQ(CounterSum(data), before) << where;
            continue;
          }
          EXPECT_EQ(hookCode, kHcAction) << where << ": judged a message that was only peeked at";
          EXPECT_EQ(code >> 8, SourceOf(message)) << where << ": code 0x" << std::hex << code;
          EXPECT_EQ(CounterSum(data), before + 1) << where;
          AppendBlockLog(data, mark, code, caller, kPath.c_str(), kPath.size() + 1, lock, [] { return kTime; });
        }
      }
    }
  }

  // The drain, and the writer's walk of whatever it handed over.
  const std::uint32_t installer = data.InstallerProcessId;
  const std::uint16_t count = DrainBlockLog(data, mark, caller, drain, lock);
  if (caller != installer) {
    EXPECT_EQ(count, kDrainNotInstaller) << where;
  } else {
    EXPECT_LE(count, kBlockLogCacheSize) << where << ": would read as \"not the installer\"";
    WalkLikeTheWriter(drain, count, nullptr, where);
    if (data.LogState != 0) {
      EXPECT_EQ(data.CacheLength, 0) << where << ": the drain left records behind";
    }
  }

  // Switching logging twice ends with an empty cache, so what follows is trustworthy.
  const std::uint8_t state = data.LogState;
  SetBlockLogState(data, mark, static_cast<std::uint8_t>(~state), lock);
  SetBlockLogState(data, mark, state, lock);
  EXPECT_EQ(data.CacheLength, 0) << where;
}

TEST(SharedRecordCorruption, NothingOutsideTheRecordIsTouchedWhateverItHolds) {
  for (const HostileRow& row : kHostileRows) {
    for (std::uint32_t caller : {kSelf, kOther}) {
      const std::string where = std::string(row.name) + (caller == kSelf ? ", called by the installer" : ", called by another process");
      Guarded<HookSharedData> record;
      Guarded<DrainBuffer> drain;
      row.make(*record);
      RunEverything(*record, *drain, caller, where);
      EXPECT_TRUE(record.GuardsIntact()) << where << ": wrote outside the record";
      EXPECT_TRUE(drain.GuardsIntact()) << where << ": wrote outside the drain buffer";
    }
  }
}

// After a hostile record has been drained once by its installer, a swallowed message leaves
// exactly one whole record, and the writer makes exactly one line of it.
TEST(SharedRecordCorruption, TheFirstDrainMakesTheCacheTrustworthyAgain) {
  for (const HostileRow& row : kHostileRows) {
    const std::string where = row.name;
    Guarded<HookSharedData> guarded;
    Guarded<DrainBuffer> drain;
    HookSharedData& data = *guarded;
    row.make(data);
    data.InstallerProcessId = kSelf;
    data.HookInstalled = 1;
    data.LogState = 1;
    AlwaysLock lock;
    CacheResetMark mark{};

    const std::uint16_t first = DrainBlockLog(data, mark, kSelf, *drain, lock);
    EXPECT_LE(first, kBlockLogCacheSize) << where;
    WalkLikeTheWriter(*drain, first, nullptr, where);
    ASSERT_EQ(data.CacheLength, 0) << where;

    AppendBlockLog(data, mark, 0x0101, kOther, kPath.c_str(), kPath.size() + 1, lock, [] { return kTime; });
    const std::uint16_t second = DrainBlockLog(data, mark, kSelf, *drain, lock);
    EXPECT_EQ(second, 26 + 2 * kPath.size()) << where;
    std::vector<std::u16string> lines;
    EXPECT_EQ(WalkLikeTheWriter(*drain, second, &lines, where), BlockLogStop::End) << where;
    ASSERT_EQ(lines.size(), 1u) << where;
    EXPECT_EQ(lines[0], u"[2024-02-29 23:59:58]  PID=<0777> APPNAME=<\"" + kPath + u"\"> CODE=<0x0101>\r\n") << where;
    EXPECT_TRUE(guarded.GuardsIntact()) << where;
    EXPECT_TRUE(drain.GuardsIntact()) << where;
  }
}

// Intervals of 0 let everything pass however the timestamps lie; a type without source bits
// filters nothing. Both hold whatever else the record says.
TEST(SharedRecordCorruption, NothingIsSwallowedWithIntervalsZeroOrNoSource) {
  struct Row {
    const char* name;
    std::uint32_t interval;
    std::uint8_t hookType;
  };
  const Row rows[] = {{"intervals 0, every source", 0, 0xFF}, {"intervals 0xFFFFFFFF, no source bit", 0xFFFFFFFF, 0xC0}};
  for (const Row& row : rows) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      HookSharedData data;
      Scramble(reinterpret_cast<std::uint8_t*>(&data), sizeof data, seed);
      data.UpDownIntervalTime = data.DbClickIntervalTime = data.RotReverseIntervalTime = row.interval;
      data.HookType = row.hookType;
      data.FilterOwnProcess = 1;
      GuardSharedData guard = InitialGuardSharedData();
      SetPressConfirmSettings(guard, 1, kDefaultPressConfirmTime);
      RefreshButtonIntervals(data, guard.Extension);
      FakeHookState host;
      host.self = kOther;
      host.wheelDelta = 120;
      for (std::uint32_t message = kWmLButtonDown; message <= kWmMouseWheel; ++message) {
        for (std::uint32_t tick : {0u, 5u, 0xFFFFFFFFu}) {
          host.tick = tick;
          EXPECT_EQ(DecideWithFake(data, guard, host, message), kPass)
              << row.name << ", seed " << seed << ", message 0x" << std::hex << message;
        }
      }
    }
  }
}

}  // namespace
