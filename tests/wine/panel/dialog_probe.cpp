// The dialog half of the probe library (see dialog_probe.h); it runs inside the panel's process.
#include "dialog_probe.h"

namespace {

template <typename Fn>
Fn User32Function(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The badge of the dialog's small icon, drawn on black.
int SmallIconBadge(HWND dialog) {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
  if (!icon) return kNoBadge;
  constexpr int kSize = 32;
  BITMAPINFOHEADER info = {sizeof info, kSize, kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
  GdiFlush();
  for (int i = 3; i < kSize * kSize * 4; i += 4) static_cast<BYTE*>(bits)[i] = 0xFF;
  const int badge = BadgeOf(static_cast<const BYTE*>(bits), kSize, kSize);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return badge;
}

int IconWidth(HWND dialog, WPARAM which) {
  HICON icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, which, 0));
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

SIZE TextExtent(HWND control) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(control, text, 256);
  SIZE extent = {};
  if (length <= 0) return extent;
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32W(dc, text, length, &extent);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return extent;
}

struct Walk {
  HWND dialog;
  DialogProbeResult* result;
};

BOOL CALLBACK ReadControl(HWND control, LPARAM parameter) {
  auto& walk = *reinterpret_cast<Walk*>(parameter);
  DialogProbeResult& result = *walk.result;
  if (GetParent(control) != walk.dialog || result.count >= kDialogProbeMaxControls) return TRUE;
  DialogProbeControl& entry = result.controls[result.count++];
  entry.id = GetDlgCtrlID(control);
  GetWindowRect(control, &entry.rect);
  MapWindowPoints(nullptr, walk.dialog, reinterpret_cast<POINT*>(&entry.rect), 2);
  entry.textExtent = TextExtent(control);
  return TRUE;
}

}  // namespace

void AnswerDialogProbe(HWND dialog) {
  HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kDialogProbeMapping);
  if (!mapping) return;
  auto* result = static_cast<DialogProbeResult*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  if (result) {
    if (result->announceDpi != 0) {
      SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(result->announceDpi, result->announceDpi),
                   reinterpret_cast<LPARAM>(&result->suggested));
    }
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using GetWindowContextFn = HANDLE(WINAPI*)(HWND);
    using GetAwarenessFn = int(WINAPI*)(HANDLE);
    using MetricForDpiFn = int(WINAPI*)(int, UINT);
    const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    const auto getContext = User32Function<GetWindowContextFn>("GetWindowDpiAwarenessContext");
    const auto getAwareness = User32Function<GetAwarenessFn>("GetAwarenessFromDpiAwarenessContext");
    const auto metricForDpi = User32Function<MetricForDpiFn>("GetSystemMetricsForDpi");
    result->dpi = getDpi ? getDpi(dialog) : 0;
    result->awareness = (getContext && getAwareness) ? getAwareness(getContext(dialog)) : -1;
    result->smallIcon = IconWidth(dialog, ICON_SMALL);
    result->bigIcon = IconWidth(dialog, ICON_BIG);
    result->smallIconBadge = SmallIconBadge(dialog);
    result->checkBoxWidth =
        metricForDpi && result->dpi ? metricForDpi(SM_CXMENUCHECK, result->dpi) : GetSystemMetrics(SM_CXMENUCHECK);
    GetClientRect(dialog, &result->client);
    result->count = 0;
    Walk walk{dialog, result};
    EnumChildWindows(dialog, ReadControl, reinterpret_cast<LPARAM>(&walk));
    InterlockedExchange(&result->answered, 1);
    UnmapViewOfFile(result);
  }
  CloseHandle(mapping);
}
