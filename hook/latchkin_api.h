// The exports of Latchkin.dll as the programs bind them by name. The library defines its
// exports with these exact types (a mismatch fails to compile); the programs use the pointer
// types below with GetProcAddress. Flags and boolean results are 8-bit, 1 or 0.
#pragma once
#include <windows.h>
#include <cstdint>

extern "C" {
using InstallHookFn        = std::uint8_t(WINAPI*)(std::uint8_t filterOwnProcess);
using UninstallHookFn      = std::uint8_t(WINAPI*)();
using QueryHookStateFn     = std::uint8_t(WINAPI*)();
using IsSelfFn             = std::uint8_t(WINAPI*)();
using SetHookTypeFn        = void(WINAPI*)(std::uint8_t hookType);
using GetHookTypeFn        = void(WINAPI*)(std::uint8_t* hookType);
using SetIntervalTimeFn    = void(WINAPI*)(std::uint32_t upDown, std::uint32_t dbClick, std::uint32_t rotReverse);
using GetIntervalTimeFn    = void(WINAPI*)(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse);
using SetLogStateFn        = void(WINAPI*)(std::uint8_t state);
using GetLogStateFn        = std::uint8_t(WINAPI*)();
using ReturnBlockedCountFn = void(WINAPI*)(std::uint32_t* upDown, std::uint32_t* dbClick, std::uint32_t* rotReverse);
using ClearBlockedCountFn  = void(WINAPI*)();
// buffer: at least kBlockLogCacheSize (10240) bytes, owned by the caller.
using ClearLogCahceFn      = std::uint16_t(WINAPI*)(std::uint8_t* buffer);

// The release guard (bound on their own: a library without them filters as before).
// SetReleaseGuard: flags 1/0; a hold time outside 5..100 ms leaves the stored one.
using SetReleaseGuardFn        = void(WINAPI*)(std::uint8_t releaseGuard, std::uint8_t dragHold,
                                               std::uint32_t dragHoldTime);
// Delivers the due late releases (every pending one when everyNow is 1 or the hook is gone) and
// returns the milliseconds until the next is due, or INFINITE when none is pending.
using DeliverPendingReleasesFn = std::uint32_t(WINAPI*)(std::uint8_t everyNow);
// Late releases injected, and pending ones given up because the button was down again.
using ReturnLateReleaseCountFn = void(WINAPI*)(std::uint32_t* delivered, std::uint32_t* dropped);
// 1: the calling process's own mouse input passes unfiltered, whoever installed the hook; 0: it
// is filtered like any other process's (the start). Bound beside the 13 when present; a program
// does without it when it is missing.
using SetProcessUnfilteredFn = void(WINAPI*)(std::uint8_t unfiltered);
// Press confirmation: 1 on, 0 off (the start); a time outside 5..100 ms leaves the stored one.
// Bound on its own, optional: a library without it swallows as the rules say.
using SetPressConfirmFn = void(WINAPI*)(std::uint8_t pressConfirm, std::uint32_t pressConfirmTime);
}

// The auto-reset event the installing program creates and waits on; the hook sets it when it
// leaves a release pending, and UninstallHook when it removes the hook with one pending.
inline constexpr wchar_t kReleaseGuardEventName[] = L"Local\\LatchkinReleaseGuard";
// The filter extension (bound on their own: a library without them filters the three sources
// with the shared intervals, everywhere).
extern "C" {
// button: ButtonIndex (0 left, 1 right, 2 middle, 3 and 4 the side buttons); 0 returns it to
// the shared interval; a value above 9999 leaves that one as it is.
using SetButtonIntervalTimeFn = void(WINAPI*)(std::uint8_t button, std::uint32_t upDown, std::uint32_t dbClick);
// The button's own values as set (0: the shared interval).
using GetButtonIntervalTimeFn = void(WINAPI*)(std::uint8_t button, std::uint32_t* upDown, std::uint32_t* dbClick);
// Executable names separated by ';' (null: none); 1 when every name was kept, 0 when the list
// was cut (beyond 32 names, or a name longer than 64 characters).
using SetExcludedProgramsFn = std::uint8_t(WINAPI*)(const wchar_t* list);
// 1 pauses the filter in every process, 0 resumes it.
using SetFilterPausedFn = void(WINAPI*)(std::uint8_t paused);
using GetFilterPausedFn = std::uint8_t(WINAPI*)();
}
// SetExcludedPrograms reads at most this many characters of its list.
inline constexpr std::uint32_t kExcludedProgramsReadLimit = 4096;

// The library's file name; programs load it from their own folder by full path.
inline constexpr wchar_t kHookLibraryFileName[] = L"Latchkin.dll";
