// Quillon.exe: start-up order, binding of the hook library, the message loop and shutdown.
#include <windows.h>
#include <commctrl.h>

#include "configuration.h"
#include "exit_question.h"
#include "log_writer.h"
#include "dialog_setup.h"
#include "main.h"
#include "main_dialog.h"
#include "mouse_check.h"
#include "options_window.h"
#include "hook_action.h"
#include "panel_state.h"
#include "program_folder.h"
#include "release_delivery.h"
#include "resource.h"
#include "single_panel.h"
#include "tray_icon.h"

namespace {

// The writer sleeps between drains on a wake-able wait; a drain in progress writes at most a
// few hundred lines 10 ms apart. Past this the library simply stays loaded until exit.
constexpr DWORD kLogWriterStopTimeoutMs = 6000;

// Loads Latchkin.dll beside the program and binds its 13 exports; the panel runs on without
// them, with its hook controls disabled.
void BindHookLibrary() {
  Panel.LibraryReady = LoadHookLibrary(Panel.Library);
  LogWriter.Library = &Panel.Library;
}

// The panel's own windows stay unfiltered whoever installs the hook (the start-up program at
// log-on too), so a quick click on a check box is never taken for a bounce; DisableSelfHook = 0
// asks to filter them as well. A library without the export filters the panel only when the
// panel did not install the hook itself.
void ChooseOwnInputFiltering() {
  if (Panel.LibraryReady && Panel.Library.SetProcessUnfiltered)
    Panel.Library.SetProcessUnfiltered(Panel.Options.SelfHookEnabled ? 0 : 1);
}

int RunMessageLoop() {
  MSG message = {};
  for (;;) {
    const BOOL result = GetMessageW(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<int>(message.wParam);
    if (result == -1) return 0;  // no valid queue any more: spinning on -1 would never end
    // Tab, Enter and Esc in the mouse check window work as in any dialog.
    HWND mouseCheck = MouseCheckWindow();
    if (mouseCheck && IsDialogMessageW(mouseCheck, &message)) continue;
    if (IsOptionsWindowMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// After the loop: the library stays loaded while a log writer could still call into it.
void FinishPanel() {
  Panel.Dialog = nullptr;
  // After ExitPanel's unhook: a pending release goes out now.
  const bool deliveryEnded = StopReleaseDelivery();
  if (Panel.Library.Module && deliveryEnded && StopLogWriter(kLogWriterStopTimeoutMs)) UnloadHookLibrary(Panel.Library);
  ReleaseConfiguration();
}

int RunPanel(HINSTANCE instance, int showCommand) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_HOTKEY_CLASS};
  if (!InitCommonControlsEx(&controls)) return 0;
  // A second start of this program file brings the running panel forward instead.
  if (!ClaimPanelOfThisFile()) {
    BringRunningPanelForward();
    return 0;
  }

  // Settings, texts and log lie beside the program, wherever it was started from.
  EnterProgramFolder();
  OpenConfiguration();
  ReadSettings(Panel.Options);
  LogWriter.LogToFile = Panel.Options.LogToFile;
  LogWriter.SizeBound = Panel.Options.LogFileMaxSize;
  BindHookLibrary();
  ChooseOwnInputFiltering();

  Panel.Instance = instance;
  // The handle is also stored by the dialog's set-up, which runs inside this call.
  Panel.Dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
  if (!Panel.Dialog) {
    FinishPanel();
    return 0;
  }
  ApplyDialogTexts();
  if (Panel.Options.WindowShown) {
    ShowWindow(Panel.Dialog, showCommand);
  } else {
    MinimizeToTray();
  }
  if (!Panel.HookActive && Panel.Options.AutoHook) ToggleHook();
  UpdateWindow(Panel.Dialog);

  const int exitCode = RunMessageLoop();
  FinishPanel();
  return exitCode;
}

}  // namespace

// A log writer that did not stop may still call into the library while the process ends, so a
// library FinishPanel could not unload is left for the process's end to release.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  int exitCode = 0;
  try {
    exitCode = RunPanel(instance, showCommand);
  } catch (...) {
    exitCode = 0;  // a failed start shows nothing and reports nothing
  }
  Panel.Library.Module.release();
  return exitCode;
}

void ExitPanel() {
  // Exit stops the filter whoever installed it, but never silently when another program (the
  // start-up program at log-on, another panel) installed it: then it asks first. The state is
  // read afresh, as the cached one may be a refresh period old, or older while in the tray.
  static bool asking = false;
  if (asking) return;  // a second Exit while the question is open
  bool unhook = false;
  if (Panel.LibraryReady) {
    Panel.HookActive = Panel.Library.QueryHookState() != 0;
    unhook = Panel.HookActive;
    if (Panel.HookActive && Panel.Library.IsSelf() == 0) {
      asking = true;
      const ExitChoice choice = AskBeforeStoppingForeignFilter();
      asking = false;
      if (choice == ExitChoice::StayOpen) return;
      unhook = choice == ExitChoice::StopFilterAndExit;
    }
  }
  if (!Panel.Options.WindowShown) Shell_NotifyIconW(NIM_DELETE, &Panel.TrayIconData);
  if (unhook) Panel.Library.UninstallHook();
  DestroyWindow(Panel.Dialog);
}
