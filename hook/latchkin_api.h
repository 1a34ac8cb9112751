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
// leaves a release pending, and UninstallHook when it removes the hook with one pending.
inline constexpr wchar_t kReleaseGuardEventName[] = L"Local\\LatchkinReleaseGuard";
// SetExcludedPrograms reads at most this many characters of its list.
inline constexpr std::uint32_t kExcludedProgramsReadLimit = 4096;

// The library's file name; programs load it from their own folder by full path.
inline constexpr wchar_t kHookLibraryFileName[] = L"Latchkin.dll";
