// The hook procedure the platform calls for every mouse message of every hooked thread.
#include "core/release_guard.h"
#include "library_state.h"

namespace {

// The last other process the installing process judged (only its installing thread runs
// those hook calls).
struct OtherProcessDecision {
  std::uint32_t ProcessId;
  std::uint32_t Generation;
  bool Excluded;
};
OtherProcessDecision OtherProcess __attribute__((section("proc_d"))) = {0, 0, false};

// What the decision may ask about the message; each read happens only where it is needed.
struct HookedMessage {
  LPARAM data;
  std::uint32_t Tick() const noexcept { return static_cast<std::uint32_t>(GetTickCount()); }
  std::int16_t WheelDelta() const noexcept {
    return data != 0 ? static_cast<std::int16_t>(HIWORD(reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData)) : 0;
  }
  bool InjectedByGuard() const noexcept {
    return data != 0 &&
           static_cast<std::uint32_t>(reinterpret_cast<const MOUSEHOOKSTRUCT*>(data)->dwExtraInfo) == kInjectedReleaseMark;
  }
  bool WindowOfThisProcess() const noexcept { return WindowProcessId(data) == CurrentProcessId; }
  std::uint16_t XButton() const noexcept {
    return data != 0 ? HIWORD(reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData) : 0;
  }
  ProcessExclusion& Process() const noexcept { return ThisProcess; }
  const ExcludedProgramNames& ExcludedNames() const noexcept { return ::ExcludedNames; }
  const char16_t* ExecutablePath() const noexcept { return reinterpret_cast<const char16_t*>(ApplicationPath); }
  std::uint32_t ExecutablePathCapacity() const noexcept { return kApplicationPathCapacity; }

  // In the installing process, for a window of another process (the other bitness, whose hook
  // calls run here): that process's own exclusion. Its executable is looked up once per process
  // and change of the list, and only while some program is listed or the filter is paused.
  bool OtherProcessExcluded(const FilterExtensionData& extension) const noexcept {
    if (SharedLoad(extension.Paused) != 0) return true;
    const std::uint32_t processId = WindowProcessId(data);
    const std::uint32_t generation = SharedLoad(extension.ExclusionGeneration);
    if (processId == OtherProcess.ProcessId && generation == OtherProcess.Generation) return OtherProcess.Excluded;
    wchar_t path[kApplicationPathCapacity];
    path[0] = L'\0';
    if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
      DWORD length = kApplicationPathCapacity;
      if (!QueryFullProcessImageNameW(process, 0, path, &length)) path[0] = L'\0';
      CloseHandle(process);
    }
    const bool excluded =
        IsExcludedProgram(::ExcludedNames, reinterpret_cast<const char16_t*>(path), kApplicationPathCapacity);
    OtherProcess = {processId, generation, excluded};
    return excluded;
  }

  // A message without a window is taken as this process's own.
  static std::uint32_t WindowProcessId(LPARAM data) noexcept {
    HWND window = data != 0 ? reinterpret_cast<const MOUSEHOOKSTRUCT*>(data)->hwnd : nullptr;
    DWORD processId = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0) return CurrentProcessId;
    return processId;
  }
};

// Logs a swallowed message under the process it was meant for. In the installing process that
// can be a process of the other bitness, whose hook calls run here: its id and path are looked
// up (on this path only, never for a message that passes).
void LogSwallowed(std::uint16_t eventCode, int records, LPARAM data) noexcept {
  std::uint32_t processId = CurrentProcessId;
  const wchar_t* path = ApplicationPath;
  wchar_t otherPath[kApplicationPathCapacity];
  if (CurrentProcessId == SharedLoad(SharedData.InstallerProcessId)) {
    processId = HookedMessage::WindowProcessId(data);
    if (processId != CurrentProcessId) {
      otherPath[0] = L'\0';
      if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId)) {
        DWORD length = kApplicationPathCapacity;
        if (!QueryFullProcessImageNameW(process, 0, otherPath, &length)) otherPath[0] = L'\0';
        CloseHandle(process);
      }
      path = otherPath;
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
