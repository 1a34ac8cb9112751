// The log writer's file handling, driven by stand-in entry points whose drains the test
// scripts: byte-order mark, appending, the size bound (started anew in place), unwritable
// folders, the writer's end and a pass interrupted by an exception. Passes are 3 s apart, so
// each case runs few of them.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "block_records.h"
#include "hook_library.h"
#include "log_writer.h"
#include "unique_handle.h"
#include "wine_test_support.h"

namespace {

// Generous: a pass comes 3 s after the previous one; a loaded machine may add a lot to that.
constexpr DWORD kPassTimeoutMs = 15000;
constexpr DWORD kSettleMs = 5000;

// ---- Records and the lines they become -----------------------------------------------------

// A block record made by the library's own builder, dated 2024-05-06 13:14:15.678 (a Monday).
std::vector<std::uint8_t> Record(std::uint32_t pid, std::uint16_t code, const std::wstring& path) {
  RecordFields fields;
  fields.Year = 2024, fields.Month = 5, fields.DayOfWeek = 1, fields.Day = 6;
  fields.Hour = 13, fields.Minute = 14, fields.Second = 15, fields.Milliseconds = 678;
  fields.EventCode = code;
  fields.ProcessId = pid;
  fields.AppName.assign(path.begin(), path.end());
  return BuildRecord(fields);
}

std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::vector<std::uint8_t> kNotepadRecord = Record(7, 0x0202, L"C:\\Windows\\notepad.exe");
const wchar_t kNotepadLine[] =
    L"[2024-05-06 13:14:15]  PID=<0007> APPNAME=<\"C:\\Windows\\notepad.exe\"> CODE=<0x0202>\r\n";
const std::vector<std::uint8_t> kNamelessRecord = Record(123456, 0x0101, L"");
const wchar_t kNamelessLine[] = L"[2024-05-06 13:14:15]  PID=<123456> APPNAME=<\"\"> CODE=<0x0101>\r\n";

// UTF-16LE bytes without a byte-order mark.
std::string Utf16Le(const std::wstring& text) { return Utf16LeWithBom(text).substr(2); }

// ---- Stand-in entry points ----------------------------------------------------------------

struct Drain {
  enum class Kind { Records, Result, Throw } kind;
  std::vector<std::uint8_t> bytes;
  std::uint16_t result;
  std::function<void()> action;  // runs on the writer's thread, inside the drain
};
Drain Records(std::vector<std::uint8_t> bytes) { return {Drain::Kind::Records, std::move(bytes), 0, {}}; }
Drain Result(std::uint16_t result) { return {Drain::Kind::Result, {}, result, {}}; }
Drain Throw() { return {Drain::Kind::Throw, {}, 0, {}}; }

// The library as the writer sees it: each drain takes the next scripted answer (0 once the
// script is used up); the test sets the log state and the "installed by this process" answer.
class FakeHook {
 public:
  void Reset(std::vector<Drain> script = {}) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.assign(script.begin(), script.end());
    calls_ = 0;
    LogState = 1;
    Self = 1;
  }
  int Calls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  bool WaitForCalls(int calls, DWORD timeoutMs = kPassTimeoutMs) {
    return WaitUntil([&] { return Calls() >= calls; }, timeoutMs);
  }

  std::uint16_t ClearLogCahce(std::uint8_t* buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++calls_;
    // Bytes past the drained count are never records: garbage there must not show up as lines.
    std::memset(buffer, 0x5A, kBlockLogCacheSize);
    if (script_.empty()) return 0;
    Drain drain = std::move(script_.front());
    script_.pop_front();
    if (drain.action) drain.action();
    switch (drain.kind) {
      case Drain::Kind::Records:
        std::memcpy(buffer, drain.bytes.data(), drain.bytes.size());
        return static_cast<std::uint16_t>(drain.bytes.size());
      case Drain::Kind::Result:
        return drain.result;
      case Drain::Kind::Throw:
        throw std::runtime_error("drain failed");
    }
    return 0;
  }

  std::atomic<std::uint8_t> LogState{1};
  std::atomic<std::uint8_t> Self{1};

 private:
  std::mutex mutex_;
  std::deque<Drain> script_;
  int calls_ = 0;
};

FakeHook Fake;

