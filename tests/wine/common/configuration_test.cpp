// "Quillon.cfg" through the real profile functions: defaults without a file, the [Main] stamp,
// single-key writes that leave the rest of the file alone, Unicode files, the drive root.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "configuration.h"
#include "profile_test_support.h"
#include "text_helpers.h"

namespace {

using ConfigurationTest = ProfileFolderTest;

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string WithoutBlankLines(std::string text) {
  for (std::size_t at; (at = text.find("\r\n\r\n")) != std::string::npos;) text.erase(at, 2);
  return text;
}

void ExpectAllDefaults(const Settings& s, bool panel) {
  EXPECT_EQ(s.HookTypeBits, 0x07);
  EXPECT_EQ(s.UpDownIntervalTime, 40u);
  EXPECT_EQ(s.DbClickIntervalTime, 170u);
  EXPECT_EQ(s.RotReverseIntervalTime, 40u);
  EXPECT_FALSE(s.LogToFile);
  EXPECT_EQ(s.LogFileMaxSize, 5120u);
  if (!panel) return;
  EXPECT_EQ(s.AutoTipsIntervalTime, 3000u);
  EXPECT_EQ(s.RefreshIntervalTime, 500u);
  EXPECT_TRUE(s.UseWhiteBackground && s.AutoClearCountLog && s.WindowShown);
  EXPECT_FALSE(s.AutoTips || s.AutoHook || s.SelfHookEnabled || s.ShowHookResultForce);
}

TEST_F(ConfigurationTest, FirstStartStampsMainAndReadsAllDefaults) {
  const std::wstring folder = EnterScratchFolder();
  OpenConfiguration();
  ASSERT_NE(ConfigFilePath, nullptr);
  EXPECT_EQ(std::wstring(WorkDirectory), folder);
  EXPECT_EQ(std::wstring(ConfigFilePath), folder + L"Quillon.cfg");
  EXPECT_EQ(std::wstring(LanguageFilePath), folder + L"Language.cfg");
  EXPECT_EQ(std::wstring(LanguageSection), L"NEUTRAL");

  Settings settings;
  ReadSettings(settings);
  ExpectAllDefaults(settings, true);

  const std::vector<std::wstring> expected = {L"[Main]", L"Provider=Velmora Workshop", L"Product=Quillon",
                                              L"Signature=KTRM-0001-0007", L"Version=01.00.1020.0000"};
  std::vector<std::wstring> lines = Lines(ReadFileText(folder + L"Quillon.cfg"));
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  EXPECT_EQ(lines, expected);
}

TEST_F(ConfigurationTest, RunnerWithoutAFileReadsDefaultsAndWritesNothing) {
  const std::wstring folder = EnterScratchFolder();
  Settings settings;
  ReadRunnerSettings(settings);
  ExpectAllDefaults(settings, false);
  EXPECT_EQ(std::wstring(LanguageSection), L"NEUTRAL");
  EXPECT_FALSE(FileExists(folder + L"Quillon.cfg"));
}

TEST_F(ConfigurationTest, StoredTextIsSeenAsThePlatformDeliversIt) {
  // The rules themselves are host-tested; here: names in any case, an empty value that is not the
  // default, and the platform cutting a value to the 22 characters the reads allow.
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg",
                             "[main]\r\nLANGUAGE=ABCDEFGHIJKLMNOPQRSTUVWXYZ0123\r\n"
                             "[options]\r\n"
                             "hooklbutton=\r\n"
                             "DbClickIntervalTime=000000000000000000001234567890\r\n"
                             "DisableSelfHook=no\r\n"
                             "LogFileMaxSize=20000\r\n"));
  OpenConfiguration();
  EXPECT_EQ(std::wstring(LanguageSection), L"ABCDEFGHIJKLMNOPQRSTUV");
  Settings s;
  ReadSettings(s);
  EXPECT_EQ(s.HookTypeBits, kSourceRightButton | kSourceWheel);
  EXPECT_EQ(s.DbClickIntervalTime, 12u);
  EXPECT_TRUE(s.SelfHookEnabled);
  EXPECT_EQ(s.LogFileMaxSize, 1024u);
}

