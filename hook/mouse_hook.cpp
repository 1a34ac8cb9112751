// The hook procedure the platform calls for every mouse message of every hooked thread.
#include "core/mouse_filter.h"
#include "library_state.h"

// Guard, read the few values needed, decide in the core, act, chain. The message's structure
// is read only for a wheel message that will be judged.
LRESULT CALLBACK MousePreProc(int code, WPARAM message, LPARAM data) noexcept {
  std::int16_t wheelDelta = 0;
  if (message == WM_MOUSEWHEEL && code == HC_ACTION && data != 0)
    wheelDelta = static_cast<std::int16_t>(HIWORD(reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(data)->mouseData));
  const std::uint16_t eventCode =
      FilterMouseMessage(SharedData, code, static_cast<std::uint32_t>(message), wheelDelta, CurrentProcessId,
                         [] { return static_cast<std::uint32_t>(GetTickCount()); });
  if (eventCode != kPass) {
    AppendToBlockLog(eventCode);
    return 1;
  }
  return CallNextHookEx(HookHandleFromBits(SharedLoad(SharedData.HookHandle)), code, message, data);
}
