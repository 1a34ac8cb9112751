// The layout the dialog probe (in menu_probe.dll, loaded into the panel's process by a hook) uses
// to hand the main dialog's DPI, icons and controls to the test: measured in the panel's own
// process, with each control's own font, as the panel draws them.
#pragma once
#include <windows.h>

inline constexpr wchar_t kDialogProbeMapping[] = L"QuillonTestDialogProbe";
inline constexpr wchar_t kDialogProbeMessage[] = L"QuillonTestReadDialog";
inline constexpr int kDialogProbeMaxControls = 48;

struct DialogProbeControl {
  int id;
  RECT rect;          // in the dialog's client coordinates
  SIZE textExtent;    // of the control's text in its own font; 0 x 0 without text
};
struct DialogProbeResult {
  // Asked by the test: when not 0, the probe first sends the dialog WM_DPICHANGED for this DPI
  // and the suggested rectangle, from inside the panel's process as Windows does.
  UINT announceDpi;
  RECT suggested;
  LONG answered;      // set last, once the rest is written
  UINT dpi;           // GetDpiForWindow of the dialog; 0 where the system lacks it
  int awareness;      // DPI_AWARENESS of the dialog (2: per monitor); -1 where unknown
  int smallIcon;      // pixel width of the dialog's small and big icons; 0 without one
  int bigIcon;
  int smallIconBadge; // BadgeOf the small icon
  int checkBoxWidth;  // SM_CXMENUCHECK at the dialog's DPI
  RECT client;
  int count;
  DialogProbeControl controls[kDialogProbeMaxControls];
};

// The badge of a panel icon drawn in the lower right quarter of 32-bpp pixels (blue, green, red,
// alpha; bottom-up rows of width pixels).
enum Badge { kNoBadge, kGreenBadge, kGreyBadge, kAmberBadge };
inline int BadgeOf(const BYTE* pixels, int width, int height) {
  int counts[4] = {};
  for (int y = 0; y < height / 2; ++y) {
    for (int x = width / 2; x < width; ++x) {
      const BYTE* p = pixels + (y * width + x) * 4;
      const int b = p[0], g = p[1], r = p[2];
      if (p[3] < 200) continue;
      if (g > r + 40 && g > b + 20) ++counts[kGreenBadge];
      if (r - g < 20 && g - r < 20 && g - b < 20 && b - g < 20 && r > 100 && r < 190) ++counts[kGreyBadge];
      if (r > g + 40 && g > b + 20) ++counts[kAmberBadge];
    }
  }
  // A coloured badge wins over grey, which its white ring blended with the background also gives.
  const int enough = width * height / 64;
  if (counts[kGreenBadge] >= enough || counts[kAmberBadge] >= enough)
    return counts[kGreenBadge] > counts[kAmberBadge] ? kGreenBadge : kAmberBadge;
  return counts[kGreyBadge] >= enough ? kGreyBadge : kNoBadge;
}

// Inside the probe library: answers the probe message sent to a dialog.
void AnswerDialogProbe(HWND dialog);
