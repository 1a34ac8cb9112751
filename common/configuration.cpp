// "Quillon.cfg" through the platform's profile-string functions (see configuration.h); the rules
// live in core/settings_rules.
#include "configuration.h"

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
  ReadLanguageSection(PlatformProfile(), paths.ConfigFilePath, paths.LanguageSection);
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
}
