// The pause hot key as stored (the hot-key control's value: virtual key in the low byte, its
// HOTKEYF_ modifiers in the next) and as registered (the platform's MOD_ flags).
#pragma once
#include <cstdint>

inline constexpr std::uint32_t kHotKeyShift = 0x01;    // HOTKEYF_SHIFT
inline constexpr std::uint32_t kHotKeyControl = 0x02;  // HOTKEYF_CONTROL
inline constexpr std::uint32_t kHotKeyAlt = 0x04;      // HOTKEYF_ALT
inline constexpr std::uint32_t kModAlt = 0x0001;
inline constexpr std::uint32_t kModControl = 0x0002;
inline constexpr std::uint32_t kModShift = 0x0004;
inline constexpr std::uint32_t kModNoRepeat = 0x4000;  // a held key toggles once

constexpr std::uint32_t PauseHotKeyVirtualKey(std::uint32_t stored) noexcept { return stored & 0xFF; }

// Held down, the key would pause and resume in turn; MOD_NOREPEAT makes it one toggle per press
// (ignored before Windows 7).
constexpr std::uint32_t PauseHotKeyModifiers(std::uint32_t stored) noexcept {
  const std::uint32_t flags = (stored >> 8) & 0xFF;
  return ((flags & kHotKeyShift) ? kModShift : 0) | ((flags & kHotKeyControl) ? kModControl : 0) |
         ((flags & kHotKeyAlt) ? kModAlt : 0) | kModNoRepeat;
}
