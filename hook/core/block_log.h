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
//   bool Wait()     wait without a time limit; true once owned (an abandoned lock counts)
//   void Release()  give it up after a successful Wait
//   void Close()    drop the handle; called after every successful Open

// One swallowed message while the hook is installed and logging is on. The time is read before
// the wait so the lock is held only for the copy.
template <typename CacheLock, typename ReadLocalTime>
void AppendBlockLog(HookSharedData& data, std::uint16_t eventCode, std::uint32_t processId, const char16_t* path,
                    std::size_t pathCapacity, CacheLock& lock, ReadLocalTime&& readLocalTime) noexcept {
  if (SharedLoad(data.HookInstalled) == 0 || SharedLoad(data.LogState) == 0) return;
  if (!lock.Open()) return;
  std::uint8_t record[kBlockLogMaxRecordSize];
  const std::uint16_t length = BuildBlockLogRecord(record, readLocalTime(), eventCode, processId, path, pathCapacity);
  if (lock.Wait()) {
    StoreBlockLogRecord(data, record, length);
    lock.Release();
  }
  lock.Close();
}

// The drain of the installing process: 0 when there was nothing to take (or the lock could not
// be had), the byte count of whole records moved to buffer, or kDrainNotInstaller.
template <typename CacheLock>
std::uint16_t DrainBlockLog(HookSharedData& data, std::uint32_t processId, std::uint8_t* buffer,
                            CacheLock& lock) noexcept {
  if (processId != SharedLoad(data.InstallerProcessId)) return kDrainNotInstaller;
  if (buffer == nullptr) return 0;  // the records stay for a caller that brings a buffer
  if (!lock.Open()) return 0;
  std::uint16_t count = 0;
  if (SharedLoad(data.LogState) != 0 && SharedLoad(data.CacheLength) != 0 && lock.Wait()) {
    count = TakeBlockLogRecords(data, buffer);
    lock.Release();
  }
  lock.Close();
  return count;
}

// Stores the log state; a change of value discards the cached records. The reset holds the lock
// so it never lands between an append's copy and its length update, nor inside a drain.
template <typename CacheLock>
void SetBlockLogState(HookSharedData& data, std::uint8_t state, CacheLock& lock) noexcept {
  const bool locked = lock.Open();
  const bool owned = locked && lock.Wait();
  const std::uint8_t previous = __atomic_exchange_n(&data.LogState, state, __ATOMIC_RELAXED);
  if (previous != state) SharedStore(data.CacheLength, std::uint16_t{0});
  if (owned) lock.Release();
  if (locked) lock.Close();
}
