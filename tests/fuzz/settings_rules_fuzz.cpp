// Fuzzes both programs' settings readers with arbitrary settings files and current directories:
// values stay in range or initial, reads fit their buffers, paths are well formed.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "decimal.h"
#include "owned_string.h"
#include "settings_rules.h"

namespace {

using Text = std::u16string;

Text Fold(Text text) {
  for (char16_t& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return text;
}

Text Trimmed(const Text& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
  while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t' || text[end - 1] == u'\r')) --end;
  return text.substr(begin, end - begin);
}

struct World {
  // The directory answers, in order; the last one repeats.
  std::vector<Text> directories;
  bool directoryFails = false;
  std::uint32_t claimedNeeded = 0;
  std::size_t asks = 0;
  std::map<Text, std::map<Text, Text>> sections;
  // What every access must name: the configuration file formed from the directory.
  Text configFile;
  bool configFileKnown = false;

  void CheckFile(const char16_t* file) const {
    if (file == nullptr) __builtin_trap();
    if (configFileKnown && Text(file) != configFile) __builtin_trap();
  }
};

std::uint32_t ReadProfile(void* context, const char16_t* section, const char16_t* key, const char16_t* defaultText,
                          char16_t* buffer, std::uint32_t size, const char16_t* file) {
  const World& world = *static_cast<const World*>(context);
  world.CheckFile(file);
  if (section == nullptr || key == nullptr || defaultText == nullptr) __builtin_trap();
  // Every read of the rules goes into a buffer of 24 with the size 23.
  if (size > kSettingBufferCapacity - 1) __builtin_trap();
  Text value = defaultText;
  const auto s = world.sections.find(Fold(section));
  if (s != world.sections.end()) {
    const auto k = s->second.find(Fold(key));
    if (k != s->second.end()) value = k->second;
  }
  if (size == 0) return 0;
  if (value.size() > size - 1) value.resize(size - 1);
  // Fills the whole of what the caller claims to have: AddressSanitizer sees a claim too large.
  for (std::uint32_t i = 0; i < size; ++i) buffer[i] = i < value.size() ? value[i] : 0;
  return static_cast<std::uint32_t>(value.size());
}

void WriteProfile(void* context, const char16_t* section, const char16_t* key, const char16_t* value,
                  const char16_t* file) {
  const World& world = *static_cast<const World*>(context);
  world.CheckFile(file);
  if (section == nullptr || key == nullptr || value == nullptr) __builtin_trap();
}

std::uint32_t CurrentDirectory(void* context, std::uint32_t size, char16_t* buffer) {
  World& world = *static_cast<World*>(context);
  if (world.directoryFails) return 0;
  if (world.claimedNeeded != 0) return world.claimedNeeded;
  const Text& answer = world.directories[world.asks < world.directories.size() ? world.asks : world.directories.size() - 1];
  ++world.asks;
  if (answer.size() + 1 > size) return static_cast<std::uint32_t>(answer.size() + 1);
  for (std::size_t i = 0; i < answer.size(); ++i) buffer[i] = answer[i];
  buffer[answer.size()] = 0;
  return static_cast<std::uint32_t>(answer.size());
}

World Parse(const std::uint8_t* data, std::size_t size) {
  std::vector<Text> lines(1);
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == u'\n') {
      lines.emplace_back();
    } else if (unit != 0) {  // a profile value never holds a NUL
      lines.back().push_back(unit);
    }
  }
  World world;
  const Text& first = lines[0];
  if (first == u"!") {
    world.directoryFails = true;
  } else if (!first.empty() && first[0] == u'#' && ParseDecimal(first.c_str() + 1) != 0) {
    world.claimedNeeded = static_cast<std::uint32_t>(ParseDecimal(first.c_str() + 1));
  } else {
    const std::size_t bar = first.find(u'|');
    world.directories.push_back(first.substr(0, bar));
    if (bar != Text::npos) world.directories.push_back(first.substr(bar + 1));
  }
  Text section;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const Text line = Trimmed(lines[i]);
    if (!line.empty() && line[0] == u'[') {
      section = Fold(line.substr(1, line.find(u']') == Text::npos ? Text::npos : line.find(u']') - 1));
      continue;
    }
    const std::size_t equals = line.find(u'=');
    if (equals == Text::npos) continue;
    world.sections[section][Fold(Trimmed(line.substr(0, equals)))] = Trimmed(line.substr(equals + 1));
  }
  return world;
}

bool InRangeOrInitial(std::uint32_t value, std::uint32_t initial, std::uint32_t low, std::uint32_t high) {
  return value == initial || (value >= low && value <= high);
}