std::uint16_t WINAPI FakeClearLogCahce(std::uint8_t* buffer) { return Fake.ClearLogCahce(buffer); }
std::uint8_t WINAPI FakeGetLogState() { return Fake.LogState; }
std::uint8_t WINAPI FakeIsSelf() { return Fake.Self; }

HookLibrary MakeFakeLibrary() {
  HookLibrary library;
  library.IsSelf = FakeIsSelf;
  library.GetLogState = FakeGetLogState;
  library.ClearLogCahce = FakeClearLogCahce;
  return library;
}
const HookLibrary kFakeLibrary = MakeFakeLibrary();

// ---- Folders ------------------------------------------------------------------------------

// A folder in which no file can be created; empty when this machine offers none.
std::wstring UnwritableFolder() {
  std::wstring folder = MakeScratchFolder(L"log_writer_readonly");
  if (!folder.empty() && RemoveDirectoryW(folder.c_str())) {
    // Windows: a read-only folder is one whose access list denies adding files to it (its
    // read-only attribute does not stop that).
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;0x6;;;WD)(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                             &descriptor, nullptr)) {
      SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
      const bool created = CreateDirectoryW(folder.c_str(), &attributes);
      LocalFree(descriptor);
      if (created && !CanCreateFileIn(folder)) return folder;
    }
    RemoveFolder(folder);
  }
  // Wine: access lists are not enforced, and the test bench runs as root, whom no folder mode
  // stops. The Unix /proc (drive Z:) is a folder in which nobody can create a file.
  const std::wstring proc = L"Z:\\proc\\";
  const DWORD attributes = GetFileAttributesW(proc.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && !CanCreateFileIn(proc)) {
    return proc;
  }
  return {};
}

// ---- The fixture --------------------------------------------------------------------------

class LogWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LogWriter.Library = &kFakeLibrary;
    LogWriter.SizeBound = 1024;
    LogWriter.LogToFile = false;
  }

  void TearDown() override { Leave(); }

  // A fresh scratch folder as the current directory, and a fresh script.
  void Enter(const wchar_t* folderName, std::vector<Drain> script = {}) {
    folder_ = MakeScratchFolder(folderName);
    ASSERT_FALSE(folder_.empty());
    EnterFolder(folder_, std::move(script));
  }
  void EnterFolder(const std::wstring& folder, std::vector<Drain> script) {
    folder_ = folder;
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    Fake.Reset(std::move(script));
  }
  // Ends any writer (the library may go away only then) and leaves the folder.
  void Leave() {
    EXPECT_TRUE(StopLogWriter(kPassTimeoutMs)) << "the writer did not end";
    EXPECT_EQ(LogWriter.LogWriterThread.load(), nullptr);
    SetCurrentDirectoryW(BinDirectory().c_str());
    if (!folder_.empty() && folder_.rfind(L"Z:\\proc", 0) != 0) RemoveFolder(folder_);
    folder_.clear();
  }

  void StartWriter() {
    PollLogWriter();
    ASSERT_NE(LogWriter.LogWriterThread.load(), nullptr) << "no writer started";
  }

  std::wstring LogPath() const { return folder_ + kLogFileName; }
  std::string LogBytes() const { return ReadFileBytes(LogPath()); }
  // Waits until the log holds exactly these bytes; true when it does.
  bool WaitForLog(const std::string& expected) const {
    return WaitUntil([&] { return LogBytes() == expected; }, kSettleMs);
  }

  std::wstring folder_;
};

std::string Bytes(std::size_t size, char fill) { return std::string(size, fill); }

