// The layout the menu probe (menu_probe.dll, loaded into the panel's process by a hook) uses to
// hand the items of an open popup menu to the test.
#pragma once
#include <windows.h>

inline constexpr wchar_t kMenuProbeMapping[] = L"QuillonTestMenuProbe";
inline constexpr wchar_t kMenuProbeMessage[] = L"QuillonTestReadMenu";
inline constexpr int kMenuProbeMaxItems = 16;

struct MenuProbeItem {
  UINT id;          // 0 for a separator
  UINT state;       // GetMenuState by position
  wchar_t text[64];
};
struct MenuProbeResult {
  LONG answered;    // set last, once the items are written
  int count;        // GetMenuItemCount, -1 when the menu could not be read
  MenuProbeItem items[kMenuProbeMaxItems];
};
