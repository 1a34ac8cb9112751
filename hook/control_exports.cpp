// The control exports: installing and removing the hook, its settings and its counters.
#include "latchkin_api.h"
#include "core/hook_control.h"
#include "library_state.h"

// The programs bind every export by name with the pointer types of latchkin_api.h, made from the
// same rows as the declarations: a row whose two sides disagree fails to compile here.
namespace signatures {
#define LATCHKIN_EXPORT(group, result, name, parameters) [[maybe_unused]] constexpr name##Fn k##name = &name;
#include "latchkin_exports.inc"
#undef LATCHKIN_EXPORT
}  // namespace signatures

namespace {

template <typename T>
void WriteIfSet(T* out, const T& field) noexcept {
  if (out != nullptr) *out = SharedLoad(field);
}

// A process that cannot be opened for lack of rights (an elevated one) counts as running; an id
// taken again by a new process does too. Either way the record stays as it is.
bool ProcessEnded(std::uint32_t processId) noexcept {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

}  // namespace

std::uint8_t WINAPI InstallHook(std::uint8_t filterOwnProcess) noexcept {
  const std::uint8_t installed = InstallSharedHook(SharedData, CurrentProcessId, filterOwnProcess, [] {
    return HookHandleBits(SetWindowsHookExW(WH_MOUSE, MousePreProc, ModuleInstance, 0));
  });
  // A new installing process, and a filter that starts unpaused: every process decides again
  // whether its input passes unfiltered.
  if (installed != 0) SetFilterPause(GuardData.Extension, 0);
  return installed;
}

std::uint8_t WINAPI UninstallHook() noexcept {
  const std::uint8_t removed = UninstallSharedHook(
      SharedData, CurrentProcessId,
      [](std::uint32_t handle) { return UnhookWindowsHookEx(HookHandleFromBits(handle)) != FALSE; }, ProcessEnded);
  // A release still pending is delivered at once by the installing program, not stranded.
  if (removed != 0 && AnyReleasePending()) WakeReleaseDeliverer();
  return removed;
}

std::uint8_t WINAPI QueryHookState() noexcept { return SharedLoad(SharedData.HookInstalled); }

std::uint8_t WINAPI IsSelf() noexcept {
  return CurrentProcessId == SharedLoad(SharedData.InstallerProcessId) ? 1 : 0;
}

void WINAPI SetHookType(std::uint8_t hookType) noexcept { SharedStore(SharedData.HookType, hookType); }

void WINAPI GetHookType(std::uint8_t* hookType) noexcept { WriteIfSet(hookType, SharedData.HookType); }

void WINAPI SetIntervalTime(std::uint32_t upDown, std::uint32_t dbClick, std::uint32_t rotReverse) noexcept {
  SetSharedIntervalTimes(SharedData, upDown, dbClick, rotReverse);
  RefreshButtonIntervals(SharedData, GuardData.Extension);
}

void WINAPI GetIntervalTime(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse) noexcept {
  WriteIfSet(upDown, SharedData.UpDownIntervalTime);
  WriteIfSet(dbClick, SharedData.DbClickIntervalTime);
  WriteIfSet(rotReverse, SharedData.RotReverseIntervalTime);
}

std::uint8_t WINAPI GetLogState() noexcept { return SharedLoad(SharedData.LogState); }

void WINAPI ReturnBlockedCount(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse) noexcept {
  WriteIfSet(upDown, SharedData.BlockedUpDown);
  WriteIfSet(dbClick, SharedData.BlockedDbClick);
  WriteIfSet(rotReverse, SharedData.BlockedRotReverse);
}

void WINAPI ClearBlockedCount() noexcept {
  SharedStore(SharedData.BlockedUpDown, std::uint32_t{0});
  SharedStore(SharedData.BlockedDbClick, std::uint32_t{0});
  SharedStore(SharedData.BlockedRotReverse, std::uint32_t{0});
}
