// "Quillon.cfg" through the platform's profile-string functions (see configuration.h); the rules
// live in core/settings_rules.
#include "configuration.h"

#include "core/settings_rules.h"
#include "product_version.h"
#include "profile_platform.h"
#include "utf16.h"

wchar_t* WorkDirectory = nullptr;
wchar_t* ConfigFilePath = nullptr;
wchar_t* LanguageFilePath = nullptr;
wchar_t* LanguageSection = nullptr;

namespace {

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

void ReleaseConfiguration() {
  ConfigurationPaths paths = TakePaths();
  ReleaseConfigurationPaths(paths);
  KeepPaths(paths);
}
