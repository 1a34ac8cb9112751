// The main dialog's procedure: a dispatcher with one small handler per message. Nothing
// throws across it: a failing handler ends that handler and the panel goes on.
#include "main_dialog.h"

#include <windowsx.h>

#include "dialog_commands.h"
#include "dialog_refresh.h"
#include "dialog_setup.h"
#include "interval_refusal_tip.h"
#include "interval_rows.h"
#include "main.h"
#include "panel_icons.h"
#include "panel_state.h"
#include "pause_hot_key.h"
#include "resource.h"
#include "single_panel.h"
#include "tray_icon.h"

namespace {

INT_PTR OnInitDialog(HWND dialog) {
  if (!InitMainDialog(dialog)) return TRUE;
  SetTimer(dialog, REFRESH_TIMER, Panel.Options.RefreshIntervalTime, nullptr);
  SetTimer(dialog, TIPS_TIMER, Panel.Options.AutoTipsIntervalTime, nullptr);
  return TRUE;
}

INT_PTR OnTimer(WPARAM timerId) {
  if (timerId == REFRESH_TIMER) RefreshDialog();
  if (timerId == TIPS_TIMER) ShowAutoTip();
  if (timerId == REFUSAL_TIP_TIMER) OnIntervalRefusalTimer();
  return TRUE;
}

INT_PTR OnSize(WPARAM sizeType) {
  if (sizeType != SIZE_MINIMIZED) return FALSE;
  HideIntervalRefusal();
  MinimizeToTray();
  return TRUE;
}

INT_PTR OnDestroy() {
  Panel.WhiteBrush.reset();
  PostQuitMessage(0);
  return TRUE;
}

// Dialog and control backgrounds on the panel's one white brush.
INT_PTR OnControlColor() {
  if (!Panel.Options.UseWhiteBackground) return FALSE;
  if (!Panel.WhiteBrush) Panel.WhiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
  return reinterpret_cast<INT_PTR>(Panel.WhiteBrush.get());
}

// A press anywhere on the dialog's surface drags it as the caption would. WM_NCLBUTTONDOWN
// takes screen coordinates, while the press arrives in client coordinates.
INT_PTR OnLeftButtonDown(HWND dialog, LPARAM lParam) {
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(dialog, &point);
  PostMessageW(dialog, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
  return TRUE;
}

// The pause hot key: every process's filter pauses or resumes; the tray tip says which.
INT_PTR OnHotKey(WPARAM id) {
  if (id != kPauseHotKeyId || !Panel.LibraryReady) return FALSE;
  TogglePause(Panel.Library);
  RefreshDialog();
  return TRUE;
}

// An interval edit's Enter: press that row's Set button. False for other messages.
bool OnApplyInterval(UINT message) {
  for (const IntervalRow& row : kIntervalRows) {
    if (row.ApplyMessage != message) continue;
    SendMessageW(Control(row.SetId), BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

INT_PTR Dispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (OnApplyInterval(message)) return TRUE;
  if (message == ShowPanelMessage() && message != 0) {
    // A second start of this program: the running panel comes forward, from the tray if need be.
    if (Panel.Options.WindowShown) {
      SetForegroundWindow(dialog);
    } else {
      RestoreFromTray();
    }
    return TRUE;
  }
  if (Panel.TaskbarCreatedMessage != 0 && message == Panel.TaskbarCreatedMessage) {
    OnTaskbarCreated();
    return FALSE;  // a broadcast: let every window see it
  }
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_COMMAND: return RunCommand(LOWORD(wParam)) ? TRUE : FALSE;
    case WM_TIMER: return OnTimer(wParam);
    case WM_SIZE: return OnSize(wParam);
    case WM_CLOSE: ExitPanel(); return TRUE;
    case WM_DESTROY: return OnDestroy();
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return OnControlColor();
    case WM_LBUTTONDOWN: return OnLeftButtonDown(dialog, lParam);
    case WM_DPICHANGED: return OnDpiChanged(Panel.Instance, dialog, wParam, lParam, CurrentFilterLook());
    case WM_HOTKEY: return OnHotKey(wParam);
    case MSG_TRAY_NOTIFY: return OnTrayNotify(static_cast<UINT>(lParam)) ? TRUE : FALSE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Dispatch(dialog, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}
