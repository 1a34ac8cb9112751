// Commands of the dialog's controls and of the tray menu (one table), and the synchronisation
// of the check boxes with the settings file.
#include <windows.h>

#include "about_box.h"
#include "configuration.h"
#include "core/text_builder.h"
#include "hook_action.h"
#include "interval_refusal_tip.h"
#include "interval_rows.h"
#include "latchkin_contract.h"
#include "log_writer.h"
#include "options_window.h"
#include "dialog_commands.h"
#include "mouse_check.h"
#include "panel_state.h"
#include "resource.h"
#include "tray_icon.h"
#include "utf16.h"

namespace {

void SyncFlagBox(bool Settings::*flag, bool value, int boxId) {
  WriteSetting(flag, value);
  SendMessageW(Control(boxId), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Without the library the bit still flips and is stored, so the choice holds for the next start.
void FlipHookTypeBit(std::uint8_t sourceBit) {
  Panel.Options.HookTypeBits ^= sourceBit;
  if (Panel.LibraryReady) {
    Panel.Library.SetHookType(Panel.Options.HookTypeBits);
    Panel.Library.GetHookType(&Panel.Options.HookTypeBits);
  }
  SyncHookTypeBoxes();
}

}  // namespace

void SetHookTypeSource(std::uint8_t sourceBit, bool on) {
  if (((Panel.Options.HookTypeBits & sourceBit) != 0) != on) FlipHookTypeBit(sourceBit);
  // The three boxes of the main dialog store their own keys; the other sources store theirs here.
  WriteHookTypeSetting(sourceBit, (Panel.Options.HookTypeBits & sourceBit) != 0);
}

namespace {

void ToggleLogToFile() {
  const bool logToFile = !LogWriter.LogToFile;
  LogWriter.LogToFile = logToFile;
  if (Panel.LibraryReady) Panel.Library.SetLogState(logToFile ? 1 : 0);
  SyncLogToFileBox();
}

// Only what the filter takes (a whole number from 1 to 9999) is applied and stored. Anything
// else (an empty box, 0, 10000, letters) is refused at the box: nothing is stored, the box shows
// the interval in force again, and a balloon says why; label, box and file never disagree.
void ApplyInterval(int slot) {
  const IntervalRow& row = kIntervalRows[slot];
  HideIntervalRefusal();
  HWND edit = Control(row.EditId);
  std::uint32_t value = 0;
  if (!ReadNumberBox(edit, value) || !IsIntervalTimeAccepted(value)) {
    if (Panel.LibraryReady) {
      Settings& options = Panel.Options;
      Panel.Library.GetIntervalTime(&(options.*kIntervalRows[0].Value), &(options.*kIntervalRows[1].Value),
                                    &(options.*kIntervalRows[2].Value));
    }
    wchar_t number[16];
    TextBuilder(AsUtf16(number), 16).Decimal(Panel.Options.*row.Value);
    SetWindowTextW(edit, number);
    ShowIntervalRefusal(edit);
    return;
  }
  if (Panel.LibraryReady) {
    std::uint32_t values[kIntervalCount] = {};  // 0 leaves the other two as they are
    values[slot] = value;
    Panel.Library.SetIntervalTime(values[0], values[1], values[2]);
  }
  WriteSetting(row.Value, static_cast<int>(value));
}

// The row whose Set button has this id, or -1.
int IntervalSlotOfSetButton(int id) {
  for (int slot = 0; slot < kIntervalCount; ++slot)
    if (kIntervalRows[slot].SetId == id) return slot;
  return -1;
}

}  // namespace

void SyncHookTypeBoxes() {
  struct Box { std::uint8_t sourceBit; int boxId; };
  static constexpr Box kBoxes[] = {{kSourceLeftButton, IDC_LBUTTON},
                                   {kSourceRightButton, IDC_RBUTTON},
                                   {kSourceWheel, IDC_WHEEL}};
  for (const Box& box : kBoxes) {
    const bool on = (Panel.Options.HookTypeBits & box.sourceBit) != 0;
    WriteHookTypeSetting(box.sourceBit, on);
    SendMessageW(Control(box.boxId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void SyncAutoTipsBox() { SyncFlagBox(&Settings::AutoTips, Panel.Options.AutoTips, IDC_AUTOTIPS); }
void SyncAutoHookBox() { SyncFlagBox(&Settings::AutoHook, Panel.Options.AutoHook, IDC_AUTOHOOK); }
void SyncLogToFileBox() { SyncFlagBox(&Settings::LogToFile, LogWriter.LogToFile, IDC_LOGTOFILE); }

bool RunCommand(int id) {
  const int intervalSlot = IntervalSlotOfSetButton(id);
  if (intervalSlot >= 0) {
    ApplyInterval(intervalSlot);
    return true;
  }
  switch (id) {
    case IDC_LBUTTON: FlipHookTypeBit(kSourceLeftButton); return true;
    case IDC_RBUTTON: FlipHookTypeBit(kSourceRightButton); return true;
    case IDC_WHEEL: FlipHookTypeBit(kSourceWheel); return true;
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
    case IDC_ACTION:
    case IDM_ACTION: ToggleHook(); return true;
    case IDC_EXIT:
    case IDM_EXIT: SendMessageW(Panel.Dialog, WM_CLOSE, 0, 0); return true;
    case IDM_SETTING: RestoreFromTray(); return true;
    case IDM_ABOUT: OpenAboutBox(); return true;
    case IDC_MOUSECHECK_OPEN:
    case IDM_MOUSECHECK: OpenMouseCheck(); return true;
    case IDC_OPTIONS_OPEN:
    case IDM_OPTIONS: OpenOptionsWindow(); return true;
    default: return false;
  }
}
