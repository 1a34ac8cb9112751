// The refresh tick: starts the log writer when due and, while the dialog is shown, mirrors the
// library's shared state (hook, hook type, log state, intervals) into the controls; an open
// mouse check follows the filter's switches and intervals.
#include <windows.h>

#include "core/panel_texts.h"
#include "language.h"
#include "log_writer.h"
#include "interval_rows.h"
#include "dialog_commands.h"
#include "dialog_refresh.h"
#include "display_dpi.h"
#include "mouse_check.h"
#include "panel_icons.h"
#include "panel_state.h"
#include "resource.h"
#include "source_boxes.h"
#include "tray_icon.h"
#include "utf16.h"

namespace {

// The hook type and the intervals can be changed only while the hook is installed.
void EnableParameterControls(BOOL enable) {
  for (const SourceBox& box : kSourceBoxes) EnableWindow(Control(box.BoxId), enable);
  for (const IntervalRow& row : kIntervalRows) {
    EnableWindow(Control(row.EditId), enable);
    EnableWindow(Control(row.SetId), enable);
  }
}

// Rewriting an unchanged caption twice a second would only make it flicker.
void SetTextIfChanged(HWND window, const wchar_t* text) {
  wchar_t current[kLongTextCapacity];
  const int length = GetWindowTextW(window, current, kLongTextCapacity);
  if (length < kLongTextCapacity - 1 && lstrcmpW(current, text) == 0) return;
  SetWindowTextW(window, text);
}

void ShowLibraryMissing() {
  EnableParameterControls(FALSE);
  EnableWindow(Control(IDC_ACTION), FALSE);
  wchar_t unknown[kShortTextCapacity];
  GetLangText(unknown, L"TEXT_UNKNOWN", kShortTextCapacity);
  for (const IntervalRow& row : kIntervalRows) {
    wchar_t labelText[kLongTextCapacity];
    GetLangText(labelText, row.TextKey, kLongTextCapacity);
    wchar_t label[kIntervalLabelCapacity];
    ComposeUnknownLabel(AsUtf16(label), kIntervalLabelCapacity, AsUtf16(labelText), AsUtf16(unknown));
    SetTextIfChanged(Control(row.LabelId), label);
  }
}

void ShowLibraryState() {
  const HookLibrary& library = Panel.Library;
  Settings& options = Panel.Options;
  EnableWindow(Control(IDC_ACTION), TRUE);
  Panel.HookActive = library.QueryHookState() != 0;
  EnableParameterControls(Panel.HookActive ? TRUE : FALSE);
  wchar_t action[kShortTextCapacity];
  GetLangText(action, Panel.HookActive ? L"TEXT_UNHOOK" : L"TEXT_HOOK", kShortTextCapacity);
  SetTextIfChanged(Control(IDC_ACTION), action);

  library.GetHookType(&options.HookTypeBits);
  SyncHookTypeBoxes();
  SyncLogToFileBox();

  ReadSharedIntervals(library, options);
  wchar_t unit[kShortTextCapacity];
  GetLangText(unit, L"TEXT_MILLISECOND", kShortTextCapacity);
  for (int slot = 0; slot < kIntervalCount; ++slot) {
    const IntervalRow& row = kIntervalRows[slot];
    const std::uint32_t value = options.*row.Value;
    if (value == Panel.LastShownIntervals[slot]) continue;
    Panel.LastShownIntervals[slot] = value;
    wchar_t labelText[kLongTextCapacity];
    GetLangText(labelText, row.TextKey, kLongTextCapacity);
    wchar_t label[kIntervalLabelCapacity];
    ComposeIntervalLabel(AsUtf16(label), kIntervalLabelCapacity, AsUtf16(labelText), value, AsUtf16(unit));
    SetWindowTextW(Control(row.LabelId), label);
  }
}

// The dialog's own icons (caption, task bar, Alt+Tab) show the filter's look, as the
// notification icon does.
void ShowFilterLook() {
  // None at first: the first tick sets the icons whatever the set-up gave the dialog, so a
  // change before that tick is never taken for one already shown.
  static bool anyShown = false;
  static FilterLook shown = FilterLook::On;
  const FilterLook look = CurrentFilterLook();
  if (anyShown && look == shown) return;
  anyShown = true;
  shown = look;
  SetPanelWindowIcons(Panel.Instance, Panel.Dialog, WindowDpi(Panel.Dialog), look);
}

}  // namespace

void RefreshDialog() {
  if (Panel.LibraryReady) PollLogWriter();
  RefreshMouseCheck();
  if (!Panel.Options.WindowShown) {
    RefreshTrayIcon();
  } else if (Panel.LibraryReady) {
    ShowLibraryState();
  } else {
    ShowLibraryMissing();
  }
  ShowFilterLook();
}
