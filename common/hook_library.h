// Run-time binding of Latchkin.dll: both programs load it and bind its 13 control exports
// by name, in a fixed order. Neither program links against the library at build time.
#pragma once
#include "../hook/latchkin_api.h"
#include "unique_handle.h"

struct HookLibrary {
  UniqueModule Module;  // a program that must keep the library past its end releases it
  IsSelfFn IsSelf = nullptr;
  QueryHookStateFn QueryHookState = nullptr;
  InstallHookFn InstallHook = nullptr;
  UninstallHookFn UninstallHook = nullptr;
  ReturnBlockedCountFn ReturnBlockedCount = nullptr;
  ClearBlockedCountFn ClearBlockedCount = nullptr;
  SetHookTypeFn SetHookType = nullptr;
  GetHookTypeFn GetHookType = nullptr;
  SetIntervalTimeFn SetIntervalTime = nullptr;
  GetIntervalTimeFn GetIntervalTime = nullptr;
  SetLogStateFn SetLogState = nullptr;
  GetLogStateFn GetLogState = nullptr;
  ClearLogCahceFn ClearLogCahce = nullptr;
  // The release guard's exports, bound on their own after the 13: all null in a library
  // without them (which then filters as it always did).
  SetReleaseGuardFn SetReleaseGuard = nullptr;
  DeliverPendingReleasesFn DeliverPendingReleases = nullptr;
  ReturnLateReleaseCountFn ReturnLateReleaseCount = nullptr;
  // Beside the 13, optional: bound when the library has it, the binding succeeds without it.
  SetProcessUnfilteredFn SetProcessUnfiltered = nullptr;
  // Beside the 13, optional: a library without it swallows as the rules say.
  SetPressConfirmFn SetPressConfirm = nullptr;
  // The filter extension's exports, bound on their own after the 13: all null in a library
  // without them (which then filters three sources with the shared intervals, everywhere).
  SetButtonIntervalTimeFn SetButtonIntervalTime = nullptr;
  GetButtonIntervalTimeFn GetButtonIntervalTime = nullptr;
  SetExcludedProgramsFn SetExcludedPrograms = nullptr;
  SetFilterPausedFn SetFilterPaused = nullptr;
  GetFilterPausedFn GetFilterPaused = nullptr;
};

// Loads "Latchkin.dll" from the folder of the running program (by full path, so a library of
// that name elsewhere on the search path is never picked up) and binds the 13 exports in the
// order IsSelf, QueryHookState, InstallHook, UninstallHook, ReturnBlockedCount,
// ClearBlockedCount, SetHookType, GetHookType, SetIntervalTime, GetIntervalTime, SetLogState,
// GetLogState, ClearLogCahce. Returns true only when the library loaded and every export was
// found. When the library loaded but an export is missing, Module stays set (the caller frees
// it) and the entry points are all cleared, so a partly bound library is never called.
bool LoadHookLibrary(HookLibrary& library);
// The same for the library in folder (ending in a backslash): a test binds a private copy so.
bool LoadHookLibraryFrom(HookLibrary& library, const wchar_t* folder);

// Frees the module if one is loaded and clears every entry point.
void UnloadHookLibrary(HookLibrary& library);
