// The block log cache: record layout, the fit test at the cache's end, the drain's results, and
// the lock discipline of append, drain and log-state reset (with a fake lock).
#include "block_log.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kInstaller = 4242;
constexpr BlockLogTime kTime = {2024, 2, 4, 29, 23, 59, 58, 999};

// Records what the code under test does with the lock, with CacheLength as it stands when the
// lock is taken and released: a change between W and R happened under the lock.
struct FakeLock {
  const HookSharedData* data = nullptr;
  bool openFails = false;
  bool waitFails = false;
  bool held = false;
  std::string calls;

  bool Open() {
    calls += "O";
    return !openFails;
  }
  bool Wait() {
    calls += "W" + std::to_string(data->CacheLength);
    held = !waitFails;
    return held;
  }
  void Release() {
    calls += "R" + std::to_string(data->CacheLength);
    EXPECT_TRUE(held) << "released a lock it did not hold";
    held = false;
  }
  void Close() { calls += "C"; }
};

struct Cache {
  HookSharedData data = InitialHookSharedData();
  CacheResetMark mark{};
  FakeLock lock;

  Cache() {
    lock.data = &data;
    data.HookInstalled = 1;
    data.InstallerProcessId = kInstaller;
    data.LogState = 1;
  }
  void Append(std::uint16_t code, const std::u16string& path, std::uint32_t processId = 7) {
    AppendBlockLog(data, mark, code, processId, path.c_str(), path.size() + 1, lock, [] { return kTime; });
  }
  std::uint16_t Drain(std::vector<std::uint8_t>& out, std::uint32_t processId = kInstaller) {
    out.assign(kBlockLogCacheSize + 16, 0xEE);
    return DrainBlockLog(data, mark, processId, out.data(), lock);
  }
};

std::uint16_t U16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }
std::uint32_t U32(const std::uint8_t* at) { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }

std::u16string PathOf(std::size_t length) {
  std::u16string path(length, u'x');
  if (length > 0) path[0] = u'C';
  if (length > 1) path[length - 1] = u'\u00E9';  // a unit above 0xFF must keep both bytes
  return path;
}

TEST(BlockLogRecord, LayoutByNameLength) {
  struct Row {
    std::size_t pathLength;
    std::uint16_t recordLength;
    bool nameKept;
  };
  const Row rows[] = {{0, 26, true}, {1, 28, true}, {259, 544, true}, {260, 546, true}, {261, 26, false}, {519, 26, false}};
  for (const Row& row : rows) {
    const std::u16string path = PathOf(row.pathLength);
    std::vector<std::uint8_t> record(kBlockLogMaxRecordSize + 8, 0xEE);
    const std::uint16_t length =
        BuildBlockLogRecord(record.data(), kTime, 0x0202, 0x89ABCDEF, path.c_str(), path.size() + 1);
    EXPECT_EQ(length, row.recordLength) << row.pathLength;
    EXPECT_EQ(U16(&record[0]), row.recordLength) << row.pathLength;
    const std::uint16_t time[8] = {2024, 2, 4, 29, 23, 59, 58, 999};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(U16(&record[2 + 2 * i]), time[i]) << row.pathLength << " time field " << i;
    EXPECT_EQ(U16(&record[18]), 0x0202) << row.pathLength;
    EXPECT_EQ(U32(&record[20]), 0x89ABCDEFu) << row.pathLength;
    const std::size_t n = row.nameKept ? row.pathLength : 0;
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_EQ(U16(&record[24 + 2 * i]), static_cast<std::uint16_t>(path[i])) << row.pathLength << " unit " << i;
    EXPECT_EQ(U16(&record[24 + 2 * n]), 0) << row.pathLength << ": terminator";
    EXPECT_EQ(record[length], 0xEE) << row.pathLength << ": wrote past the record";
  }
}

