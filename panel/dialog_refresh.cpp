// The refresh tick: starts the log writer when due and, while the dialog is shown, mirrors the
// library's shared state (hook, hook type, log state, intervals) into the controls.
#include <windows.h>

#include "core/panel_texts.h"
#include "language.h"
#include "log_writer.h"
#include "main_dialog.h"
#include "panel_state.h"
#include "resource.h"
#include "utf16.h"

namespace {

// The hook type and the intervals can be changed only while the hook is installed.
constexpr int kParameterControls[] = {IDC_LBUTTON,     IDC_RBUTTON,    IDC_WHEEL,
                                      IDC_UPDOWN_EDIT, IDC_UPDOWN_SET, IDC_DBCLICK_EDIT,
                                      IDC_DBCLICK_SET, IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_SET};

struct IntervalRow {
  int labelId;
  const wchar_t* labelKey;
  std::uint32_t Settings::*value;
  std::uint32_t PanelState::*lastShown;
};
constexpr IntervalRow kIntervalRows[] = {
    {IDC_UPDOWN_LABEL, L"TEXT_UPDOWNINTVTIME", &Settings::UpDownIntervalTime, &PanelState::LastShownUpDown},
    {IDC_DBCLICK_LABEL, L"TEXT_DBCLICKINTVTIME", &Settings::DbClickIntervalTime, &PanelState::LastShownDbClick},
    {IDC_ROTREVERSE_LABEL, L"TEXT_ROTREVERSEINTVTIME", &Settings::RotReverseIntervalTime,
     &PanelState::LastShownRotReverse},
};

// Rewriting an unchanged caption twice a second would only make it flicker.
void SetTextIfChanged(HWND window, const wchar_t* text) {
  wchar_t current[kLongTextCapacity];
  const int length = GetWindowTextW(window, current, kLongTextCapacity);
  if (length < kLongTextCapacity - 1 && lstrcmpW(current, text) == 0) return;
  SetWindowTextW(window, text);
}

void ShowLibraryMissing() {
  for (int id : kParameterControls) EnableWindow(Control(id), FALSE);
  EnableWindow(Control(IDC_ACTION), FALSE);
  wchar_t unknown[kShortTextCapacity];
  GetLangText(unknown, L"TEXT_UNKNOWN", kShortTextCapacity);
  for (const IntervalRow& row : kIntervalRows) {
    wchar_t labelText[kLongTextCapacity];
    GetLangText(labelText, row.labelKey, kLongTextCapacity);
    wchar_t label[kIntervalLabelCapacity];
    ComposeUnknownLabel(AsUtf16(label), kIntervalLabelCapacity, AsUtf16(labelText), AsUtf16(unknown));
    SetTextIfChanged(Control(row.labelId), label);
  }
}

void ShowLibraryState() {
  const HookLibrary& library = Panel.Library;
  Settings& options = Panel.Options;
  EnableWindow(Control(IDC_ACTION), TRUE);
  Panel.HookActive = library.QueryHookState() != 0;
  for (int id : kParameterControls) EnableWindow(Control(id), Panel.HookActive ? TRUE : FALSE);
  wchar_t action[kShortTextCapacity];
  GetLangText(action, Panel.HookActive ? L"TEXT_UNHOOK" : L"TEXT_HOOK", kShortTextCapacity);
  SetTextIfChanged(Control(IDC_ACTION), action);

  library.GetHookType(&options.HookTypeBits);
  SyncHookTypeBoxes();
  SyncLogToFileBox();

  library.GetIntervalTime(&options.UpDownIntervalTime, &options.DbClickIntervalTime, &options.RotReverseIntervalTime);
  wchar_t unit[kShortTextCapacity];
  GetLangText(unit, L"TEXT_MILLISECOND", kShortTextCapacity);
  for (const IntervalRow& row : kIntervalRows) {
    const std::uint32_t value = options.*row.value;
    if (value == Panel.*row.lastShown) continue;
    Panel.*row.lastShown = value;
    wchar_t labelText[kLongTextCapacity];
    GetLangText(labelText, row.labelKey, kLongTextCapacity);
    wchar_t label[kIntervalLabelCapacity];
    ComposeIntervalLabel(AsUtf16(label), kIntervalLabelCapacity, AsUtf16(labelText), value, AsUtf16(unit));
    SetWindowTextW(Control(row.labelId), label);
  }
}

}  // namespace

void RefreshDialog() {
  if (Panel.LibraryReady) PollLogWriter();
  if (!Panel.Options.WindowShown) return;
  if (Panel.LibraryReady) {
    ShowLibraryState();
  } else {
    ShowLibraryMissing();
  }
}
