// The Options window: everything beyond the main dialog (the extra buttons and each button's
// own intervals, the release and drag switches, the excluded programs, the pause hot key, the
// settings file in use). Modeless, at most one, owned by the main dialog.
#pragma once
#include <windows.h>

void OpenOptionsWindow();
// For the message loop: keyboard navigation of the window; true when the message was its.
bool IsOptionsWindowMessage(MSG& message);