TEST_F(ConfigurationTest, Utf16FileWithByteOrderMarkIsRead) {
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg",
                             Utf16LeWithBom(L"[Main]\r\nLanguage=\u65E5\u672C\u8A9E\r\n"
                                            L"[Options]\r\nUpDownIntervalTime=77\r\nHookLButton=0\r\n")));
  OpenConfiguration();
  EXPECT_EQ(std::wstring(LanguageSection), L"\u65E5\u672C\u8A9E");
  Settings s;
  ReadSettings(s);
  EXPECT_EQ(s.UpDownIntervalTime, 77u);
  EXPECT_EQ(s.HookTypeBits, kSourceRightButton | kSourceWheel);
  // The stamp went into the same file and kept it readable as Unicode.
  WriteSetting(L"AutoTips", 1);
  const std::wstring text = ReadFileText(folder + L"Quillon.cfg");
  EXPECT_NE(text.find(L"Language=\u65E5\u672C\u8A9E"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(L"AutoTips=1"), std::wstring::npos) << Narrow(text);
}

TEST_F(ConfigurationTest, WriteSettingReplacesOneKeyAndLeavesTheRest) {
  const std::wstring folder = EnterScratchFolder();
  const std::string original =
      "; Quillon settings, edited by hand\r\n"
      "[Main]\r\n"
      "Language=NEUTRAL\r\n"
      "\r\n"
      "[Options]\r\n"
      "; intervals in milliseconds\r\n"
      "UpDownIntervalTime=55\r\n"
      "AutoTips=0\r\n"
      "LogToFile=1\r\n";
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg", original));
  Settings unused;
  ReadRunnerSettings(unused);  // forms the paths without stamping

  struct Row { const wchar_t* key; int value; const char* expectedFile; };
  const Row rows[] = {
      {L"AutoTips", 1,
       "; Quillon settings, edited by hand\r\n[Main]\r\nLanguage=NEUTRAL\r\n\r\n[Options]\r\n"
       "; intervals in milliseconds\r\nUpDownIntervalTime=55\r\nAutoTips=1\r\nLogToFile=1\r\n"},
      {L"UpDownIntervalTime", -1,
       "; Quillon settings, edited by hand\r\n[Main]\r\nLanguage=NEUTRAL\r\n\r\n[Options]\r\n"
       "; intervals in milliseconds\r\nUpDownIntervalTime=-1\r\nAutoTips=1\r\nLogToFile=1\r\n"},
  };
  for (const Row& row : rows) {
    WriteSetting(row.key, row.value);
    // Wine: the profile is rewritten from its parsed form and blank lines are dropped; Windows
    // keeps them. Comments, order and every other line must survive on both.
    EXPECT_EQ(WithoutBlankLines(ReadFileBytes(folder + L"Quillon.cfg")), WithoutBlankLines(row.expectedFile))
        << Narrow(row.key);
  }
  // A missing key is added to [Options], and the read sees it.
  WriteSetting(L"Minimized", 1);
  const std::wstring text = ReadFileText(folder + L"Quillon.cfg");
  EXPECT_NE(text.find(L"Minimized=1"), std::wstring::npos) << Narrow(text);
  EXPECT_EQ(text.find(L"; intervals in milliseconds"), text.find(L"; intervals"));
  Settings s;
  ReadSettings(s);
  EXPECT_FALSE(s.WindowShown);
  EXPECT_EQ(s.UpDownIntervalTime, 40u);  // -1 lies in no range
}

TEST_F(ConfigurationTest, DriveRootGetsNoSecondBackslash) {
  EnterScratchFolder();
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  Settings unused;
  ReadRunnerSettings(unused);  // never writes, so C:\ stays untouched
  EXPECT_EQ(std::wstring(WorkDirectory), L"C:\\");
  EXPECT_EQ(std::wstring(ConfigFilePath), L"C:\\Quillon.cfg");
  EXPECT_EQ(std::wstring(LanguageFilePath), L"C:\\Language.cfg");
}

}  // namespace
