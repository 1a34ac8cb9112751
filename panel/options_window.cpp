// The Options window (see options_window.h): a modeless dialog from template 1300. Every change
// goes to the library at once and is stored in Quillon.cfg under the key table's name.
#include "options_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "configuration.h"
#include "excluded_programs.h"
#include "core/settings_rules.h"
#include "core/text_builder.h"
#include "dialog_commands.h"
#include "filter_extension_push.h"
#include "interval_refusal_tip.h"
#include "language.h"
#include "language_choice.h"
#include "panel_state.h"
#include "pause_hot_key.h"
#include "release_delivery.h"
#include "resource.h"
#include "running_programs.h"
#include "utf16.h"

namespace {

HWND Window = nullptr;
bool Filling = false;  // set while the window fills its own controls: their EN_CHANGE is not the user's
bool Closing = false;  // Esc or the window's close: what a box holds then is not applied

// Above 9999: SetButtonIntervalTime leaves that value as it is.
constexpr std::uint32_t kLeaveInterval = 0xFFFFFFFFu;

// One row per button, by ButtonIndex: left and right are switched on the main dialog, so their
// rows carry a name only; the three extra buttons' names are their switches.
struct ButtonRow {
  int NameId;
  std::uint8_t SwitchSource;  // 0: no switch here
  const wchar_t* TextKey;
};
constexpr ButtonRow kButtonRows[kButtonCount] = {
    {IDC_OPT_NAME_LEFT, 0, L"TEXT_LBUTTON"},
    {IDC_OPT_NAME_RIGHT, 0, L"TEXT_RBUTTON"},
    {IDC_OPT_SWITCH_MIDDLE, kSourceMiddleButton, L"TEXT_MBUTTON"},
    {IDC_OPT_SWITCH_X1, kSourceXButton1, L"TEXT_XBUTTON1"},
    {IDC_OPT_SWITCH_X2, kSourceXButton2, L"TEXT_XBUTTON2"},
};
int UpDownEditId(int button) { return IDC_OPT_UPDOWN_FIRST + button; }
int DbClickEditId(int button) { return IDC_OPT_DBCLICK_FIRST + button; }

HWND Item(int id) { return GetDlgItem(Window, id); }

void SetCheck(int id, bool on) { SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
bool Checked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// 0 (the shared interval) shows as an empty box.
void ShowNumber(int id, std::uint32_t value, bool emptyForZero) {
  wchar_t text[16] = {};
  if (value != 0 || !emptyForZero) TextBuilder(AsUtf16(text), 16).Decimal(value);
  SetWindowTextW(Item(id), text);
}

// The window showing a value itself, not the user typing.
void ShowValue(int id, std::uint32_t value, bool emptyForZero) {
  Filling = true;
  ShowNumber(id, value, emptyForZero);
  Filling = false;
}

void ApplyTexts() {
  struct Caption { int id; const wchar_t* key; };
  static constexpr Caption kCaptions[] = {
      {IDC_OPT_BUTTONS_GROUP, L"TEXT_OPT_BUTTONS"},     {IDC_OPT_HEAD_BUTTON, L"TEXT_OPT_BUTTON"},
      {IDC_OPT_HEAD_UPDOWN, L"TEXT_OPT_UPDOWN"},        {IDC_OPT_HEAD_DBCLICK, L"TEXT_OPT_DBCLICK"},
      {IDC_OPT_SHARED_HINT, L"TEXT_OPT_SHAREDHINT"},    {IDC_OPT_ENGINE_GROUP, L"TEXT_OPT_ENGINE"},
      {IDC_OPT_RELEASEGUARD, L"TEXT_RELEASEGUARD"},     {IDC_OPT_DRAGHOLD, L"TEXT_DRAGHOLD"},
      {IDC_OPT_DRAGHOLD_LABEL, L"TEXT_DRAGHOLDTIME"},   {IDC_OPT_EXCLUDED_GROUP, L"TEXT_EXCLUDED"},
      {IDC_OPT_PRESSCONFIRM, L"TEXT_PRESSCONFIRM"},     {IDC_OPT_PRESSCONFIRM_LABEL, L"TEXT_PRESSCONFIRMTIME"},
      {IDC_OPT_EXCLUDED_ADD, L"TEXT_ADD"},              {IDC_OPT_EXCLUDED_REMOVE, L"TEXT_REMOVE"},
      {IDC_OPT_EXCLUDED_NOTE, L"TEXT_EXCLUDEDCUT"},     {IDC_OPT_HOTKEY_LABEL, L"TEXT_PAUSEHOTKEY"},
      {IDC_OPT_HOTKEY_NOTE, L"TEXT_HOTKEYINUSE"},       {IDC_OPT_SETTINGSFILE_LABEL, L"TEXT_SETTINGSFILE"},
      {IDC_OPT_CLOSE, L"TEXT_CLOSE"},                   {IDC_OPT_LANGUAGE_LABEL, L"TEXT_LANGUAGE"},
  };
  SetLangWindowText(Window, L"TEXT_OPTIONS");
  for (const Caption& caption : kCaptions) SetLangWindowText(Item(caption.id), caption.key);
  for (const ButtonRow& row : kButtonRows) SetLangWindowText(Item(row.NameId), row.TextKey);
  ShowLanguageList(Item(IDC_OPT_LANGUAGE));
}

void ShowSwitches() {
  for (const ButtonRow& row : kButtonRows)
    if (row.SwitchSource != 0) SetCheck(row.NameId, (Panel.Options.HookTypeBits & row.SwitchSource) != 0);
  SetCheck(IDC_OPT_RELEASEGUARD, Panel.Options.ReleaseGuard);
  SetCheck(IDC_OPT_DRAGHOLD, Panel.Options.DragHold);
  SetCheck(IDC_OPT_PRESSCONFIRM, Panel.Options.PressConfirm);
}

// --- the excluded programs: the list box holds the names as the user gave them -----------------

std::wstring ListedNames() {
  std::wstring text;
  HWND list = Item(IDC_OPT_EXCLUDED_LIST);
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
    if (length <= 0) continue;
    std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
    name.resize(static_cast<std::size_t>(length));
    if (!text.empty()) text += L';';
    text += name;
  }
  return text;
}

// The note says when the library keeps only part of the list.
void ShowExcludedNote(const std::wstring& text) {
  ExcludedProgramNames names;
  const bool cut = TakeExcludedPrograms(AsUtf16(text.c_str()), kExcludedProgramsTextCapacity, names).Cut;
  ShowWindow(Item(IDC_OPT_EXCLUDED_NOTE), cut ? SW_SHOWNA : SW_HIDE);
}

void FillExcludedList() {
  wchar_t stored[kExcludedProgramsTextCapacity];
  ReadExcludedPrograms(stored, kExcludedProgramsTextCapacity);
  HWND list = Item(IDC_OPT_EXCLUDED_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  ForEachExcludedName(AsUtf16(stored), kExcludedProgramsTextCapacity, [&](const char16_t* name, std::uint32_t length) {
    const std::wstring shown(AsWide(name), length);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  });
  ShowExcludedNote(stored);
  EnableWindow(Item(IDC_OPT_EXCLUDED_REMOVE), FALSE);
}

void StoreExcludedList() {
  const std::wstring text = ListedNames();
  WriteExcludedPrograms(text.c_str());
  if (Panel.LibraryReady) PushExcludedPrograms(Panel.Library);
  ShowExcludedNote(text);
}

void AddExcludedName(const std::wstring& name) {
  if (name.empty()) return;
  HWND list = Item(IDC_OPT_EXCLUDED_LIST);
  if (SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())) !=
      LB_ERR)
    return;  // already listed (the list box compares without regard to case)
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  StoreExcludedList();
}

