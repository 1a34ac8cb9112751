// The notification icon: the one NOTIFYICONDATAW record, moving between the dialog and the
// icon, the balloons (minimised notice, hook results, blocked counts) and the icon's mouse.
#include "tray_icon.h"

#include <shellapi.h>

#include "balloon_style.h"
#include "configuration.h"
#include "core/panel_texts.h"
#include "language.h"
#include "panel_icons.h"
#include "panel_state.h"
#include "pause_hot_key.h"
#include "resource.h"
#include "single_panel.h"
#include "utf16.h"

namespace {

constexpr UINT kBalloonTimeoutMs = 1000;  // read by Windows 2000 and XP only; later ones time it themselves

// Windows: an elevated panel would never hear "TaskbarCreated" from the (unelevated) shell, nor
// a second start's request to come forward, without this. Looked up at run time: the filter
// exists from Windows 7 on.
void AllowFromUnelevated(HWND dialog, UINT message) {
  using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return;
  auto allow = reinterpret_cast<ChangeWindowMessageFilterExFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  if (allow) allow(dialog, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

// Puts the filter's state into the record: the icon of its look (on, off, paused), and a tooltip with
// the state and the blocked counts. True when the icon or the tooltip changed.
bool UpdateTrayState() {
  bool filtering = false;
  std::uint32_t counts[3] = {};
  if (Panel.LibraryReady) {
    Panel.HookActive = Panel.Library.QueryHookState() != 0;
    filtering = Panel.HookActive;
    if (filtering) Panel.Library.ReturnBlockedCount(&counts[0], &counts[1], &counts[2]);
  }
  wchar_t title[kLongTextCapacity];
  wchar_t filteringText[kShortTextCapacity];
  wchar_t off[kShortTextCapacity];
  wchar_t swallowed[kShortTextCapacity];
  GetLangText(title, L"TEXT_TIPSTITLE", kLongTextCapacity);
  // The pause hot key's state takes the place of "filtering" while the filter is paused.
  GetLangText(filteringText, FilterPaused(Panel.Library) ? L"TEXT_PAUSED" : L"TEXT_TRAYFILTERING",
              kShortTextCapacity);
  GetLangText(off, L"TEXT_TRAYOFF", kShortTextCapacity);
  GetLangText(swallowed, L"TEXT_TRAYSWALLOWED", kShortTextCapacity);
  const TrayTipTexts texts{AsUtf16(title), AsUtf16(filteringText), AsUtf16(off), AsUtf16(swallowed)};
  NOTIFYICONDATAW& data = Panel.TrayIconData;
  wchar_t tip[sizeof data.szTip / sizeof data.szTip[0]];
  ComposeTrayTip(AsUtf16(tip), sizeof tip / sizeof tip[0], texts, filtering, counts);

  const HICON icon = TrayStateIcon(Panel.Instance, CurrentFilterLook());
  const bool changed = icon != data.hIcon || lstrcmpW(tip, data.szTip) != 0;
  data.hIcon = icon;
  lstrcpynW(data.szTip, tip, sizeof data.szTip / sizeof data.szTip[0]);
  return changed;
}

void AddIconWithoutBalloon() {
  UpdateTrayState();
  Panel.TrayIconData.szInfo[0] = L'\0';
  Shell_NotifyIconW(NIM_ADD, &Panel.TrayIconData);
}

}  // namespace

void InitTrayIcon(HINSTANCE instance, HWND dialog) {
  NOTIFYICONDATAW& data = Panel.TrayIconData;
  data = NOTIFYICONDATAW{};
  data.hWnd = dialog;
  data.uID = TRAY_ICON_ID;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  data.uCallbackMessage = MSG_TRAY_NOTIFY;
  data.hIcon = PanelIcon(instance, false);
  wchar_t title[kLongTextCapacity];
  GetLangText(title, L"TEXT_TIPSTITLE", kLongTextCapacity);
  CopyToField(AsUtf16(data.szTip), sizeof data.szTip / sizeof data.szTip[0], AsUtf16(title));
  data.szInfo[0] = L'\0';
  data.uTimeout = kBalloonTimeoutMs;
  CopyToField(AsUtf16(data.szInfoTitle), sizeof data.szInfoTitle / sizeof data.szInfoTitle[0], AsUtf16(title));
  StyleBalloons(data, instance);

  Panel.TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  if (Panel.TaskbarCreatedMessage != 0) AllowFromUnelevated(dialog, Panel.TaskbarCreatedMessage);
  if (ShowPanelMessage() != 0) AllowFromUnelevated(dialog, ShowPanelMessage());
}

void ShowBalloon(const wchar_t* text) {
  NOTIFYICONDATAW& data = Panel.TrayIconData;
  CopyToField(AsUtf16(data.szInfo), sizeof data.szInfo / sizeof data.szInfo[0], AsUtf16(text));
  FitBalloonText(data);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void MinimizeToTray() {
  AddIconWithoutBalloon();
  Panel.Options.WindowShown = false;
  ShowWindow(Panel.Dialog, SW_HIDE);
  wchar_t notice[kShortTextCapacity];
  GetLangTipText(notice, L"TEXT_MINIMIZED", kShortTextCapacity);
  // The shell fades the balloon in on its own: the dialog goes on at once.
  ShowBalloon(notice);
  WriteSetting(&Settings::WindowShown, false);
}

void RestoreFromTray() {
  Shell_NotifyIconW(NIM_DELETE, &Panel.TrayIconData);
  Panel.Options.WindowShown = true;
  ShowWindow(Panel.Dialog, SW_SHOWNORMAL);
  SetForegroundWindow(Panel.Dialog);
  WriteSetting(&Settings::WindowShown, true);
}

void ShowCountTip(bool forced) {
  if (!Panel.HookActive) {
    wchar_t unhooked[kShortTextCapacity];
    GetLangTipText(unhooked, L"TEXT_UNHOOKED", kShortTextCapacity);
    ShowBalloon(unhooked);
    return;
  }
  CountBalloonTexts texts = {};
  Panel.Library.ReturnBlockedCount(&texts.Counts[0], &texts.Counts[1], &texts.Counts[2]);
  if (!forced && texts.Counts[0] == 0 && texts.Counts[1] == 0 && texts.Counts[2] == 0) return;
  if (Panel.Options.AutoClearCountLog) Panel.Library.ClearBlockedCount();

  wchar_t unit[kShortTextCapacity];
  GetLangText(unit, L"TEXT_COUNT", kShortTextCapacity);
  wchar_t labels[3][kLongTextCapacity];
  GetLangText(labels[0], L"TEXT_BLOCKEDUPDOWN", kLongTextCapacity);
  GetLangText(labels[1], L"TEXT_BLOCKEDDBCLICK", kLongTextCapacity);
  GetLangText(labels[2], L"TEXT_BLOCKEDROTREVERSE", kLongTextCapacity);
  for (int i = 0; i < 3; ++i) texts.Labels[i] = AsUtf16(labels[i]);
  texts.Unit = AsUtf16(unit);

  // Composed straight into the balloon field, so it is cut to the field's 255 characters.
  NOTIFYICONDATAW& data = Panel.TrayIconData;
  ComposeCountBalloon(AsUtf16(data.szInfo), sizeof data.szInfo / sizeof data.szInfo[0], texts);
  FitBalloonText(data);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void ShowAutoTip() {
  if (Panel.HookActive && Panel.Options.AutoTips && !Panel.Options.WindowShown) ShowCountTip(false);
}

bool OnTrayNotify(UINT mouseMessage) {
  if (Panel.Options.WindowShown) return false;
  switch (mouseMessage) {
    case WM_LBUTTONDBLCLK: RestoreFromTray(); return true;
    case WM_LBUTTONDOWN: ShowCountTip(true); return true;
    case WM_RBUTTONUP: ShowTrayMenu(); return true;
    default: return false;
  }
}

void RefreshTrayIcon() {
  if (Panel.Options.WindowShown || !UpdateTrayState()) return;
  // Icon and tooltip only: the record's balloon flag would show the last balloon again.
  NOTIFYICONDATAW data = Panel.TrayIconData;
  data.uFlags = NIF_ICON | NIF_TIP;
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void RetextTrayIcon() {
  NOTIFYICONDATAW& data = Panel.TrayIconData;
  wchar_t title[kLongTextCapacity];
  GetLangText(title, L"TEXT_TIPSTITLE", kLongTextCapacity);
  CopyToField(AsUtf16(data.szInfoTitle), sizeof data.szInfoTitle / sizeof data.szInfoTitle[0], AsUtf16(title));
  data.szTip[0] = L'\0';  // so that the tooltip counts as changed
  RefreshTrayIcon();
}

void OnTaskbarCreated() {
  if (!Panel.Options.WindowShown) AddIconWithoutBalloon();
}
