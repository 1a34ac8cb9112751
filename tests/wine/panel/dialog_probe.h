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
  int checkBoxWidth;  // SM_CXMENUCHECK at the dialog's DPI
  RECT client;
  int count;
  DialogProbeControl controls[kDialogProbeMaxControls];
};

// Inside the probe library: answers the probe message sent to a dialog.
void AnswerDialogProbe(HWND dialog);
