// The executable file names of the programs that show a window on the desktop, for the Options
// window's "Add" menu: sorted, each once, the panel itself left out.
#pragma once
#include <string>
#include <vector>

std::vector<std::wstring> RunningProgramsWithWindows();
// Lets the user pick an executable; its file name, or empty when cancelled.
std::wstring PickProgramFile(HWND owner);