// The path buffer of a process is 520 units; if it is not terminated inside, nothing is read
// beyond it and the name is dropped.
TEST(BlockLogRecord, NeverReadsPastThePathBuffer) {
  struct Row {
    std::size_t capacity;
    std::u16string path;
    std::uint16_t recordLength;
  };
  const Row rows[] = {
      {3, u"abc", 26},         // no terminator inside the buffer
      {4, u"abc", 32},
      {0, u"", 26},
  };
  for (const Row& row : rows) {
    std::vector<std::uint8_t> record(kBlockLogMaxRecordSize);
    std::u16string buffer = row.path;  // the terminator after the last unit is outside the capacity
    EXPECT_EQ(BuildBlockLogRecord(record.data(), kTime, 1, 1, buffer.c_str(), row.capacity), row.recordLength)
        << row.capacity;
  }
  std::vector<std::uint8_t> record(kBlockLogMaxRecordSize);
  EXPECT_EQ(BuildBlockLogRecord(record.data(), kTime, 1, 1, nullptr, 520), 26);
}

TEST(BlockLogCache, FitsUpToExactlyTheCacheSize) {
  struct Row {
    std::uint32_t used;
    std::uint32_t record;
    bool fits;
  };
  const Row rows[] = {
      {10200, 40, true},  {10200, 42, false}, {0, 546, true},      {10240, 26, false},
      {9694, 546, true},  {9695, 546, false}, {10241, 0, false},   {65535, 26, false},
      {0, 10240, true},   {0, 10241, false},
  };
  for (const Row& row : rows)
    EXPECT_EQ(BlockLogRecordFits(row.used, row.record), row.fits) << row.used << " + " << row.record;
}

TEST(BlockLogCache, AppendFillsToTheEndThenDrops) {
  Cache cache;
  cache.data.CacheLength = static_cast<std::uint16_t>(kBlockLogCacheSize - 40);
  std::vector<std::uint8_t> before(cache.data.CacheBuffer, cache.data.CacheBuffer + kBlockLogCacheSize);
  cache.Append(0x0101, PathOf(8));  // 42 bytes: one too many
  EXPECT_EQ(cache.data.CacheLength, kBlockLogCacheSize - 40);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), cache.data.CacheBuffer)) << "a dropped record left bytes behind";
  cache.Append(0x0101, PathOf(7));  // 40 bytes: exactly the rest
  EXPECT_EQ(cache.data.CacheLength, kBlockLogCacheSize);
  EXPECT_EQ(U16(&cache.data.CacheBuffer[kBlockLogCacheSize - 40]), 40);
  cache.Append(0x0101, u"");
  EXPECT_EQ(cache.data.CacheLength, kBlockLogCacheSize);

  std::vector<std::uint8_t> out;
  EXPECT_EQ(cache.Drain(out), kBlockLogCacheSize);
  EXPECT_EQ(out[kBlockLogCacheSize], 0xEE) << "the drain wrote past 10240 bytes";
  EXPECT_EQ(cache.Drain(out), 0);
}

// Whatever another process scribbled into CacheLength, nothing is written or read outside the
// cache, and a drain never answers more than 10240 (which would read as "not the installer").
TEST(BlockLogCache, OutOfRangeLengthStaysInsideTheCache) {
  for (std::uint16_t length : {std::uint16_t{10241}, std::uint16_t{10300}, std::uint16_t{65535}}) {
    Cache cache;
    cache.data.CacheLength = length;
    cache.Append(0x0101, u"C:\\a.exe");
    EXPECT_EQ(cache.data.CacheLength, length) << "append beyond the end";
    std::vector<std::uint8_t> out;
    EXPECT_EQ(cache.Drain(out), kBlockLogCacheSize) << length;
    EXPECT_EQ(out[kBlockLogCacheSize], 0xEE) << length;
    EXPECT_EQ(cache.data.CacheLength, 0) << length;
  }
}

