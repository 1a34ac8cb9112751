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
#include "source_boxes.h"
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

void ShowIntervalInBox(HWND edit, std::uint32_t value) {
  wchar_t number[16];
  TextBuilder(AsUtf16(number), 16).Decimal(value);
  SetWindowTextW(edit, number);
}

}  // namespace

// Only what the filter takes (a whole number from 1 to 9999) is applied and stored. Anything
// else (an empty box, 0, 10000, letters) is refused at the box: nothing is stored, the box shows
// the interval in force again, and a balloon says why; label, box and file never disagree.
void SetSharedInterval(int slot, std::uint32_t value) {
  const IntervalRow& row = kIntervalRows[slot];
  HideIntervalRefusal();
  HWND edit = Control(row.EditId);
  if (!IsIntervalTimeAccepted(value)) {
    if (Panel.LibraryReady) ReadSharedIntervals(Panel.Library, Panel.Options);
    ShowIntervalInBox(edit, Panel.Options.*row.Value);
    ShowIntervalRefusal(edit);
    return;
  }
  // A value given by other means than typing shows in the box as Set would have left it.
  std::uint32_t shown = 0;
  if (!ReadNumberBox(edit, shown) || shown != value) ShowIntervalInBox(edit, value);
  if (Panel.LibraryReady) {
    std::uint32_t values[kIntervalCount] = {};  // 0 leaves the other two as they are
    values[slot] = value;
    Panel.Library.SetIntervalTime(values[0], values[1], values[2]);
  }
  WriteSetting(row.Value, static_cast<int>(value));
}

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

// Set: the typed value, read strictly; what cannot be read is refused as 0 is.
void ApplyInterval(int slot) {
  std::uint32_t value = 0;
  if (!ReadNumberBox(Control(kIntervalRows[slot].EditId), value)) value = 0;
  SetSharedInterval(slot, value);
}

// The row whose Set button has this id, or -1.
int IntervalSlotOfSetButton(int id) {
  for (int slot = 0; slot < kIntervalCount; ++slot)
    if (kIntervalRows[slot].SetId == id) return slot;
  return -1;
}

}  // namespace

void SyncHookTypeBoxes() {
  for (const SourceBox& box : kSourceBoxes) {
    const bool on = (Panel.Options.HookTypeBits & box.SourceBit) != 0;
    WriteHookTypeSetting(box.SourceBit, on);
    SendMessageW(Control(box.BoxId), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
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
  for (const SourceBox& box : kSourceBoxes) {
    if (box.BoxId != id) continue;
    FlipHookTypeBit(box.SourceBit);
    return true;
  }
  switch (id) {
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
