// Commands of the dialog's controls and of the tray menu (one table), and the synchronisation
// of the check boxes with the settings file.
#include <windows.h>

#include "about_box.h"
#include "configuration.h"
#include "core/decimal.h"
#include "hook_action.h"
#include "log_writer.h"
#include "main_dialog.h"
#include "panel_state.h"
#include "resource.h"
#include "tray_icon.h"
#include "utf16.h"

namespace {

void SyncFlagBox(const wchar_t* key, bool value, int boxId) {
  WriteSetting(key, value ? 1 : 0);
  SendMessageW(Control(boxId), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Without the library the bit still flips and is stored, so the choice holds for the next start.
void FlipHookTypeBit(std::uint8_t bit) {
  Panel.Options.HookTypeBits ^= bit;
  if (Panel.LibraryReady) {
    Panel.Library.SetHookType(Panel.Options.HookTypeBits);
    Panel.Library.GetHookType(&Panel.Options.HookTypeBits);
  }
  SyncHookTypeBoxes();
}

void ToggleLogToFile() {
  const bool logToFile = !LogWriter.LogToFile;
  LogWriter.LogToFile = logToFile;
  if (Panel.LibraryReady) Panel.Library.SetLogState(logToFile ? 1 : 0);
  SyncLogToFileBox();
}

// The typed number goes to the library (which ignores 0 and values past 9999) and is stored
// under the key all the same; the label keeps showing what the library holds.
void ApplyInterval(int editId, int slot, const wchar_t* key) {
  wchar_t text[16] = {};
  GetWindowTextW(Control(editId), text, 16);
  const std::int32_t number = ParseDecimal(AsUtf16(text));
  const std::uint32_t value = static_cast<std::uint32_t>(number);
  if (Panel.LibraryReady) {
    Panel.Library.SetIntervalTime(slot == 0 ? value : 0, slot == 1 ? value : 0, slot == 2 ? value : 0);
  }
  WriteSetting(key, number);
}

}  // namespace

void SyncHookTypeBoxes() {
  struct Pair { std::uint8_t bit; const wchar_t* key; int boxId; };
  static constexpr Pair kPairs[] = {{kHookLeftButton, L"HookLButton", IDC_LBUTTON},
                                    {kHookRightButton, L"HookRButton", IDC_RBUTTON},
                                    {kHookWheel, L"HookWheel", IDC_WHEEL}};
  for (const Pair& pair : kPairs) SyncFlagBox(pair.key, (Panel.Options.HookTypeBits & pair.bit) != 0, pair.boxId);
}

void SyncAutoTipsBox() { SyncFlagBox(L"AutoTips", Panel.Options.AutoTips, IDC_AUTOTIPS); }
void SyncAutoHookBox() { SyncFlagBox(L"AutoHook", Panel.Options.AutoHook, IDC_AUTOHOOK); }
void SyncLogToFileBox() { SyncFlagBox(L"LogToFile", LogWriter.LogToFile, IDC_LOGTOFILE); }

bool RunCommand(int id) {
  switch (id) {
    case IDC_LBUTTON: FlipHookTypeBit(kHookLeftButton); return true;
    case IDC_RBUTTON: FlipHookTypeBit(kHookRightButton); return true;
    case IDC_WHEEL: FlipHookTypeBit(kHookWheel); return true;
    case IDC_AUTOTIPS:
    case IDM_AUTOREPORT:
      Panel.Options.AutoTips = !Panel.Options.AutoTips;
      SyncAutoTipsBox();
      return true;
    case IDC_AUTOHOOK:
      Panel.Options.AutoHook = !Panel.Options.AutoHook;
      SyncAutoHookBox();
      return true;
    case IDC_LOGTOFILE:
    case IDM_LOGTOFILE: ToggleLogToFile(); return true;
    case IDC_UPDOWN_SET: ApplyInterval(IDC_UPDOWN_EDIT, 0, L"UpDownIntervalTime"); return true;
    case IDC_DBCLICK_SET: ApplyInterval(IDC_DBCLICK_EDIT, 1, L"DbClickIntervalTime"); return true;
    case IDC_ROTREVERSE_SET: ApplyInterval(IDC_ROTREVERSE_EDIT, 2, L"RotReverseIntervalTime"); return true;
    case IDC_ACTION:
    case IDM_ACTION: ToggleHook(); return true;
    case IDC_EXIT:
    case IDM_EXIT: SendMessageW(Panel.Dialog, WM_CLOSE, 0, 0); return true;
    case IDM_SETTING: RestoreFromTray(); return true;
    case IDM_ABOUT: OpenAboutBox(); return true;
    default: return false;
  }
}
