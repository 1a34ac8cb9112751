// The rules of "Quillon.cfg" (see settings_rules.h): one table of the [Options] keys drives
// both programs' readers.
#include "settings_rules.h"

#include "decimal.h"
#include "owned_string.h"
#include "text_builder.h"

namespace {

// How a key's number moves its setting. Every rule moves a setting only away from its initial
// value, so each setting depends on its own key alone.
enum class Rule : std::uint8_t {
  Bit,               // exactly 1 sets the bit in HookTypeBits
  Triggered,         // exactly the trigger number gives the flag its other value
  ClearedUnlessOne,  // a flag that starts true: anything but 1 clears it
  Range,             // a number inside [Low, High] (unsigned) replaces the initial value
};

struct OptionKey {
  const char16_t* Key;
  const char16_t* DefaultText;
  Rule Kind;
  bool ReadByRunner;
  std::uint8_t Bit;
  bool Settings::*Flag;
  // The number that moves a Triggered flag (1 for most; 0 for DisableSelfHook) and the value it
  // then takes (Minimized clears WindowShown).
  std::int32_t Trigger;
  bool FlagValue;
  std::uint32_t Settings::*Value;
  std::uint32_t Low;
  std::uint32_t High;
};

constexpr OptionKey BitKey(const char16_t* key, std::uint8_t bit) {
  return {key, u"1", Rule::Bit, true, bit, nullptr, 1, true, nullptr, 0, 0};
}
constexpr OptionKey FlagKey(const char16_t* key, const char16_t* defaultText, bool Settings::*flag,
                            std::int32_t trigger, bool flagValue, bool runner) {
  return {key, defaultText, Rule::Triggered, runner, 0, flag, trigger, flagValue, nullptr, 0, 0};
}
constexpr OptionKey ClearedKey(const char16_t* key, bool Settings::*flag) {
  return {key, u"1", Rule::ClearedUnlessOne, false, 0, flag, 1, false, nullptr, 0, 0};
}
constexpr OptionKey RangeKey(const char16_t* key, const char16_t* defaultText, std::uint32_t Settings::*value,
                             std::uint32_t low, std::uint32_t high, bool runner) {
  return {key, defaultText, Rule::Range, runner, 0, nullptr, 0, false, value, low, high};
}

// In the order the panel reads them.
constexpr OptionKey kOptionKeys[] = {
    BitKey(u"HookLButton", kHookLeftButton),
    BitKey(u"HookRButton", kHookRightButton),
    BitKey(u"HookWheel", kHookWheel),
    RangeKey(u"UpDownIntervalTime", u"40", &Settings::UpDownIntervalTime, 0, 9999, true),
    RangeKey(u"DbClickIntervalTime", u"170", &Settings::DbClickIntervalTime, 0, 9999, true),
    RangeKey(u"RotReverseIntervalTime", u"40", &Settings::RotReverseIntervalTime, 0, 9999, true),
    FlagKey(u"AutoTips", u"0", &Settings::AutoTips, 1, true, false),
    FlagKey(u"AutoHook", u"0", &Settings::AutoHook, 1, true, false),
    FlagKey(u"LogToFile", u"0", &Settings::LogToFile, 1, true, true),
    FlagKey(u"Minimized", u"0", &Settings::WindowShown, 1, false, false),
    // Zero includes empty and non-numeric text: only a stored number other than 0 keeps the
    // panel's own process out of the filter.
    FlagKey(u"DisableSelfHook", u"1", &Settings::SelfHookEnabled, 0, true, false),
    ClearedKey(u"UseWhiteBackground", &Settings::UseWhiteBackground),
    RangeKey(u"AutoTipsIntervalTime", u"3000", &Settings::AutoTipsIntervalTime, 1000, 600000, false),
    RangeKey(u"RefreshIntervalTime", u"500", &Settings::RefreshIntervalTime, 100, 1000, false),
    ClearedKey(u"AutoClearCountLog", &Settings::AutoClearCountLog),
    FlagKey(u"ShowHookResultForce", u"0", &Settings::ShowHookResultForce, 1, true, false),
    // The default text (5120) and the initial value (1024) differ on purpose: a missing key gives
    // the largest log, a spoiled one a modest one.
    RangeKey(u"LogFileMaxSize", u"5120", &Settings::LogFileMaxSize, 10, 5120, true),
};

void ApplyOption(const OptionKey& option, std::int32_t number, Settings& settings) noexcept {
  // Compared as unsigned, so a negative number never lies in a range.
  const std::uint32_t unsignedNumber = static_cast<std::uint32_t>(number);
  switch (option.Kind) {
    case Rule::Bit:
      if (number == 1) settings.HookTypeBits = static_cast<std::uint8_t>(settings.HookTypeBits | option.Bit);
      break;
    case Rule::Triggered:
      if (number == option.Trigger) settings.*option.Flag = option.FlagValue;
      break;
    case Rule::ClearedUnlessOne:
      if (number != 1) settings.*option.Flag = false;
      break;
    case Rule::Range:
      if (unsignedNumber >= option.Low && unsignedNumber <= option.High) settings.*option.Value = unsignedNumber;
      break;
  }
}

void CopyCut(char16_t* buffer, std::uint32_t size, const char16_t* text) noexcept {
  TextBuilder(buffer, size).Text(text);
}

}  // namespace

