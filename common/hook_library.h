// Run-time binding of Latchkin.dll: both programs load it and bind its exports by name, one
// entry point for each row of the export table (latchkin_exports.inc). Neither program links
// against the library at build time.
#pragma once
#include "../hook/latchkin_api.h"
#include "unique_handle.h"

// The export table's groups, bound in this order.
enum class ExportGroup { Control, Hook, ReleaseGuard, PressConfirm, ProcessUnfiltered, HookHolder, FilterExtension };

struct HookLibrary {
  UniqueModule Module;  // a program that must keep the library past its end releases it
  // Beside the 13 control exports each group is all null in a library without all of it (which
  // then filters as it always did). The hook procedure is bound for the tests that call it.
#define LATCHKIN_EXPORT(group, result, name, parameters) name##Fn name = nullptr;
#include "../hook/latchkin_exports.inc"
#undef LATCHKIN_EXPORT
};

// Loads "Latchkin.dll" from the folder of the running program (by full path, so a library of
// that name elsewhere on the search path is never picked up) and binds the 13 control exports
// in the table's order, then each other group all or none. Returns true only when the library
// loaded and every control export was found. When the library loaded but one is missing, Module
// stays set (the caller frees it) and the entry points are all cleared, so a partly bound
// library is never called.
bool LoadHookLibrary(HookLibrary& library);
// The same for the library in folder (ending in a backslash): a test binds a private copy so.
bool LoadHookLibraryFrom(HookLibrary& library, const wchar_t* folder);

// Frees the module if one is loaded and clears every entry point.
void UnloadHookLibrary(HookLibrary& library);
