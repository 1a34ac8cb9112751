// What the settings and language rules are given instead of the platform: the profile-string
// reader and writer and the current-directory source, as function pointers with a context, so
// the same rules run against the real files on Windows and against a fake in the host tests.
#pragma once
#include <cstdint>

struct ProfileAccess {
  // Behaves as the platform's profile-string read: copies the value of key in section of file,
  // or defaultText when the file, the section or the key is missing, cut to size - 1 characters
  // and always terminated; a key present with an empty value gives the empty text. Returns the
  // characters copied.
  std::uint32_t (*Read)(void* context, const char16_t* section, const char16_t* key, const char16_t* defaultText,
                        char16_t* buffer, std::uint32_t size, const char16_t* file) = nullptr;
  // Replaces or adds key in section of file, leaving every other line alone; a null value removes
  // the key. May be null for a reader that never writes.
  void (*Write)(void* context, const char16_t* section, const char16_t* key, const char16_t* value,
                const char16_t* file) = nullptr;
  void* Context = nullptr;
};

struct DirectorySource {
  // Behaves as the platform's current-directory query: fills buffer (size characters) and returns
  // the length without terminator, or, when size is too small, the characters needed including
  // the terminator, or 0 on failure.
  std::uint32_t (*Get)(void* context, std::uint32_t size, char16_t* buffer) = nullptr;
  void* Context = nullptr;
};

// One profile read made safe: a null file, section or key would make the platform read another
// file or list names instead of a value, so the default text is copied instead (cut to size - 1).
std::uint32_t ReadProfileText(const ProfileAccess& profile, const char16_t* section, const char16_t* key,
                              const char16_t* defaultText, char16_t* buffer, std::uint32_t size,
                              const char16_t* file) noexcept;
