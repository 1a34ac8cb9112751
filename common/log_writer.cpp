// The block log file writer (see log_writer.h): the start rule, the writer thread with its
// passes, the byte-order-mark preparation and the shutdown wait.
#include "log_writer.h"

#include "hook_library.h"
#include "log_record.h"
#include "unicode_file.h"
#include "unique_handle.h"

LogWriterState LogWriter;

namespace {

constexpr DWORD kPassPauseMs = 3000;
constexpr DWORD kRecordPauseMs = 10;

// What a running writer needs, copied by PollLogWriter before the thread starts, so the
// writer never reads the program's HookLibrary while the program may rebind it.
ClearLogCahceFn WriterDrain = nullptr;
std::uint32_t WriterSizeBound = 0;

// Ends the writer's pauses early when StopLogWriter asks it to end. Manual reset: once set it
// stays set until the next writer starts, so a stop request can never be missed. Created once
// and kept for the life of the process.
UniqueHandle WakeEvent;

// The handle of the last writer started. Only the thread that runs PollLogWriter and
// StopLogWriter touches it, so it is never closed while StopLogWriter waits on it; the writer
// itself only clears the mark in LogWriter.LogWriterThread.
UniqueHandle WriterHandle;

void Pause(DWORD ms) {
  if (WakeEvent) {
    WaitForSingleObject(WakeEvent.get(), ms);
  } else {
    Sleep(ms);
  }
}

enum class PassEnd { Continue, HookLost };

// Starts a log past its bound anew in place: the byte-order mark at the start, nothing behind it,
// the file pointer right after it. The file keeps its name, its access list and whatever rights
// were granted on it: in an install under Program Files an ordinary user may write the log (the
// installer grants that) but may create no file in its folder, so a deleted log could never
// come back. The mark goes in before the cut, so the file never lacks it.
bool StartLogAnew(HANDLE file) { return WriteByteOrderMark(file) && SetEndOfFile(file); }

// Opens the log for one pass: prepared, size-checked and positioned at its end, or started anew
// once past its bound. Returns false when the file is past its bound and could not be started
// anew; the pass then drains nothing and the records wait in the cache for the next one.
bool OpenLogForPass(UniqueFile& file) {
  PrepareLogFile(kLogFileName);
  // Reading and writing is all the writer does, and all it asks for: the installer grants
  // ordinary users modify rights on the log, which do not include changing its access list or
  // owner (as GENERIC_ALL would ask), and a reader that keeps the file open sharing reading and
  // writing but not deletion must not stop the log either.
  file.reset(CreateFileW(kLogFileName, GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return true;  // the pass goes on without a file: records are drained and lost

  // The whole 64-bit size: with only the low 32 bits a file past 4 GiB could look small and
  // grow without end. A size that cannot be read starts nothing anew.
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && static_cast<ULONGLONG>(size.QuadPart) / 1024 > WriterSizeBound) {
    if (StartLogAnew(file.get())) return true;
    file.reset();
    return false;
  }
  SetFilePointer(file.get(), 0, nullptr, FILE_END);
  return true;
}

// One pass. May throw (from a drain entry point); the caller keeps the file as it stands.
PassEnd RunPass(UniqueFile& file, std::uint8_t* drain) {
  Pause(kPassPauseMs);
  // A file still open from an interrupted pass is used as it is.
  if (!file && !OpenLogForPass(file)) return PassEnd::Continue;

  const std::uint16_t count = WriterDrain(drain);
  if (count > kLogDrainBufferSize) return PassEnd::HookLost;

  BlockLogLines lines(drain, count);
  while (lines.Next()) {
    if (file) {
      DWORD written = 0;
      WriteFile(file.get(), lines.Line(), static_cast<DWORD>(lines.Length() * sizeof(char16_t)), &written, nullptr);
    }
    Pause(kRecordPauseMs);
  }
  file.reset();
  return PassEnd::Continue;
}

}  // namespace

void PollLogWriter() {
  const HookLibrary* library = LogWriter.Library;
  if (!library || !library->GetLogState) return;
  const bool logging = library->GetLogState() != 0;
  LogWriter.LogToFile = logging;
  if (!logging || !library->IsSelf || !library->IsSelf() || !library->ClearLogCahce) return;
  if (LogWriter.LogWriterThread.load() != nullptr) return;

  WriterDrain = library->ClearLogCahce;
  WriterSizeBound = LogWriter.SizeBound;
  if (!WakeEvent) WakeEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (WakeEvent) ResetEvent(WakeEvent.get());

  // The previous writer has cleared its mark; its handle is no longer waited on. Started
  // suspended so the mark is in place before the writer can reach its end and clear it.
  WriterHandle.reset(CreateThread(nullptr, 0, LogWriterProc, nullptr, CREATE_SUSPENDED, nullptr));
  if (!WriterHandle) return;
  HANDLE thread = WriterHandle.get();
  LogWriter.LogWriterThread = thread;
  if (ResumeThread(thread) == static_cast<DWORD>(-1)) {
    // The thread never ran a line of the writer: it can be ended without harm.
    TerminateThread(thread, 0);
    LogWriter.LogWriterThread = nullptr;
    WriterHandle.reset();
  }
}

DWORD WINAPI LogWriterProc(void*) {
  // The thread owns its drain buffer (the line buffer lives in each pass's walk).
  std::uint8_t drain[kLogDrainBufferSize];
  UniqueFile file;
  while (LogWriter.LogToFile.load()) {
    try {
      if (RunPass(file, drain) == PassEnd::HookLost) break;
    } catch (...) {
      // The pass is abandoned where it stands; a file it left open serves the next pass.
    }
  }
  file.reset();
  LogWriter.LogWriterThread = nullptr;  // last act: a new writer may start from here on
  return 0;
}

bool PrepareLogFile(const wchar_t* path) {
  if (!path) return false;
  // Creates a missing file and never cuts an existing one; shared as the writer's own pass shares.
  UniqueFile file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteByteOrderMark(file.get());
}

bool StopLogWriter(DWORD timeoutMs) {
  LogWriter.LogToFile = false;
  if (WakeEvent) SetEvent(WakeEvent.get());
  if (!WriterHandle) return LogWriter.LogWriterThread.load() == nullptr;
  if (WaitForSingleObject(WriterHandle.get(), timeoutMs) != WAIT_OBJECT_0) return false;
  WriterHandle.reset();
  return true;
}
