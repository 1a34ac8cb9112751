// PanelState: everything the control panel knows, owned by its UI thread. The log writer's
// flags (LogToFile, LogWriterThread) live in LogWriter, the one record the writer thread shares.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>

#include "core/settings.h"
#include "hook_library.h"
#include "interval_rows.h"
#include "resource.h"
#include "unique_handle.h"

// Outside the library's accepted range, so the first refresh always writes a label.
inline constexpr std::uint32_t kNeverShown = kMaxIntervalTime + 1;

// The 21 controls of the main dialog, in template order.
inline constexpr int kControlIds[] = {
    IDC_HOOKTYPE_GROUP, IDC_LBUTTON,        IDC_RBUTTON,          IDC_WHEEL,          IDC_PARAM_GROUP,
    IDC_UPDOWN_LABEL,   IDC_UPDOWN_EDIT,    IDC_UPDOWN_SET,       IDC_DBCLICK_LABEL,  IDC_DBCLICK_EDIT,
    IDC_DBCLICK_SET,    IDC_ROTREVERSE_LABEL, IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_SET, IDC_MISC_GROUP,
    IDC_AUTOTIPS,       IDC_AUTOHOOK,       IDC_LOGTOFILE,        IDC_INFO,           IDC_ACTION,
    IDC_EXIT};
inline constexpr int kControlCount = sizeof kControlIds / sizeof kControlIds[0];

struct PanelState {
  bool LibraryReady = false;   // Latchkin.dll loaded and all 13 exports bound
  bool HookActive = false;     // last QueryHookState the panel saw
  // Settings as read at start-up; HookTypeBits and the intervals are afterwards the library's
  // read-back values, and WindowShown follows the dialog (false while in the notification area).
  // LogToFile and LogFileMaxSize are handed to LogWriter at start-up and live there.
  Settings Options;
  std::uint32_t LastShownIntervals[kIntervalCount] = {kNeverShown, kNeverShown, kNeverShown};
  std::atomic<bool> AboutOpen{false};   // written by the about thread and the UI thread

  HINSTANCE Instance = nullptr;
  HWND Dialog = nullptr;
  HWND Controls[kControlCount] = {};
  WNDPROC SavedEditProcs[kIntervalCount] = {};  // the interval edits, by row
  HookLibrary Library;
  NOTIFYICONDATAW TrayIconData = {};
  UINT TaskbarCreatedMessage = 0;       // registered "TaskbarCreated": the shell restarted
  UniqueGdiObject WhiteBrush;           // created on first use, released with the dialog
  bool PauseHotKeyTaken = false;        // PauseHotKey is set but another program holds the key
};
extern PanelState Panel;

// A control of the main dialog by id; null before set-up or for an id not in the template.
HWND Control(int id) noexcept;
