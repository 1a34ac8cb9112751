// Block log records and the copies into and out of the shared cache.
#include "block_log.h"

#include <cstring>

namespace {

// Records are little-endian on every platform that reads them.
void PutU16(std::uint8_t* at, std::uint16_t value) noexcept {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) noexcept {
  PutU16(at, static_cast<std::uint16_t>(value));
  PutU16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

// Length of the path if it is terminated within 260 code units (and within the buffer), else
// the sentinel kBlockLogMaxNameLength + 1.
std::uint32_t NameLength(const char16_t* path, std::size_t capacity) noexcept {
  if (path == nullptr) return 0;
  const std::size_t limit = capacity < kBlockLogMaxNameLength + 1 ? capacity : kBlockLogMaxNameLength + 1;
  for (std::size_t i = 0; i < limit; ++i)
    if (path[i] == u'\0') return static_cast<std::uint32_t>(i);
  return kBlockLogMaxNameLength + 1;
}

}  // namespace

std::uint16_t BuildBlockLogRecord(std::uint8_t* record, const BlockLogTime& time, std::uint16_t eventCode,
                                  std::uint32_t processId, const char16_t* path, std::size_t pathCapacity) noexcept {
  std::uint32_t n = NameLength(path, pathCapacity);
  if (n > kBlockLogMaxNameLength) n = 0;
  const std::uint16_t length = static_cast<std::uint16_t>(kBlockLogMinRecordSize + 2 * n);
  PutU16(record + kBlockLogLengthOffset, length);
  const std::uint16_t fields[8] = {time.Year, time.Month,  time.DayOfWeek, time.Day,
                                   time.Hour, time.Minute, time.Second,    time.Milliseconds};
  for (int i = 0; i < 8; ++i) PutU16(record + kBlockLogTimeOffset + 2 * i, fields[i]);
  PutU16(record + kBlockLogEventCodeOffset, eventCode);
  PutU32(record + kBlockLogProcessIdOffset, processId);
  for (std::uint32_t i = 0; i < n; ++i) PutU16(record + kBlockLogNameOffset + 2 * i, static_cast<std::uint16_t>(path[i]));
  PutU16(record + kBlockLogNameOffset + 2 * n, 0);
  return length;
}

bool StoreBlockLogRecord(HookSharedData& data, const std::uint8_t* record, std::uint16_t length) noexcept {
  const std::uint16_t used = SharedLoad(data.CacheLength);
  if (!BlockLogRecordFits(used, length)) return false;
  std::memcpy(data.CacheBuffer + used, record, length);
  SharedStore(data.CacheLength, static_cast<std::uint16_t>(used + length));
  return true;
}

std::uint16_t TakeBlockLogRecords(HookSharedData& data, std::uint8_t* buffer) noexcept {
  std::uint16_t count = SharedLoad(data.CacheLength);
  // Every process that maps the library can write the length; the copy stays inside the cache
  // and the result can never be mistaken for the not-the-installer answer.
  if (count > kBlockLogCacheSize) count = static_cast<std::uint16_t>(kBlockLogCacheSize);
  std::memcpy(buffer, data.CacheBuffer, count);
  SharedStore(data.CacheLength, std::uint16_t{0});
  return count;
}
