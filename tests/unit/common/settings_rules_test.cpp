// The rules of "Quillon.cfg" against an in-memory profile: decimal reading, every [Options]
// key's default, range and flag rule, the language name, the paths and the writes.
#include "settings_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "decimal.h"
#include "display_language.h"
#include "fake_profile.h"
#include "owned_string.h"
#include "text_helpers.h"

namespace {

const char16_t kConfigFile[] = u"C:\\Tools\\Quillon.cfg";

TEST(Decimal, ReadsLikeTheCLibrary) {
  struct Row { const char16_t* text; std::int32_t expected; };
  const Row rows[] = {
      {u"0", 0},           {u"40", 40},          {u"  1", 1},         {u"\t\r\n 7", 7},
      {u"1abc", 1},        {u"yes", 0},          {u"", 0},            {u"-1", -1},
      {u"+12", 12},        {u"- 5", 0},          {u"+-5", 0},         {u"0009", 9},
      {u"2147483647", INT_MAX},                  {u"-2147483648", INT_MIN},
      {u"4294967295", -1},                       {u"4294967296", 0},  // wraps, no overflow check
      {u"2147483648", INT_MIN},                  {u"99999999999", 1215752191},
      {u"\u00A012", 0},    // only the C library's own blanks are skipped
  };
  for (const Row& row : rows) EXPECT_EQ(ParseDecimal(row.text), row.expected) << Narrow(row.text);
  EXPECT_EQ(ParseDecimal(nullptr), 0);
}

// One observable number per [Options] key, so a row can name what it expects.
const std::map<std::u16string, std::function<std::uint32_t(const Settings&)>>& Observers() {
  static const std::map<std::u16string, std::function<std::uint32_t(const Settings&)>> observers = {
      {u"HookLButton", [](const Settings& s) { return (s.HookTypeBits & kSourceLeftButton) ? 1u : 0u; }},
      {u"HookRButton", [](const Settings& s) { return (s.HookTypeBits & kSourceRightButton) ? 1u : 0u; }},
      {u"HookWheel", [](const Settings& s) { return (s.HookTypeBits & kSourceWheel) ? 1u : 0u; }},
      {u"UpDownIntervalTime", [](const Settings& s) { return s.UpDownIntervalTime; }},
      {u"DbClickIntervalTime", [](const Settings& s) { return s.DbClickIntervalTime; }},
      {u"RotReverseIntervalTime", [](const Settings& s) { return s.RotReverseIntervalTime; }},
      {u"AutoTips", [](const Settings& s) { return s.AutoTips ? 1u : 0u; }},
      {u"AutoHook", [](const Settings& s) { return s.AutoHook ? 1u : 0u; }},
      {u"LogToFile", [](const Settings& s) { return s.LogToFile ? 1u : 0u; }},
      {u"Minimized", [](const Settings& s) { return s.WindowShown ? 1u : 0u; }},  // observed: WindowShown
      {u"DisableSelfHook", [](const Settings& s) { return s.SelfHookEnabled ? 1u : 0u; }},  // SelfHookEnabled
      {u"UseWhiteBackground", [](const Settings& s) { return s.UseWhiteBackground ? 1u : 0u; }},
      {u"AutoTipsIntervalTime", [](const Settings& s) { return s.AutoTipsIntervalTime; }},
      {u"RefreshIntervalTime", [](const Settings& s) { return s.RefreshIntervalTime; }},
      {u"AutoClearCountLog", [](const Settings& s) { return s.AutoClearCountLog ? 1u : 0u; }},
      {u"ShowHookResultForce", [](const Settings& s) { return s.ShowHookResultForce ? 1u : 0u; }},
      {u"LogFileMaxSize", [](const Settings& s) { return s.LogFileMaxSize; }},
      {u"ReleaseGuard", [](const Settings& s) { return s.ReleaseGuard ? 1u : 0u; }},
      {u"DragHold", [](const Settings& s) { return s.DragHold ? 1u : 0u; }},
      {u"DragHoldTime", [](const Settings& s) { return s.DragHoldTime; }},
      {u"HookMButton", [](const Settings& s) { return (s.HookTypeBits & kSourceMiddleButton) ? 1u : 0u; }},
      {u"HookXButton1", [](const Settings& s) { return (s.HookTypeBits & kSourceXButton1) ? 1u : 0u; }},
      {u"HookXButton2", [](const Settings& s) { return (s.HookTypeBits & kSourceXButton2) ? 1u : 0u; }},
      {u"LButtonUpDownIntervalTime", [](const Settings& s) { return s.LButtonUpDownIntervalTime; }},
      {u"LButtonDbClickIntervalTime", [](const Settings& s) { return s.LButtonDbClickIntervalTime; }},
      {u"RButtonUpDownIntervalTime", [](const Settings& s) { return s.RButtonUpDownIntervalTime; }},
      {u"RButtonDbClickIntervalTime", [](const Settings& s) { return s.RButtonDbClickIntervalTime; }},
      {u"MButtonUpDownIntervalTime", [](const Settings& s) { return s.MButtonUpDownIntervalTime; }},
      {u"MButtonDbClickIntervalTime", [](const Settings& s) { return s.MButtonDbClickIntervalTime; }},
      {u"XButton1UpDownIntervalTime", [](const Settings& s) { return s.XButton1UpDownIntervalTime; }},
      {u"XButton1DbClickIntervalTime", [](const Settings& s) { return s.XButton1DbClickIntervalTime; }},
      {u"XButton2UpDownIntervalTime", [](const Settings& s) { return s.XButton2UpDownIntervalTime; }},
      {u"XButton2DbClickIntervalTime", [](const Settings& s) { return s.XButton2DbClickIntervalTime; }},
      {u"PauseHotKey", [](const Settings& s) { return s.PauseHotKey; }},
      {u"PressConfirm", [](const Settings& s) { return s.PressConfirm ? 1u : 0u; }},
      {u"PressConfirmTime", [](const Settings& s) { return s.PressConfirmTime; }},
  };
  return observers;
}

Settings ReadWith(FakeProfile& profile, SettingsReader reader = SettingsReader::Panel) {
  Settings settings;
  ReadOptions(profile.Access(), kConfigFile, reader, settings);
  return settings;
}

constexpr const char16_t* kMissing = nullptr;
// 30 characters of which only the first 22 are seen: "0000000000000000000012".
constexpr const char16_t kThirtyDigits[] = u"000000000000000000001234567890";

TEST(SettingsRules, EachKeyTakesItsDefaultRangeAndFlagRule) {
  struct Row { const char16_t* key; const char16_t* stored; std::uint32_t expected; };
  const Row rows[] = {
      // Bits: exactly 1 sets the bit; a missing key reads "1".
      {u"HookLButton", kMissing, 1}, {u"HookLButton", u"1", 1},   {u"HookLButton", u"", 0},
      {u"HookLButton", u"0", 0},     {u"HookLButton", u"2", 0},   {u"HookLButton", u"  1", 1},
      {u"HookLButton", u"1abc", 1},  {u"HookLButton", u"yes", 0}, {u"HookLButton", u"-1", 0},
      {u"HookLButton", u"4294967297", 1},  // wraps to 1
      {u"HookRButton", kMissing, 1}, {u"HookRButton", u"0", 0},   {u"HookWheel", kMissing, 1},
      {u"HookWheel", u"no", 0},
      // Intervals: 0 to 9999, compared unsigned.
      {u"UpDownIntervalTime", kMissing, 40},   {u"UpDownIntervalTime", u"0", 0},
      {u"UpDownIntervalTime", u"9", 9},        {u"UpDownIntervalTime", u"9999", 9999},
      {u"UpDownIntervalTime", u"10000", 40},   {u"UpDownIntervalTime", u"-1", 40},
      {u"UpDownIntervalTime", u"4294967295", 40}, {u"UpDownIntervalTime", u"  25ms", 25},
      {u"UpDownIntervalTime", u"", 0},         {u"UpDownIntervalTime", u"yes", 0},
      {u"DbClickIntervalTime", kMissing, 170}, {u"DbClickIntervalTime", u"20000", 170},
      {u"DbClickIntervalTime", kThirtyDigits, 12},
      {u"RotReverseIntervalTime", kMissing, 40}, {u"RotReverseIntervalTime", u"5121", 5121},
      // Flags that start false: exactly 1 sets them.
      {u"AutoTips", kMissing, 0},  {u"AutoTips", u"1", 1},   {u"AutoTips", u"2", 0},  {u"AutoTips", u"yes", 0},
      {u"AutoHook", u"  1", 1},    {u"AutoHook", u"1abc", 1}, {u"AutoHook", u"", 0},
      {u"LogToFile", kMissing, 0}, {u"LogToFile", u"1", 1},  {u"LogToFile", u"-1", 0},
      {u"ShowHookResultForce", kMissing, 0}, {u"ShowHookResultForce", u"1", 1},
      // Minimized clears WindowShown (observed) on exactly 1.
      {u"Minimized", kMissing, 1}, {u"Minimized", u"1", 0}, {u"Minimized", u"0", 1}, {u"Minimized", u"2", 1},
      // DisableSelfHook sets SelfHookEnabled (observed) on exactly 0, which empty and words read as.
      {u"DisableSelfHook", kMissing, 0}, {u"DisableSelfHook", u"0", 1}, {u"DisableSelfHook", u"no", 1},
      {u"DisableSelfHook", u"", 1},      {u"DisableSelfHook", u"2", 0}, {u"DisableSelfHook", u"1", 0},
      // Flags that start true: anything but 1 clears them.
      {u"UseWhiteBackground", kMissing, 1}, {u"UseWhiteBackground", u"yes", 0},
      {u"UseWhiteBackground", u"1", 1},     {u"UseWhiteBackground", u"", 0},
      {u"AutoClearCountLog", kMissing, 1},  {u"AutoClearCountLog", u"2", 0},
      // Ranged timer periods.
      {u"AutoTipsIntervalTime", kMissing, 3000},     {u"AutoTipsIntervalTime", u"999", 3000},
      {u"AutoTipsIntervalTime", u"1000", 1000},      {u"AutoTipsIntervalTime", u"600000", 600000},
      {u"AutoTipsIntervalTime", u"600001", 3000},    {u"AutoTipsIntervalTime", u"-1", 3000},
      {u"RefreshIntervalTime", kMissing, 500},       {u"RefreshIntervalTime", u"99", 500},
      {u"RefreshIntervalTime", u"100", 100},         {u"RefreshIntervalTime", u"1000", 1000},
      {u"RefreshIntervalTime", u"1001", 500},
      // The log bound: a missing key gives 5120, a rejected one 1024.
      {u"LogFileMaxSize", kMissing, 5120}, {u"LogFileMaxSize", u"9", 1024},    {u"LogFileMaxSize", u"10", 10},
      {u"LogFileMaxSize", u"5120", 5120},  {u"LogFileMaxSize", u"5121", 1024}, {u"LogFileMaxSize", u"20000", 1024},
      {u"LogFileMaxSize", u"-1", 1024},    {u"LogFileMaxSize", u"4294967295", 1024},
      {u"LogFileMaxSize", u"", 1024},      {u"LogFileMaxSize", u"yes", 1024},
      // The release guard: on unless a stored 0 switches it off; drag hold off unless exactly 1.
      {u"ReleaseGuard", kMissing, 1}, {u"ReleaseGuard", u"0", 0}, {u"ReleaseGuard", u"1", 1},
      {u"ReleaseGuard", u"2", 1},     {u"DragHold", kMissing, 0}, {u"DragHold", u"1", 1},
      {u"DragHold", u"2", 0},         {u"DragHoldTime", kMissing, 30}, {u"DragHoldTime", u"4", 30},
      {u"DragHoldTime", u"5", 5},     {u"DragHoldTime", u"100", 100},  {u"DragHoldTime", u"101", 30},
      {u"DragHoldTime", u"-1", 30},
      // The extra buttons: off unless exactly 1 is stored.
      {u"HookMButton", kMissing, 0},  {u"HookMButton", u"1", 1},  {u"HookMButton", u"2", 0},
      {u"HookXButton1", kMissing, 0}, {u"HookXButton1", u"1", 1}, {u"HookXButton1", u"yes", 0},
      {u"HookXButton2", kMissing, 0}, {u"HookXButton2", u"1", 1}, {u"HookXButton2", u"-1", 0},
      // A button's own interval: missing or 0 is the shared one; 1 to 9999 its own.
      {u"MButtonUpDownIntervalTime", kMissing, 0},   {u"MButtonUpDownIntervalTime", u"0", 0},
      {u"MButtonUpDownIntervalTime", u"1", 1},       {u"MButtonUpDownIntervalTime", u"9999", 9999},
      {u"MButtonUpDownIntervalTime", u"10000", 0},   {u"MButtonUpDownIntervalTime", u"-1", 0},
      {u"LButtonUpDownIntervalTime", u"60", 60},     {u"LButtonDbClickIntervalTime", u"250", 250},
      {u"RButtonUpDownIntervalTime", u"70", 70},     {u"RButtonDbClickIntervalTime", u"10000", 0},
      {u"MButtonDbClickIntervalTime", u"300", 300},  {u"XButton1UpDownIntervalTime", u"80", 80},
      {u"XButton1DbClickIntervalTime", u"", 0},      {u"XButton2UpDownIntervalTime", u"90", 90},
      {u"XButton2DbClickIntervalTime", u"9999", 9999},
      // The pause hot key: 0 (none) up to 0x0FFF (every modifier and key).
      {u"PauseHotKey", kMissing, 0}, {u"PauseHotKey", u"1616", 1616}, {u"PauseHotKey", u"4095", 4095},
      {u"PauseHotKey", u"4096", 0},  {u"PauseHotKey", u"-1", 0},
      // Press confirmation: on unless a stored 0; its time 5..100 ms.
      {u"PressConfirm", kMissing, 1}, {u"PressConfirm", u"0", 0}, {u"PressConfirm", u"2", 1},
      {u"PressConfirmTime", kMissing, 20}, {u"PressConfirmTime", u"4", 20}, {u"PressConfirmTime", u"5", 5},
      {u"PressConfirmTime", u"100", 100}, {u"PressConfirmTime", u"101", 20},
  };
  FakeProfile nothingStored;
  const Settings defaults = ReadWith(nothingStored);
  for (const Row& row : rows) {
    const std::string name = Narrow(row.key) + "=" + (row.stored ? "\"" + Narrow(row.stored) + "\"" : "(missing)");
    FakeProfile profile;
    if (row.stored) profile.Set(u"options", row.key, row.stored);  // sections match in any case
    const Settings settings = ReadWith(profile);
    EXPECT_EQ(Observers().at(row.key)(settings), row.expected) << name;
    // Each setting depends on its own key alone.
    for (const auto& [key, observe] : Observers()) {
      if (key == row.key) continue;
      EXPECT_EQ(observe(settings), observe(defaults)) << name << " moved " << Narrow(key);
    }
  }
}

TEST(SettingsRules, EachProgramReadsItsKeysInOrderThroughTwentyTwoCharacters) {
  const std::vector<std::u16string> panelKeys = {
      u"HookLButton", u"HookRButton", u"HookWheel", u"UpDownIntervalTime", u"DbClickIntervalTime",
      u"RotReverseIntervalTime", u"AutoTips", u"AutoHook", u"LogToFile", u"Minimized", u"DisableSelfHook",
      u"UseWhiteBackground", u"AutoTipsIntervalTime", u"RefreshIntervalTime", u"AutoClearCountLog",
      u"ShowHookResultForce", u"LogFileMaxSize", u"ReleaseGuard", u"DragHold", u"DragHoldTime", u"HookMButton",
      u"HookXButton1", u"HookXButton2", u"LButtonUpDownIntervalTime", u"LButtonDbClickIntervalTime",
      u"RButtonUpDownIntervalTime", u"RButtonDbClickIntervalTime", u"MButtonUpDownIntervalTime",
      u"MButtonDbClickIntervalTime", u"XButton1UpDownIntervalTime", u"XButton1DbClickIntervalTime",
      u"XButton2UpDownIntervalTime", u"XButton2DbClickIntervalTime", u"PauseHotKey", u"PressConfirm",
      u"PressConfirmTime"};
  const std::vector<std::u16string> runnerKeys = {
      u"HookLButton", u"HookRButton", u"HookWheel", u"UpDownIntervalTime", u"DbClickIntervalTime",
      u"RotReverseIntervalTime", u"LogToFile", u"LogFileMaxSize", u"ReleaseGuard", u"DragHold", u"DragHoldTime",
      u"HookMButton", u"HookXButton1", u"HookXButton2", u"LButtonUpDownIntervalTime", u"LButtonDbClickIntervalTime",
      u"RButtonUpDownIntervalTime", u"RButtonDbClickIntervalTime", u"MButtonUpDownIntervalTime",
      u"MButtonDbClickIntervalTime", u"XButton1UpDownIntervalTime", u"XButton1DbClickIntervalTime",
      u"XButton2UpDownIntervalTime", u"XButton2DbClickIntervalTime", u"PauseHotKey", u"PressConfirm",
      u"PressConfirmTime"};
  struct Row { const char* name; SettingsReader reader; const std::vector<std::u16string>& keys; };
  const Row rows[] = {{"panel", SettingsReader::Panel, panelKeys}, {"runner", SettingsReader::Runner, runnerKeys}};
  for (const Row& row : rows) {
    FakeProfile profile;
    ReadWith(profile, row.reader);
    std::vector<std::u16string> read;
    for (const auto& call : profile.Reads()) {
      read.push_back(call.Key);
      EXPECT_EQ(call.Section, u"Options") << row.name;
      EXPECT_EQ(call.Size, 23u) << row.name << " " << Narrow(call.Key);
      EXPECT_EQ(call.File, kConfigFile) << row.name;
    }
    EXPECT_EQ(read, row.keys) << row.name;
  }
  // The runner ignores the keys it does not read, whatever they hold.
  FakeProfile profile;
  profile.Set(u"Options", u"Minimized", u"1");
  profile.Set(u"Options", u"DisableSelfHook", u"0");
  profile.Set(u"Options", u"AutoHook", u"1");
  const Settings runner = ReadWith(profile, SettingsReader::Runner);
  EXPECT_TRUE(runner.WindowShown);
  EXPECT_FALSE(runner.SelfHookEnabled || runner.AutoHook);
}

TEST(SettingsRules, ExcludedProgramsAreReadWholeAndCutAtAName) {
  struct Row { const char* name; const char16_t* stored; std::uint32_t capacity; std::u16string expected; };
  const Row rows[] = {
      {"missing", kMissing, 64, u""},
      {"fits", u"game.exe;mstsc.exe", 64, u"game.exe;mstsc.exe"},
      {"filled: cut at the last separator", u"game.exe;mstsc.exe", 16, u"game.exe;"},
      {"filled with no separator", u"averyveryverylongname.exe", 8, u""},
  };
  for (const Row& row : rows) {
    FakeProfile profile;
    profile.SetFile(kConfigFile);
    if (row.stored) profile.Set(u"Options", u"ExcludedPrograms", row.stored);
    std::u16string buffer(row.capacity, u'?');
    const std::uint32_t length = ReadExcludedProgramsText(profile.Access(), kConfigFile, buffer.data(), row.capacity);
    EXPECT_EQ(std::u16string(buffer.c_str()), row.expected) << row.name;
    EXPECT_EQ(length, row.expected.size()) << row.name;
  }
  FakeProfile profile;
  profile.SetFile(kConfigFile);
  WriteExcludedProgramsText(profile.Access(), kConfigFile, u"a.exe;b.exe");
  ASSERT_EQ(profile.Writes().size(), 1u);
  EXPECT_EQ(profile.Writes()[0].Key, u"ExcludedPrograms");
  EXPECT_EQ(profile.Writes()[0].Text, u"a.exe;b.exe");
}

// A stored name is obeyed as it stands (NEUTRAL and unknown names included); absent or empty
// (the profile functions trim blanks), the display language decides.
TEST(SettingsRules, LanguageNameIsStoredOrTheDisplayLanguage) {
  struct Row { const char16_t* stored; std::uint16_t display; const char16_t* expected; bool fromKey; };
  const Row rows[] = {
      {kMissing, 0x0409, u"NEUTRAL", false},
      {kMissing, 0x0407, u"GERMAN", false},
      {u"", 0x0412, u"KOREAN", false},
      {u"GERMAN", 0x0412, u"GERMAN", true},
      {u"NEUTRAL", 0x0407, u"NEUTRAL", true},
      {u"KLINGON", 0x0407, u"KLINGON", true},
      {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 0x0409, u"ABCDEFGHIJKLMNOPQRSTUV", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.stored ? Narrow(row.stored) : "(missing)");
    FakeProfile profile;
    if (row.stored) profile.Set(u"MAIN", u"language", row.stored);
    char16_t* section = nullptr;
    WideStrAppend(section, u"stale value from before");
    EXPECT_EQ(ReadLanguageSection(profile.Access(), kConfigFile, row.display, section), row.fromKey);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(std::u16string(section), row.expected);
    ASSERT_EQ(profile.Reads().size(), 1u);
    EXPECT_EQ(profile.Reads()[0].Size, 23u);
    WideStrFree(section);
  }
}

// A choice is stored; none (null or empty) removes the key, so the display language decides again.
TEST(SettingsRules, LanguageChoiceStoresOrRemovesTheKey) {
  for (const char16_t* chosen : {u"KOREAN", static_cast<const char16_t*>(nullptr), u""}) {
    const bool stores = chosen && *chosen;
    FakeProfile profile;
    profile.Set(u"Main", u"Language", u"GERMAN");
    WriteLanguageChoice(profile.Access(), kConfigFile, chosen);
    ASSERT_EQ(profile.Writes().size(), 1u);
    EXPECT_EQ(profile.Writes()[0].Removes, !stores);
    char16_t* section = nullptr;
    EXPECT_EQ(ReadLanguageSection(profile.Access(), kConfigFile, 0x0411, section), stores);
    EXPECT_EQ(std::u16string(section), stores ? chosen : u"JAPANESE");
    WideStrFree(section);
  }
}

// Windows language identifiers (LANGID: sub-language << 10 | primary language).
TEST(DisplayLanguage, SectionOfEachLanguageIdentifier) {
  struct Row { std::uint16_t id; const char16_t* section; };
  const Row rows[] = {
      {0x0409, u"NEUTRAL"}, {0x0809, u"NEUTRAL"}, {0x0000, u"NEUTRAL"}, {0x041B, u"NEUTRAL"} /* Slovak */,
      {0x0407, u"GERMAN"}, {0x0C07, u"GERMAN"}, {0x040C, u"FRENCH"}, {0x0C0A, u"SPANISH"}, {0x080A, u"SPANISH"},
      {0x0411, u"JAPANESE"}, {0x0410, u"ITALIAN"}, {0x0419, u"RUSSIAN"}, {0x0415, u"POLISH"}, {0x0412, u"KOREAN"},
      {0x041F, u"TURKISH"}, {0x0413, u"DUTCH"}, {0x0813, u"DUTCH"}, {0x0405, u"CZECH"}, {0x0422, u"UKRAINIAN"},
      // Chinese by script: PRC, Singapore, zh-Hans, zh; Taiwan, Hong Kong, Macao, zh-Hant.
      {0x0804, u"SIMPLIFIED_CHINESE"}, {0x1004, u"SIMPLIFIED_CHINESE"}, {0x0004, u"SIMPLIFIED_CHINESE"},
      {0x7804, u"SIMPLIFIED_CHINESE"}, {0x0404, u"TRADITIONAL_CHINESE"}, {0x0C04, u"TRADITIONAL_CHINESE"},
      {0x1404, u"TRADITIONAL_CHINESE"}, {0x7C04, u"TRADITIONAL_CHINESE"},
      // Portuguese by country: Brazil's is shipped, Portugal's is not; an unknown sub-language.
      {0x0416, u"PORTUGUESE_BRAZIL"}, {0x0816, u"NEUTRAL"}, {0xF416, u"NEUTRAL"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(std::u16string(DisplayLanguageSection(row.id)), row.section) << std::hex << row.id;
  }
}

TEST(SettingsRules, PathsFollowTheCurrentDirectory) {
  const std::u16string dir511(511, u'd');
  const std::u16string dir600 = u"C:\\" + std::u16string(597, u'x');
  struct Row {
    const char* name;
    std::function<void(FakeDirectory&)> arrange;
    std::u16string directory;
    std::u16string expectedWork;
    std::vector<std::uint32_t> expectedSizes;
    bool fails;
  };
  const Row rows[] = {
      {"plain folder", nullptr, u"C:\\Tools", u"C:\\Tools\\", {511}, false},
      {"already ends in backslash", nullptr, u"C:\\Tools\\", u"C:\\Tools\\", {511}, false},
      {"drive root", nullptr, u"C:\\", u"C:\\", {511}, false},
      {"no directory", nullptr, u"", u"", {511}, true},
      {"510 characters fit", nullptr, std::u16string(510, u'e'), std::u16string(510, u'e') + u"\\", {511}, false},
      {"511 characters need a second ask", nullptr, dir511, dir511 + u"\\", {511, 512}, false},
      {"600 characters", nullptr, dir600, dir600 + u"\\", {511, 601}, false},
      {"grew between the asks", [](FakeDirectory& d) { d.ChangeAfterFirstAsk(std::u16string(900, u'g')); },
       std::u16string(700, u'f'), u"", {511, 701}, false},
      {"needs more than any block holds", [](FakeDirectory& d) { d.ClaimNeeded(70000); }, u"C:\\", u"", {511}, false},
  };
  for (const Row& row : rows) {
    FakeDirectory directory(row.directory, row.fails);
    if (row.arrange) row.arrange(directory);
    ConfigurationPaths paths;
    FormConfigurationPaths(directory.Source(), paths);
    ASSERT_NE(paths.WorkDirectory, nullptr) << row.name;
    EXPECT_EQ(std::u16string(paths.WorkDirectory), row.expectedWork) << row.name;
    EXPECT_EQ(std::u16string(paths.ConfigFilePath), row.expectedWork + u"Quillon.cfg") << row.name;
    EXPECT_EQ(std::u16string(paths.LanguageFilePath), row.expectedWork + u"Language.cfg") << row.name;
    EXPECT_EQ(directory.Sizes(), row.expectedSizes) << row.name;
    ReleaseConfigurationPaths(paths);
    EXPECT_EQ(paths.WorkDirectory, nullptr);
  }
}

TEST(SettingsRules, StampAndWritesGoToTheirSections) {
  FakeProfile profile;
  StampMainSection(profile.Access(), kConfigFile, {u"Velmora Workshop", u"Quillon", u"KTRM-0001-0007", u"01.00.1020.0000"});
  const struct { std::int32_t value; const char16_t* text; } values[] = {
      {0, u"0"}, {1, u"1"}, {-1, u"-1"}, {9999, u"9999"}, {INT_MAX, u"2147483647"}, {INT_MIN, u"-2147483648"}};
  for (const auto& v : values) WriteOption(profile.Access(), kConfigFile, u"UpDownIntervalTime", v.value);

  std::vector<std::u16string> written;
  for (const auto& call : profile.Writes()) {
    EXPECT_EQ(call.File, kConfigFile);
    written.push_back(call.Section + u":" + call.Key + u"=" + call.Text);
  }
  std::vector<std::u16string> expected = {u"Main:Provider=Velmora Workshop", u"Main:Product=Quillon",
                                          u"Main:Signature=KTRM-0001-0007", u"Main:Version=01.00.1020.0000"};
  for (const auto& v : values) expected.push_back(std::u16string(u"Options:UpDownIntervalTime=") + v.text);
  EXPECT_EQ(written, expected);
}

TEST(SettingsRules, WithoutAPathNothingIsWrittenAndDefaultsApply) {
  // A null path would send the platform's write to a system-wide file; a failed allocation can
  // leave ConfigFilePath null.
  FakeProfile profile;
  StampMainSection(profile.Access(), nullptr, {u"a", u"b", u"c", u"d"});
  WriteOption(profile.Access(), nullptr, u"AutoTips", 1);
  WriteOption(profile.Access(), kConfigFile, nullptr, 1);
  EXPECT_TRUE(profile.Writes().empty());

  profile.Set(u"Options", u"LogFileMaxSize", u"10");
  Settings settings;
  ReadOptions(profile.Access(), nullptr, SettingsReader::Panel, settings);
  EXPECT_TRUE(profile.Reads().empty());
  EXPECT_EQ(settings.LogFileMaxSize, 5120u);
  EXPECT_EQ(settings.HookTypeBits, 0x07);
}

}  // namespace
