// Raw input of the mouse (see raw_mouse_input.h).
#include "raw_mouse_input.h"

#include "mouse_decision.h"

namespace {

constexpr USHORT kGenericDesktopPage = 0x01;
constexpr USHORT kMouseUsage = 0x02;

}  // namespace

bool RegisterRawMouse(HWND window) {
  // Windows: RIDEV_INPUTSINK delivers the input while another program has the foreground, so
  // the check also sees what happens in the program where the trouble shows.
  RAWINPUTDEVICE device = {kGenericDesktopPage, kMouseUsage, RIDEV_INPUTSINK, window};
  return RegisterRawInputDevices(&device, 1, sizeof device) != FALSE;
}

void UnregisterRawMouse() {
  RAWINPUTDEVICE device = {kGenericDesktopPage, kMouseUsage, RIDEV_REMOVE, nullptr};
  RegisterRawInputDevices(&device, 1, sizeof device);
}

std::size_t ReadRawMouse(HRAWINPUT input, std::uint32_t tick, MouseTransition (&out)[kMaxTransitionsPerReport]) {
  RAWINPUT report = {};
  UINT size = sizeof report;
  if (GetRawInputData(input, RID_INPUT, &report, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1)) return 0;
  if (report.header.dwType != RIM_TYPEMOUSE) return 0;
  const RAWMOUSE& mouse = report.data.mouse;
  // The filter's own late delivery of a release it held back, and its replay of a message it
  // held back to keep order, are no transitions of the mouse: each was recorded when it happened.
  const std::uint32_t mark = static_cast<std::uint32_t>(mouse.ulExtraInformation);
  if (mark == kInjectedReleaseMark || mark == kReplayedInputMark) return 0;
  return TransitionsFromRawReport(mouse.usButtonFlags, static_cast<std::int16_t>(mouse.usButtonData), tick, out);
}
