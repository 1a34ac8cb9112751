// Excluded programs: the list of executable names whose input passes unfiltered, as the hook
// keeps it (folded, in fixed slots) and the one match each process makes against it. Portable
// and allocation-free: the library, both programs and the tests share it.
#pragma once
#include <cstdint>

inline constexpr std::uint32_t kMaxExcludedPrograms = 32;
inline constexpr std::uint32_t kMaxExcludedNameLength = 64;  // code units, terminator excluded
inline constexpr char16_t kExcludedProgramSeparator = u';';

// Every slot holds one folded name and its terminator; an empty slot ends the list.
struct ExcludedProgramNames {
  char16_t Names[kMaxExcludedPrograms][kMaxExcludedNameLength + 1];
};

// How a list was taken: the names kept, and whether any was left out (beyond the 32nd, or
// longer than 64 code units), so that the user can be told.
struct ExcludedProgramsTaken {
  std::uint32_t Count;
  bool Cut;
};

namespace excluded_programs_detail {

// File names compare without regard to case. The fold covers the letters executable names are
// written in (ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic); other code units compare
// as they are.
constexpr char16_t FoldCase(char16_t c) noexcept {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c < 0xC0) return c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x178)
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) ? static_cast<char16_t>(c + (c & 1))
                                                                    : static_cast<char16_t>(c | 1);
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

constexpr bool IsBlank(char16_t c) noexcept { return c == u' ' || c == u'\t'; }
constexpr bool IsPathSeparator(char16_t c) noexcept { return c == u'\\' || c == u'/' || c == u':'; }

}  // namespace excluded_programs_detail

// Where the file name of a path starts (after its last \, / or drive colon).
inline const char16_t* ExecutableFileName(const char16_t* path, std::uint32_t capacity) noexcept {
  const char16_t* name = path;
  for (std::uint32_t i = 0; i < capacity && path[i] != 0; ++i)
    if (excluded_programs_detail::IsPathSeparator(path[i])) name = path + i + 1;
  return name;
}

// Walks a stored list ("game.exe; C:\Tools\draw.exe;;mstsc.exe"): names separated by ';', blanks
// around a name ignored, empty names skipped. Calls visit(name, length) for each name as given
// (its folder included). listCapacity bounds the read of list.
template <typename Visit>
void ForEachExcludedName(const char16_t* list, std::uint32_t listCapacity, Visit&& visit) noexcept {
  using namespace excluded_programs_detail;
  std::uint32_t i = 0;
  const auto end = [&](std::uint32_t at) { return at >= listCapacity || list == nullptr || list[at] == 0; };
  while (!end(i)) {
    std::uint32_t first = i;
    while (!end(i) && list[i] != kExcludedProgramSeparator) ++i;
    std::uint32_t last = i;  // one past the name
    if (!end(i)) ++i;        // past the separator
    while (first < last && IsBlank(list[first])) ++first;
    while (last > first && IsBlank(list[last - 1])) --last;
    if (first != last) visit(list + first, last - first);
  }
}

// Takes a stored list as ForEachExcludedName walks it, a name given with its folder reduced to
// its file name. Fills names (empty slots after the last) and says what was kept.
inline ExcludedProgramsTaken TakeExcludedPrograms(const char16_t* list, std::uint32_t listCapacity,
                                                  ExcludedProgramNames& names) noexcept {
  using namespace excluded_programs_detail;
  ExcludedProgramsTaken taken{0, false};
  for (auto& slot : names.Names) slot[0] = 0;
  ForEachExcludedName(list, listCapacity, [&](const char16_t* name, std::uint32_t length) {
    std::uint32_t first = 0;
    for (std::uint32_t k = 0; k < length; ++k)
      if (IsPathSeparator(name[k])) first = k + 1;
    if (first == length) return;
    if (length - first > kMaxExcludedNameLength || taken.Count == kMaxExcludedPrograms) {
      taken.Cut = true;
      return;
    }
    char16_t* slot = names.Names[taken.Count++];
    for (std::uint32_t k = first; k < length; ++k) *slot++ = FoldCase(name[k]);
    *slot = 0;
  });
  return taken;
}

// True when the file name of executablePath is one of names.
inline bool IsExcludedProgram(const ExcludedProgramNames& names, const char16_t* executablePath,
                              std::uint32_t pathCapacity) noexcept {
  using namespace excluded_programs_detail;
  const char16_t* fileName = ExecutableFileName(executablePath, pathCapacity);
  const std::uint32_t limit = pathCapacity - static_cast<std::uint32_t>(fileName - executablePath);
  for (const auto& slot : names.Names) {
    if (slot[0] == 0) break;
    std::uint32_t k = 0;
    while (k < limit && k <= kMaxExcludedNameLength && slot[k] != 0 && slot[k] == FoldCase(fileName[k])) ++k;
    if (k <= kMaxExcludedNameLength && slot[k] == 0 && (k == limit || fileName[k] == 0)) return true;
  }
  return false;
}
