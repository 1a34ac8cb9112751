// The one guarded profile read (see profile_access.h).
#include "profile_access.h"

#include "text_builder.h"

std::uint32_t ReadProfileText(const ProfileAccess& profile, const char16_t* section, const char16_t* key,
                              const char16_t* defaultText, char16_t* buffer, std::uint32_t size,
                              const char16_t* file) noexcept {
  if (!buffer || size == 0) return 0;
  if (!defaultText) defaultText = u"";
  if (!profile.Read || !file || !section || !key) {
    TextBuilder(buffer, size).Text(defaultText);
    return static_cast<std::uint32_t>(Utf16Length(buffer));
  }
  return profile.Read(profile.Context, section, key, defaultText, buffer, size, file);
}