std::uint32_t ReadProfileText(const ProfileAccess& profile, const char16_t* section, const char16_t* key,
                              const char16_t* defaultText, char16_t* buffer, std::uint32_t size,
                              const char16_t* file) noexcept {
  if (!buffer || size == 0) return 0;
  if (!defaultText) defaultText = u"";
  if (!profile.Read || !file || !section || !key) {
    CopyCut(buffer, size, defaultText);
    return static_cast<std::uint32_t>(Utf16Length(buffer));
  }
  return profile.Read(profile.Context, section, key, defaultText, buffer, size, file);
}

void FormConfigurationPaths(const DirectorySource& directory, ConfigurationPaths& paths) noexcept {
  WideStrFree(paths.WorkDirectory);
  WideStrFree(paths.ConfigFilePath);
  WideStrFree(paths.LanguageFilePath);

  WideStrAlloc(paths.WorkDirectory, kDirectoryBufferCapacity);
  if (paths.WorkDirectory && directory.Get) {
    const std::uint32_t length = directory.Get(directory.Context, kDirectoryBufferCapacity - 1, paths.WorkDirectory);
    if (length > kDirectoryBufferCapacity - 1) {
      // The answer is the room needed, terminator included. Beyond a 16-bit count no block can
      // hold it; and a directory that changed between the two asks leaves the buffer unfilled.
      if (length <= kOwnedStringMaxUnits) {
        WideStrAlloc(paths.WorkDirectory, length);
        if (paths.WorkDirectory && directory.Get(directory.Context, length, paths.WorkDirectory) >= length) {
          paths.WorkDirectory[0] = 0;
        }
      } else {
        paths.WorkDirectory[0] = 0;
      }
    }
  }
  // A drive root ("C:\") already ends in its backslash and gets no second one.
  WideStrEnsureBackslash(paths.WorkDirectory);

  WideStrAppend(paths.ConfigFilePath, paths.WorkDirectory);
  WideStrAppend(paths.ConfigFilePath, u"Quillon.cfg");
  WideStrAppend(paths.LanguageFilePath, paths.WorkDirectory);
  WideStrAppend(paths.LanguageFilePath, u"Language.cfg");
}

void StampMainSection(const ProfileAccess& profile, const char16_t* configFile,
                      const MainStamp& stamp) noexcept {
  if (!profile.Write || !configFile) return;
  const char16_t* const entries[][2] = {
      {u"Provider", stamp.Provider},
      {u"Product", stamp.Product},
      {u"Signature", stamp.Signature},
      {u"Version", stamp.Version},
  };
  for (const auto& entry : entries) {
    // A null value would make the platform delete the key instead.
    if (entry[1]) profile.Write(profile.Context, kMainSection, entry[0], entry[1], configFile);
  }
}

void ReadLanguageSection(const ProfileAccess& profile, const char16_t* configFile, char16_t*& section) noexcept {
  char16_t buffer[kSettingBufferCapacity] = {};
  ReadProfileText(profile, kMainSection, u"Language", kDefaultLanguage, buffer, kSettingBufferCapacity - 1,
                  configFile);
  WideStrFree(section);
  WideStrAppend(section, buffer);
}

void ReadOptions(const ProfileAccess& profile, const char16_t* configFile, SettingsReader reader,
                 Settings& settings) noexcept {
  for (const OptionKey& option : kOptionKeys) {
    if (reader == SettingsReader::Runner && !option.ReadByRunner) continue;
    // Zero-filled afresh for each key, so no rest of a longer value survives into the next.
    char16_t buffer[kSettingBufferCapacity] = {};
    ReadProfileText(profile, kOptionsSection, option.Key, option.DefaultText, buffer, kSettingBufferCapacity - 1,
                    configFile);
    ApplyOption(option, ParseDecimal(buffer), settings);
  }
}

void WriteOption(const ProfileAccess& profile, const char16_t* configFile, const char16_t* key,
                 std::int32_t value) noexcept {
  // A null file would send the platform's write to a system-wide file instead.
  if (!profile.Write || !configFile || !key) return;
  char16_t text[kSettingWriteCapacity] = {};
  TextBuilder(text, kSettingWriteCapacity).Decimal(value);
  profile.Write(profile.Context, kOptionsSection, key, text, configFile);
}

void ReleaseConfigurationPaths(ConfigurationPaths& paths) noexcept {
  WideStrFree(paths.WorkDirectory);
  WideStrFree(paths.ConfigFilePath);
  WideStrFree(paths.LanguageFilePath);
  WideStrFree(paths.LanguageSection);
}
