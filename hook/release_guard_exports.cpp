// The release guard's platform side: its shared section, the deliverer's exports (run on the
// installing program's delivery thread) and the hook's wake-up of that thread.
#include "latchkin_api.h"
#include "core/mouse_decision.h"
#include "library_state.h"

// A second shared section beside shared_d, so the fixed record keeps its layout and size.
GuardSharedData GuardData __attribute__((section("shared_g"), shared)) = InitialGuardSharedData();

namespace {

bool Swapped() noexcept { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }
// Messages of a logical button come from the physical one on the other side while the buttons
// are swapped; the physical state and injected input both name physical buttons.
bool PhysicalRight(bool logicalRight) noexcept { return PhysicalButton(logicalRight ? kButtonRight : kButtonLeft, Swapped()) == kButtonRight; }

// The middle and side buttons by ButtonIndex - kButtonMiddle: the key of their physical state,
// and the input that releases them (a side button's names the button in mouseData). Swapped
// buttons never move them.
struct ExtraButtonInput {
  std::uint8_t VirtualKey;
  std::uint8_t XButton;
  std::uint16_t UpFlags;
};
constexpr ExtraButtonInput kExtraButtonInputs[kButtonCount - kButtonMiddle] = {
    {VK_MBUTTON, 0, MOUSEEVENTF_MIDDLEUP},
    {VK_XBUTTON1, XBUTTON1, MOUSEEVENTF_XUP},
    {VK_XBUTTON2, XBUTTON2, MOUSEEVENTF_XUP},
};

INPUT MouseInput(DWORD flags, std::int32_t wheelDelta, ULONG_PTR extraInfo) noexcept {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = static_cast<DWORD>(wheelDelta);
  input.mi.dwExtraInfo = extraInfo;
  return input;
}

DWORD ButtonFlags(bool logicalRight, bool down) noexcept {
  if (PhysicalRight(logicalRight)) return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
}

// A logical button's release, marked as the guard's own.
INPUT ReleaseInput(std::uint8_t button) noexcept {
  if (button < kButtonMiddle) return MouseInput(ButtonFlags(button == kButtonRight, false), 0, kInjectedReleaseMark);
  const ExtraButtonInput& extra = kExtraButtonInputs[button - kButtonMiddle];
  return MouseInput(extra.UpFlags, extra.XButton, kInjectedReleaseMark);
}

// The input that makes the system send the message again; 0 flags for one it cannot.
DWORD ReplayFlags(std::uint32_t message) noexcept {
  switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: return ButtonFlags(false, true);
    case WM_LBUTTONUP: return ButtonFlags(false, false);
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: return ButtonFlags(true, true);
    case WM_RBUTTONUP: return ButtonFlags(true, false);
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: return MOUSEEVENTF_MIDDLEDOWN;
    case WM_MBUTTONUP: return MOUSEEVENTF_MIDDLEUP;
    case WM_MOUSEWHEEL: return MOUSEEVENTF_WHEEL;
    case WM_XBUTTONDOWN: case WM_XBUTTONDBLCLK: return MOUSEEVENTF_XDOWN;
    case WM_XBUTTONUP: return MOUSEEVENTF_XUP;
    default: return 0;
  }
}

struct PlatformDeliverer {
  std::uint32_t Tick() const noexcept { return static_cast<std::uint32_t>(GetTickCount()); }
  bool PhysicallyDown(std::uint8_t button) const noexcept { return ::PhysicallyDown(button); }
  void Inject(std::uint8_t button) const noexcept {
    INPUT release = ReleaseInput(button);
    SendInput(1, &release, sizeof(INPUT));
  }
};

}  // namespace

int PhysicalButtonKey(std::uint8_t button) noexcept {
  const std::uint8_t physical = PhysicalButton(button, Swapped());
  if (physical >= kButtonMiddle) return kExtraButtonInputs[physical - kButtonMiddle].VirtualKey;
  return physical == kButtonRight ? VK_RBUTTON : VK_LBUTTON;
}

// One SendInput call, so nothing of the user's can come between the release and the message.
bool SendReleaseThenInput(std::uint8_t button, std::uint32_t message, std::uint16_t wheelOrButton) noexcept {
  INPUT inputs[2] = {ReleaseInput(button), {}};
  const DWORD flags = ReplayFlags(message);
  if (flags == 0) return false;
  // The wheel's delta, or which side button.
  const std::int32_t value = flags == MOUSEEVENTF_WHEEL ? static_cast<std::int16_t>(wheelOrButton)
                             : flags == MOUSEEVENTF_XDOWN || flags == MOUSEEVENTF_XUP ? wheelOrButton
                                                                                    : 0;
  inputs[1] = MouseInput(flags, value, kReplayedInputMark);
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool PhysicallyDown(std::uint8_t button) noexcept { return GetAsyncKeyState(PhysicalButtonKey(button)) < 0; }

void WakeReleaseDeliverer() noexcept {
  // Opened per wake-up and closed at once: the library keeps no handle in any process.
  wchar_t name[kReleaseGuardEventNameCapacity];
  FormatReleaseGuardEventName(name, SharedLoad(SharedData.InstallerProcessId));
  if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
    SetEvent(event);
    CloseHandle(event);
  }
}

// The guard is the installing program's: only it delivers what the guard leaves pending. Another
// program (the panel while Quillrun filters, or the other way round) neither switches it on, so
// that nothing would wait for a deliverer that is not there, nor off under its owner.
void WINAPI SetReleaseGuard(std::uint8_t releaseGuard, std::uint8_t dragHold, std::uint32_t dragHoldTime) noexcept {
  const std::uint8_t holder = ThisHookHolder();
  if (holder == kHookHolderThisProcess || holder == kHookHolderNone)
    SetGuardSettings(GuardData, releaseGuard, dragHold, dragHoldTime);
}

void ResetReleaseGuard() noexcept {
  SharedStore(GuardData.ReleaseGuard, std::uint8_t{0});
  SharedStore(GuardData.DragHold, std::uint8_t{0});
  for (std::uint8_t button = 0; button < kButtonCount; ++button)
    SharedStore(PendingReleaseOf(GuardData, button).State, kPendingNone);
  // A replay slot an older library may have left.
  for (std::uint8_t& reserved : GuardData.Reserved16) SharedStore(reserved, std::uint8_t{0});
}

// Like the guard's settings: the installing program's alone.
void WINAPI SetPressConfirm(std::uint8_t pressConfirm, std::uint32_t pressConfirmTime) noexcept {
  const std::uint8_t holder = ThisHookHolder();
  if (holder == kHookHolderThisProcess || holder == kHookHolderNone)
    SetPressConfirmSettings(GuardData, pressConfirm, pressConfirmTime);
}

std::uint32_t WINAPI DeliverPendingReleases(std::uint8_t everyNow) noexcept {
  PlatformDeliverer deliverer;
  return ServePendingReleases(SharedData, GuardData, everyNow != 0, deliverer);
}

void WINAPI ReturnLateReleaseCount(std::uint32_t* delivered, std::uint32_t* dropped) noexcept {
  if (delivered != nullptr) *delivered = SharedLoad(GuardData.LateReleases);
  if (dropped != nullptr) *dropped = SharedLoad(GuardData.DroppedReleases);
}

bool AnyReleasePending() noexcept { return AnyPendingRelease(GuardData); }