TEST(BlockLogCache, RecordsStandBackToBackAndDrainWhole) {
  Cache cache;
  cache.Append(0x0101, u"C:\\One.exe", 11);
  cache.Append(0x0202, u"", 22);
  cache.Append(0x0410, PathOf(260), 33);
  std::vector<std::uint8_t> out;
  const std::uint16_t count = cache.Drain(out);
  ASSERT_EQ(count, 46 + 26 + 546);
  struct Expected {
    std::uint16_t length, code;
    std::uint32_t processId;
  };
  const Expected expected[] = {{46, 0x0101, 11}, {26, 0x0202, 22}, {546, 0x0410, 33}};
  std::size_t at = 0;
  for (const Expected& e : expected) {
    ASSERT_LT(at, count);
    EXPECT_EQ(U16(&out[at]), e.length) << "record at " << at;
    EXPECT_EQ(U16(&out[at + kBlockLogEventCodeOffset]), e.code) << "record at " << at;
    EXPECT_EQ(U32(&out[at + kBlockLogProcessIdOffset]), e.processId) << "record at " << at;
    at += U16(&out[at]);
  }
  EXPECT_EQ(at, count);
  EXPECT_EQ(cache.data.CacheLength, 0);
}

TEST(BlockLogCache, AppendConditionsAndLock) {
  struct Row {
    const char* name;
    std::uint8_t hookInstalled, logState;
    bool openFails, waitFails;
    std::uint16_t cacheLength;  // after one append
    const char* calls;
  };
  const Row rows[] = {
      {"installed and logging", 1, 1, false, false, 34, "OW0R34C"},
      {"any non-zero log state", 1, 2, false, false, 34, "OW0R34C"},
      {"logging off", 1, 0, false, false, 0, ""},
      {"not installed", 0, 1, false, false, 0, ""},
      {"mutex cannot be opened", 1, 1, true, false, 0, "O"},
      {"wait failed", 1, 1, false, true, 0, "OW0C"},
  };
  for (const Row& row : rows) {
    Cache cache;
    cache.data.HookInstalled = row.hookInstalled;
    cache.data.LogState = row.logState;
    cache.lock.openFails = row.openFails;
    cache.lock.waitFails = row.waitFails;
    cache.Append(0x0101, u"C:\\a");
    EXPECT_EQ(cache.data.CacheLength, row.cacheLength) << row.name;
    EXPECT_EQ(cache.lock.calls, row.calls) << row.name;
  }
}

TEST(BlockLogCache, DrainResults) {
  struct Row {
    const char* name;
    std::uint32_t caller;
    std::uint32_t installer;
    std::uint8_t logState;
    std::uint16_t cached;
    bool openFails;
    std::uint16_t result;
    std::uint16_t cachedAfter;
    const char* calls;
  };
  const Row rows[] = {
      {"installer drains", kInstaller, kInstaller, 1, 300, false, 300, 0, "OW300R0C"},
      {"installer, empty cache", kInstaller, kInstaller, 1, 0, false, 0, 0, "OC"},
      {"logging off keeps the records", kInstaller, kInstaller, 0, 300, false, 0, 300, "OC"},
      {"another process", 99, kInstaller, 1, 300, false, kDrainNotInstaller, 300, ""},
      {"hook not installed", kInstaller, 0, 1, 300, false, kDrainNotInstaller, 300, ""},
      {"mutex cannot be opened", kInstaller, kInstaller, 1, 300, true, 0, 300, "O"},
  };
  for (const Row& row : rows) {
    Cache cache;
    cache.data.InstallerProcessId = row.installer;
    cache.data.LogState = row.logState;
    cache.data.CacheLength = row.cached;
    cache.lock.openFails = row.openFails;
    std::vector<std::uint8_t> out;
    EXPECT_EQ(cache.Drain(out, row.caller), row.result) << row.name;
    EXPECT_EQ(cache.data.CacheLength, row.cachedAfter) << row.name;
    EXPECT_EQ(cache.lock.calls, row.calls) << row.name;
  }
}

