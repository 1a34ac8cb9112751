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
  // A press the rules would swallow is confirmed by the physical button before it is dropped.
  bool PressConfirm = true;             // false when PressConfirm is 0
  std::uint32_t PressConfirmTime = kDefaultPressConfirmTime;  // ms, kMinPressConfirmTime to kMaxPressConfirmTime
  // Each button's own intervals in ms, kSharedButtonInterval (0) for the shared one.
  std::uint32_t LButtonUpDownIntervalTime = kSharedButtonInterval;
  std::uint32_t LButtonDbClickIntervalTime = kSharedButtonInterval;
  std::uint32_t RButtonUpDownIntervalTime = kSharedButtonInterval;
  std::uint32_t RButtonDbClickIntervalTime = kSharedButtonInterval;
  std::uint32_t MButtonUpDownIntervalTime = kSharedButtonInterval;
  std::uint32_t MButtonDbClickIntervalTime = kSharedButtonInterval;
  std::uint32_t XButton1UpDownIntervalTime = kSharedButtonInterval;
  std::uint32_t XButton1DbClickIntervalTime = kSharedButtonInterval;
  std::uint32_t XButton2UpDownIntervalTime = kSharedButtonInterval;
  std::uint32_t XButton2DbClickIntervalTime = kSharedButtonInterval;
  // The pause hot key as the hot-key control gives it: virtual key in the low byte, HOTKEYF_
  // modifiers in the next; 0 for none.
  std::uint32_t PauseHotKey = 0;
};

// Each button's own intervals, by ButtonIndex: the programs push them to the library and the
// Options window edits them from this one table.
struct ButtonIntervalSettings {
  std::uint32_t Settings::*UpDown;
  std::uint32_t Settings::*DbClick;
};
inline constexpr ButtonIntervalSettings kButtonIntervalSettings[kButtonCount] = {
    {&Settings::LButtonUpDownIntervalTime, &Settings::LButtonDbClickIntervalTime},
    {&Settings::RButtonUpDownIntervalTime, &Settings::RButtonDbClickIntervalTime},
    {&Settings::MButtonUpDownIntervalTime, &Settings::MButtonDbClickIntervalTime},
    {&Settings::XButton1UpDownIntervalTime, &Settings::XButton1DbClickIntervalTime},
    {&Settings::XButton2UpDownIntervalTime, &Settings::XButton2DbClickIntervalTime},
};

// The pause hot key's stored value: 0 (none) or a key with its modifiers, at most 0x0FFF.
inline constexpr std::uint32_t kMaxPauseHotKey = 0x0FFF;
