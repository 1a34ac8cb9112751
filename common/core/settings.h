// The settings both programs read from "Quillon.cfg", with their initial values: what a
// setting keeps when its stored text is rejected. Plain values only; the reading rules live in
// settings_rules.h.
#pragma once
#include <cstdint>

inline constexpr std::uint8_t kHookLeftButton = 0x01;
inline constexpr std::uint8_t kHookWheel = 0x02;
inline constexpr std::uint8_t kHookRightButton = 0x04;

struct Settings {
  std::uint8_t HookTypeBits = 0;
  std::uint32_t UpDownIntervalTime = 40;
  std::uint32_t DbClickIntervalTime = 170;
  std::uint32_t RotReverseIntervalTime = 40;
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
};
