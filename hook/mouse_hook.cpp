// The hook procedure the platform calls for every mouse message of every hooked thread.
#include "core/mouse_decision.h"
#include "library_state.h"

namespace {

// A message without a window is taken as this process's own.
std::uint32_t WindowProcessId(LPARAM data) noexcept {
  HWND window = data != 0 ? reinterpret_cast<const MOUSEHOOKSTRUCT*>(data)->hwnd : nullptr;
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return CurrentProcessId;
  return processId;
}

// Another process's executable and start time; "" and 0 when it cannot be opened.
void ExecutableOf(std::uint32_t processId, char16_t* path, std::uint32_t capacity) noexcept {
  path[0] = 0;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
    DWORD length = capacity;
    if (!QueryFullProcessImageNameW(process, 0, reinterpret_cast<wchar_t*>(path), &length)) path[0] = 0;
    CloseHandle(process);
  }
}
std::uint64_t ProcessStarted(std::uint32_t processId) noexcept {
  std::uint64_t started = 0;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(process, &creation, &exit, &kernel, &user))
      started = (static_cast<std::uint64_t>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
    CloseHandle(process);
  }
  return started;
}

// What the decision may ask about the message; each read happens only where it is needed.
struct HookedMessage {
  LPARAM data;
  std::uint32_t Tick() const noexcept { return static_cast<std::uint32_t>(GetTickCount()); }
  std::int16_t WheelDelta() const noexcept {
    return data != 0 ? static_cast<std::int16_t>(HIWORD(reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData)) : 0;
  }
  std::uint32_t InputMark() const noexcept {
    return data != 0 ? static_cast<std::uint32_t>(reinterpret_cast<const MOUSEHOOKSTRUCT*>(data)->dwExtraInfo) : 0;
  }
  std::uint32_t ThreadId() const noexcept { return GetCurrentThreadId(); }
  void WakeDeliverer() const noexcept { WakeReleaseDeliverer(); }
  // Windows: reads 0 (up) for a process that may not read the input state; the hold then ends
  // as it did before the physical state was asked.
  bool PhysicallyDown(std::uint8_t button) const noexcept { return ::PhysicallyDown(button); }
  bool SendReleaseThenMessage(std::uint8_t button, std::uint32_t message) const noexcept {
    const DWORD mouseData = data != 0 ? reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData : 0;
    return SendReleaseThenInput(button, message, HIWORD(mouseData));
  }
  std::uint16_t XButton() const noexcept {
    return data != 0 ? HIWORD(reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData) : 0;
  }
  ProcessExclusion& Process() const noexcept { return ThisProcess; }
  const ExcludedProgramNames& ExcludedNames() const noexcept { return ::ExcludedNames; }
  const char16_t* ExecutablePath() const noexcept { return reinterpret_cast<const char16_t*>(ApplicationPath); }
  std::uint32_t ExecutablePathCapacity() const noexcept { return kApplicationPathCapacity; }
  std::uint32_t WindowProcessId() const noexcept { return ::WindowProcessId(data); }
  std::uint64_t ProcessStarted(std::uint32_t processId) const noexcept { return ::ProcessStarted(processId); }
  void ExecutableOf(std::uint32_t processId, char16_t* path, std::uint32_t capacity) const noexcept {
    ::ExecutableOf(processId, path, capacity);
  }

  // The one wait the hook makes: the application's thread is held until the button comes up
  // (then the press is swallowed) or the time has passed with it down. Woken at once by the next
  // mouse button input to this thread, which is the release as a rule; otherwise it looks again
  // each millisecond. Windows: GetAsyncKeyState reads 0 for a process that may not read the
  // input state (not in the foreground, another desktop), and 0 reads as up: today's swallow.
  bool PressHeld(std::uint8_t button, std::uint32_t ms) const noexcept {
    const int key = PhysicalButtonKey(button);
    LARGE_INTEGER frequency, start, now;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&start)) return false;
    const LONGLONG end = start.QuadPart + frequency.QuadPart * ms / 1000;
    for (;;) {
      if (GetAsyncKeyState(key) >= 0) return false;
      QueryPerformanceCounter(&now);
      if (now.QuadPart >= end) return true;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_MOUSEBUTTON);
    }
  }
};

// Logs a swallowed message under the process it was meant for. In the installing process that
// can be a process of the other bitness, whose hook calls run here: its id and path are looked
// up (on this path only, never for a message that passes).
void LogSwallowed(std::uint16_t eventCode, int records, LPARAM data) noexcept {
  std::uint32_t processId = CurrentProcessId;
  const wchar_t* path = ApplicationPath;
  char16_t otherPath[kApplicationPathCapacity];
  if (CurrentProcessId == SharedLoad(SharedData.InstallerProcessId)) {
    processId = WindowProcessId(data);
    if (processId != CurrentProcessId) {
      ExecutableOf(processId, otherPath, kApplicationPathCapacity);
      path = reinterpret_cast<const wchar_t*>(otherPath);
    }
  }
  for (int i = 0; i < records; ++i) AppendToBlockLog(eventCode, processId, path);
}

}  // namespace

// Guard, decide in the core, act, chain.
LRESULT CALLBACK MousePreProc(int code, WPARAM message, LPARAM data) noexcept {
  // A process that keeps its own input unfiltered (the panel, for its windows, whoever installed
  // the hook) is one of the processes the decision lets pass as excluded (filter_extension.h):
  // decided once, and in the installing process for its own windows only.
  HookedMessage hooked{data};
  const std::uint32_t verdict =
      DecideMouseMessage(SharedData, GuardData, code, static_cast<std::uint32_t>(message), CurrentProcessId, hooked);
  if (verdict == kPass)
    return CallNextHookEx(HookHandleFromBits(SharedLoad(SharedData.HookHandle)), code, message, data);
  if (verdict & kVerdictWake) WakeReleaseDeliverer();
  if (const std::uint16_t eventCode = static_cast<std::uint16_t>(verdict))
    LogSwallowed(eventCode, (verdict & kVerdictSecondRecord) ? 2 : 1, data);
  return 1;
}
