// The platform's profile-string functions and current directory (see profile_platform.h).
#include "profile_platform.h"

#include <windows.h>

#include "utf16.h"

namespace {

std::uint32_t ReadProfile(void*, const char16_t* section, const char16_t* key, const char16_t* defaultText,
                          char16_t* buffer, std::uint32_t size, const char16_t* file) {
  return GetPrivateProfileStringW(AsWide(section), AsWide(key), AsWide(defaultText), AsWide(buffer), size,
                                  AsWide(file));
}

void WriteProfile(void*, const char16_t* section, const char16_t* key, const char16_t* value,
                  const char16_t* file) {
  // Windows: a failed write (read-only file or folder) is not detected; the change holds for the
  // running program only.
  WritePrivateProfileStringW(AsWide(section), AsWide(key), AsWide(value), AsWide(file));
}

std::uint32_t CurrentDirectory(void*, std::uint32_t size, char16_t* buffer) {
  return GetCurrentDirectoryW(size, AsWide(buffer));
}

}  // namespace

const ProfileAccess& PlatformProfile() noexcept {
  static const ProfileAccess profile{&ReadProfile, &WriteProfile, nullptr};
  return profile;
}

const DirectorySource& PlatformCurrentDirectory() noexcept {
  static const DirectorySource directory{&CurrentDirectory, nullptr};
  return directory;
}