// "Add": a menu of the programs with windows now, and "Browse..." for any other.
void OnAddExcluded() {
  const std::vector<std::wstring> running = RunningProgramsWithWindows();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (std::size_t i = 0; i < running.size(); ++i)
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), running[i].c_str());
  if (!running.empty()) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  wchar_t browse[kShortTextCapacity];
  GetLangText(browse, L"TEXT_BROWSE", kShortTextCapacity);
  const UINT browseId = static_cast<UINT>(running.size() + 1);
  AppendMenuW(menu, MF_STRING, browseId, browse);
  RECT button = {};
  GetWindowRect(Item(IDC_OPT_EXCLUDED_ADD), &button);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN,
                                                       button.left, button.bottom, 0, Window, nullptr));
  DestroyMenu(menu);
  if (chosen == 0) return;
  AddExcludedName(chosen == browseId ? PickProgramFile(Window) : running[chosen - 1]);
}

void OnRemoveExcluded() {
  HWND list = Item(IDC_OPT_EXCLUDED_LIST);
  const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
  EnableWindow(Item(IDC_OPT_EXCLUDED_REMOVE), FALSE);
  StoreExcludedList();
}

// --- the rest of the controls -----------------------------------------------------------------

void FillControls() {
  Filling = true;
  for (int b = 0; b < kButtonCount; ++b) {
    SendMessageW(Item(UpDownEditId(b)), EM_LIMITTEXT, kNumberBoxLimit, 0);
    SendMessageW(Item(DbClickEditId(b)), EM_LIMITTEXT, kNumberBoxLimit, 0);
    ShowNumber(UpDownEditId(b), Panel.Options.*kButtonIntervalSettings[b].UpDown, true);
    ShowNumber(DbClickEditId(b), Panel.Options.*kButtonIntervalSettings[b].DbClick, true);
  }
  ShowSwitches();
  SendMessageW(Item(IDC_OPT_DRAGHOLD_EDIT), EM_LIMITTEXT, kNumberBoxLimit, 0);
  ShowNumber(IDC_OPT_DRAGHOLD_EDIT, Panel.Options.DragHoldTime, false);
  SendMessageW(Item(IDC_OPT_PRESSCONFIRM_EDIT), EM_LIMITTEXT, kNumberBoxLimit, 0);
  ShowNumber(IDC_OPT_PRESSCONFIRM_EDIT, Panel.Options.PressConfirmTime, false);
  SendMessageW(Item(IDC_OPT_HOTKEY), HKM_SETHOTKEY, Panel.Options.PauseHotKey, 0);
  ShowWindow(Item(IDC_OPT_HOTKEY_NOTE), Panel.PauseHotKeyTaken ? SW_SHOWNA : SW_HIDE);
  FillExcludedList();
  // The full path, so a user who started the panel from elsewhere sees which file it uses.
  wchar_t path[MAX_PATH * 4] = {};
  if (ConfigFilePath && GetFullPathNameW(ConfigFilePath, MAX_PATH * 4, path, nullptr) == 0)
    lstrcpynW(path, ConfigFilePath, MAX_PATH * 4);
  SetWindowTextW(Item(IDC_OPT_SETTINGSFILE), path);
  Filling = false;
}

