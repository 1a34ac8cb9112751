// The panel's icons loaded once per look and pixel size (see panel_icons.h).
#include "panel_icons.h"

#include "display_dpi.h"
#include "panel_state.h"
#include "pause_hot_key.h"
#include "resource.h"

namespace {

// Sizes seen in one session: two per DPI of the monitors the dialog visits, and the system's,
// for each of the three looks.
constexpr int kCachedSizes = 36;
struct LoadedIcon {
  int iconId;
  int pixels;
  HICON icon;
};
LoadedIcon Loaded[kCachedSizes] = {};

// comctl32 6 (Windows Vista on) picks the nearest larger image and scales it down: a 28-pixel
// icon at 175 % comes from the 32-pixel drawing instead of a blurred 24.
HICON LoadAtSize(HINSTANCE instance, int pixels, int iconId = IDI_QUILLON) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const auto loadScaledDown = [] {
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    return controls ? reinterpret_cast<LoadIconWithScaleDownFn>(
                          reinterpret_cast<void*>(GetProcAddress(controls, "LoadIconWithScaleDown")))
                    : nullptr;
  }();
  HICON icon = nullptr;
  if (loadScaledDown && SUCCEEDED(loadScaledDown(instance, MAKEINTRESOURCEW(iconId), pixels, pixels, &icon))) {
    return icon;
  }
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, pixels, pixels, 0));
}

// Not LR_SHARED: the shared cache may hand back whichever size was loaded first. Each size is
// loaded once and kept for the life of the process, like a shared icon.
HICON IconOfSize(HINSTANCE instance, int pixels, int iconId = IDI_QUILLON) {
  for (LoadedIcon& slot : Loaded) {
    if (slot.icon && slot.pixels == pixels && slot.iconId == iconId) return slot.icon;
  }
  HICON icon = LoadAtSize(instance, pixels, iconId);
  if (!icon) return nullptr;
  for (LoadedIcon& slot : Loaded) {
    if (!slot.icon) {
      slot = {iconId, pixels, icon};
      return icon;
    }
  }
  // A full table (monitors of many DPIs): an old window size goes, never the notification
  // icon's, whose handle the record keeps for every later add. The window that showed the old
  // size is being given its new icons.
  const int kept[] = {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON)};
  for (LoadedIcon& slot : Loaded) {
    if (slot.pixels == kept[0] || slot.pixels == kept[1]) continue;
    DestroyIcon(slot.icon);
    slot = {iconId, pixels, icon};
    return icon;
  }
  return icon;
}

int IconIdOf(FilterLook look) {
  switch (look) {
    case FilterLook::Off: return IDI_QUILLON_OFF;
    case FilterLook::Paused: return IDI_QUILLON_PAUSED;
    default: return IDI_QUILLON;
  }
}

}  // namespace

FilterLook CurrentFilterLook() {
  if (!Panel.LibraryReady || !Panel.HookActive) return FilterLook::Off;
  return FilterPaused(Panel.Library) ? FilterLook::Paused : FilterLook::On;
}

HICON PanelIcon(HINSTANCE instance, bool large) {
  return IconOfSize(instance, GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON));
}

HICON PanelIconForDpi(HINSTANCE instance, bool large, UINT dpi, FilterLook look) {
  return IconOfSize(instance, MetricForDpi(large ? SM_CXICON : SM_CXSMICON, dpi), IconIdOf(look));
}

void SetPanelWindowIcons(HINSTANCE instance, HWND window, UINT dpi, FilterLook look) {
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(PanelIconForDpi(instance, false, dpi, look)));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(PanelIconForDpi(instance, true, dpi, look)));
}

HICON TrayStateIcon(HINSTANCE instance, FilterLook look) {
  // The notification area draws at the system DPI, which stays for the process's life.
  return IconOfSize(instance, GetSystemMetrics(SM_CXSMICON), IconIdOf(look));
}

INT_PTR OnDpiChanged(HINSTANCE instance, HWND window, WPARAM wParam, LPARAM lParam, FilterLook look) {
  SetPanelWindowIcons(instance, window, HIWORD(wParam), look);
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return FALSE;
}
