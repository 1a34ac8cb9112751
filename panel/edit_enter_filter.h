// Enter in an interval box applies that box's value, as its Set button does.
#pragma once
#include <windows.h>

// Installs the filter on one of the edits 1020, 1021, 1022 (slot 0, 1, 2).
void InstallEditEnterFilter(HWND edit, int slot);