void StoreButtonInterval(int button, bool dbClick, std::uint32_t value) {
  std::uint32_t Settings::*member =
      dbClick ? kButtonIntervalSettings[button].DbClick : kButtonIntervalSettings[button].UpDown;
  Panel.Options.*member = value;
  WriteSetting(member, static_cast<int>(value));
  if (Panel.LibraryReady && Panel.Library.SetButtonIntervalTime)
    Panel.Library.SetButtonIntervalTime(static_cast<std::uint8_t>(button), dbClick ? kLeaveInterval : value,
                                        dbClick ? value : kLeaveInterval);
}

// The button's own interval in force: the library's, which another program may have set.
std::uint32_t ButtonIntervalInForce(int button, bool dbClick) {
  std::uint32_t Settings::*member =
      dbClick ? kButtonIntervalSettings[button].DbClick : kButtonIntervalSettings[button].UpDown;
  if (Panel.LibraryReady && Panel.Library.GetButtonIntervalTime) {
    std::uint32_t upDown = 0, dbClickValue = 0;
    Panel.Library.GetButtonIntervalTime(static_cast<std::uint8_t>(button), &upDown, &dbClickValue);
    Panel.Options.*member = dbClick ? dbClickValue : upDown;
  }
  return Panel.Options.*member;
}

// The main dialog's rule: 1 to 9999, or an empty box (or 0) for the shared interval; anything
// else is refused with the balloon, nothing is stored and the box shows the value in force.
void ApplyButtonInterval(int button, bool dbClick) {
  const int id = dbClick ? DbClickEditId(button) : UpDownEditId(button);
  HWND edit = Item(id);
  std::uint32_t value = 0;
  const bool accepted =
      GetWindowTextLengthW(edit) == 0 || (ReadNumberBox(edit, value) && IsButtonIntervalAccepted(value));
  const std::uint32_t inForce = ButtonIntervalInForce(button, dbClick);
  if (!accepted) {
    ShowValue(id, inForce, true);
    ShowIntervalRefusal(edit, L"TEXT_OWNREFUSED");
    return;
  }
  if (value != inForce) StoreButtonInterval(button, dbClick, value);
  ShowValue(id, value, true);
}

