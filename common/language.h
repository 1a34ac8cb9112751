// Texts from "Language.cfg" by key, read at the moment of use; the key itself is the fallback.
// A buffer of C characters keeps at most C - 2 characters of text.
#pragma once
#include <windows.h>

inline constexpr int kShortTextCapacity = 24;   // at most 22 characters
inline constexpr int kLongTextCapacity = 128;   // at most 126 characters

// Zero-fills all capacity characters of buffer, then reads the text of key.
int GetLangText(wchar_t* buffer, const wchar_t* key, int capacity);
// Like GetLangText, but the buffer starts with a line feed and the text follows it.
int GetLangTipText(wchar_t* buffer, const wchar_t* key, int capacity);
// Sets the window's text to the text of key (at most 126 characters).
void SetLangWindowText(HWND window, const wchar_t* key);
