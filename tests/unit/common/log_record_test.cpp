// The block record walk and the log line format: field decoding, the exact line text, and
// drains that end early or hold bytes no library would write.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "block_records.h"
#include "log_record.h"

namespace {

// Records as the library lays them out, by its own builder; paths past 260 code units only as
// records no library writes.
std::vector<std::uint8_t> Record(const RecordFields& fields = {}) {
  return fields.AppName.size() <= kBlockLogMaxNameLength ? BuildRecord(fields) : BuildOversizeRecord(fields);
}

std::vector<std::uint8_t> WithLength(std::vector<std::uint8_t> bytes, std::uint16_t length) {
  PutRecordField(bytes, 0, length);
  return bytes;
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<std::uint8_t> Repeat(const std::vector<std::uint8_t>& record, std::size_t times) {
  std::vector<std::uint8_t> all;
  for (std::size_t i = 0; i < times; ++i) all.insert(all.end(), record.begin(), record.end());
  return all;
}

std::u16string Line(const RecordFields& fields) {
  const std::vector<std::uint8_t> bytes = Record(fields);
  BlockLogWalk walk(bytes.data(), bytes.size());
  BlockLogEntry entry;
  EXPECT_TRUE(walk.Next(entry));
  char16_t line[kLogLineCapacity];
  const std::size_t length = FormatLogLine(entry, line, kLogLineCapacity);
  EXPECT_EQ(length, std::char_traits<char16_t>::length(line));
  return std::u16string(line, length);
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string Printable(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(LogLineFormat, PrintsEachFieldAsTheLineFormatSays) {
  struct Row {
    const char* name;
    RecordFields fields;
    std::u16string expected;
  };
  const RecordFields typical;
  RecordFields pid7;
  pid7.ProcessId = 7;
  RecordFields pid123456;
  pid123456.ProcessId = 123456;
  RecordFields pidMax;
  pidMax.ProcessId = 0xFFFFFFFF;
  RecordFields code0202;
  code0202.EventCode = 0x0202;
  RecordFields codeHex;
  codeHex.EventCode = 0xAB0C;
  RecordFields emptyName;
  emptyName.AppName = u"";
  RecordFields smallDate;
  smallDate.Year = 5;
  smallDate.Month = 1;
  smallDate.Day = 1;
  smallDate.Hour = 0;
  smallDate.Minute = 0;
  smallDate.Second = 0;
  RecordFields largeFields;
  largeFields.Year = 65535;
  largeFields.Month = 100;
  RecordFields unicodeName;
  unicodeName.AppName = u"C:\\Caf\u00e9\\\U0001F42D.exe";

  const Row rows[] = {
      {"typical", typical, Ascii("[2024-03-05 07:08:09]  PID=<0042> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"pid 7 zero-filled", pid7, Ascii("[2024-03-05 07:08:09]  PID=<0007> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"pid 123456 in full", pid123456,
       Ascii("[2024-03-05 07:08:09]  PID=<123456> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"pid never negative", pidMax,
       Ascii("[2024-03-05 07:08:09]  PID=<4294967295> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"code 0x0202", code0202, Ascii("[2024-03-05 07:08:09]  PID=<0042> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0202>\r\n")},
      {"code upper-case hex", codeHex,
       Ascii("[2024-03-05 07:08:09]  PID=<0042> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0xAB0C>\r\n")},
      {"empty path", emptyName, Ascii("[2024-03-05 07:08:09]  PID=<0042> APPNAME=<\"\"> CODE=<0x0101>\r\n")},
      {"small date zero-filled", smallDate,
       Ascii("[0005-01-01 00:00:00]  PID=<0042> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"out-of-range fields printed whole", largeFields,
       Ascii("[65535-100-05 07:08:09]  PID=<0042> APPNAME=<\"C:\\Tools\\app.exe\"> CODE=<0x0101>\r\n")},
      {"path code units kept as recorded", unicodeName,
       u"[2024-03-05 07:08:09]  PID=<0042> APPNAME=<\"C:\\Caf\u00e9\\\U0001F42D.exe\"> CODE=<0x0101>\r\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Line(row.fields), row.expected) << row.name;
  }
}

TEST(LogLineFormat, LongPathsFitTheLineBufferAndTheLineAlwaysCloses) {
  struct Row {
    const char* name;
    std::size_t pathLength;
    bool pathWhole;
  };
  const Row rows[] = {
      {"260 code units, the longest the library records", 260, true},
      {"715 code units, the longest that fits", 715, true},
      {"716 code units, cut", 716, false},
      {"5000 code units, cut", 5000, false},
  };
  for (const Row& row : rows) {
    RecordFields fields;
    fields.ProcessId = 123456;
    fields.AppName = std::u16string(row.pathLength, u'p');
    const std::u16string line = Line(fields);
    const std::string text = Printable(line);
    EXPECT_LE(line.size(), kLogLineCapacity - 1) << row.name;
    EXPECT_EQ(text.substr(0, 47), "[2024-03-05 07:08:09]  PID=<123456> APPNAME=<\"p") << row.name;
    EXPECT_EQ(text.substr(text.size() - 18), "\"> CODE=<0x0101>\r\n") << row.name;
    const std::size_t printedPath = line.size() - 46 - 18;
    if (row.pathWhole) {
      EXPECT_EQ(printedPath, row.pathLength) << row.name;
    } else {
      EXPECT_EQ(line.size(), kLogLineCapacity - 1) << row.name;
      EXPECT_LT(printedPath, row.pathLength) << row.name;
    }
  }
}

TEST(BlockLogWalk, DecodesEveryFieldLittleEndian) {
  RecordFields fields;
  fields.Year = 0x07E8;
  fields.Month = 0x0C0B;
  fields.DayOfWeek = 6;
  fields.Day = 31;
  fields.Hour = 23;
  fields.Minute = 59;
  fields.Second = 58;
  fields.Milliseconds = 999;
  fields.EventCode = 0x0403;
  fields.ProcessId = 0x12345678;
  fields.AppName = u"ab";
  // One byte in front, so the record starts at an odd address: nothing may assume alignment.
  std::vector<std::uint8_t> bytes = Join({{0}, Record(fields)});
  BlockLogWalk walk(bytes.data() + 1, bytes.size() - 1);
  BlockLogEntry e;
  ASSERT_TRUE(walk.Next(e));
  EXPECT_EQ(e.Year, 0x07E8);
  EXPECT_EQ(e.Month, 0x0C0B);
  EXPECT_EQ(e.DayOfWeek, 6);
  EXPECT_EQ(e.Day, 31);
  EXPECT_EQ(e.Hour, 23);
  EXPECT_EQ(e.Minute, 59);
  EXPECT_EQ(e.Second, 58);
  EXPECT_EQ(e.Milliseconds, 999);
  EXPECT_EQ(e.EventCode, 0x0403);
  EXPECT_EQ(e.ProcessId, 0x12345678u);
  ASSERT_EQ(e.AppNameLength, 2u);
  EXPECT_EQ(e.AppName, bytes.data() + 1 + 24);
  EXPECT_FALSE(walk.Next(e));
  EXPECT_EQ(walk.Stop(), BlockLogStop::End);
}

TEST(BlockLogWalk, StopsSafelyAtEveryRecordItCannotReadWhole) {
  RecordFields a;
  a.AppName = u"C:\\a.exe";
  RecordFields b;
  b.AppName = u"C:\\bb.exe";
  RecordFields empty;
  empty.AppName = u"";
  RecordFields full;
  full.AppName = std::u16string(260, u'x');
  RecordFields seven;  // a 40-byte record: 256 of them fill the drain exactly
  seven.AppName = u"1234567";

  // A record whose path fills it without a terminator: the next bytes would hold a zero.
  std::vector<std::uint8_t> unterminated = Record(a);
  PutRecordField(unterminated, unterminated.size() - 2, u'x');
  // A 30-byte record whose path ends early: trailing bytes inside the record are skipped.
  std::vector<std::uint8_t> padded = Join({Record(empty), {0, 0, 0x42, 0}});
  PutRecordField(padded, 0, 30);
  PutRecordField(padded, 24, u'A');

  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t count;  // drained count; SIZE_MAX: all bytes
    std::vector<std::size_t> pathLengths;
    BlockLogStop stop;
  };
  const std::size_t all = SIZE_MAX;
  const std::vector<Row> rows = {
      {"empty drain", {}, all, {}, BlockLogStop::End},
      {"two records back to back", Join({Record(a), Record(b)}), all, {8, 9}, BlockLogStop::End},
      {"empty path, 26 bytes", Record(empty), all, {0}, BlockLogStop::End},
      {"260-unit path, 546 bytes", Record(full), all, {260}, BlockLogStop::End},
      {"full drain of 10240 bytes", Repeat(Record(seven), 256), all, std::vector<std::size_t>(256, 7),
       BlockLogStop::End},
      {"393 smallest records", Repeat(Record(empty), 393), all, std::vector<std::size_t>(393, 0), BlockLogStop::End},
      {"path ends before its record does", Join({padded, Record(b)}), all, {1, 9}, BlockLogStop::End},
      {"first length 24 suppresses the drain", Join({WithLength(Record(empty), 24), Record(a)}), all, {},
       BlockLogStop::ShortLength},
      {"length 0 after a record", Join({Record(a), WithLength(Record(b), 0)}), all, {8}, BlockLogStop::ShortLength},
      {"length 25", Join({WithLength(Record(a), 25), Record(b)}), all, {}, BlockLogStop::OddLength},
      {"odd length after a record", Join({Record(a), WithLength(Record(b), 27)}), all, {8}, BlockLogStop::OddLength},
      {"length past the drained count", Record(b), 40, {}, BlockLogStop::Truncated},
      {"second record cut by the count", Join({Record(a), Record(b)}), 42 + 30, {8}, BlockLogStop::Truncated},
      {"length larger than the whole drain", WithLength(Record(a), 0xFFFE), all, {}, BlockLogStop::Truncated},
      {"one stray byte after a record", Join({Record(a), {0x1A}}), all, {8}, BlockLogStop::Truncated},
      {"path without terminator", Join({unterminated, Record(b)}), all, {}, BlockLogStop::Unterminated},
      {"terminator only past the record",
       Join({Record(a), WithLength(Record(b), static_cast<std::uint16_t>(Record(b).size() - 2))}), all, {8},
       BlockLogStop::Unterminated},
  };
  for (const Row& row : rows) {
    const std::size_t count = row.count == all ? row.bytes.size() : row.count;
    BlockLogWalk walk(row.bytes.data(), count);
    std::vector<std::size_t> pathLengths;
    BlockLogEntry entry;
    while (walk.Next(entry)) {
      // Every path lies inside the drained bytes, terminator included.
      EXPECT_GE(entry.AppName, row.bytes.data()) << row.name;
      EXPECT_LE(entry.AppName + 2 * entry.AppNameLength + 2, row.bytes.data() + count) << row.name;
      pathLengths.push_back(entry.AppNameLength);
    }
    EXPECT_EQ(pathLengths, row.pathLengths) << row.name;
    EXPECT_STREQ(BlockLogStopName(walk.Stop()), BlockLogStopName(row.stop)) << row.name;
    EXPECT_FALSE(walk.Next(entry)) << row.name << ": a stopped walk stays stopped";
  }
}

TEST(BlockLogLines, GivesOneLinePerRecordInOrder) {
  RecordFields first;
  first.ProcessId = 7;
  first.AppName = u"C:\\first.exe";
  RecordFields second;
  second.ProcessId = 9000;
  second.EventCode = 0x0202;
  second.AppName = u"";
  const std::vector<std::uint8_t> bytes = Join({Record(first), Record(second), WithLength(Record(second), 24)});
  BlockLogLines lines(bytes.data(), bytes.size());
  std::vector<std::u16string> got;
  while (lines.Next()) got.emplace_back(lines.Line(), lines.Length());
  EXPECT_EQ(got, (std::vector<std::u16string>{Line(first), Line(second)}));
  EXPECT_EQ(lines.Stop(), BlockLogStop::ShortLength);
  EXPECT_EQ(lines.Length(), 0u);
}

}  // namespace
