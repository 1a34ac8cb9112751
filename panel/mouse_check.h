// The mouse check window: what the mouse really does (every transition of the five buttons and
// the wheel, measured and drawn), and the intervals that would fit it. It exists only while it
// is open: closing it destroys it, unregisters its raw input and frees its recording.
#pragma once
#include <windows.h>

// Opens the window, or brings the open one to the front.
void OpenMouseCheck();
// The open window, or null; the message loop gives it its keyboard navigation.
HWND MouseCheckWindow() noexcept;
// The language changed: the open window's captions, hint and drawn texts anew.
void RetextMouseCheck();
// At the refresh tick: draws and counts anew when a switch or an interval changed (in the main
// dialog, the Options window or another program) while the window is open.
void RefreshMouseCheck();