// True when the file can be opened without sharing: no other handle is open on it.
bool NobodyHolds(const std::wstring& path) {
  return static_cast<bool>(UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
}

// ---- Tests --------------------------------------------------------------------------------

TEST_F(LogWriterTest, WithNothingBlockedTheFirstPassLeavesOnlyTheByteOrderMark) {
  Enter(L"log_writer_empty");
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  EXPECT_EQ(LogBytes(), "\xFF\xFE");
  // A drain of 0 writes nothing, but the pass still closes the file: no handle is left on it.
  EXPECT_TRUE(WaitUntil([&] { return NobodyHolds(LogPath()); }, kSettleMs));
}

TEST_F(LogWriterTest, WritesOneLinePerRecordInOrderAfterTheByteOrderMark) {
  Enter(L"log_writer_lines", {Records(Join({kNotepadRecord, kNamelessRecord}))});
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  EXPECT_TRUE(WaitForLog(Utf16LeWithBom(std::wstring(kNotepadLine) + kNamelessLine))) << LogBytes().size();
}

TEST_F(LogWriterTest, AFirstRecordShorterThan25BytesSuppressesItsDrain) {
  std::vector<std::uint8_t> shortFirst = Join({kNotepadRecord, kNamelessRecord});
  PutRecordField(shortFirst, 0, 24);
  Enter(L"log_writer_short", {Records(shortFirst), Records(kNamelessRecord)});
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(2));
  EXPECT_TRUE(WaitForLog(Utf16LeWithBom(kNamelessLine)));
}

TEST_F(LogWriterTest, EachPassPutsTheByteOrderMarkInPlaceAndKeepsTheRest) {
  struct Row {
    const wchar_t* name;
    std::string before;
    std::string after;  // before the appended line
  };
  const Row rows[] = {
      {L"text without a mark", "ABCDEFGH", "\xFF\xFE" "CDEFGH"},
      {L"mark reversed", "\xFE\xFF" "xy", "\xFF\xFE" "xy"},
      {L"a single byte", "A", "\xFF\xFE"},
      {L"mark already there", "\xFF\xFE" "ok", "\xFF\xFE" "ok"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << std::string(row.name, row.name + wcslen(row.name)));
    Enter(L"log_writer_mark", {Records(kNotepadRecord)});
    ASSERT_TRUE(WriteFileBytes(LogPath(), row.before));
    StartWriter();
    ASSERT_TRUE(Fake.WaitForCalls(1));
    EXPECT_TRUE(WaitForLog(row.after + Utf16Le(kNotepadLine))) << LogBytes().size();
    Leave();
  }
}

TEST_F(LogWriterTest, AFileBelowTheBoundIsAppendedTo) {
  // Bound 10: 11 263 bytes are 10 whole units of 1024, not more than the bound.
  const std::string before = "\xFF\xFE" + Bytes(11263 - 2, 'k');
  Enter(L"log_writer_bound_keep", {Records(kNotepadRecord)});
  LogWriter.SizeBound = 10;
  ASSERT_TRUE(WriteFileBytes(LogPath(), before));
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  EXPECT_TRUE(WaitForLog(before + Utf16Le(kNotepadLine))) << LogBytes().size();
}

