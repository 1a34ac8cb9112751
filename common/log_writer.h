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
  std::atomic<HANDLE> LogWriterThread{nullptr}; // set while a writer runs; the writer clears it
  const HookLibrary* Library = nullptr;         // bound entry points (GetLogState, IsSelf, ClearLogCahce)
};
extern LogWriterState LogWriter;

// The start rule: LogToFile := GetLogState(); start a writer when logging is on, this process
// installed the hook and none runs.
void PollLogWriter();
// The thread routine (no argument); returns 0 when it ends.
DWORD WINAPI LogWriterProc(void* unused);
// Makes sure the file exists and begins with FF FE; true when the two bytes were written.
bool PrepareLogFile(const wchar_t* path);
// For shutdown: clears LogToFile, wakes a sleeping writer and waits up to timeoutMs for it to
// end. True when no writer runs any more, so the library may be unloaded.
bool StopLogWriter(DWORD timeoutMs);
