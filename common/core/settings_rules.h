// The rules of "Quillon.cfg": the paths beside the current directory, the [Main] stamp, the
// language name and the [Options] keys with their defaults, ranges and flag rules. They take the
// profile access as an argument (profile_access.h); the Windows glue hands in the real one.
#pragma once
#include <cstdint>

#include "profile_access.h"
#include "settings.h"

// A read of one setting or of the language name: a buffer of 24 read with the size 23, so at
// most 22 characters of the stored text are seen.
inline constexpr std::uint32_t kSettingBufferCapacity = 24;
// "%d" of any 32-bit value (11 characters) fits with room to spare.
inline constexpr std::uint32_t kSettingWriteCapacity = 23;
// The current directory is first fetched into this many characters, with one less as the size.
inline constexpr std::uint32_t kDirectoryBufferCapacity = 512;

inline constexpr char16_t kMainSection[] = u"Main";
inline constexpr char16_t kOptionsSection[] = u"Options";
inline constexpr char16_t kLanguageKey[] = u"Language";  // in [Main]
inline constexpr char16_t kDefaultLanguage[] = u"NEUTRAL";

// Owned strings (owned_string.h) formed at start-up; null members hold nothing.
struct ConfigurationPaths {
  char16_t* WorkDirectory = nullptr;     // ends in a backslash unless empty
  char16_t* ConfigFilePath = nullptr;    // WorkDirectory + "Quillon.cfg"
  char16_t* LanguageFilePath = nullptr;  // WorkDirectory + "Language.cfg"
  char16_t* LanguageSection = nullptr;   // [Main] Language, at most 22 characters, or the display language's
};

// Which program reads: the panel reads every [Options] key of the key table, the start-up
// program the ones the table marks as its own (those its start and its filter depend on).
enum class SettingsReader { Panel, Runner };

// Forms WorkDirectory, ConfigFilePath and LanguageFilePath (releasing what they held first).
// When no directory can be had, WorkDirectory is empty and the paths are the bare file names.
void FormConfigurationPaths(const DirectorySource& directory, ConfigurationPaths& paths) noexcept;
// The product's identification, stamped into [Main]; the values come from the one place the
// version is written (project(VERSION) in CMake, as product_version.h).
struct MainStamp {
  const char16_t* Provider;
  const char16_t* Product;
  const char16_t* Signature;
  const char16_t* Version;
};
// Writes Provider, Product, Signature and Version into [Main], in that order.
void StampMainSection(const ProfileAccess& profile, const char16_t* configFile, const MainStamp& stamp) noexcept;
// Reads [Main] Language (at most 22 characters) into section. A key that is absent or empty
// gives the section of the Windows display language displayLanguage (a LANGID, see
// display_language.h). True when the stored key named the section.
bool ReadLanguageSection(const ProfileAccess& profile, const char16_t* configFile, std::uint16_t displayLanguage,
                         char16_t*& section) noexcept;
// The user's choice of language: section under [Main] Language, or, for a null or empty
// section, the key removed, so that the display language decides again.
void WriteLanguageChoice(const ProfileAccess& profile, const char16_t* configFile, const char16_t* section) noexcept;
// Reads the reader's [Options] keys in their fixed order into settings, which should hold its
// initial values: each rule only ever moves a setting away from its initial value.
void ReadOptions(const ProfileAccess& profile, const char16_t* configFile, SettingsReader reader,
                 Settings& settings) noexcept;
// Writes value as decimal text under key in [Options]. A null file or key writes nothing.
void WriteOption(const ProfileAccess& profile, const char16_t* configFile, const char16_t* key,
                 std::int32_t value) noexcept;
// The key table's answers for code that stores one setting: the stored key name of a flag, of
// a number, or of a source bit of HookTypeBits (null for a member that no key holds), and the
// number that stores a flag's value (Minimized = 1 for WindowShown false, DisableSelfHook = 0
// for SelfHookEnabled true).
const char16_t* OptionKeyName(bool Settings::*flag) noexcept;
const char16_t* OptionKeyName(std::uint32_t Settings::*value) noexcept;
const char16_t* HookTypeKeyName(std::uint8_t sourceBit) noexcept;
std::int32_t StoredFlagNumber(bool Settings::*flag, bool value) noexcept;
// [Options] ExcludedPrograms, the one text key: read into buffer (capacity units with its
// terminator; a value too long for it is cut back to its last whole name) and written whole.
inline constexpr std::uint32_t kExcludedProgramsTextCapacity = 4096;
std::uint32_t ReadExcludedProgramsText(const ProfileAccess& profile, const char16_t* configFile, char16_t* buffer,
                                       std::uint32_t capacity) noexcept;
void WriteExcludedProgramsText(const ProfileAccess& profile, const char16_t* configFile,
                               const char16_t* text) noexcept;
// Releases the four strings.
void ReleaseConfigurationPaths(ConfigurationPaths& paths) noexcept;
