// The main dialog's procedure (dialog 103).
#pragma once
#include <windows.h>

// A dispatcher that calls one handler per message.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
