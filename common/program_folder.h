// The folder of the running program: where its library, settings, texts and log lie.
#pragma once
#include <windows.h>

// Writes the running program's folder, ending in its backslash (a drive root stays a root), into
// path (capacity code units). False when the module path cannot be had whole or holds no folder.
bool ProgramFolder(wchar_t* path, DWORD capacity);
