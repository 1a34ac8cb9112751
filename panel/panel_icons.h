// The panel's icons at the sizes the system draws them: small (caption, notification area) and
// large (task bar, task switcher, balloons), for the DPI of the window that shows it. Icon 128
// shows the filter on; 129 and 130 the same mouse with the badge of a filter that is off or
// paused. Each icon file holds drawn images from 16 to 64 pixels and 256; sizes in between are
// scaled down from the next larger image, never up.
#pragma once
#include <windows.h>

// What the filter does, as the notification icon and the main dialog's icons show it.
enum class FilterLook { On, Off, Paused };
// The look of the panel's filter now: on, off, or held by the pause hot key.
FilterLook CurrentFilterLook();

// At the system DPI: the notification area and its balloons, which the shell draws at it.
HICON PanelIcon(HINSTANCE instance, bool large);
// At the DPI of a window on some monitor.
HICON PanelIconForDpi(HINSTANCE instance, bool large, UINT dpi, FilterLook look = FilterLook::On);
// The window's small and big icons (WM_SETICON) for its DPI: at creation, on WM_DPICHANGED and,
// for the main dialog, when the filter's look changes.
void SetPanelWindowIcons(HINSTANCE instance, HWND window, UINT dpi, FilterLook look = FilterLook::On);
// WM_DPICHANGED of a panel window, moved to a monitor of another DPI: sent where the panel is
// per-monitor aware (Windows 10 1703 on), whose dialog manager rescales the dialog's font and
// controls itself once the procedure lets the message through (so the answer is FALSE). The
// window gets its icons (in the look given) for the new DPI and takes the size and place Windows
// suggests.
INT_PTR OnDpiChanged(HINSTANCE instance, HWND window, WPARAM wParam, LPARAM lParam,
                     FilterLook look = FilterLook::On);
// The notification icon in that look at the system DPI; each loaded once and kept for the life
// of the process.
HICON TrayStateIcon(HINSTANCE instance, FilterLook look);
