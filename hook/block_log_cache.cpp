// The block log cache's platform side: the named mutex, the local time, ClearLogCahce and
// SetLogState.
#include "core/block_log.h"
#include "library_state.h"

namespace {

// One handle per append or drain, closed before returning: the library keeps no handle
// between calls.
class CacheMutex {
 public:
  explicit CacheMutex(DWORD waitLimitMs = INFINITE) noexcept : waitLimitMs_(waitLimitMs) {}
  bool Open() noexcept {
    handle_ = CreateMutexW(nullptr, FALSE, L"CACHE_IO_MUTEX");
    return handle_ != nullptr;
  }
  // A mutex left abandoned by a process that died holding it is now ours like a released one.
  bool Wait() noexcept {
    const DWORD result = WaitForSingleObject(handle_, waitLimitMs_);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  void Release() noexcept { ReleaseMutex(handle_); }
  void Close() noexcept {
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
  DWORD waitLimitMs_;
};

static_assert(sizeof(SYSTEMTIME) == sizeof(BlockLogTime), "the record takes SYSTEMTIME's eight fields in order");

BlockLogTime ReadLocalTime() noexcept {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

// Runs in the input path of whichever program the message was swallowed in: a frozen holder of
// the lock must not freeze that program's input too.
void AppendToBlockLog(std::uint16_t eventCode, std::uint32_t processId, const wchar_t* path) noexcept {
  CacheMutex mutex(kAppendLockWaitMs);
  AppendBlockLog(SharedData, SharedCacheResetMark, eventCode, processId, reinterpret_cast<const char16_t*>(path),
                 kApplicationPathCapacity, mutex, ReadLocalTime);
}

std::uint16_t WINAPI ClearLogCahce(std::uint8_t* buffer) noexcept {
  CacheMutex mutex;
  return DrainBlockLog(SharedData, SharedCacheResetMark, CurrentProcessId, buffer, mutex);
}

// Called on the programs' window threads: never waits for a frozen holder for long.
void WINAPI SetLogState(std::uint8_t state) noexcept {
  if (FilterHeldByAnotherSession()) return;
  CacheMutex mutex(kLogStateLockWaitMs);
  SetBlockLogState(SharedData, SharedCacheResetMark, state, mutex);
}
