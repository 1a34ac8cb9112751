// Run-time binding of Latchkin.dll (see hook_library.h).
#include "hook_library.h"

namespace {

// The folder of the running program, ending in a backslash; empty on failure.
bool ProgramFolderPath(wchar_t* path, DWORD capacity, const wchar_t* fileName) {
  DWORD length = GetModuleFileNameW(nullptr, path, capacity);
  if (length == 0 || length >= capacity) return false;
  DWORD folderEnd = length;
  while (folderEnd > 0 && path[folderEnd - 1] != L'\\' && path[folderEnd - 1] != L'/') --folderEnd;
  DWORD nameLength = static_cast<DWORD>(lstrlenW(fileName));
  if (folderEnd + nameLength + 1 > capacity) return false;
  lstrcpyW(path + folderEnd, fileName);
  return true;
}

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return entry != nullptr;
}

void ClearEntryPoints(HookLibrary& library) {
  HMODULE module = library.Module;
  library = HookLibrary{};
  library.Module = module;
}

}  // namespace

bool LoadHookLibrary(HookLibrary& library) {
  UnloadHookLibrary(library);
  // Long enough for any path GetModuleFileNameW reports without the long-path prefix.
  wchar_t path[MAX_PATH * 4];
  if (!ProgramFolderPath(path, sizeof path / sizeof path[0], kHookLibraryFileName)) return false;
  library.Module = LoadLibraryW(path);
  if (!library.Module) return false;

  HMODULE m = library.Module;
  // Bound in the product's fixed order; the first missing export ends the binding.
  bool bound = Bind(m, "IsSelf", library.IsSelf) && Bind(m, "QueryHookState", library.QueryHookState) &&
               Bind(m, "InstallHook", library.InstallHook) && Bind(m, "UninstallHook", library.UninstallHook) &&
               Bind(m, "ReturnBlockedCount", library.ReturnBlockedCount) &&
               Bind(m, "ClearBlockedCount", library.ClearBlockedCount) &&
               Bind(m, "SetHookType", library.SetHookType) && Bind(m, "GetHookType", library.GetHookType) &&
               Bind(m, "SetIntervalTime", library.SetIntervalTime) &&
               Bind(m, "GetIntervalTime", library.GetIntervalTime) &&
               Bind(m, "SetLogState", library.SetLogState) && Bind(m, "GetLogState", library.GetLogState) &&
               Bind(m, "ClearLogCahce", library.ClearLogCahce);
  if (!bound) ClearEntryPoints(library);
  return bound;
}

void UnloadHookLibrary(HookLibrary& library) {
  if (library.Module) FreeLibrary(library.Module);
  library = HookLibrary{};
}
