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
inline constexpr DWORD kApplicationPathCapacity = 520;
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

// Every export as the programs bind it (latchkin_exports.inc): a definition that drifts from its
// row fails to compile.
extern "C" {
#define LATCHKIN_EXPORT(group, result, name, parameters) result WINAPI name parameters noexcept;
#include "latchkin_exports.inc"
#undef LATCHKIN_EXPORT
}
