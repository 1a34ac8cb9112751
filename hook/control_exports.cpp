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

std::uint32_t ThisSessionTag() noexcept {
  DWORD session = 0;
  return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session + 1 : 0;
}
std::uint8_t ThisHookHolder() noexcept {
  return HookHolder(SharedData, SharedInstaller, CurrentProcessId, ThisSessionTag());
}
bool FilterHeldByAnotherSession() noexcept { return ThisHookHolder() == kHookHolderOtherSession; }

bool WriterWait::WaitForWriter(DWORD start, std::uint32_t attempt) noexcept {
  Sleep(attempt < 8 ? 0 : 1);
  return GetTickCount() - start < 1000;
}

std::uint8_t WINAPI InstallHook(std::uint8_t filterOwnProcess) noexcept {
  const std::uint8_t installed = InstallSharedHook(SharedData, CurrentProcessId, filterOwnProcess, [] {
    // Claimed, and no hook of this library runs: nothing left by an earlier installer (a release
    // pending, the replay slot, the guard switched on) reaches the new one, which turns the
    // guard on itself once it delivers.
    ResetReleaseGuard();
    SharedStore(SharedInstaller.SessionTag, ThisSessionTag());
    return HookHandleBits(SetWindowsHookExW(WH_MOUSE, MousePreProc, ModuleInstance, 0));
  });
  // A new installing process, and a filter that starts unpaused: every process decides again
  // whether its input passes unfiltered.
  if (installed != 0) SetFilterPause(GuardData.Extension, 0, WriterWait{});
  return installed;
}

std::uint8_t WINAPI UninstallHook() noexcept {
  // Another session's hook handle means nothing in this one (or something else): never passed on.
  const bool otherSession = FilterHeldByAnotherSession();
  const std::uint8_t removed = UninstallSharedHook(
      SharedData, CurrentProcessId,
      [otherSession](std::uint32_t handle) {
        return !otherSession && UnhookWindowsHookEx(HookHandleFromBits(handle)) != FALSE;
      },
      ProcessEnded, ResetReleaseGuard);
  // A release still pending is delivered at once by the installing program, not stranded.
  if (removed != 0 && AnyReleasePending()) WakeReleaseDeliverer();
  return removed;
}

std::uint8_t WINAPI QueryHookState() noexcept { return SharedLoad(SharedData.HookInstalled); }

std::uint8_t WINAPI QueryHookHolder() noexcept { return ThisHookHolder(); }

std::uint8_t WINAPI IsSelf() noexcept {
  return CurrentProcessId == SharedLoad(SharedData.InstallerProcessId) ? 1 : 0;
}

void WINAPI SetHookType(std::uint8_t hookType) noexcept {
  if (!FilterHeldByAnotherSession()) SharedStore(SharedData.HookType, hookType);
}

void WINAPI GetHookType(std::uint8_t* hookType) noexcept { WriteIfSet(hookType, SharedData.HookType); }

void WINAPI SetIntervalTime(std::uint32_t upDown, std::uint32_t dbClick, std::uint32_t rotReverse) noexcept {
  if (FilterHeldByAnotherSession()) return;
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
  if (FilterHeldByAnotherSession()) return;
  SharedStore(SharedData.BlockedUpDown, std::uint32_t{0});
  SharedStore(SharedData.BlockedDbClick, std::uint32_t{0});
  SharedStore(SharedData.BlockedRotReverse, std::uint32_t{0});
}