void CheckSettings(const Settings& s, SettingsReader reader) {
  const Settings initial;
  constexpr unsigned kEverySource = kSourceLeftButton | kSourceWheel | kSourceRightButton | kSourceMiddleButton |
                                    kSourceXButton1 | kSourceXButton2;
  if ((s.HookTypeBits & ~kEverySource) != 0) __builtin_trap();
  for (const ButtonIntervalSettings& button : kButtonIntervalSettings) {
    if (s.*button.UpDown > kMaxIntervalTime || s.*button.DbClick > kMaxIntervalTime) __builtin_trap();
  }
  if (!InRangeOrInitial(s.DragHoldTime, initial.DragHoldTime, kMinDragHoldTime, kMaxDragHoldTime)) __builtin_trap();
  if (s.PauseHotKey > kMaxPauseHotKey) __builtin_trap();
  if (!InRangeOrInitial(s.PressConfirmTime, initial.PressConfirmTime, kMinPressConfirmTime, kMaxPressConfirmTime))
    __builtin_trap();
  if (!InRangeOrInitial(s.UpDownIntervalTime, initial.UpDownIntervalTime, 0, kMaxIntervalTime)) __builtin_trap();
  if (!InRangeOrInitial(s.DbClickIntervalTime, initial.DbClickIntervalTime, 0, kMaxIntervalTime)) __builtin_trap();
  if (!InRangeOrInitial(s.RotReverseIntervalTime, initial.RotReverseIntervalTime, 0, kMaxIntervalTime)) __builtin_trap();
  if (!InRangeOrInitial(s.LogFileMaxSize, initial.LogFileMaxSize, 10, 5120)) __builtin_trap();
  if (!InRangeOrInitial(s.AutoTipsIntervalTime, initial.AutoTipsIntervalTime, 1000, 600000)) __builtin_trap();
  if (!InRangeOrInitial(s.RefreshIntervalTime, initial.RefreshIntervalTime, 100, 1000)) __builtin_trap();
  if (reader == SettingsReader::Runner) {
    // The start-up program reads 8 keys; the panel's own settings keep their initial values.
    if (s.AutoTips != initial.AutoTips || s.AutoHook != initial.AutoHook || s.WindowShown != initial.WindowShown ||
        s.SelfHookEnabled != initial.SelfHookEnabled || s.UseWhiteBackground != initial.UseWhiteBackground ||
        s.AutoTipsIntervalTime != initial.AutoTipsIntervalTime ||
        s.RefreshIntervalTime != initial.RefreshIntervalTime || s.AutoClearCountLog != initial.AutoClearCountLog ||
        s.ShowHookResultForce != initial.ShowHookResultForce) {
      __builtin_trap();
    }
  }
}

Text Held(const char16_t* text) { return text ? Text(text) : Text(); }

}  // namespace

// Input: UTF-16LE text. The first line is the current directory the platform reports ("#N"
// instead claims that N characters are needed, "a|b" answers a and then b, "!" fails); the other
// lines are the settings file ("[Section]", "key=value"). Every access must name the settings file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World world = Parse(data, size);
  const ProfileAccess profile{&ReadProfile, &WriteProfile, &world};
  const DirectorySource directory{&CurrentDirectory, &world};

  ConfigurationPaths paths;
  FormConfigurationPaths(directory, paths);
  const Text work = Held(paths.WorkDirectory);
  if (!work.empty() && work.back() != u'\\') __builtin_trap();
  if (Held(paths.ConfigFilePath) != work + u"Quillon.cfg") __builtin_trap();
  if (Held(paths.LanguageFilePath) != work + u"Language.cfg") __builtin_trap();
  world.configFile = Held(paths.ConfigFilePath);
  world.configFileKnown = true;

  StampMainSection(profile, paths.ConfigFilePath, MainStamp{u"Maker", u"Product", u"Signature", u"1.0"});
  ReadLanguageSection(profile, paths.ConfigFilePath, static_cast<std::uint16_t>(size * 0x0401), paths.LanguageSection);
  if (Held(paths.LanguageSection).size() > kSettingBufferCapacity - 2) __builtin_trap();

  for (SettingsReader reader : {SettingsReader::Panel, SettingsReader::Runner}) {
    Settings settings;
    ReadOptions(profile, paths.ConfigFilePath, reader, settings);
    CheckSettings(settings, reader);
  }

  // A setting written back reads as the same number.
  const std::int32_t number = size >= 4 ? static_cast<std::int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                                     static_cast<std::uint32_t>(data[3]) << 24)
                                        : 0;
  struct Capture {
    Text value;
  } capture;
  const ProfileAccess recorder{nullptr,
                               [](void* context, const char16_t*, const char16_t*, const char16_t* value,
                                  const char16_t*) { static_cast<Capture*>(context)->value = value; },
                               &capture};
  WriteOption(recorder, paths.ConfigFilePath, u"UpDownIntervalTime", number);
  if (ParseDecimal(capture.value.c_str()) != number) __builtin_trap();

  ReleaseConfigurationPaths(paths);
  return 0;
}
