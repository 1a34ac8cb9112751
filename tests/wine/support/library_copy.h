// A copy of Latchkin.dll in a test's scratch folder, bound in this process with the programs'
// own loader. The shared record belongs to the library file, so this is the record a program or
// peer started from that folder works on; every test starts from a fresh one.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hook_library.h"

struct LibraryCopy : HookLibrary {
  LibraryCopy() = default;
  explicit LibraryCopy(const std::wstring& folder) { Load(folder); }
  ~LibraryCopy() { UnloadHookLibrary(*this); }
  LibraryCopy(const LibraryCopy&) = delete;
  LibraryCopy& operator=(const LibraryCopy&) = delete;

  // The folder ends in a backslash. True when the copy loaded and the 13 control exports were
  // found; Module stays set when only an export was missing.
  bool Load(const std::wstring& folder) { return LoadHookLibraryFrom(*this, folder.c_str()); }
  bool Loaded() const { return static_cast<bool>(Module); }
  // The binding itself, for code written against a wrapper that held one (the release guard's
  // bench).
  const HookLibrary* operator->() const { return this; }

  // Readings that answer "none" (false, 0xFF, zeros) when the copy is not bound.
  bool HookInstalled() const;
  bool LogState() const;
  std::uint8_t HookType() const;
  // Up/down, double click, wheel reversal: the intervals and the blocked counts.
  std::vector<std::uint32_t> Intervals() const;
  std::vector<std::uint32_t> Counts() const;
  // The release guard's counts: late releases delivered, and pending ones given up.
  std::uint32_t LateReleases() const;
  std::uint32_t DroppedReleases() const;
  // The start of one of the copy's sections ("shared_d", "shared_g"), as every process that maps
  // the file sees it; nullptr when not bound or not there.
  std::uint8_t* Section(const char* name) const;
  // Waits until a hook is installed with logging on, as a program told to log leaves it once
  // started; false when that did not happen within 15 s.
  bool WaitForHookWithLogging() const;
};
