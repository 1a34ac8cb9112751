// menu_probe.dll: a WH_CALLWNDPROC hook procedure that the panel tests install on the panel's
// UI thread. When the test sends the registered probe message to an open popup menu window,
// the hook reads that menu from inside the panel's process and writes its items to a named
// mapping; the dialog probe message does the same for the main dialog (dialog_probe.cpp). Wine: menus are per-process objects there, so GetMenuItemCount and its kin fail on
// another process's menu handle (Windows allows it); reading in-process works on both.
#include <windows.h>

#include "dialog_probe.h"
#include "menu_probe.h"

namespace {

void ReadMenuInto(HWND menuWindow, MenuProbeResult& result) {
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  const int count = menu ? GetMenuItemCount(menu) : -1;
  result.count = count;
  for (int i = 0; i < count && i < kMenuProbeMaxItems; ++i) {
    MenuProbeItem& item = result.items[i];
    item.state = GetMenuState(menu, i, MF_BYPOSITION);
    item.id = (item.state & MF_SEPARATOR) ? 0 : GetMenuItemID(menu, i);
    GetMenuStringW(menu, i, item.text, 64, MF_BYPOSITION);
  }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageW(kMenuProbeMessage);
  static const UINT dialogProbeMessage = RegisterWindowMessageW(kDialogProbeMessage);
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == dialogProbeMessage) AnswerDialogProbe(call->hwnd);
    if (call->message == probeMessage) {
      HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kMenuProbeMapping);
      if (mapping) {
        if (auto* result = static_cast<MenuProbeResult*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))) {
          ReadMenuInto(call->hwnd, *result);
          InterlockedExchange(&result->answered, 1);
          UnmapViewOfFile(result);
        }
        CloseHandle(mapping);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
