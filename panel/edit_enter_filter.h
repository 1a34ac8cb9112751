// Enter in an interval box applies that box's value, as its Set button does.
#pragma once
#include <windows.h>

// Installs the filter on the edit of interval row slot (interval_rows.h).
void InstallEditEnterFilter(HWND edit, int slot);
