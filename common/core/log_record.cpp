// The block record walk and the log line format (see log_record.h).
#include "log_record.h"

#include "text_builder.h"

namespace {

// Fields are read byte by byte: a record starts at any even offset of the drain, so nothing
// about the buffer's alignment or the host's byte order is assumed.
std::uint16_t Read16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The part of a line after the path; at most 18 code units for any 16-bit code.
std::size_t FormatLineTail(std::uint16_t eventCode, char16_t* tail, std::size_t capacity) noexcept {
  TextBuilder builder(tail, capacity);
  builder.Ascii("\"> CODE=<0x").Hex(eventCode, 4).Ascii(">\r\n");
  return builder.Length();
}

}  // namespace

const char* BlockLogStopName(BlockLogStop stop) noexcept {
  switch (stop) {
    case BlockLogStop::Walking: return "Walking";
    case BlockLogStop::End: return "End";
    case BlockLogStop::ShortLength: return "ShortLength";
    case BlockLogStop::Truncated: return "Truncated";
    case BlockLogStop::OddLength: return "OddLength";
    case BlockLogStop::Unterminated: return "Unterminated";
  }
  return "?";
}

BlockLogWalk::BlockLogWalk(const std::uint8_t* drained, std::size_t count) noexcept
    : drained_(drained), count_(drained ? count : 0) {}

bool BlockLogWalk::Next(BlockLogEntry& entry) noexcept {
  if (stop_ != BlockLogStop::Walking) return false;
  const std::size_t remaining = count_ - offset_;
  if (remaining == 0) {
    stop_ = BlockLogStop::End;
    return false;
  }
  if (remaining < 2) {
    stop_ = BlockLogStop::Truncated;
    return false;
  }
  const std::uint8_t* record = drained_ + offset_;
  const std::uint16_t length = Read16(record + kBlockLogLengthOffset);
  // The length checks come first so that nothing past the length field is read before the
  // record is known to lie inside the drain.
  if (length % 2 != 0) {
    stop_ = BlockLogStop::OddLength;
    return false;
  }
  if (length < kBlockLogMinRecordSize) {
    stop_ = BlockLogStop::ShortLength;
    return false;
  }
  if (length > remaining) {
    stop_ = BlockLogStop::Truncated;
    return false;
  }

  const std::uint8_t* name = record + kBlockLogNameOffset;
  const std::size_t nameBytes = length - kBlockLogNameOffset;
  std::size_t nameLength = 0;
  while (nameLength * 2 < nameBytes && Read16(name + nameLength * 2) != 0) ++nameLength;
  if (nameLength * 2 == nameBytes) {
    stop_ = BlockLogStop::Unterminated;
    return false;
  }

  const std::uint8_t* time = record + kBlockLogTimeOffset;
  entry.Year = Read16(time + 0);
  entry.Month = Read16(time + 2);
  entry.DayOfWeek = Read16(time + 4);
  entry.Day = Read16(time + 6);
  entry.Hour = Read16(time + 8);
  entry.Minute = Read16(time + 10);
  entry.Second = Read16(time + 12);
  entry.Milliseconds = Read16(time + 14);
  entry.EventCode = Read16(record + kBlockLogEventCodeOffset);
  entry.ProcessId = Read32(record + kBlockLogProcessIdOffset);
  entry.AppName = name;
  entry.AppNameLength = nameLength;
  offset_ += length;
  return true;
}

std::size_t FormatLogLine(const BlockLogEntry& entry, char16_t* line, std::size_t capacity) noexcept {
  TextBuilder builder(line, capacity);
  builder.Char(u'[')
      .Decimal(entry.Year, 4)
      .Char(u'-')
      .Decimal(entry.Month, 2)
      .Char(u'-')
      .Decimal(entry.Day, 2)
      .Char(u' ')
      .Decimal(entry.Hour, 2)
      .Char(u':')
      .Decimal(entry.Minute, 2)
      .Char(u':')
      .Decimal(entry.Second, 2)
      .Ascii("]  PID=<")
      // Unsigned: a process id never prints as a negative number.
      .Decimal(entry.ProcessId, 4)
      .Ascii("> APPNAME=<\"");

  char16_t tail[24];
  const std::size_t tailLength = FormatLineTail(entry.EventCode, tail, sizeof tail / sizeof tail[0]);
  // Room for the path: whatever the head and the tail leave, so the line always closes.
  const std::size_t used = builder.Length() + tailLength + 1;
  std::size_t nameRoom = capacity > used ? capacity - used : 0;
  std::size_t nameLength = entry.AppName ? entry.AppNameLength : 0;
  if (nameLength > nameRoom) nameLength = nameRoom;
  for (std::size_t i = 0; i < nameLength; ++i) builder.Char(static_cast<char16_t>(Read16(entry.AppName + i * 2)));

  builder.Text(tail);
  return builder.Length();
}

BlockLogLines::BlockLogLines(const std::uint8_t* drained, std::size_t count) noexcept : walk_(drained, count) {
  line_[0] = 0;
}

bool BlockLogLines::Next() noexcept {
  BlockLogEntry entry;
  if (!walk_.Next(entry)) {
    length_ = 0;
    line_[0] = 0;
    return false;
  }
  length_ = FormatLogLine(entry, line_, kLogLineCapacity);
  return true;
}
