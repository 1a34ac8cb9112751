// The Options window: everything beyond the main dialog (the extra buttons and each button's
// own intervals, the release and drag switches, the excluded programs, the pause hot key, the
// settings file in use). Modeless, at most one, owned by the main dialog.
#pragma once
#include <windows.h>

#include <cstdint>

void OpenOptionsWindow();
// A button's own bounce (dbClick false) or double-click interval, by ButtonIndex (0: the shared
// one), from elsewhere than the window (the mouse check's "Use these"): to the library and
// Quillon.cfg as the window's own boxes do, and shown in its box when the window is open.
void SetOwnButtonInterval(int button, bool dbClick, std::uint32_t value);
// The language changed: every text of the open window anew.
void RetextOptionsWindow();
// PressConfirmTime as the mouse check suggests it: stored, pushed and shown like a typed one.
void SetPressConfirmTime(std::uint32_t value);
// For the message loop: keyboard navigation of the window; true when the message was its.
bool IsOptionsWindowMessage(MSG& message);
