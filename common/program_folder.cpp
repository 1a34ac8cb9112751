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
