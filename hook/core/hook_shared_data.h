// The cross-process record of the hook library, byte for byte as every process that maps the
// library sees it, and the whole-value accessors every reader and writer of it goes through.
#pragma once
#include <cstddef>
#include <cstdint>

#include "latchkin_contract.h"

// Plain fixed-width fields only: x86 and x64 processes map the same bytes, so nothing here may
// change size with the pointer width (the hook handle is kept as its 32 significant bits).
struct HookSharedData {
  std::uint32_t InstallerProcessId;
  std::uint8_t HookInstalled;
  std::uint8_t FilterOwnProcess;
  std::uint8_t LogState;
  std::uint8_t Alignment7;
  std::uint32_t HookHandle;
  std::uint8_t HookType;
  std::uint8_t Alignment13[3];
  std::uint32_t LastLButtonDown;
  std::uint32_t LastLButtonUp;
  std::uint32_t LastLButtonDblClk;
  std::uint32_t LastWheel;
  std::uint8_t LastWheelForward;
  std::uint8_t Alignment33[3];
  std::uint32_t LastRButtonDown;
  std::uint32_t LastRButtonUp;
  std::uint32_t LastRButtonDblClk;
  std::uint32_t BlockedUpDown;
  std::uint32_t BlockedDbClick;
  std::uint32_t BlockedRotReverse;
  std::uint32_t UpDownIntervalTime;
  std::uint32_t DbClickIntervalTime;
  std::uint32_t RotReverseIntervalTime;
  std::uint16_t CacheLength;
  std::uint8_t Alignment74[6];
  std::uint8_t CacheBuffer[kBlockLogCacheSize];
};

static_assert(sizeof(HookSharedData) == 10320, "the shared section holds exactly one 10320-byte record");
static_assert(offsetof(HookSharedData, InstallerProcessId) == 0);
static_assert(offsetof(HookSharedData, HookInstalled) == 4);
static_assert(offsetof(HookSharedData, FilterOwnProcess) == 5);
static_assert(offsetof(HookSharedData, LogState) == 6);
static_assert(offsetof(HookSharedData, HookHandle) == 8);
static_assert(offsetof(HookSharedData, HookType) == 12);
static_assert(offsetof(HookSharedData, LastLButtonDown) == 16);
static_assert(offsetof(HookSharedData, LastLButtonUp) == 20);
static_assert(offsetof(HookSharedData, LastLButtonDblClk) == 24);
static_assert(offsetof(HookSharedData, LastWheel) == 28);
static_assert(offsetof(HookSharedData, LastWheelForward) == 32);
static_assert(offsetof(HookSharedData, LastRButtonDown) == 36);
static_assert(offsetof(HookSharedData, LastRButtonUp) == 40);
static_assert(offsetof(HookSharedData, LastRButtonDblClk) == 44);
static_assert(offsetof(HookSharedData, BlockedUpDown) == 48);
static_assert(offsetof(HookSharedData, BlockedDbClick) == 52);
static_assert(offsetof(HookSharedData, BlockedRotReverse) == 56);
static_assert(offsetof(HookSharedData, UpDownIntervalTime) == 60);
static_assert(offsetof(HookSharedData, DbClickIntervalTime) == 64);
static_assert(offsetof(HookSharedData, RotReverseIntervalTime) == 68);
static_assert(offsetof(HookSharedData, CacheLength) == 72);
static_assert(offsetof(HookSharedData, CacheBuffer) == 80);

// The contents of the record when the first process maps the library.
constexpr HookSharedData InitialHookSharedData() noexcept {
  HookSharedData data{};
  data.LastWheelForward = 1;
  data.UpDownIntervalTime = kDefaultUpDownIntervalTime;
  data.DbClickIntervalTime = kDefaultDbClickIntervalTime;
  data.RotReverseIntervalTime = kDefaultRotReverseIntervalTime;
  return data;
}

// Other processes change these fields at any moment: each access is one whole load or store
// that the compiler may neither cache across a decision nor split.
template <typename T>
inline T SharedLoad(const T& field) noexcept {
  return __atomic_load_n(&field, __ATOMIC_RELAXED);
}

template <typename T>
inline void SharedStore(T& field, T value) noexcept {
  __atomic_store_n(&field, value, __ATOMIC_RELAXED);
}

// Two processes may swallow at the same moment; a locked add keeps both counts.
inline void SharedIncrement(std::uint32_t& counter) noexcept {
  __atomic_fetch_add(&counter, 1u, __ATOMIC_RELAXED);
}

// Stores desired only if the field still holds expected; true when it did.
template <typename T>
inline bool SharedCompareExchange(T& field, T expected, T desired) noexcept {
  return __atomic_compare_exchange_n(&field, &expected, desired, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}
