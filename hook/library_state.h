// What every part of Latchkin.dll shares: the cross-process record in the shared section, the
// variables each process fills when it maps the library, and the library's own exports.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/block_log.h"
#include "core/filter_extension.h"
#include "core/guard_shared_data.h"
#include "core/hook_control.h"
#include "core/hook_shared_data.h"

// One copy for every process that maps this library file (two shared sections).
extern HookSharedData SharedData;
extern GuardSharedData GuardData;
extern CacheResetMark SharedCacheResetMark;  // behind the record in shared_d: see block_log.h

extern InstallerSession SharedInstaller;    // behind the record in shared_d: see hook_control.h

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

// The calling process's session plus one (0 when the platform does not say), and who holds the
// filter for it. A program of another session changes nothing of the filter: its setters return
// as if called with values they do not accept.
std::uint32_t ThisSessionTag() noexcept;
std::uint8_t ThisHookHolder() noexcept;
bool FilterHeldByAnotherSession() noexcept;

// A program waiting for another's change of the excluded list or the pause: a change takes
// microseconds, so a writer that still holds it after a second is taken for dead half-way.
struct WriterWait {
  DWORD Start = GetTickCount();
  bool operator()(std::uint32_t attempt) const noexcept { return WaitForWriter(Start, attempt); }
  static bool WaitForWriter(DWORD start, std::uint32_t attempt) noexcept;
};

// Called by the hook procedure for a swallowed message, naming the process it was meant for.
void AppendToBlockLog(std::uint16_t eventCode, std::uint32_t processId, const wchar_t* path) noexcept;
// Sets the installing program's event, if it made one; and whether a release waits for it.
void WakeReleaseDeliverer() noexcept;
bool AnyReleasePending() noexcept;
// The virtual key of the physical button that sends a logical button's (ButtonIndex) messages,
// and whether that button is down now.
int PhysicalButtonKey(std::uint8_t button) noexcept;
bool PhysicallyDown(std::uint8_t button) noexcept;
// Ends a hold from the hooked thread: the logical button's release, then the input that makes the
// system send the message again (wheelOrButton: the high word of its mouseData), in one call.
bool SendReleaseThenInput(std::uint8_t button, std::uint32_t message, std::uint16_t wheelOrButton) noexcept;
// Guard off, nothing pending, an older library's replay slot zero: what a new installer starts from, and what
// is left of an ended installer whose record another program takes over.
void ResetReleaseGuard() noexcept;

// Every export as the programs bind it (latchkin_exports.inc): a definition that drifts from its
// row fails to compile.
extern "C" {
#define LATCHKIN_EXPORT(group, result, name, parameters) result WINAPI name parameters noexcept;
#include "latchkin_exports.inc"
#undef LATCHKIN_EXPORT
}
