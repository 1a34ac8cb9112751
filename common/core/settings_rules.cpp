// The rules of "Quillon.cfg" (see settings_rules.h): one table of the [Options] keys drives
// both programs' readers.
#include "settings_rules.h"

#include "decimal.h"
#include "display_language.h"
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
  // What a missing key reads as; the platform hands back its decimal text.
  std::int32_t DefaultNumber;
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

constexpr OptionKey BitKey(const char16_t* key, std::uint8_t bit, std::int32_t defaultNumber = 1) {
  return {key, defaultNumber, Rule::Bit, true, bit, nullptr, 1, true, nullptr, 0, 0};
}
constexpr OptionKey FlagKey(const char16_t* key, std::int32_t defaultNumber, bool Settings::*flag,
                            std::int32_t trigger, bool flagValue, bool runner) {
  return {key, defaultNumber, Rule::Triggered, runner, 0, flag, trigger, flagValue, nullptr, 0, 0};
}
constexpr OptionKey ClearedKey(const char16_t* key, bool Settings::*flag) {
  return {key, 1, Rule::ClearedUnlessOne, false, 0, flag, 1, false, nullptr, 0, 0};
}
constexpr OptionKey RangeKey(const char16_t* key, std::int32_t defaultNumber, std::uint32_t Settings::*value,
                             std::uint32_t low, std::uint32_t high, bool runner) {
  return {key, defaultNumber, Rule::Range, runner, 0, nullptr, 0, false, value, low, high};
}
// An interval key: 0 (keep the library's value) or the library's accepted range.
constexpr OptionKey IntervalKey(const char16_t* key, std::uint32_t defaultValue, std::uint32_t Settings::*value) {
  return RangeKey(key, static_cast<std::int32_t>(defaultValue), value, 0, kMaxIntervalTime, true);
}

// A button's own interval: 0 (the shared interval) or the library's accepted range.
constexpr OptionKey ButtonIntervalKey(const char16_t* key, std::uint32_t Settings::*value) {
  return RangeKey(key, kSharedButtonInterval, value, 0, kMaxIntervalTime, true);
}

// The one table of stored key names and what each means in code, in the order the panel
// reads them.
constexpr OptionKey kOptionKeys[] = {
    BitKey(u"HookLButton", kSourceLeftButton),
    BitKey(u"HookRButton", kSourceRightButton),
    BitKey(u"HookWheel", kSourceWheel),
    IntervalKey(u"UpDownIntervalTime", kDefaultUpDownIntervalTime, &Settings::UpDownIntervalTime),
    IntervalKey(u"DbClickIntervalTime", kDefaultDbClickIntervalTime, &Settings::DbClickIntervalTime),
    IntervalKey(u"RotReverseIntervalTime", kDefaultRotReverseIntervalTime, &Settings::RotReverseIntervalTime),
    FlagKey(u"AutoTips", 0, &Settings::AutoTips, 1, true, false),
    FlagKey(u"AutoHook", 0, &Settings::AutoHook, 1, true, false),
    FlagKey(u"LogToFile", 0, &Settings::LogToFile, 1, true, true),
    FlagKey(u"Minimized", 0, &Settings::WindowShown, 1, false, false),
    // Zero includes empty and non-numeric text: only a stored number other than 0 keeps the
    // panel's own process out of the filter.
    FlagKey(u"DisableSelfHook", 1, &Settings::SelfHookEnabled, 0, true, false),
    ClearedKey(u"UseWhiteBackground", &Settings::UseWhiteBackground),
    RangeKey(u"AutoTipsIntervalTime", 3000, &Settings::AutoTipsIntervalTime, 1000, 600000, false),
    RangeKey(u"RefreshIntervalTime", 500, &Settings::RefreshIntervalTime, 100, 1000, false),
    ClearedKey(u"AutoClearCountLog", &Settings::AutoClearCountLog),
    FlagKey(u"ShowHookResultForce", 0, &Settings::ShowHookResultForce, 1, true, false),
    // The default (5120) and the initial value (1024) differ on purpose: a missing key gives
    // the largest log, a spoiled one a modest one.
    RangeKey(u"LogFileMaxSize", 5120, &Settings::LogFileMaxSize, 10, 5120, true),
    // Read by both programs: whichever installs the hook delivers the late releases. Only a
    // stored 0 (or text that reads as 0) switches the guard off.
    FlagKey(u"ReleaseGuard", 1, &Settings::ReleaseGuard, 0, false, true),
    FlagKey(u"DragHold", 0, &Settings::DragHold, 1, true, true),
    RangeKey(u"DragHoldTime", kDefaultDragHoldTime, &Settings::DragHoldTime, kMinDragHoldTime, kMaxDragHoldTime,
             true),
    // The middle and side buttons are filtered only when switched on.
    BitKey(u"HookMButton", kSourceMiddleButton, 0),
    BitKey(u"HookXButton1", kSourceXButton1, 0),
    BitKey(u"HookXButton2", kSourceXButton2, 0),
    ButtonIntervalKey(u"LButtonUpDownIntervalTime", &Settings::LButtonUpDownIntervalTime),
    ButtonIntervalKey(u"LButtonDbClickIntervalTime", &Settings::LButtonDbClickIntervalTime),
    ButtonIntervalKey(u"RButtonUpDownIntervalTime", &Settings::RButtonUpDownIntervalTime),
    ButtonIntervalKey(u"RButtonDbClickIntervalTime", &Settings::RButtonDbClickIntervalTime),
    ButtonIntervalKey(u"MButtonUpDownIntervalTime", &Settings::MButtonUpDownIntervalTime),
    ButtonIntervalKey(u"MButtonDbClickIntervalTime", &Settings::MButtonDbClickIntervalTime),
    ButtonIntervalKey(u"XButton1UpDownIntervalTime", &Settings::XButton1UpDownIntervalTime),
    ButtonIntervalKey(u"XButton1DbClickIntervalTime", &Settings::XButton1DbClickIntervalTime),
    ButtonIntervalKey(u"XButton2UpDownIntervalTime", &Settings::XButton2UpDownIntervalTime),
    ButtonIntervalKey(u"XButton2DbClickIntervalTime", &Settings::XButton2DbClickIntervalTime),
    RangeKey(u"PauseHotKey", 0, &Settings::PauseHotKey, 0, kMaxPauseHotKey, true),
    // Read by both programs, like the guard's: only a stored 0 switches the confirmation off.
    FlagKey(u"PressConfirm", 1, &Settings::PressConfirm, 0, false, true),
    RangeKey(u"PressConfirmTime", kDefaultPressConfirmTime, &Settings::PressConfirmTime, kMinPressConfirmTime,
             kMaxPressConfirmTime, true),
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

}  // namespace

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