TEST(BlockLogCache, DrainIntoNoBufferKeepsTheRecords) {
  Cache cache;
  cache.data.CacheLength = 100;
  EXPECT_EQ(DrainBlockLog(cache.data, cache.mark, kInstaller, nullptr, cache.lock), 0);
  EXPECT_EQ(cache.data.CacheLength, 100);
}

TEST(BlockLogCache, LogStateChangeEmptiesTheCacheUnderTheLock) {
  struct Row {
    const char* name;
    std::uint8_t before, after;
    bool openFails, waitFails;
    std::uint16_t cachedAfter;
    std::uint8_t owedAfter;
    const char* calls;
  };
  const Row rows[] = {
      {"same value keeps the records", 1, 1, false, false, 500, 0, "OW500R500C"},
      {"on to off", 1, 0, false, false, 0, 0, "OW500R0C"},
      {"off to on", 0, 1, false, false, 0, 0, "OW500R0C"},
      {"one non-zero to another", 1, 2, false, false, 0, 0, "OW500R0C"},
      {"no mutex: still stored and reset, the reset owed", 1, 0, true, false, 0, 1, "O"},
      {"lock not had in time: stored and reset, the reset owed", 0, 1, false, true, 0, 1, "OW500C"},
      {"lock not had in time, same value: nothing owed", 1, 1, false, true, 500, 0, "OW500C"},
  };
  for (const Row& row : rows) {
    Cache cache;
    cache.data.LogState = row.before;
    cache.data.CacheLength = 500;
    cache.lock.openFails = row.openFails;
    cache.lock.waitFails = row.waitFails;
    SetBlockLogState(cache.data, cache.mark, row.after, cache.lock);
    EXPECT_EQ(cache.data.LogState, row.after) << row.name;
    EXPECT_EQ(cache.data.CacheLength, row.cachedAfter) << row.name;
    EXPECT_EQ(cache.mark.Owed, row.owedAfter) << row.name;
    EXPECT_EQ(cache.lock.calls, row.calls) << row.name;
  }
}

// A log-state change that could not take the lock leaves its reset owed; the next append, drain
// or change that holds the lock pays it before anything else, so records an append under way
// put back on top of the unlocked reset never reach the log. Without the lock it stays owed.
TEST(BlockLogCache, AnOwedResetIsPaidByTheNextHolderOfTheLock) {
  struct Row {
    const char* name;
    std::function<void(Cache&)> operation;
    bool waitFails;
    std::uint16_t cachedAfter;
    std::uint8_t owedAfter;
  };
  std::vector<std::uint8_t> out;
  const Row rows[] = {
      {"append: the stale records go, the new one stays", [](Cache& c) { c.Append(0x0101, u"C:\\a"); }, false, 34, 0},
      {"drain: the stale records are not handed out",
       [&](Cache& c) { EXPECT_EQ(c.Drain(out), 0); }, false, 0, 0},
      {"change to the same value", [](Cache& c) { SetBlockLogState(c.data, c.mark, 1, c.lock); }, false, 0, 0},
      {"append without the lock", [](Cache& c) { c.Append(0x0101, u"C:\\a"); }, true, 300, 1},
      {"drain without the lock", [&](Cache& c) { EXPECT_EQ(c.Drain(out), 0); }, true, 300, 1},
  };
  for (const Row& row : rows) {
    Cache cache;
    cache.mark.Owed = 1;
    cache.data.CacheLength = 300;  // what an append under way put back after the reset
    cache.lock.waitFails = row.waitFails;
    row.operation(cache);
    EXPECT_EQ(cache.data.CacheLength, row.cachedAfter) << row.name;
    EXPECT_EQ(cache.mark.Owed, row.owedAfter) << row.name;
  }
}

}  // namespace
