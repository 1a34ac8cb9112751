// The folder of the running program (see program_folder.h).
#include "program_folder.h"

bool ProgramFolder(wchar_t* path, DWORD capacity) {
  const DWORD length = GetModuleFileNameW(nullptr, path, capacity);
  if (length == 0 || length >= capacity) return false;
  DWORD folderEnd = length;
  while (folderEnd > 0 && path[folderEnd - 1] != L'\\' && path[folderEnd - 1] != L'/') --folderEnd;
  if (folderEnd == 0) return false;
  path[folderEnd] = L'\0';
  return true;
}

void EnterProgramFolder() noexcept {
  // Long enough for any path GetModuleFileNameW reports without the long-path prefix.
  wchar_t path[MAX_PATH * 4];
  if (ProgramFolder(path, sizeof path / sizeof path[0])) SetCurrentDirectoryW(path);
}