// The guard's switches reach the library through the delivery thread of the program that
// installed the hook: applied at once when that is the panel, otherwise at the next start.
void ApplyReleaseGuard() {
  WriteSetting(&Settings::ReleaseGuard, Panel.Options.ReleaseGuard);
  WriteSetting(&Settings::DragHold, Panel.Options.DragHold);
  WriteSetting(&Settings::DragHoldTime, static_cast<int>(Panel.Options.DragHoldTime));
  WriteSetting(&Settings::PressConfirm, Panel.Options.PressConfirm);
  WriteSetting(&Settings::PressConfirmTime, static_cast<int>(Panel.Options.PressConfirmTime));
  if (Panel.LibraryReady && Panel.Library.QueryHookState() != 0 && Panel.Library.IsSelf() != 0)
    StartReleaseDelivery(Panel.Library, Panel.Options);
}

// A time box of the engine: within its range, or refused with the balloon like any number box
// (drag hold and press confirmation take the same 5..100 ms, so they share the refusal's text).
bool ReadTimeBox(int id, std::uint32_t inForce, std::uint32_t low, std::uint32_t high, std::uint32_t& value) {
  HWND edit = Item(id);
  if (ReadNumberBox(edit, value) && value >= low && value <= high) return true;
  ShowValue(id, inForce, false);
  ShowIntervalRefusal(edit, L"TEXT_DRAGHOLDREFUSED");
  return false;
}

void ApplyDragHoldTime() {
  std::uint32_t value = 0;
  if (!ReadTimeBox(IDC_OPT_DRAGHOLD_EDIT, Panel.Options.DragHoldTime, kMinDragHoldTime, kMaxDragHoldTime, value))
    return;
  if (value != Panel.Options.DragHoldTime) {
    Panel.Options.DragHoldTime = value;
    ApplyReleaseGuard();
  }
  ShowValue(IDC_OPT_DRAGHOLD_EDIT, value, false);
}

void ApplyPressConfirmTime(std::uint32_t value) {
  if (value < kMinPressConfirmTime || value > kMaxPressConfirmTime || value == Panel.Options.PressConfirmTime) return;
  Panel.Options.PressConfirmTime = value;
  ApplyReleaseGuard();
}

void ApplyPressConfirmTimeBox() {
  std::uint32_t value = 0;
  if (!ReadTimeBox(IDC_OPT_PRESSCONFIRM_EDIT, Panel.Options.PressConfirmTime, kMinPressConfirmTime,
                   kMaxPressConfirmTime, value))
    return;
  ApplyPressConfirmTime(value);
  ShowValue(IDC_OPT_PRESSCONFIRM_EDIT, value, false);
}

// A number box's value is applied when the user is done with it (Enter, or leaving the box),
// not at each keystroke: 10000 on its way passes through 1, 10, 100 and 1000. False for a
// control that is no number box.
bool ApplyNumberBox(int id) {
  for (int b = 0; b < kButtonCount; ++b) {
    if (id != UpDownEditId(b) && id != DbClickEditId(b)) continue;
    HideIntervalRefusal();
    ApplyButtonInterval(b, id == DbClickEditId(b));
    return true;
  }
  if (id != IDC_OPT_DRAGHOLD_EDIT && id != IDC_OPT_PRESSCONFIRM_EDIT) return false;
  HideIntervalRefusal();
  if (id == IDC_OPT_DRAGHOLD_EDIT) {
    ApplyDragHoldTime();
  } else {
    ApplyPressConfirmTimeBox();
  }
  return true;
}

void Close() {
  Closing = true;
  HideIntervalRefusal();
  DestroyWindow(Window);
}

void ApplyPauseHotKey() {
  const std::uint32_t value = static_cast<std::uint32_t>(SendMessageW(Item(IDC_OPT_HOTKEY), HKM_GETHOTKEY, 0, 0)) & 0xFFFF;
  if (value > kMaxPauseHotKey) return;
  Panel.Options.PauseHotKey = value;
  WriteSetting(&Settings::PauseHotKey, static_cast<int>(value));
  Panel.PauseHotKeyTaken = value != 0 && !RegisterPauseHotKey(Panel.Dialog, value);
  if (value == 0) UnregisterPauseHotKey(Panel.Dialog);
  ShowWindow(Item(IDC_OPT_HOTKEY_NOTE), Panel.PauseHotKeyTaken ? SW_SHOWNA : SW_HIDE);
}

