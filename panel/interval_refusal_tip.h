// The balloon an interval box shows when Set (or Enter) refuses what was typed.
#pragma once
#include <windows.h>

// Points a balloon at the edit with the refusal's title and text from the language file; it
// goes after a few seconds, when the box changes or at the next Set.
void ShowIntervalRefusal(HWND edit);
void HideIntervalRefusal();
// REFUSAL_TIP_TIMER: the balloon's time is up.
void OnIntervalRefusalTimer();
