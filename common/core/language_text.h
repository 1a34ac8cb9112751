// Lookups of "Language.cfg" texts by key, the key itself being the fallback. A buffer of C
// characters is read with the size C - 1, so it keeps at most C - 2 characters of text.
#pragma once
#include <cstdint>

#include "profile_access.h"

inline constexpr std::uint32_t kLanguageShortCapacity = 24;  // at most 22 characters
inline constexpr std::uint32_t kLanguageLongCapacity = 128;  // at most 126 characters

// Zero-fills all capacity characters of buffer, then reads the text of key from section of file.
// Returns the characters read. A capacity below 2 holds no text and reads nothing.
std::uint32_t ReadLanguageText(const ProfileAccess& profile, const char16_t* file, const char16_t* section,
                               const char16_t* key, char16_t* buffer, std::uint32_t capacity) noexcept;
// Like ReadLanguageText, but the buffer starts with a line feed and the text follows it, so an
// empty text still gives a balloon its single line.
std::uint32_t ReadLanguageTipText(const ProfileAccess& profile, const char16_t* file, const char16_t* section,
                                  const char16_t* key, char16_t* buffer, std::uint32_t capacity) noexcept;
