// Enter in an interval box applies its value: the dialog runs without dialog-manager key
// handling, so the edits catch the key themselves and ask the dialog to press their Set button.
#include "edit_enter_filter.h"

#include "panel_state.h"
#include "resource.h"

namespace {

constexpr UINT kApplyMessages[3] = {MSG_APPLY_UPDOWN, MSG_APPLY_DBCLICK, MSG_APPLY_ROTREVERSE};

int SlotOf(HWND edit) {
  switch (GetDlgCtrlID(edit)) {
    case IDC_UPDOWN_EDIT: return 0;
    case IDC_DBCLICK_EDIT: return 1;
    case IDC_ROTREVERSE_EDIT: return 2;
    default: return -1;
  }
}

LRESULT CALLBACK EditEnterFilter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const int slot = SlotOf(edit);
  if (slot < 0 || !Panel.SavedEditProcs[slot]) return DefWindowProcW(edit, message, wParam, lParam);
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    SendMessageW(Panel.Dialog, kApplyMessages[slot], 0, 0);
    return 1;
  }
  return CallWindowProcW(Panel.SavedEditProcs[slot], edit, message, wParam, lParam);
}

}  // namespace

void InstallEditEnterFilter(HWND edit, int slot) {
  if (slot < 0 || slot > 2) return;
  Panel.SavedEditProcs[slot] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditEnterFilter)));
}
