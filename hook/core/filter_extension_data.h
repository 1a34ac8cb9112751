// The filter's extension state, kept in the guard's shared section beside the fixed 10320-byte
// record: the middle and side buttons' timestamps, each button's own intervals, the excluded
// programs' generation, and the pause. Byte for byte as every process that maps the library
// sees it. The excluded names themselves (ExcludedProgramNames, 4160 bytes, all zero at the
// start) sit in a shared section of their own that takes no room in the library's file.
#pragma once
#include <cstddef>
#include <cstdint>

#include "excluded_programs.h"
#include "latchkin_contract.h"

struct ExtraButtonTimes {
  std::uint32_t LastDown;
  std::uint32_t LastUp;
  std::uint32_t LastDblClk;
};

// Plain fixed-width fields only: x86 and x64 processes map the same bytes.
struct FilterExtensionData {
  // Even while the list and the pause are settled, odd while a program rewrites them. Every
  // change moves it on by two, and each process decides again when it sees a new even value.
  std::uint32_t ExclusionGeneration;
  std::uint8_t Paused;  // 1: every process passes its input unfiltered
  std::uint8_t Reserved5[3];
  // By ButtonIndex - kButtonMiddle: the middle, first and second side button (the left and
  // right buttons' stand in the fixed record).
  ExtraButtonTimes ExtraButtons[kButtonCount - kButtonMiddle];
  // Each button's intervals by ButtonIndex: as set (0 = the shared one), and in force (the
  // button's own, or the shared one at the moment either was set).
  std::uint32_t OwnUpDownIntervalTime[kButtonCount];
  std::uint32_t OwnDbClickIntervalTime[kButtonCount];
  std::uint32_t UpDownIntervalTime[kButtonCount];
  std::uint32_t DbClickIntervalTime[kButtonCount];
};

static_assert(offsetof(FilterExtensionData, ExclusionGeneration) == 0);
static_assert(offsetof(FilterExtensionData, Paused) == 4);
static_assert(offsetof(FilterExtensionData, ExtraButtons) == 8);
static_assert(sizeof(ExtraButtonTimes) == 12);  // the middle at 8, the side buttons at 20 and 32
static_assert(offsetof(FilterExtensionData, OwnUpDownIntervalTime) == 44);
static_assert(offsetof(FilterExtensionData, OwnDbClickIntervalTime) == 64);
static_assert(offsetof(FilterExtensionData, UpDownIntervalTime) == 84);
static_assert(offsetof(FilterExtensionData, DbClickIntervalTime) == 104);
static_assert(sizeof(FilterExtensionData) == 124);
static_assert(sizeof(ExcludedProgramNames) == kMaxExcludedPrograms * (kMaxExcludedNameLength + 1) * 2);

// The state the library starts with: no list, not paused, the shared intervals in force.
constexpr FilterExtensionData InitialFilterExtensionData() noexcept {
  FilterExtensionData data{};
  data.ExclusionGeneration = 2;
  for (std::uint8_t b = 0; b < kButtonCount; ++b) {
    data.UpDownIntervalTime[b] = kDefaultUpDownIntervalTime;
    data.DbClickIntervalTime[b] = kDefaultDbClickIntervalTime;
  }
  return data;
}
