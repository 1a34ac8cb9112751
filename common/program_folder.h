// The folder of the running program: where its library, settings, texts and log lie.
#pragma once
#include <windows.h>

// Writes the running program's folder, ending in its backslash (a drive root stays a root), into
// path (capacity code units). False when the module path cannot be had whole or holds no folder.
bool ProgramFolder(wchar_t* path, DWORD capacity);

// Makes the running program's own folder the process's current directory, so the paths formed
// from it (settings, language file, log) lie beside the program. Started from a command prompt
// elsewhere, the Run dialog, a shortcut without "Start in" or the Run key (which starts programs
// in the system folder), the program would otherwise read and write in that other folder.
// Leaves the directory as it is when the program's folder cannot be had.
void EnterProgramFolder() noexcept;
