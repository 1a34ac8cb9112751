// mouse_target.exe: a topmost window that records every button and wheel message it receives
// into a record the test owns.  Usage: mouse_target.exe MAPPING LEFT TOP SIZE PARENT_PID
// With "/exit CODE DELAY_MS" it only waits and ends with CODE: a plain child for process tests.
#include "mouse_target_protocol.h"

#include <shellapi.h>

#include <cstdlib>

namespace {

constexpr wchar_t kClassName[] = L"QuillonMouseTarget";

mouse_target::Record* g_record = nullptr;

void Append(UINT message, int wheelDelta) {
  mouse_target::Record& record = *g_record;
  const LONG count = record.count;
  if (static_cast<uint32_t>(count) >= record.capacity) {
    record.dropped = record.dropped + 1;
    return;
  }
  record.entries[count].message = message;
  record.entries[count].wheelDelta = wheelDelta;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  record.entries[count].receivedAt = now.QuadPart;
  // The full barrier publishes the entry before the count that makes it visible.
  InterlockedExchange(&record.count, count + 1);
}

LRESULT OnQueryPendingInput() {
  // The high word lists what is queued now (buttons and wheel are QS_MOUSEBUTTON). Sent
  // messages are handled before input, so anything still queued has not been retrieved yet.
  const DWORD status = GetQueueStatus(QS_MOUSE);
  return (HIWORD(status) & QS_MOUSE) != 0 ? 1 : 0;
}

void OnActivate(HWND window) {
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  SetFocus(window);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      Append(message, 0);
      return 0;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
    case WM_XBUTTONDBLCLK:
      Append(message, GET_XBUTTON_WPARAM(wParam));
      return TRUE;
    case WM_MOUSEWHEEL:
      Append(message, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_CONTEXTMENU:
      return 0;  // a right click must not open anything that would take the input away
    case mouse_target::kQueryPendingInput:
      return OnQueryPendingInput();
    case mouse_target::kClearRecord:
      g_record->dropped = 0;
      InterlockedExchange(&g_record->count, 0);
      return 1;
    case mouse_target::kActivate:
      OnActivate(window);
      return 1;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Ends the target when the test process is gone, so a crashed test leaves no window behind.
DWORD WINAPI WatchParent(void* parameter) {
  HANDLE parent = parameter;
  WaitForSingleObject(parent, INFINITE);
  ExitProcess(3);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  if (argc == 4 && lstrcmpW(argv[1], L"/exit") == 0) {
    Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    return _wtoi(argv[2]);
  }
  if (argc != 6) return 2;
  const int left = _wtoi(argv[2]);
  const int top = _wtoi(argv[3]);
  const int size = _wtoi(argv[4]);
  const DWORD parentPid = static_cast<DWORD>(_wtoi(argv[5]));

  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, argv[1]);
  if (mapping == nullptr) return 4;
  g_record = static_cast<mouse_target::Record*>(
      MapViewOfFile(mapping, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(mouse_target::Record)));
  if (g_record == nullptr || g_record->magic != mouse_target::kMagic) return 4;

  if (HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentPid)) {
    CloseHandle(CreateThread(nullptr, 0, WatchParent, parent, 0, nullptr));
  }

  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass)) return 5;

  HWND window = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Quillon mouse target",
                                WS_POPUP | WS_BORDER, left, top, size, size, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return 5;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  OnActivate(window);
  InterlockedExchange64(&g_record->window, static_cast<LONG64>(reinterpret_cast<INT_PTR>(window)));

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
