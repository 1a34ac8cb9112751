// The panel's icon 128 at the sizes the system draws it: small (caption, notification area) and
// large (task bar, task switcher, balloons), for the DPI of the window that shows it. The icon
// file holds drawn images from 16 to 64 pixels and 256; sizes in between are scaled down from the
// next larger image, never up.
#pragma once
#include <windows.h>

// At the system DPI: the notification area and its balloons, which the shell draws at it.
HICON PanelIcon(HINSTANCE instance, bool large);
// At the DPI of a window on some monitor.
HICON PanelIconForDpi(HINSTANCE instance, bool large, UINT dpi);
// The window's small and big icons (WM_SETICON) for its DPI: at creation and on WM_DPICHANGED.
void SetPanelWindowIcons(HINSTANCE instance, HWND window, UINT dpi);
// WM_DPICHANGED of a panel window, moved to a monitor of another DPI: sent where the panel is
// per-monitor aware (Windows 10 1703 on), whose dialog manager rescales the dialog's font and
// controls itself once the procedure lets the message through (so the answer is FALSE). The
// window gets its icons for the new DPI and takes the size and place Windows suggests.
INT_PTR OnDpiChanged(HINSTANCE instance, HWND window, WPARAM wParam, LPARAM lParam);
// The notification icon at the system DPI: icon 128 while the filter is on, its "off" variant
// 129 otherwise; each loaded once and kept for the life of the process.
HICON TrayStateIcon(HINSTANCE instance, bool filtering);
