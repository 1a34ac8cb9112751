// Enter in an interval box applies its value: the dialog runs without dialog-manager key
// handling, so the edits catch the key themselves and ask the dialog to press their Set button.
#include "edit_enter_filter.h"

#include "interval_rows.h"
#include "panel_state.h"

namespace {

int SlotOf(HWND edit) {
  const int id = GetDlgCtrlID(edit);
  for (int slot = 0; slot < kIntervalCount; ++slot)
    if (kIntervalRows[slot].EditId == id) return slot;
  return -1;
}

LRESULT CALLBACK EditEnterFilter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const int slot = SlotOf(edit);
  if (slot < 0 || !Panel.SavedEditProcs[slot]) return DefWindowProcW(edit, message, wParam, lParam);
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    SendMessageW(Panel.Dialog, kIntervalRows[slot].ApplyMessage, 0, 0);
    return 1;
  }
  return CallWindowProcW(Panel.SavedEditProcs[slot], edit, message, wParam, lParam);
}

}  // namespace

void InstallEditEnterFilter(HWND edit, int slot) {
  if (slot < 0 || slot >= kIntervalCount) return;
  Panel.SavedEditProcs[slot] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditEnterFilter)));
}
