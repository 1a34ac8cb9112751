// The block log cache inside the shared record: building one record per swallowed message,
// appending it, draining the cache in the installing process, and resetting it when logging
// is switched. The cross-process lock is a parameter, so the rules run natively in tests.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hook_shared_data.h"


// The platform's local time, its eight 16-bit fields in the platform's order.
struct BlockLogTime {
  std::uint16_t Year, Month, DayOfWeek, Day, Hour, Minute, Second, Milliseconds;
};

// Writes the record for one swallowed message into record (kBlockLogMaxRecordSize bytes) and
// returns its length, 26 + 2n. The path is read up to pathCapacity code units at most, so an
// unterminated buffer is never overrun; a path longer than 260 code units gives an empty name.
std::uint16_t BuildBlockLogRecord(std::uint8_t* record, const BlockLogTime& time, std::uint16_t eventCode,
                                  std::uint32_t processId, const char16_t* path, std::size_t pathCapacity) noexcept;

// True when a record of recordLength bytes fits behind cacheLength bytes; a cache length that
// is already out of range (the record is writable by every process) never fits.
constexpr bool BlockLogRecordFits(std::uint32_t cacheLength, std::uint32_t recordLength) noexcept {
  return cacheLength <= kBlockLogCacheSize && recordLength <= kBlockLogCacheSize - cacheLength;
}

// With the cache lock held: appends the record if it fits, else drops it whole.
bool StoreBlockLogRecord(HookSharedData& data, const std::uint8_t* record, std::uint16_t length) noexcept;

// With the cache lock held: moves the cached bytes to buffer (kBlockLogCacheSize bytes), empties
// the cache and returns the count. Never more than the cache holds, whatever CacheLength says.
std::uint16_t TakeBlockLogRecords(HookSharedData& data, std::uint8_t* buffer) noexcept;

// The lock is the platform's named mutex. CacheLock provides:
//   bool Open()     create or open it; false when that failed
//   bool Wait()     wait for it; true once owned (an abandoned lock counts). A drain waits
//                   without a time limit (the writer's own thread); an append, which runs in the
//                   input path of a hooked program, waits kAppendLockWaitMs at most; a log-state
//                   change, which runs on a program's window thread, kLogStateLockWaitMs at most.
//   void Release()  give it up after a successful Wait
//   void Close()    drop the handle; called after every successful Open

// A frozen process (stopped in a debugger, suspended) can hold the lock for ever; a window
// thread switching logging waits this long for it and then leaves the reset owed (below).
inline constexpr std::uint32_t kLogStateLockWaitMs = 300;
// An append waits this long and then drops its record: the message stays swallowed and counted,
// and the hooked program's input goes on. A healthy holder keeps the lock only for a copy of a
// few kilobytes, so only a frozen one ever costs a record.
inline constexpr std::uint32_t kAppendLockWaitMs = 100;

// Beside the fixed record, in the same shared section: a cache reset that a log-state change
// could not do under the lock. Whoever holds the lock next does it before anything else, so
// records from before the change never reach the log, whatever an append under way left.
struct CacheResetMark {
  std::uint8_t Owed;
};

// With the cache lock held: does an owed reset.
inline void PayOwedCacheReset(HookSharedData& data, CacheResetMark& mark) noexcept {
  if (SharedLoad(mark.Owed) != 0 && __atomic_exchange_n(&mark.Owed, std::uint8_t{0}, __ATOMIC_RELAXED) != 0)
    SharedStore(data.CacheLength, std::uint16_t{0});
}

// One swallowed message while the hook is installed and logging is on. The time is read before
// the wait so the lock is held only for the copy.
template <typename CacheLock, typename ReadLocalTime>
void AppendBlockLog(HookSharedData& data, CacheResetMark& mark, std::uint16_t eventCode, std::uint32_t processId,
                    const char16_t* path, std::size_t pathCapacity, CacheLock& lock,
                    ReadLocalTime&& readLocalTime) noexcept {
  if (SharedLoad(data.HookInstalled) == 0 || SharedLoad(data.LogState) == 0) return;
  if (!lock.Open()) return;
  std::uint8_t record[kBlockLogMaxRecordSize];
  const std::uint16_t length = BuildBlockLogRecord(record, readLocalTime(), eventCode, processId, path, pathCapacity);
  if (lock.Wait()) {
    PayOwedCacheReset(data, mark);
    StoreBlockLogRecord(data, record, length);
    lock.Release();
  }
  lock.Close();
}

// The drain of the installing process: 0 when there was nothing to take (or the lock could not
// be had), the byte count of whole records moved to buffer, or kDrainNotInstaller.
template <typename CacheLock>
std::uint16_t DrainBlockLog(HookSharedData& data, CacheResetMark& mark, std::uint32_t processId, std::uint8_t* buffer,
                            CacheLock& lock) noexcept {
  if (processId != SharedLoad(data.InstallerProcessId)) return kDrainNotInstaller;
  if (buffer == nullptr) return 0;  // the records stay for a caller that brings a buffer
  if (!lock.Open()) return 0;
  std::uint16_t count = 0;
  if (SharedLoad(data.LogState) != 0 && SharedLoad(data.CacheLength) != 0 && lock.Wait()) {
    PayOwedCacheReset(data, mark);
    count = TakeBlockLogRecords(data, buffer);
    lock.Release();
  }
  lock.Close();
  return count;
}

// Stores the log state; a change of value discards the cached records. The reset holds the lock
// so it never lands between an append's copy and its length update, nor inside a drain. When
// the lock cannot be had (in time), the state is stored all the same (the user's switch is
// never lost) and the cache is reset without it: a length of 0 is never out of step with the
// records, but an append under way may still put its length back on top, so the reset is also
// left owed to the next holder of the lock.
template <typename CacheLock>
void SetBlockLogState(HookSharedData& data, CacheResetMark& mark, std::uint8_t state, CacheLock& lock) noexcept {
  const bool locked = lock.Open();
  const bool owned = locked && lock.Wait();
  if (owned) PayOwedCacheReset(data, mark);
  const std::uint8_t previous = __atomic_exchange_n(&data.LogState, state, __ATOMIC_RELAXED);
  if (previous != state) {
    SharedStore(data.CacheLength, std::uint16_t{0});
    if (!owned) SharedStore(mark.Owed, std::uint8_t{1});
  }
  if (owned) lock.Release();
  if (locked) lock.Close();
}