bool ReadLanguageSection(const ProfileAccess& profile, const char16_t* configFile, std::uint16_t displayLanguage,
                         char16_t*& section) noexcept {
  char16_t buffer[kSettingBufferCapacity] = {};
  ReadProfileText(profile, kMainSection, kLanguageKey, u"", buffer, kSettingBufferCapacity - 1, configFile);
  const bool stored = buffer[0] != u'\0';
  WideStrFree(section);
  WideStrAppend(section, stored ? buffer : DisplayLanguageSection(displayLanguage));
  return stored;
}

void WriteLanguageChoice(const ProfileAccess& profile, const char16_t* configFile, const char16_t* section) noexcept {
  // A null file would send the platform's write to a system-wide file instead; a null value
  // makes the platform remove the key.
  if (!profile.Write || !configFile) return;
  profile.Write(profile.Context, kMainSection, kLanguageKey, section && *section ? section : nullptr, configFile);
}

void ReadOptions(const ProfileAccess& profile, const char16_t* configFile, SettingsReader reader,
                 Settings& settings) noexcept {
  for (const OptionKey& option : kOptionKeys) {
    if (reader == SettingsReader::Runner && !option.ReadByRunner) continue;
    // Zero-filled afresh for each key, so no rest of a longer value survives into the next.
    char16_t buffer[kSettingBufferCapacity] = {};
    char16_t defaultText[kSettingWriteCapacity] = {};
    TextBuilder(defaultText, kSettingWriteCapacity).Decimal(option.DefaultNumber);
    ReadProfileText(profile, kOptionsSection, option.Key, defaultText, buffer, kSettingBufferCapacity - 1,
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

// The one [Options] key that holds text: the excluded programs, read whole.
constexpr char16_t kExcludedProgramsKey[] = u"ExcludedPrograms";

std::uint32_t ReadExcludedProgramsText(const ProfileAccess& profile, const char16_t* configFile, char16_t* buffer,
                                       std::uint32_t capacity) noexcept {
  if (buffer == nullptr || capacity == 0) return 0;
  buffer[0] = 0;
  std::uint32_t length = ReadProfileText(profile, kOptionsSection, kExcludedProgramsKey, u"", buffer, capacity,
                                         configFile);
  // A value that filled the buffer may end inside a name: keep only whole names.
  if (length + 1 >= capacity) {
    while (length > 0 && buffer[length - 1] != u';') --length;
    buffer[length] = 0;
  }
  return length;
}

void WriteExcludedProgramsText(const ProfileAccess& profile, const char16_t* configFile,
                               const char16_t* text) noexcept {
  if (!profile.Write || !configFile || !text) return;
  profile.Write(profile.Context, kOptionsSection, kExcludedProgramsKey, text, configFile);
}

const char16_t* OptionKeyName(bool Settings::*flag) noexcept {
  for (const OptionKey& option : kOptionKeys)
    if (option.Flag != nullptr && option.Flag == flag) return option.Key;
  return nullptr;
}

const char16_t* OptionKeyName(std::uint32_t Settings::*value) noexcept {
  for (const OptionKey& option : kOptionKeys)
    if (option.Value != nullptr && option.Value == value) return option.Key;
  return nullptr;
}

const char16_t* HookTypeKeyName(std::uint8_t sourceBit) noexcept {
  for (const OptionKey& option : kOptionKeys)
    if (option.Kind == Rule::Bit && option.Bit == sourceBit) return option.Key;
  return nullptr;
}

std::int32_t StoredFlagNumber(bool Settings::*flag, bool value) noexcept {
  for (const OptionKey& option : kOptionKeys) {
    if (option.Flag == nullptr || option.Flag != flag) continue;
    if (option.Kind == Rule::ClearedUnlessOne) return value ? 1 : 0;
    // The trigger stores the flag's triggered value; the other value is stored as the other of 0 and 1.
    if (value == option.FlagValue) return option.Trigger;
    return option.Trigger == 0 ? 1 : 0;
  }
  return value ? 1 : 0;
}
