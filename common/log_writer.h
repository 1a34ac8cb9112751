// The block log file writer: in the process that installed the hook, a worker thread drains
// the library's block log cache every three seconds into "Quillon.log".
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>

struct HookLibrary;

// One per process. The program fills Library and SizeBound before the first PollLogWriter.
struct LogWriterState {
  std::atomic<bool> LogToFile{false};           // the writer's run condition
  std::uint32_t SizeBound = 1024;               // LogFileMaxSize, units of 1024 bytes
  // Set while a writer runs; the writer clears it as its last act. The handle stays owned by
  // the writer module (closed by the next start or by StopLogWriter): callers never close it.
  std::atomic<HANDLE> LogWriterThread{nullptr};
  const HookLibrary* Library = nullptr;         // bound entry points (GetLogState, IsSelf, ClearLogCahce)
};
extern LogWriterState LogWriter;

// The log file: a relative name, so it lies in the process's current directory.
inline constexpr wchar_t kLogFileName[] = L"Quillon.log";

// The start rule: LogToFile := GetLogState(); start a writer when logging is on, this process
// installed the hook and none runs. PollLogWriter and StopLogWriter are called from one thread
// (the program's main thread).
void PollLogWriter();
// The thread routine (no argument); returns 0 when it ends.
DWORD WINAPI LogWriterProc(void* unused);
// Makes sure the file exists and begins with FF FE; true when the two bytes were written.
bool PrepareLogFile(const wchar_t* path);
// For shutdown: clears LogToFile, wakes a sleeping writer and waits up to timeoutMs for it to
// end. True when no writer runs any more, so the library may be unloaded. A woken writer
// finishes the pass it is in (without its pauses), so records already drained still reach the
// file. Call it once the program no longer runs PollLogWriter (or after UninstallHook), or a
// later tick may start a new writer.
bool StopLogWriter(DWORD timeoutMs);