// A file past its bound starts anew in place: the same file, emptied down to its byte-order mark,
// takes the lines of that very pass, and the next pass appends to it. Nothing needs to be
// created or deleted, so it works where no file may be (an install under Program Files) and
// while a reader keeps the file open without sharing its deletion.
TEST_F(LogWriterTest, AFileAtTheBoundStartsAnewInPlaceAndLinesKeepArriving) {
  enum class Obstacle { None, ClosedFolder, ReaderNotSharingDeletion };
  struct Row {
    const char* name;
    Obstacle obstacle;
  };
  const Row rows[] = {
      {"nothing in the way", Obstacle::None},
      {"the folder takes no new files", Obstacle::ClosedFolder},
      {"a reader shares reading and writing but not deletion", Obstacle::ReaderNotSharingDeletion},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Enter(L"log_writer_bound_anew", {Records(Join({kNotepadRecord, kNamelessRecord})), Records(kNotepadRecord)});
    LogWriter.SizeBound = 10;
    ASSERT_TRUE(WriteFileBytes(LogPath(), "\xFF\xFE" + Bytes(11264 - 2, 'd')));
    const ULONGLONG identity = FileIndex(LogPath());

    std::unique_ptr<FolderClosedToNewFiles> closed;
    UniqueFile reader;
    if (row.obstacle == Obstacle::ClosedFolder) {
      closed = std::make_unique<FolderClosedToNewFiles>(folder_);
      if (!closed->Closed()) {
        std::printf("note: no way to close a folder to new files on this machine; row skipped\n");
        closed.reset();
        Leave();
        continue;
      }
    } else if (row.obstacle == Obstacle::ReaderNotSharingDeletion) {
      reader.reset(CreateFileW(LogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(reader);
    }

    StartWriter();
    ASSERT_TRUE(Fake.WaitForCalls(1)) << "the first pass did not drain";
    EXPECT_TRUE(WaitForLog(Utf16LeWithBom(std::wstring(kNotepadLine) + kNamelessLine))) << LogBytes().size();
    ASSERT_TRUE(Fake.WaitForCalls(2)) << "the second pass did not drain";
    EXPECT_TRUE(WaitForLog(Utf16LeWithBom(std::wstring(kNotepadLine) + kNamelessLine + kNotepadLine)))
        << "no lines after the restart; " << LogBytes().size() << " bytes";
    EXPECT_EQ(FileIndex(LogPath()), identity) << "not the same file";
    if (closed) {
      EXPECT_FALSE(CanCreateFileIn(folder_)) << "the folder took new files again";
    }

    ASSERT_TRUE(StopLogWriter(kPassTimeoutMs));
    reader.reset();
    closed.reset();
    Leave();
  }
}

TEST_F(LogWriterTest, WhenTheFileCannotBeOpenedTheCacheIsStillEmptiedAndNothingIsWritten) {
  // Read-only folder: a pass can neither create the file nor open it.
  const std::wstring unwritable = UnwritableFolder();
  if (unwritable.empty()) {
    ADD_FAILURE() << "no folder on this machine refuses new files";
  } else {
    SCOPED_TRACE("read-only folder");
    EnterFolder(unwritable, {Records(kNotepadRecord), Records(kNamelessRecord)});
    StartWriter();
    EXPECT_TRUE(Fake.WaitForCalls(2)) << "every pass drains";
    EXPECT_FALSE(FileExists(LogPath()));
    Leave();
  }

  // Another program holds the file without sharing it.
  SCOPED_TRACE("file held without sharing");
  Enter(L"log_writer_held", {Records(kNotepadRecord), Records(kNamelessRecord)});
  ASSERT_TRUE(WriteFileBytes(LogPath(), "held"));
  UniqueFile holder(CreateFileW(LogPath().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  StartWriter();
  EXPECT_TRUE(Fake.WaitForCalls(2)) << "every pass drains";
  ASSERT_TRUE(StopLogWriter(kPassTimeoutMs));
  holder.reset();
  EXPECT_EQ(LogBytes(), "held");
}

TEST_F(LogWriterTest, ADrainReportingAnotherInstallerEndsTheWriter) {
  Enter(L"log_writer_lost", {Result(0x2801), Records(kNotepadRecord)});
  StartWriter();
  ASSERT_TRUE(WaitUntil([] { return LogWriter.LogWriterThread.load() == nullptr; }, kPassTimeoutMs))
      << "the writer did not end";
  EXPECT_EQ(Fake.Calls(), 1);
  EXPECT_EQ(LogBytes(), "\xFF\xFE");
  EXPECT_TRUE(LogWriter.LogToFile.load()) << "the writer's end leaves the program's flag alone";

  // No new writer while the hook belongs to another process; one as soon as it is ours again.
  Fake.Self = 0;
  PollLogWriter();
  EXPECT_EQ(LogWriter.LogWriterThread.load(), nullptr);
  Fake.Self = 1;
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(2));
  EXPECT_TRUE(WaitForLog(Utf16LeWithBom(kNotepadLine)));
}

TEST_F(LogWriterTest, TheStartRuleFollowsTheSharedLogStateAndStartsAtMostOneWriter) {
  Enter(L"log_writer_start");
  struct Row {
    const char* name;
    bool programFlag;
    std::uint8_t logState;
    std::uint8_t self;
    bool logToFile;
    bool starts;
  };
  const Row rows[] = {
      {"logging off", false, 0, 1, false, false},
      {"shared state overrides the program's flag", true, 0, 1, false, false},
      {"hook of another process", false, 1, 0, true, false},
      {"logging on, own hook", false, 1, 1, true, true},
  };
  for (const Row& row : rows) {
    LogWriter.LogToFile = row.programFlag;
    Fake.LogState = row.logState;
    Fake.Self = row.self;
    PollLogWriter();
    EXPECT_EQ(LogWriter.LogToFile.load(), row.logToFile) << row.name;
    EXPECT_EQ(LogWriter.LogWriterThread.load() != nullptr, row.starts) << row.name;
    if (row.starts) {
      const HANDLE first = LogWriter.LogWriterThread.load();
      PollLogWriter();
      EXPECT_EQ(LogWriter.LogWriterThread.load(), first) << row.name << ": a second writer started";
    }
    EXPECT_TRUE(StopLogWriter(kPassTimeoutMs)) << row.name;
  }
}

TEST_F(LogWriterTest, ClearingLogToFileEndsTheWriterAfterThePassUnderWay) {
  // The user switches logging off while a pass is under way: that pass still writes what it
  // drained, and the writer ends before the next drain.
  Drain switchOff = Records(kNotepadRecord);
  switchOff.action = [] { LogWriter.LogToFile = false; };
  Enter(L"log_writer_off", {switchOff, Records(kNamelessRecord)});
  StartWriter();
  ASSERT_TRUE(WaitUntil([] { return LogWriter.LogWriterThread.load() == nullptr; }, kPassTimeoutMs))
      << "the writer did not end";
  EXPECT_EQ(Fake.Calls(), 1);
  EXPECT_EQ(LogBytes(), Utf16LeWithBom(kNotepadLine));
}

TEST_F(LogWriterTest, StopEndsTheWriterWithoutWaitingOutItsPauses) {
  // Without the wake-up, the 10 ms pauses after 300 records, or the 3 s pause between passes,
  // would hold the writer for about 3 s after the drain; the stop allows half of that.
  const DWORD stopTimeoutMs = 1500;
  std::vector<std::uint8_t> many;
  std::wstring expected;
  for (int i = 0; i < 300; ++i) {
    many.insert(many.end(), kNamelessRecord.begin(), kNamelessRecord.end());
    expected += kNamelessLine;
  }
  Enter(L"log_writer_stop_walk", {Records(many)});
  EXPECT_TRUE(StopLogWriter(0)) << "no writer runs yet";
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  EXPECT_TRUE(StopLogWriter(stopTimeoutMs)) << "stopped during the walk";
  EXPECT_EQ(LogWriter.LogWriterThread.load(), nullptr);
  EXPECT_FALSE(LogWriter.LogToFile.load());
  EXPECT_EQ(LogBytes(), Utf16LeWithBom(expected)) << "what was drained still reaches the file";
  Leave();

  Enter(L"log_writer_stop_pause");
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  EXPECT_TRUE(StopLogWriter(stopTimeoutMs)) << "stopped during the pause between passes";
  EXPECT_EQ(LogWriter.LogWriterThread.load(), nullptr);
}

TEST_F(LogWriterTest, APassInterruptedByAnExceptionLeavesItsFileOpenForTheNextPass) {
  Enter(L"log_writer_throw", {Throw(), Records(kNotepadRecord)});
  StartWriter();
  ASSERT_TRUE(Fake.WaitForCalls(1));
  // The file stays open: the next pass neither prepares it again nor moves to its end, so a
  // change made now to its first bytes survives.
  {
    UniqueFile other(CreateFileW(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other.get(), "XY", 2, &written, nullptr));
  }
  ASSERT_TRUE(Fake.WaitForCalls(2)) << "an exception must not end the writer";
  EXPECT_TRUE(WaitForLog("XY" + Utf16Le(kNotepadLine)));
  EXPECT_NE(LogWriter.LogWriterThread.load(), nullptr);
}

TEST(PrepareLogFile, CreatesOrMarksTheFileAndReportsWhetherTheMarkWasWritten) {
  const std::wstring folder = MakeScratchFolder(L"log_writer_prepare");
  ASSERT_FALSE(folder.empty());
  EXPECT_FALSE(PrepareLogFile(nullptr));
  EXPECT_TRUE(PrepareLogFile((folder + L"new.log").c_str()));
  EXPECT_EQ(ReadFileBytes(folder + L"new.log"), "\xFF\xFE");
  ASSERT_TRUE(WriteFileBytes(folder + L"old.log", "abcdef"));
  EXPECT_TRUE(PrepareLogFile((folder + L"old.log").c_str()));
  EXPECT_EQ(ReadFileBytes(folder + L"old.log"), "\xFF\xFE" "cdef");
  EXPECT_FALSE(PrepareLogFile((folder + L"missing\\x.log").c_str()));
  RemoveFolder(folder);
}

}  // namespace
