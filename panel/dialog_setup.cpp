// Setting up the main dialog inside its creation, and replacing the template's language keys.
#include <windows.h>

#include "configuration.h"
#include "core/panel_texts.h"
#include "core/text_builder.h"
#include "display_dpi.h"
#include "edit_enter_filter.h"
#include "filter_extension_push.h"
#include "interval_rows.h"
#include "language.h"
#include "log_writer.h"
#include "dialog_commands.h"
#include "dialog_setup.h"
#include "interval_refusal_tip.h"
#include "panel_icons.h"
#include "panel_state.h"
#include "pause_hot_key.h"
#include "product_version.h"
#include "resource.h"
#include "source_boxes.h"
#include "tray_icon.h"
#include "utf16.h"

namespace {

bool FetchControls(HWND dialog) {
  for (int i = 0; i < kControlCount; ++i) {
    Panel.Controls[i] = GetDlgItem(dialog, kControlIds[i]);
    if (!Panel.Controls[i]) return false;
  }
  return true;
}

// With no hook installed the panel's settings become the library's; an installed hook keeps
// the settings of whoever installed it, shown from the first refresh tick on. The log state
// goes too: every refresh tick takes the library's log state as the panel's, so a stored
// LogToFile = 1 would otherwise be read back as 0 and written over one tick after the start.
void PushSettingsIntoLibrary() {
  const HookLibrary& library = Panel.Library;
  Settings& options = Panel.Options;
  Panel.HookActive = library.QueryHookState() != 0;
  if (Panel.HookActive) return;
  ApplySettingsToLibrary(library, options);
  library.SetLogState(LogWriter.LogToFile ? 1 : 0);
  library.GetHookType(&options.HookTypeBits);
  ReadSharedIntervals(library, options);
}

void SetUpIntervalEdits() {
  for (int slot = 0; slot < kIntervalCount; ++slot) {
    const IntervalRow& row = kIntervalRows[slot];
    HWND edit = Control(row.EditId);
    wchar_t number[16];
    TextBuilder(AsUtf16(number), 16).Decimal(Panel.Options.*row.Value);
    SetWindowTextW(edit, number);
    SendMessageW(edit, EM_LIMITTEXT, kNumberBoxLimit, 0);
    InstallEditEnterFilter(edit, slot);
  }
}

// The template's "TEXT_INFO" is a placeholder: the control shows the fixed version and maker.
void SetInfoText() {
  wchar_t info[kInfoTextCapacity];
  ComposeInfoText(AsUtf16(info), kInfoTextCapacity, AsUtf16(QUILLON_PRODUCT_TEXT), AsUtf16(QUILLON_VERSION_TEXT),
                  AsUtf16(QUILLON_PROVIDER_TEXT));
  SetWindowTextW(Control(IDC_INFO), info);
}

}  // namespace

bool InitMainDialog(HWND dialog) {
  Panel.Dialog = dialog;
  // Each size loaded on its own for the dialog's DPI, so the caption and the task bar get a
  // drawn image, not a scaled one.
  SetPanelWindowIcons(Panel.Instance, dialog, WindowDpi(dialog), CurrentFilterLook());
  if (!FetchControls(dialog)) {
    DestroyWindow(dialog);
    Panel.Dialog = nullptr;
    return false;
  }
  if (Panel.LibraryReady) PushSettingsIntoLibrary();
  SyncHookTypeBoxes();
  SetUpIntervalEdits();
  SyncAutoTipsBox();
  SyncAutoHookBox();
  SyncLogToFileBox();
  SetInfoText();
  InitTrayIcon(Panel.Instance, dialog);
  Panel.PauseHotKeyTaken = Panel.Options.PauseHotKey != 0 && !RegisterPauseHotKey(dialog, Panel.Options.PauseHotKey);
  return true;
}

void ApplyDialogTexts() {
  struct Caption { int id; const wchar_t* key; };
  static constexpr Caption kCaptions[] = {
      {IDC_HOOKTYPE_GROUP, L"TEXT_HOOKTYPE"}, {IDC_PARAM_GROUP, L"TEXT_PARAM"},   {IDC_MISC_GROUP, L"TEXT_MISC"},
      {IDC_AUTOTIPS, L"TEXT_AUTOTIPS"},       {IDC_AUTOHOOK, L"TEXT_AUTOHOOK"},   {IDC_LOGTOFILE, L"TEXT_LOGTOFILE"},
      {IDC_ACTION, L"TEXT_HOOK"},             {IDC_EXIT, L"TEXT_EXIT"},
  };
  SetLangWindowText(Panel.Dialog, L"TEXT_APPNAME");
  for (const Caption& caption : kCaptions) SetLangWindowText(Control(caption.id), caption.key);
  for (const SourceBox& box : kSourceBoxes) SetLangWindowText(Control(box.BoxId), box.TextKey);
  for (const IntervalRow& row : kIntervalRows) SetLangWindowText(Control(row.SetId), L"TEXT_SET");
  SetLangWindowText(GetDlgItem(Panel.Dialog, IDC_MOUSECHECK_OPEN), L"TEXT_MOUSECHECK");
  SetLangWindowText(GetDlgItem(Panel.Dialog, IDC_OPTIONS_OPEN), L"TEXT_OPTIONS");
}
