// Reading the block records that the hook library's cache drains into a byte buffer, and the
// log line each record becomes. Portable: bytes in, UTF-16 lines out, no allocation.
#pragma once
#include <cstddef>
#include <cstdint>

#include "latchkin_contract.h"

// The drain buffer: the capacity of the library's cache, which the drain fills without being
// told a size.
inline constexpr std::size_t kLogDrainBufferSize = kBlockLogCacheSize;
// One formatted line, terminator included. A record from the library (path of at most 260
// code units) gives a line well below 400 code units.
inline constexpr std::size_t kLogLineCapacity = 780;

// One record, read field by field from the little-endian bytes. AppName points into the
// drained bytes (UTF-16LE, not necessarily aligned), without its terminator.
struct BlockLogEntry {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t DayOfWeek = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Milliseconds = 0;
  std::uint16_t EventCode = 0;
  std::uint32_t ProcessId = 0;
  const std::uint8_t* AppName = nullptr;
  std::size_t AppNameLength = 0;  // code units
};

// Why a walk stopped. Everything but End drops the rest of that drain.
enum class BlockLogStop : std::uint8_t {
  Walking,       // not stopped yet
  End,           // every drained byte was read
  ShortLength,   // an even record length below kBlockLogMinRecordSize
  Truncated,     // the record (or its length field) runs past the drained count
  OddLength,     // records are always an even number of bytes
  Unterminated,  // the path has no terminator inside its record
};
const char* BlockLogStopName(BlockLogStop stop) noexcept;

// Walks a drain from offset 0, one record per Next(). Never reads outside [drained,
// drained + count): a record that cannot be read whole ends the walk.
class BlockLogWalk {
 public:
  BlockLogWalk(const std::uint8_t* drained, std::size_t count) noexcept;

  // Fills entry with the next record; false once the walk has stopped (see Stop()).
  bool Next(BlockLogEntry& entry) noexcept;
  BlockLogStop Stop() const noexcept { return stop_; }
  // Offset of the next record to read (or of the record that stopped the walk).
  std::size_t Offset() const noexcept { return offset_; }

 private:
  const std::uint8_t* drained_;
  std::size_t count_;
  std::size_t offset_ = 0;
  BlockLogStop stop_ = BlockLogStop::Walking;
};

// Formats the line of one record into line (capacity code units, terminator included):
//   [YYYY-MM-DD hh:mm:ss]  PID=<0042> APPNAME=<"C:\path.exe"> CODE=<0x0101>\r\n
// Returns the line's length without the terminator. A path too long for the buffer is cut so
// that the line still ends with its code and CR LF.
std::size_t FormatLogLine(const BlockLogEntry& entry, char16_t* line, std::size_t capacity) noexcept;

// The walk and the format together: each Next() leaves the next record's line in a buffer of
// kLogLineCapacity code units held by this object.
class BlockLogLines {
 public:
  BlockLogLines(const std::uint8_t* drained, std::size_t count) noexcept;

  bool Next() noexcept;
  const char16_t* Line() const noexcept { return line_; }
  std::size_t Length() const noexcept { return length_; }
  BlockLogStop Stop() const noexcept { return walk_.Stop(); }

 private:
  BlockLogWalk walk_;
  std::size_t length_ = 0;
  char16_t line_[kLogLineCapacity];
};
