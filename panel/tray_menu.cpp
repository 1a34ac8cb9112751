// The icon's menu: popup "TrayMenu" of menu 1200 with its texts, check marks and the action
// item, tracked at the cursor; the chosen command arrives at the dialog as WM_COMMAND.
#include <windows.h>

#include "language.h"
#include "log_writer.h"
#include "panel_state.h"
#include "resource.h"
#include "tray_icon.h"
#include "unique_handle.h"

namespace {

void SetItemText(HMENU menu, UINT id, const wchar_t* key) {
  wchar_t text[kShortTextCapacity];
  GetLangText(text, key, kShortTextCapacity);
  ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING, id, text);
}

UINT CheckState(bool on) { return MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED); }

}  // namespace

void ShowTrayMenu() {
  UniqueMenu menu(LoadMenuW(Panel.Instance, MAKEINTRESOURCEW(IDR_TRAYMENU)));
  if (!menu) return;
  HMENU popup = GetSubMenu(menu.get(), 0);
  if (!popup) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  // Windows: without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(Panel.Dialog);

  SetItemText(popup, IDM_AUTOREPORT, L"TEXT_AUTOREPORT");
  SetItemText(popup, IDM_LOGTOFILE, L"TEXT_LOGTOFILE");
  SetItemText(popup, IDM_SETTING, L"TEXT_SETTING");
  SetItemText(popup, IDM_MOUSECHECK, L"TEXT_MOUSECHECK");
  SetItemText(popup, IDM_OPTIONS, L"TEXT_OPTIONS");
  SetItemText(popup, IDM_ABOUT, L"TEXT_ABOUT");
  SetItemText(popup, IDM_EXIT, L"TEXT_EXIT");
  if (Panel.LibraryReady) {
    Panel.HookActive = Panel.Library.QueryHookState() != 0;
    SetItemText(popup, IDM_ACTION, Panel.HookActive ? L"TEXT_UNHOOK" : L"TEXT_HOOK");
    CheckMenuItem(popup, IDM_AUTOREPORT, CheckState(Panel.Options.AutoTips));
    CheckMenuItem(popup, IDM_LOGTOFILE, CheckState(LogWriter.LogToFile));
  } else {
    SetItemText(popup, IDM_ACTION, L"TEXT_HOOK");
    EnableMenuItem(popup, IDM_ACTION, MF_BYCOMMAND | MF_GRAYED);
  }

  TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Panel.Dialog, nullptr);
  // Windows: a following message lets a second right click open the menu again at once.
  PostMessageW(Panel.Dialog, WM_NULL, 0, 0);
}
