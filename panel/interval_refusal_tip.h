// The one strict reader of the panel's number boxes (main dialog and Options window alike) and
// the balloon a box shows when Set, Enter or leaving the box refuses what was typed.
#pragma once
#include <windows.h>

#include <cstdint>

// Five characters: a fifth digit must reach the reader to be refused there, not vanish while
// it is typed (a box cut at four would turn 10000 into 1000 without a word).
inline constexpr WPARAM kNumberBoxLimit = 5;

// The box's text as a whole number (blanks around it allowed); false for anything else, an
// empty box included.
bool ReadNumberBox(HWND edit, std::uint32_t& value);

// Points a balloon at the edit with the refusal's title and the text of textKey (the range of
// that box) from the language file; it goes after a few seconds, when the box changes or at
// the next Set.
void ShowIntervalRefusal(HWND edit, const wchar_t* textKey = L"TEXT_SETREFUSED");
void HideIntervalRefusal();
// REFUSAL_TIP_TIMER: the balloon's time is up.
void OnIntervalRefusalTimer();
