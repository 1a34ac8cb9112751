// The global hot key that pauses and resumes filtering: registered by both programs (the first
// to ask gets it; the platform gives a hot key to one owner) and toggling the library's pause.
#pragma once
#include <windows.h>

#include <cstdint>

#include "hook_library.h"

// The id both programs register it under.
inline constexpr int kPauseHotKeyId = 1;

// Registers stored (PauseHotKey) for window, or for the calling thread when window is null,
// replacing what was registered there before. False when stored is 0 or the key is taken.
bool RegisterPauseHotKey(HWND window, std::uint32_t stored);
void UnregisterPauseHotKey(HWND window);
// WM_HOTKEY with kPauseHotKeyId: pauses or resumes every process's filter.
void TogglePause(const HookLibrary& library);
// True while the library's filter is paused (false for a library without the extension).
bool FilterPaused(const HookLibrary& library);
