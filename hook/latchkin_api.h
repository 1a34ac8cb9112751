// The exports of Latchkin.dll as the programs bind them by name: a pointer type NameFn for each
// row of latchkin_exports.inc. The library declares its exports from the same rows, so a
// definition that drifted from them fails to compile.
#pragma once
#include <windows.h>
#include <cstdint>

extern "C" {
#define LATCHKIN_EXPORT(group, result, name, parameters) using name##Fn = result(WINAPI*) parameters;
#include "latchkin_exports.inc"
#undef LATCHKIN_EXPORT
}

// The auto-reset event the installing program creates and waits on; the hook sets it when it
// leaves a release pending, and UninstallHook when it removes the hook with one pending. Named
// per installing process (this prefix, '-' and its id in eight hex digits, which the hook reads
// from the record): two copies of the library filter with their own records and deliverers, and
// one copy's wake-up must never be taken by the other's deliverer.
inline constexpr wchar_t kReleaseGuardEventName[] = L"Local\\LatchkinReleaseGuard";
inline constexpr unsigned kReleaseGuardEventNameCapacity = sizeof kReleaseGuardEventName / sizeof(wchar_t) + 9;
inline void FormatReleaseGuardEventName(wchar_t (&name)[kReleaseGuardEventNameCapacity],
                                        std::uint32_t installerProcessId) noexcept {
  unsigned at = 0;
  for (; kReleaseGuardEventName[at] != 0; ++at) name[at] = kReleaseGuardEventName[at];
  name[at++] = L'-';
  for (int shift = 28; shift >= 0; shift -= 4) name[at++] = L"0123456789ABCDEF"[(installerProcessId >> shift) & 15];
  name[at] = 0;
}
// SetExcludedPrograms reads at most this many characters of its list.
inline constexpr std::uint32_t kExcludedProgramsReadLimit = 4096;

// The library's file name; programs load it from their own folder by full path.
inline constexpr wchar_t kHookLibraryFileName[] = L"Latchkin.dll";
