// Language lookups through the real profile functions: the key as fallback for a missing file,
// section or key, texts shown as they stand, balloon texts, window texts, the shipped file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "configuration.h"
#include "language.h"
#include "profile_test_support.h"
#include "text_helpers.h"

namespace {

using LanguageTest = ProfileFolderTest;

std::wstring Text(const wchar_t* key, int capacity = kShortTextCapacity) {
  wchar_t buffer[kLongTextCapacity];
  GetLangText(buffer, key, capacity);
  return buffer;
}

std::wstring Tip(const wchar_t* key, int capacity = kShortTextCapacity) {
  wchar_t buffer[kLongTextCapacity];
  GetLangTipText(buffer, key, capacity);
  return buffer;
}

void UseLanguage(const std::wstring& folder, const char* section) {
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg", std::string("[Main]\r\nLanguage=") + section + "\r\n"));
  OpenConfiguration();
}

TEST_F(LanguageTest, MissingFileSectionOrKeyGivesTheKey) {
  const std::wstring folder = EnterScratchFolder();
  struct Row { const char* name; const char* language; bool writeFile; const wchar_t* key; std::wstring expected; };
  const Row rows[] = {
      {"no file", "NEUTRAL", false, L"TEXT_EXIT", L"TEXT_EXIT"},
      {"no section", "KLINGON", true, L"TEXT_EXIT", L"TEXT_EXIT"},
      {"empty language: the display language's (English here)", "", true, L"TEXT_EXIT", L"Exit"},
      {"no key", "NEUTRAL", true, L"TEXT_SET", L"TEXT_SET"},
      {"key cut to 22", "NEUTRAL", true, L"TEXT_UNHOOKSUCCESSFULLY", L"TEXT_UNHOOKSUCCESSFULL"},
      {"found", "NEUTRAL", true, L"TEXT_EXIT", L"Exit"},
      {"found in any case", "neutral", true, L"text_exit", L"Exit"},
  };
  for (const Row& row : rows) {
    DeleteFileW((folder + L"Language.cfg").c_str());
    if (row.writeFile) {
      ASSERT_TRUE(WriteFileBytes(folder + L"Language.cfg", Utf16LeWithBom(L"[NEUTRAL]\r\nTEXT_EXIT=Exit\r\n")));
    }
    UseLanguage(folder, row.language);
    EXPECT_EQ(Text(row.key), row.expected) << row.name;
    ReleaseConfiguration();
  }
}

TEST_F(LanguageTest, TextsAreShownAsTheyStand) {
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(WriteFileBytes(folder + L"Language.cfg",
                             Utf16LeWithBom(L"[NEUTRAL]\r\n"
                                            L"TEXT_COUNT=%d blocked %s\r\n"
                                            L"TEXT_MINIMIZED=\r\n"
                                            L"TEXT_HOOK=Start filtering the mouse now!\r\n"
                                            L"TEXT_TIPSTITLE=" + std::wstring(100, L'T') + L"\r\n"
                                            L"TEXT_QLNNAME=" + std::wstring(140, L'Q') + L"\r\n")));
  UseLanguage(folder, "NEUTRAL");
  struct Row { const char* name; std::wstring got; std::wstring expected; };
  const Row rows[] = {
      {"percent directives", Text(L"TEXT_COUNT"), L"%d blocked %s"},
      {"empty text is not the key", Text(L"TEXT_MINIMIZED"), L""},
      {"empty tip is one line feed", Tip(L"TEXT_MINIMIZED"), L"\n"},
      {"tip of a missing key", Tip(L"TEXT_UNHOOKED"), L"\nTEXT_UNHOOKED"},
      {"30 characters through a short buffer", Text(L"TEXT_HOOK"), L"Start filtering the mo"},
      {"100 characters fit", Text(L"TEXT_TIPSTITLE", kLongTextCapacity), std::wstring(100, L'T')},
      {"140 characters cut to 126", Text(L"TEXT_QLNNAME", kLongTextCapacity), std::wstring(126, L'Q')},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.expected) << row.name;
}

TEST_F(LanguageTest, WindowTextsTakeUpTo126Characters) {
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(WriteFileBytes(folder + L"Language.cfg",
                             Utf16LeWithBom(L"[NEUTRAL]\r\nTEXT_HOOK=Start filtering the mouse now!\r\n"
                                            L"TEXT_APPNAME=" + std::wstring(130, L'A') + L"\r\n")));
  UseLanguage(folder, "NEUTRAL");
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  struct Row { const wchar_t* key; std::wstring expected; };
  const Row rows[] = {{L"TEXT_HOOK", L"Start filtering the mouse now!"},
                      {L"TEXT_APPNAME", std::wstring(126, L'A')},
                      {L"TEXT_EXIT", L"TEXT_EXIT"}};
  for (const Row& row : rows) {
    SetLangWindowText(window, row.key);
    wchar_t shown[256] = {};
    GetWindowTextW(window, shown, 256);
    EXPECT_EQ(std::wstring(shown), row.expected) << Narrow(row.key);
  }
  DestroyWindow(window);
}

TEST_F(LanguageTest, ShippedFileReadsInEverySection) {
  const std::wstring folder = EnterScratchFolder();
  ASSERT_TRUE(CopyInto(BinDirectory() + L"Language.cfg", folder)) << "Language.cfg is built beside the programs";
  struct Row { const char* section; const wchar_t* key; std::wstring expected; };
  const Row rows[] = {
      {"NEUTRAL", L"TEXT_EXIT", L"Exit"},
      {"GERMAN", L"TEXT_SET", L"\u00DCbernehmen"},
      {"FRENCH", L"TEXT_ABOUT", L"\u00C0 propos de Quillon"},
      {"SPANISH", L"LANG_NAME", L"Espa\u00F1ol"},
      {"SIMPLIFIED_CHINESE", L"TEXT_EXIT", L"\u9000\u51FA"},
      {"JAPANESE", L"TEXT_EXIT", L"\u7D42\u4E86"},
  };
  for (const Row& row : rows) {
    UseLanguage(folder, row.section);
    EXPECT_EQ(Text(row.key), row.expected) << row.section;
    // The last key of each section is found too: no line of the section was lost.
    EXPECT_NE(Text(L"TEXT_REMOVESTARTUP", kLongTextCapacity), L"TEXT_REMOVESTARTUP") << row.section;
    ReleaseConfiguration();
  }
}

}  // namespace
