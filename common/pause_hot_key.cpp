// The pause hot key (see pause_hot_key.h).
#include "pause_hot_key.h"

#include "core/hot_key_value.h"

bool RegisterPauseHotKey(HWND window, std::uint32_t stored) {
  UnregisterHotKey(window, kPauseHotKeyId);
  const UINT key = PauseHotKeyVirtualKey(stored);
  if (key == 0) return false;
  if (RegisterHotKey(window, kPauseHotKeyId, PauseHotKeyModifiers(stored), key)) return true;
  // Windows before 7 refuse MOD_NOREPEAT; a held key then toggles in turn, which beats no key.
  return RegisterHotKey(window, kPauseHotKeyId, PauseHotKeyModifiers(stored) & ~kModNoRepeat, key) != FALSE;
}

void UnregisterPauseHotKey(HWND window) { UnregisterHotKey(window, kPauseHotKeyId); }

void TogglePause(const HookLibrary& library) {
  if (!library.SetFilterPaused || !library.GetFilterPaused) return;
  library.SetFilterPaused(library.GetFilterPaused() != 0 ? 0 : 1);
}

bool FilterPaused(const HookLibrary& library) {
  return library.GetFilterPaused != nullptr && library.GetFilterPaused() != 0;
}
