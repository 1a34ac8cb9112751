// The settings both programs read from "Quillon.cfg", with their initial values: what a
// setting keeps when its stored text is rejected. Plain values only; the reading rules live in
// settings_rules.h.
#pragma once
#include <cstdint>

#include "latchkin_contract.h"

struct Settings {
  std::uint8_t HookTypeBits = 0;  // source bits (latchkin_contract.h), the library's HookType
  std::uint32_t UpDownIntervalTime = kDefaultUpDownIntervalTime;
  std::uint32_t DbClickIntervalTime = kDefaultDbClickIntervalTime;
  std::uint32_t RotReverseIntervalTime = kDefaultRotReverseIntervalTime;
  bool AutoTips = false;
  bool AutoHook = false;
  bool LogToFile = false;
  bool WindowShown = true;          // false when Minimized is 1
  bool SelfHookEnabled = false;     // true when DisableSelfHook is 0
  bool UseWhiteBackground = true;
  std::uint32_t AutoTipsIntervalTime = 3000;
  std::uint32_t RefreshIntervalTime = 500;
  bool AutoClearCountLog = true;
  bool ShowHookResultForce = false;
  std::uint32_t LogFileMaxSize = 1024;  // units of 1024 bytes
  // The filter's release guard and drag hold (the installing program delivers late releases).
  bool ReleaseGuard = true;             // false when ReleaseGuard is 0
  bool DragHold = false;
  std::uint32_t DragHoldTime = kDefaultDragHoldTime;  // ms, kMinDragHoldTime to kMaxDragHoldTime
};
