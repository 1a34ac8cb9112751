// How the panel asks for its balloons, which Windows 10 and 11 show as notifications ("toasts"):
// the record's Windows Vista form, the product's own icon at the large size, quiet time
// respected, nothing shown late, and a text that starts on the notification's first line.
#pragma once
#include <cstddef>

#include <windows.h>
#include <shellapi.h>

// The form that carries hBalloonIcon, taken by every shell from Windows Vista on (the panel needs
// Windows 7). Older forms would make the shell scale the notification icon itself up to the
// balloon's large icon.
inline constexpr DWORD kNotifyIconRecordSize = sizeof(NOTIFYICONDATAW);
static_assert(kNotifyIconRecordSize == offsetof(NOTIFYICONDATAW, hBalloonIcon) + sizeof(HICON),
              "notification record up to its balloon icon");
static_assert(kNotifyIconRecordSize == (sizeof(void*) == 8 ? 976 : 956), "notification record size");

// Sets the record's form, its balloon flags and the balloon icon; called once the rest of the
// record is filled.
void StyleBalloons(NOTIFYICONDATAW& data, HINSTANCE instance);
// Just before a balloon is shown: fits szInfo to the way this system shows it.
void FitBalloonText(NOTIFYICONDATAW& data);
