// Spoiled shared records for the tests that check every reader of the record survives what any
// process mapping the library could write into it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <random>

#include "hook_shared_data.h"

// size bytes from a fixed seed: the same garbage on every run.
inline void Scramble(void* bytes, std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  auto* at = static_cast<std::uint8_t*>(bytes);
  for (std::size_t i = 0; i < size; ++i) at[i] = static_cast<std::uint8_t>(random());
}

// A cache of records that each claim recordLength bytes, their names made of nameUnit and never
// ending.
inline void LyingRecords(HookSharedData& data, std::uint16_t recordLength, std::uint16_t nameUnit) {
  for (std::size_t at = 0; at + 2 <= sizeof data.CacheBuffer; at += 2) {
    const std::uint16_t value = at % recordLength == 0 ? recordLength : nameUnit;
    data.CacheBuffer[at] = static_cast<std::uint8_t>(value);
    data.CacheBuffer[at + 1] = static_cast<std::uint8_t>(value >> 8);
  }
}
