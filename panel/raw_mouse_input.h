// Raw input of the mouse for one window: every physical transition of the buttons and the
// wheel, seen before any hook decides what applications receive, wherever the pointer is.
#pragma once
#include <windows.h>

#include "core/mouse_recording.h"

// Registers the window for the mouse's raw input, also while it is in the background.
bool RegisterRawMouse(HWND window);
// Ends this process's raw input of the mouse.
void UnregisterRawMouse();
// The transitions of one WM_INPUT report (none for a move or another device), stamped tick.
std::size_t ReadRawMouse(HRAWINPUT input, std::uint32_t tick, MouseTransition (&out)[kMaxTransitionsPerReport]);
