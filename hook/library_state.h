// What every part of Latchkin.dll shares: the cross-process record in the shared section, the
// variables each process fills when it maps the library, and the library's own exports.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/block_log.h"
#include "core/filter_extension.h"
#include "core/guard_shared_data.h"
#include "core/hook_shared_data.h"

// One copy for every process that maps this library file (two shared sections).
extern HookSharedData SharedData;
extern GuardSharedData GuardData;
extern CacheResetMark SharedCacheResetMark;  // behind the record in shared_d: see block_log.h

// One copy per process, set when the library is mapped.
inline constexpr DWORD kApplicationPathCapacity = kExecutablePathCapacity;
extern HINSTANCE ModuleInstance;
extern std::uint32_t CurrentProcessId;
extern wchar_t ApplicationPath[kApplicationPathCapacity];
// This process's own exclusion state, and the shared excluded names (filter_extension_exports.cpp).
extern ProcessExclusion ThisProcess;
extern "C" ExcludedProgramNames ExcludedNames;

// USER handles carry 32 significant bits on x64 too; the record keeps those, and the handle is
// rebuilt by sign extension, as the platform does when a 32-bit process passes one on.
inline std::uint32_t HookHandleBits(HHOOK hook) noexcept {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(hook));
}
inline HHOOK HookHandleFromBits(std::uint32_t bits) noexcept {
  return reinterpret_cast<HHOOK>(static_cast<LONG_PTR>(static_cast<LONG>(bits)));
}

// Called by the hook procedure for a swallowed message, naming the process it was meant for.
void AppendToBlockLog(std::uint16_t eventCode, std::uint32_t processId, const wchar_t* path) noexcept;
// Sets the installing program's event, if it made one; and whether a release waits for it.
void WakeReleaseDeliverer() noexcept;
bool AnyReleasePending() noexcept;
// The virtual key of the physical button that sends a logical button's (ButtonIndex) messages.
int PhysicalButtonKey(std::uint8_t button) noexcept;

extern "C" {
LRESULT CALLBACK MousePreProc(int code, WPARAM message, LPARAM data) noexcept;
std::uint8_t WINAPI InstallHook(std::uint8_t filterOwnProcess) noexcept;
std::uint8_t WINAPI UninstallHook() noexcept;
std::uint8_t WINAPI QueryHookState() noexcept;
std::uint8_t WINAPI IsSelf() noexcept;
void WINAPI SetHookType(std::uint8_t hookType) noexcept;
void WINAPI GetHookType(std::uint8_t* hookType) noexcept;
void WINAPI SetIntervalTime(std::uint32_t upDown, std::uint32_t dbClick, std::uint32_t rotReverse) noexcept;
void WINAPI GetIntervalTime(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse) noexcept;
void WINAPI SetLogState(std::uint8_t state) noexcept;
std::uint8_t WINAPI GetLogState() noexcept;
void WINAPI ReturnBlockedCount(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse) noexcept;
void WINAPI ClearBlockedCount() noexcept;
std::uint16_t WINAPI ClearLogCahce(std::uint8_t* buffer) noexcept;
void WINAPI SetReleaseGuard(std::uint8_t releaseGuard, std::uint8_t dragHold, std::uint32_t dragHoldTime) noexcept;
std::uint32_t WINAPI DeliverPendingReleases(std::uint8_t everyNow) noexcept;
void WINAPI ReturnLateReleaseCount(std::uint32_t* delivered, std::uint32_t* dropped) noexcept;
void WINAPI SetProcessUnfiltered(std::uint8_t unfiltered) noexcept;
void WINAPI SetButtonIntervalTime(std::uint8_t button, std::uint32_t upDown, std::uint32_t dbClick) noexcept;
void WINAPI GetButtonIntervalTime(std::uint8_t button, std::uint32_t* upDown, std::uint32_t* dbClick) noexcept;
std::uint8_t WINAPI SetExcludedPrograms(const wchar_t* list) noexcept;
void WINAPI SetFilterPaused(std::uint8_t paused) noexcept;
std::uint8_t WINAPI GetFilterPaused() noexcept;
void WINAPI SetPressConfirm(std::uint8_t pressConfirm, std::uint32_t pressConfirmTime) noexcept;
}
