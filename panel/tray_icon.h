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
// Each refresh tick while the panel lives in the notification area: the icon and its tooltip
// follow the filter's state and counts (the icon is modified only when either changed).
void RefreshTrayIcon();
// The language changed: the balloon title, and the tooltip while the icon is shown.
void RetextTrayIcon();
// MSG_TRAY_NOTIFY: the icon's mouse message; true when handled.
bool OnTrayNotify(UINT mouseMessage);
// The shell restarted and lost every icon: add ours again while the panel lives there.
void OnTaskbarCreated();
