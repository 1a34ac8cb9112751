// Run-time binding of Latchkin.dll (see hook_library.h).
#include "hook_library.h"

#include "program_folder.h"

namespace {

// Long enough for any path GetModuleFileNameW reports without the long-path prefix.
constexpr DWORD kLibraryPathCapacity = MAX_PATH * 4;

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return entry != nullptr;
}

void ClearEntryPoints(HookLibrary& library) {
  UniqueModule module = std::move(library.Module);
  library = HookLibrary{};
  library.Module = std::move(module);
}

// All or none: a program uses the extension only with a library that has all of it.
void BindFilterExtension(HMODULE m, HookLibrary& library) {
  if (Bind(m, "SetButtonIntervalTime", library.SetButtonIntervalTime) &&
      Bind(m, "GetButtonIntervalTime", library.GetButtonIntervalTime) &&
      Bind(m, "SetExcludedPrograms", library.SetExcludedPrograms) &&
      Bind(m, "SetFilterPaused", library.SetFilterPaused) && Bind(m, "GetFilterPaused", library.GetFilterPaused))
    return;
  library.SetButtonIntervalTime = nullptr;
  library.GetButtonIntervalTime = nullptr;
  library.SetExcludedPrograms = nullptr;
  library.SetFilterPaused = nullptr;
  library.GetFilterPaused = nullptr;
}

}  // namespace

bool LoadHookLibrary(HookLibrary& library) {
  UnloadHookLibrary(library);
  wchar_t folder[kLibraryPathCapacity];
  if (!ProgramFolder(folder, kLibraryPathCapacity)) return false;
  return LoadHookLibraryFrom(library, folder);
}

bool LoadHookLibraryFrom(HookLibrary& library, const wchar_t* folder) {
  UnloadHookLibrary(library);
  wchar_t path[kLibraryPathCapacity];
  const DWORD folderLength = static_cast<DWORD>(lstrlenW(folder));
  if (folderLength + lstrlenW(kHookLibraryFileName) + 1 > kLibraryPathCapacity) return false;
  lstrcpyW(path, folder);
  lstrcpyW(path + folderLength, kHookLibraryFileName);
  library.Module.reset(LoadLibraryW(path));
  if (!library.Module) return false;

  HMODULE m = library.Module.get();
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
  if (!bound) {
    ClearEntryPoints(library);
    return false;
  }
  // All or none: a program delivers late releases only with a library that makes them.
  if (!Bind(m, "SetReleaseGuard", library.SetReleaseGuard) ||
      !Bind(m, "DeliverPendingReleases", library.DeliverPendingReleases) ||
      !Bind(m, "ReturnLateReleaseCount", library.ReturnLateReleaseCount)) {
    library.SetReleaseGuard = nullptr;
    library.DeliverPendingReleases = nullptr;
    library.ReturnLateReleaseCount = nullptr;
  }
  Bind(m, "SetProcessUnfiltered", library.SetProcessUnfiltered);
  Bind(m, "SetPressConfirm", library.SetPressConfirm);
  BindFilterExtension(m, library);
  return true;
}

void UnloadHookLibrary(HookLibrary& library) { library = HookLibrary{}; }
