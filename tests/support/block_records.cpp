// Block records for tests (see block_records.h).
#include "block_records.h"

void PutRecordField(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> BuildRecord(const RecordFields& fields) {
  const BlockLogTime time = {fields.Year, fields.Month,  fields.DayOfWeek, fields.Day,
                             fields.Hour, fields.Minute, fields.Second,    fields.Milliseconds};
  std::vector<std::uint8_t> bytes(kBlockLogMaxRecordSize);
  const std::uint16_t length = BuildBlockLogRecord(bytes.data(), time, fields.EventCode, fields.ProcessId,
                                                   fields.AppName.c_str(), fields.AppName.size() + 1);
  bytes.resize(length);
  return bytes;
}

std::vector<std::uint8_t> BuildOversizeRecord(const RecordFields& fields) {
  RecordFields nameless = fields;
  nameless.AppName.clear();
  std::vector<std::uint8_t> bytes = BuildRecord(nameless);
  bytes.resize(bytes.size() + 2 * fields.AppName.size(), 0);
  for (std::size_t i = 0; i < fields.AppName.size(); ++i) {
    PutRecordField(bytes, kBlockLogNameOffset + 2 * i, static_cast<std::uint16_t>(fields.AppName[i]));
  }
  PutRecordField(bytes, kBlockLogLengthOffset, static_cast<std::uint16_t>(bytes.size()));
  return bytes;
}

std::vector<DrainedRecord> ReadDrainedRecords(const std::uint8_t* batch, std::size_t count, BlockLogStop& stop) {
  std::vector<DrainedRecord> records;
  BlockLogWalk walk(batch, count);
  BlockLogEntry entry;
  std::size_t at = walk.Offset();
  while (walk.Next(entry)) {
    DrainedRecord record{};
    record.length = static_cast<std::uint16_t>(walk.Offset() - at);
    const std::uint16_t time[8] = {entry.Year, entry.Month,  entry.DayOfWeek, entry.Day,
                                   entry.Hour, entry.Minute, entry.Second,    entry.Milliseconds};
    for (int i = 0; i < 8; ++i) record.localTime[i] = time[i];
    record.eventCode = entry.EventCode;
    record.processId = entry.ProcessId;
    for (std::size_t i = 0; i < entry.AppNameLength; ++i) {
      record.appName.push_back(static_cast<wchar_t>(entry.AppName[2 * i] | entry.AppName[2 * i + 1] << 8));
    }
    records.push_back(record);
    at = walk.Offset();
  }
  stop = walk.Stop();
  return records;
}
