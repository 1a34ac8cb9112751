// Installing and removing the hook from the panel (action button, tray item, AutoHook at
// start-up) and reporting the result in a message box or a balloon.
#include "hook_action.h"

#include <windows.h>

#include <memory>

#include "filter_extension_push.h"
#include "filter_start.h"
#include "language.h"
#include "log_writer.h"
#include "panel_state.h"
#include "release_delivery.h"
#include "tray_icon.h"
#include "unique_handle.h"

namespace {

// The longest the dialog holds the user's next action back while a result box appears.
constexpr DWORD kResultBoxPauseMs = 300;

struct ResultText {
  wchar_t Text[kLongTextCapacity];
};

// Thread routine: owns the text it is given.
DWORD WINAPI ShowResultBox(void* parameter) {
  std::unique_ptr<ResultText> result(static_cast<ResultText*>(parameter));
  wchar_t caption[kShortTextCapacity];
  GetLangText(caption, L"TEXT_RESULT", kShortTextCapacity);
  MessageBoxW(Panel.Dialog, result->Text, caption, MB_OK | MB_ICONINFORMATION);
  return 0;
}

// Until the box has disabled its owner, the dialog (so the user's next action no longer reaches
// it), or kResultBoxPauseMs: takes no input meanwhile, but answers what the box's thread sends
// the dialog while it sets the box up, which a thread that merely slept would hold up.
void AwaitResultBox() {
  const DWORD start = GetTickCount();
  while (IsWindowEnabled(Panel.Dialog)) {
    const DWORD elapsed = GetTickCount() - start;  // unsigned: right across the tick wrap
    if (elapsed >= kResultBoxPauseMs) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, kResultBoxPauseMs - elapsed, QS_SENDMESSAGE, 0);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // runs the sent ones only
  }
}

void StartResultBox(const wchar_t* key) {
  auto result = std::make_unique<ResultText>();
  GetLangText(result->Text, key, kLongTextCapacity);
  UniqueHandle thread(CreateThread(nullptr, 0, ShowResultBox, result.get(), 0, nullptr));
  if (!thread) return;
  result.release();  // the thread owns it now
  AwaitResultBox();
}

}  // namespace

void ReportHookResult(const wchar_t* key) {
  if (Panel.Options.WindowShown) {
    if (Panel.Options.ShowHookResultForce) StartResultBox(key);
    return;
  }
  wchar_t balloon[kLongTextCapacity];
  GetLangTipText(balloon, key, kLongTextCapacity);
  ShowBalloon(balloon);
}

void ToggleHook() {
  if (!Panel.LibraryReady) {
    ReportHookResult(L"TEXT_HOOKFAILED");
    return;
  }
  const HookLibrary& library = Panel.Library;
  // Another user's filter is not this session's to stop, nor to start beside.
  if (FilterHolder(library) == kHookHolderOtherSession) {
    ReportHookResult(FilterStartTextKey(FilterStart::HeldByOtherUser));
    return;
  }
  if (Panel.HookActive) {
    library.UninstallHook();
    StopReleaseDelivery();  // delivers a release still pending
    Panel.HookActive = library.QueryHookState() != 0;
    if (!Panel.HookActive) ReleaseFilterClaim();
    ReportHookResult(Panel.HookActive ? L"TEXT_UNHOOKFAILED" : L"TEXT_UNHOOKSUCCESSFULLY");
    return;
  }
  const FilterStart start = StartOwnFilter(library, Panel.Options.SelfHookEnabled ? 1 : 0);
  Panel.HookActive = library.QueryHookState() != 0;
  // Only its own install makes the panel deliver and set the log state: another program's
  // filter keeps its own settings and deliverer.
  if (start != FilterStart::Installed) {
    ReportHookResult(FilterStartTextKey(start));
    return;
  }
  StartInstalledHook(library, Panel.Options, LogWriter.LogToFile);
  ReportHookResult(L"TEXT_HOOKSUCCESSFULLY");
}
