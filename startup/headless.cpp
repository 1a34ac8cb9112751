// Headless filtering: install the hook with the stored settings, keep the log while logging is
// on, and stay while the hook installed is this process's own.
#include "runner.h"
#include "filter_extension_push.h"
#include "filter_start.h"
#include "language.h"
#include "log_writer.h"
#include "pause_hot_key.h"
#include "release_delivery.h"

namespace {

constexpr DWORD kSupervisePeriodMs = 500;
// A woken writer finishes its pass without pauses; even a full cache takes far less than this.
constexpr DWORD kWriterFinishMs = 2000;
// Ends after supervising: the hook was removed (and perhaps installed anew) on purpose by some
// process, which is success.
constexpr int kExitAfterSupervising = 0;

// Sleeps for one period while dispatching what arrives for this thread. A 32-bit hook on 64-bit
// Windows has its calls for 64-bit processes (and the other way round) run on the installing
// thread through its message queue; a thread that merely slept would stall their mouse input.
void WaitDispatchingMessages(DWORD periodMs) noexcept {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // The pause hot key arrives as a message of this thread, which has no window.
      if (message.message == WM_HOTKEY && message.hwnd == nullptr && message.wParam == kPauseHotKeyId) {
        TogglePause(Runner.Library);
        continue;
      }
      DispatchMessageW(&message);
    }
    const DWORD elapsed = GetTickCount() - start;  // unsigned: right across the tick wrap
    if (elapsed >= periodMs) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, periodMs - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

// Loads the library from the program's folder, binds the 13 exports and installs the hook
// without filtering this process. False when any step fails or the hook was already installed:
// silently when this copy's filter already runs in this session (the panel's, or an earlier
// Quillrun's), with a box when another user's or another copy's holds it, as then this session
// has no filter of this copy at all.
bool LoadAndInstallHook() {
  // A library that lacks an export stays loaded; the process ends soon anyway.
  if (!LoadHookLibrary(Runner.Library)) return false;
  const FilterStart start = StartOwnFilter(Runner.Library, 0);
  if (start == FilterStart::HeldByOtherUser || start == FilterStart::HeldByOtherCopy) {
    wchar_t appName[kLongTextCapacity];
    wchar_t text[kLongTextCapacity];
    GetLangText(appName, L"TEXT_APPNAME", kLongTextCapacity);
    GetLangText(text, FilterStartTextKey(start), kLongTextCapacity);
    MessageBoxW(nullptr, text, appName, MB_OK | MB_ICONWARNING);
  }
  return start == FilterStart::Installed;
}

}  // namespace

int RunHeadless() {
  if (!LoadAndInstallHook()) return 0;

  const HookLibrary& library = Runner.Library;
  const Settings& options = Runner.Options;
  ApplySettingsToLibrary(library, options);
  // InstallHook has just turned the shared log state off; this is what turns logging on.
  StartInstalledHook(library, options, options.LogToFile);

  LogWriter.SizeBound = options.LogFileMaxSize;
  LogWriter.Library = &Runner.Library;
  LogWriter.LogToFile = options.LogToFile;

  // Only its own hook is Quillrun's to supervise. Removed and installed anew by another program
  // between two polls, the hook reads as installed all along, but this process drains nothing
  // any more: the new installer's program keeps the log.
  // The panel may hold the pause hot key (the platform gives it to one owner): asked again each
  // period, so it passes here once the panel has ended.
  bool hotKeyHeld = false;
  while (library.QueryHookState() != 0 && library.IsSelf() != 0) {
    if (!hotKeyHeld && options.PauseHotKey != 0) hotKeyHeld = RegisterPauseHotKey(nullptr, options.PauseHotKey);
    PollLogWriter();
    WaitDispatchingMessages(kSupervisePeriodMs);
  }
  // Installed anew by another program: its guard settings and pending releases are its own.
  if (library.QueryHookState() != 0) {
    LeaveReleaseDelivery();
  } else {
    StopReleaseDelivery();
  }
  ReleaseFilterClaim();
  // A writer in the middle of a pass holds records it has already taken out of the cache; they
  // exist nowhere else, so it gets a moment to write them before the process ends.
  StopLogWriter(kWriterFinishMs);
  // Neither UninstallHook nor FreeLibrary: the hook is already gone, and the process's end
  // releases the library.
  return kExitAfterSupervising;
}
