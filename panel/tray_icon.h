// The notification icon: its record, moving between dialog and icon, balloons and the menu.
#pragma once
#include <windows.h>

void InitTrayIcon(HINSTANCE instance, HWND dialog);
void MinimizeToTray();
void RestoreFromTray();
// Puts text (cut to the balloon field) into the record and modifies the icon, which shows it.
void ShowBalloon(const wchar_t* text);
void ShowCountTip(bool forced);
void ShowAutoTip();
void ShowTrayMenu();
// MSG_TRAY_NOTIFY: the icon's mouse message; true when handled.
bool OnTrayNotify(UINT mouseMessage);
// The shell restarted and lost every icon: add ours again while the panel lives there.
void OnTaskbarCreated();
