// Waiting in the Wine tests: polling with this thread's messages pumped, and looking for the
// top-level windows of another process.
#include "wine_test_support.h"

#include <algorithm>

namespace {

void PumpPending() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

struct WindowSearch {
  DWORD pid;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.pid) return TRUE;
  if (search.className != nullptr) {
    wchar_t name[256] = {};
    if (GetClassNameW(window, name, 256) == 0 || lstrcmpiW(name, search.className) != 0) return TRUE;
  } else if (!IsWindowVisible(window)) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

}  // namespace

void PumpMessagesFor(DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    PumpPending();
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpPending();
    if (condition()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return condition();
    PumpMessagesFor(static_cast<DWORD>(std::min<ULONGLONG>(pollMs, deadline - now)));
  }
}

HWND FindTopWindowOfProcess(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
  WindowSearch search{pid, className, nullptr};
  WaitUntil(
      [&] {
        search.found = nullptr;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}
