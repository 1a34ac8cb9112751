// The DPI a window is drawn at, and system metrics for a DPI. With per-monitor awareness each
// window has its monitor's DPI; the functions for it exist from Windows 10 1607 on and are
// looked up at run time. Older systems run the panel system aware: one DPI for every window.
#pragma once
#include <windows.h>

inline constexpr UINT kBaseDpi = 96;  // 100 % scaling

UINT WindowDpi(HWND window);
// GetSystemMetrics(index) as it reads at `dpi`.
int MetricForDpi(int index, UINT dpi);
