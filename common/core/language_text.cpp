// Lookups of language texts by key (see language_text.h).
#include "language_text.h"

#include "settings_rules.h"

namespace {

void ZeroFill(char16_t* buffer, std::uint32_t capacity) noexcept {
  for (std::uint32_t i = 0; i < capacity; ++i) buffer[i] = 0;
}

}  // namespace

std::uint32_t ReadLanguageText(const ProfileAccess& profile, const char16_t* file, const char16_t* section,
                               const char16_t* key, char16_t* buffer, std::uint32_t capacity) noexcept {
  if (!buffer || capacity == 0) return 0;
  ZeroFill(buffer, capacity);
  if (capacity < 2) return 0;
  // The key is also the default text: without a file, section or key the caller shows the key.
  return ReadProfileText(profile, section, key, key, buffer, capacity - 1, file);
}

std::uint32_t ReadLanguageTipText(const ProfileAccess& profile, const char16_t* file, const char16_t* section,
                                  const char16_t* key, char16_t* buffer, std::uint32_t capacity) noexcept {
  if (!buffer || capacity == 0) return 0;
  ZeroFill(buffer, capacity);
  if (capacity < 2) return 0;
  buffer[0] = u'\n';
  // From the second character on with the size C - 1: the last unit written is buffer[C - 1].
  return ReadProfileText(profile, section, key, key, buffer + 1, capacity - 1, file);
}