bool OnEditChange(int id) {
  if (Filling) return true;
  if (id == IDC_OPT_HOTKEY) {
    ApplyPauseHotKey();
  } else {
    HideIntervalRefusal();  // the user types again
  }
  return true;
}

bool OnCommand(int id, int notification) {
  if (notification == EN_CHANGE) return OnEditChange(id);
  if (notification == EN_KILLFOCUS) return Closing || ApplyNumberBox(id);
  if (id == IDC_OPT_LANGUAGE) {
    if (notification == CBN_SELCHANGE) OnLanguageListChoice(Item(id));
    return true;
  }
  if (id == IDC_OPT_EXCLUDED_LIST) {
    if (notification == LBN_SELCHANGE)
      EnableWindow(Item(IDC_OPT_EXCLUDED_REMOVE),
                   SendMessageW(Item(IDC_OPT_EXCLUDED_LIST), LB_GETCURSEL, 0, 0) != LB_ERR);
    return true;
  }
  for (const ButtonRow& row : kButtonRows) {
    if (row.SwitchSource == 0 || row.NameId != id) continue;
    SetHookTypeSource(row.SwitchSource, Checked(id));
    return true;
  }
  switch (id) {
    case IDC_OPT_RELEASEGUARD:
      Panel.Options.ReleaseGuard = Checked(id);
      ApplyReleaseGuard();
      return true;
    case IDC_OPT_DRAGHOLD:
      Panel.Options.DragHold = Checked(id);
      ApplyReleaseGuard();
      return true;
    case IDC_OPT_PRESSCONFIRM:
      Panel.Options.PressConfirm = Checked(id);
      ApplyReleaseGuard();
      return true;
    case IDC_OPT_EXCLUDED_ADD: OnAddExcluded(); return true;
    case IDC_OPT_EXCLUDED_REMOVE: OnRemoveExcluded(); return true;
    case IDC_OPT_CLOSE:
    case IDCANCEL: Close(); return true;
    default: return false;
  }
}

INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Window = window;
      Closing = false;
      ApplyTexts();
      FillControls();
      return TRUE;
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_ACTIVATE:
      // The main dialog may have switched a button meanwhile.
      if (LOWORD(wParam) != WA_INACTIVE) ShowSwitches();
      return FALSE;
    case WM_CLOSE: Close(); return TRUE;
    case WM_DESTROY: Window = nullptr; return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK OptionsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return Dispatch(window, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

void OpenOptionsWindow() {
  if (Window) {
    ShowWindow(Window, SW_SHOWNORMAL);
    SetForegroundWindow(Window);
    return;
  }
  // Owned by the main dialog, also while that sits in the notification area.
  HWND window = CreateDialogParamW(Panel.Instance, MAKEINTRESOURCEW(IDD_OPTIONS), Panel.Dialog, OptionsProc, 0);
  if (!window) return;
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

void SetOwnButtonInterval(int button, bool dbClick, std::uint32_t value) {
  if (button < 0 || button >= kButtonCount || !IsButtonIntervalAccepted(value)) return;
  StoreButtonInterval(button, dbClick, value);
  if (Window) ShowValue(dbClick ? DbClickEditId(button) : UpDownEditId(button), value, true);
}

void RetextOptionsWindow() {
  if (Window) ApplyTexts();
}

void SetPressConfirmTime(std::uint32_t value) {
  ApplyPressConfirmTime(value);
  if (!Window) return;
  Filling = true;
  ShowNumber(IDC_OPT_PRESSCONFIRM_EDIT, Panel.Options.PressConfirmTime, false);
  Filling = false;
}

bool IsOptionsWindowMessage(MSG& message) {
  if (!Window) return false;
  // Enter applies the number box it is typed in and keeps the window open (the dialog manager
  // would press the default button, Close); on a push button it presses that button, elsewhere
  // it does nothing. Esc and the close button close the window.
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && IsChild(Window, message.hwnd)) {
    if (ApplyNumberBox(GetDlgCtrlID(message.hwnd))) return true;
    const LRESULT code = SendMessageW(message.hwnd, WM_GETDLGCODE, 0, 0);
    if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) == 0) return true;
  }
  return IsDialogMessageW(Window, &message);
}
