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

// Binds the group's exports in the table's order, the first missing one ending the binding. All
// or none: a group found only in part is cleared, and false returned.
bool BindGroup(HMODULE m, HookLibrary& library, ExportGroup group) {
  bool whole = true;
#define LATCHKIN_EXPORT(g, result, name, parameters) \
  if (whole && group == ExportGroup::g) whole = Bind(m, #name, library.name);
#include "../hook/latchkin_exports.inc"
#undef LATCHKIN_EXPORT
  if (whole) return true;
#define LATCHKIN_EXPORT(g, result, name, parameters) \
  if (group == ExportGroup::g) library.name = nullptr;
#include "../hook/latchkin_exports.inc"
#undef LATCHKIN_EXPORT
  return false;
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
  if (!BindGroup(m, library, ExportGroup::Control)) {
    ClearEntryPoints(library);
    return false;
  }
  for (ExportGroup group : {ExportGroup::Hook, ExportGroup::ReleaseGuard, ExportGroup::PressConfirm,
                            ExportGroup::ProcessUnfiltered, ExportGroup::HookHolder, ExportGroup::FilterExtension})
    BindGroup(m, library, group);
  return true;
}

void UnloadHookLibrary(HookLibrary& library) { library = HookLibrary{}; }
