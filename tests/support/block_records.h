// Block records for tests: good records come from the library's own builder and drained bytes
// are read by the log's own walk, so no test writes down the record layout again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "block_log.h"
#include "log_record.h"

// The fields of one record; the defaults make a typical one.
struct RecordFields {
  std::uint16_t Year = 2024, Month = 3, DayOfWeek = 2, Day = 5, Hour = 7, Minute = 8, Second = 9, Milliseconds = 123;
  std::uint16_t EventCode = 0x0101;
  std::uint32_t ProcessId = 42;
  std::u16string AppName = u"C:\\Tools\\app.exe";
};

// The record BuildBlockLogRecord makes of the fields (a path past 260 code units gives an
// empty name, as in the library).
std::vector<std::uint8_t> BuildRecord(const RecordFields& fields = {});
// A well-formed record whose path is longer than the library ever writes: a reader must still
// cope with it.
std::vector<std::uint8_t> BuildOversizeRecord(const RecordFields& fields);
// Writes value little-endian at offset (for records spoiled on purpose).
void PutRecordField(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint16_t value);

// One drained record as the walk reads it.
struct DrainedRecord {
  std::uint16_t length;
  std::uint16_t localTime[8];
  std::uint16_t eventCode;
  std::uint32_t processId;
  std::wstring appName;
};

// Walks a drained batch with BlockLogWalk; stop says why the walk ended (End when every byte was
// read as whole records).
std::vector<DrainedRecord> ReadDrainedRecords(const std::uint8_t* batch, std::size_t count, BlockLogStop& stop);
