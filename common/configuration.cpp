// "Quillon.cfg" through the platform's profile-string functions (see configuration.h); the rules
// live in core/settings_rules.
#include "configuration.h"

#include <vector>

#include "core/display_language.h"
#include "core/owned_string.h"
#include "core/settings_rules.h"
#include "product_version.h"
#include "profile_platform.h"
#include "unicode_file.h"
#include "unique_handle.h"
#include "utf16.h"

wchar_t* WorkDirectory = nullptr;
wchar_t* ConfigFilePath = nullptr;
wchar_t* LanguageFilePath = nullptr;
wchar_t* LanguageSection = nullptr;

namespace {

bool FollowsDisplay = false;
// Sections replaced by a choice while the panel runs: another thread may still be reading one,
// so each is freed only with the paths at exit (a few a session, 48 bytes each).
std::vector<char16_t*> RetiredSections;

// The language Windows shows its own texts in for this user.
std::uint16_t DisplayLanguage() noexcept { return GetUserDefaultUILanguage(); }

// Windows: the profile functions write a file they create in the ANSI code page, and keep a file
// in the encoding it has; only a file that starts with the UTF-16LE byte-order mark is read and
// written as Unicode. So a settings file is started (or an empty one restarted) as UTF-16LE
// before the first write, as the installer does, and a language name outside the code page
// survives every later write.
void StartUnicodeSettingsFile(const wchar_t* path) noexcept {
  if (!path || !*path) return;
  UniqueHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // a read-only folder: the writes fail as well, nothing to start
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart != 0) return;
  WriteByteOrderMark(file.get());
}

ConfigurationPaths TakePaths() noexcept {
  ConfigurationPaths paths;
  paths.WorkDirectory = AsUtf16(WorkDirectory);
  paths.ConfigFilePath = AsUtf16(ConfigFilePath);
  paths.LanguageFilePath = AsUtf16(LanguageFilePath);
  paths.LanguageSection = AsUtf16(LanguageSection);
  return paths;
}

void KeepPaths(const ConfigurationPaths& paths) noexcept {
  WorkDirectory = AsWide(paths.WorkDirectory);
  ConfigFilePath = AsWide(paths.ConfigFilePath);
  LanguageFilePath = AsWide(paths.LanguageFilePath);
  LanguageSection = AsWide(paths.LanguageSection);
}

void FormPathsAndLanguage(bool stamp) noexcept {
  ConfigurationPaths paths = TakePaths();
  FormConfigurationPaths(PlatformCurrentDirectory(), paths);
  if (stamp) {
    StartUnicodeSettingsFile(AsWide(paths.ConfigFilePath));
    const MainStamp identification{AsUtf16(QUILLON_PROVIDER_TEXT), AsUtf16(QUILLON_PRODUCT_TEXT),
                                    AsUtf16(QUILLON_SIGNATURE_TEXT), AsUtf16(QUILLON_VERSION_TEXT)};
    StampMainSection(PlatformProfile(), paths.ConfigFilePath, identification);
  }
  FollowsDisplay = !ReadLanguageSection(PlatformProfile(), paths.ConfigFilePath, DisplayLanguage(),
                                        paths.LanguageSection);
  KeepPaths(paths);
}

}  // namespace

void OpenConfiguration() { FormPathsAndLanguage(true); }

void ReadSettings(Settings& settings) {
  ReadOptions(PlatformProfile(), AsUtf16(ConfigFilePath), SettingsReader::Panel, settings);
}

void ReadRunnerSettings(Settings& settings) {
  FormPathsAndLanguage(false);
  ReadOptions(PlatformProfile(), AsUtf16(ConfigFilePath), SettingsReader::Runner, settings);
}

void ChooseLanguage(const wchar_t* section) {
  const bool followsDisplay = !section || !*section;
  WriteLanguageChoice(PlatformProfile(), AsUtf16(ConfigFilePath), AsUtf16(section));
  // Taken as chosen, not read back: a settings file that cannot be written (read-only) keeps
  // its key, and the choice still holds until the panel ends.
  char16_t* chosen = nullptr;
  WideStrAppend(chosen, followsDisplay ? DisplayLanguageSection(DisplayLanguage()) : AsUtf16(section));
  if (!chosen) return;
  try {
    RetiredSections.push_back(AsUtf16(LanguageSection));
  } catch (...) {
    WideStrFree(chosen);
    return;
  }
  // Published whole: a message-box thread's lookup reads the old section or the new one.
  __atomic_store_n(&LanguageSection, AsWide(chosen), __ATOMIC_RELEASE);
  FollowsDisplay = followsDisplay;
}

bool LanguageFollowsDisplay() { return FollowsDisplay; }

void WriteSetting(const wchar_t* key, int value) {
  WriteOption(PlatformProfile(), AsUtf16(ConfigFilePath), AsUtf16(key), value);
}

void WriteSetting(bool Settings::*flag, bool value) {
  WriteOption(PlatformProfile(), AsUtf16(ConfigFilePath), OptionKeyName(flag), StoredFlagNumber(flag, value));
}

void WriteSetting(std::uint32_t Settings::*value, int number) {
  WriteOption(PlatformProfile(), AsUtf16(ConfigFilePath), OptionKeyName(value), number);
}

void WriteHookTypeSetting(std::uint8_t sourceBit, bool on) {
  WriteOption(PlatformProfile(), AsUtf16(ConfigFilePath), HookTypeKeyName(sourceBit), on ? 1 : 0);
}

void ReadExcludedPrograms(wchar_t* buffer, std::uint32_t capacity) {
  ReadExcludedProgramsText(PlatformProfile(), AsUtf16(ConfigFilePath), AsUtf16(buffer), capacity);
}

void WriteExcludedPrograms(const wchar_t* text) {
  WriteExcludedProgramsText(PlatformProfile(), AsUtf16(ConfigFilePath), AsUtf16(text));
}

void ReleaseConfiguration() {
  ConfigurationPaths paths = TakePaths();
  ReleaseConfigurationPaths(paths);
  KeepPaths(paths);
  for (char16_t*& retired : RetiredSections) WideStrFree(retired);
  RetiredSections.clear();
}
