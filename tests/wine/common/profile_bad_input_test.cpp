// Bad settings and language files: binary garbage, an endless line, a folder in the file's place,
// a read-only file. Nothing crashes, defaults or initial values apply, nothing is reported.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "configuration.h"
#include "language.h"
#include "profile_test_support.h"

namespace {

using ProfileBadInputTest = ProfileFolderTest;

std::string Garbage(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 0x12345678u;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

TEST_F(ProfileBadInputTest, UnreadableFilesLeaveDefaults) {
  const std::wstring folder = EnterScratchFolder();
  const std::wstring config = folder + L"Quillon.cfg";
  const std::wstring language = folder + L"Language.cfg";
  struct Row {
    const char* name;
    std::function<void()> arrange;
    std::wstring exitText;  // what the lookup of TEXT_EXIT gives
  };
  const Row rows[] = {
      {"binary garbage", [&] {
         WriteFileBytes(config, Garbage(64 * 1024));
         WriteFileBytes(language, Garbage(64 * 1024));
       }, L"TEXT_EXIT"},
      {"garbage behind a byte-order mark", [&] {
         WriteFileBytes(config, "\xFF\xFE" + Garbage(4096));
         WriteFileBytes(language, "\xFF\xFE" + Garbage(4095));  // odd length too
       }, L"TEXT_EXIT"},
      {"a 100000-character line", [&] {
         WriteFileBytes(config, "[Options]\r\nPadding=" + std::string(100000, '7') + "\r\n" +
                                    "[" + std::string(100000, 'M') + "]\r\n");
         WriteFileBytes(language, Utf16LeWithBom(L"[NEUTRAL]\r\nTEXT_EXIT=" + std::wstring(100000, L'x') + L"\r\n"));
       }, std::wstring(22, L'x')},
      {"folders in the files' place", [&] {
         CreateDirectoryW(config.c_str(), nullptr);
         CreateDirectoryW(language.c_str(), nullptr);
       }, L"TEXT_EXIT"},
  };
  for (const Row& row : rows) {
    RemoveFolder(config);
    DeleteFileW(config.c_str());
    RemoveFolder(language);
    DeleteFileW(language.c_str());
    row.arrange();

    Settings runner;
    ReadRunnerSettings(runner);
    EXPECT_NE(LanguageSection, nullptr) << row.name;
    EXPECT_EQ(runner.UpDownIntervalTime, 40u) << row.name;
    EXPECT_EQ(runner.LogFileMaxSize, 5120u) << row.name;
    ReleaseConfiguration();

    OpenConfiguration();
    EXPECT_EQ(std::wstring(LanguageSection), L"NEUTRAL") << row.name;
    Settings s;
    ReadSettings(s);
    EXPECT_EQ(s.HookTypeBits, 0x07) << row.name;
    EXPECT_EQ(s.UpDownIntervalTime, 40u) << row.name;
    EXPECT_EQ(s.RefreshIntervalTime, 500u) << row.name;
    EXPECT_EQ(s.LogFileMaxSize, 5120u) << row.name;
    EXPECT_TRUE(s.WindowShown && s.UseWhiteBackground) << row.name;
    WriteSetting(L"AutoTips", 1);  // may fail; must not crash

    wchar_t text[kShortTextCapacity];
    GetLangText(text, L"TEXT_EXIT", kShortTextCapacity);
    EXPECT_EQ(std::wstring(text), row.exitText) << row.name;
    wchar_t tip[kShortTextCapacity];
    GetLangTipText(tip, L"TEXT_EXIT", kShortTextCapacity);
    EXPECT_EQ(std::wstring(tip), L"\n" + row.exitText) << row.name;
    ReleaseConfiguration();
  }
}

TEST_F(ProfileBadInputTest, LongLineIsSeenThroughTwentyTwoCharacters) {
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg",
                             "[Options]\r\nDbClickIntervalTime=00000000000000000000" + std::string(100000, '9') +
                                 "\r\nLogFileMaxSize=10\r\n"));
  OpenConfiguration();
  Settings s;
  ReadSettings(s);
  EXPECT_EQ(s.DbClickIntervalTime, 99u);  // twenty zeros, then the two nines that fit
  EXPECT_EQ(s.LogFileMaxSize, 10u);       // the line after the long one is still read
}

TEST_F(ProfileBadInputTest, ReadOnlyFileIsReadAndSilentlyNotWritten) {
  const std::wstring folder = EnterScratchFolder();
  const std::wstring config = folder + L"Quillon.cfg";
  const std::string original = "[Options]\r\nAutoTips=0\r\nRefreshIntervalTime=250\r\n";
  ASSERT_TRUE(WriteFileBytes(config, original));
  ASSERT_TRUE(SetFileAttributesW(config.c_str(), FILE_ATTRIBUTE_READONLY));

  OpenConfiguration();  // the stamp fails, unnoticed
  Settings s;
  ReadSettings(s);
  EXPECT_EQ(s.RefreshIntervalTime, 250u);
  WriteSetting(L"AutoTips", 1);
  // Wine run by root writes through the read-only attribute, so the file can only be expected
  // unchanged where the platform refuses to open it for writing.
  HANDLE probe = CreateFileW(config.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool enforced = probe == INVALID_HANDLE_VALUE;
  if (!enforced) CloseHandle(probe);
  if (enforced) {
    EXPECT_EQ(ReadFileBytes(config), original);
  }
  EXPECT_EQ(std::wstring(LanguageSection), L"NEUTRAL");
}

}  // namespace
