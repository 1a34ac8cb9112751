// Quillrun's usage box: its caption and eight lines, from the language file beside the program.
#include "quillrun_test_support.h"
#include "text_helpers.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kMessageTextId = 0xFFFF;  // the static control that holds a message box's text

struct Box {
  std::wstring caption;
  std::wstring text;
  DWORD exitCode = 0;
};

// Starts "Quillrun /?" from folder, reads its message box and closes it with OK.
Box ShowUsageOf(const std::wstring& folder, const std::wstring& workingDirectory) {
  Box box;
  ChildProcess child = ChildProcess::Start(QuillrunIn(folder), L"/?", workingDirectory);
  EXPECT_TRUE(child.Started());
  const HWND window = FindTopWindowOfProcess(child.Pid(), L"#32770", 15000);
  EXPECT_NE(window, nullptr) << "no usage box";
  if (!window) return box;
  // The box exists before its texts are set; it shows once they are.
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }, 10000)) << "the usage box never showed";
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  box.caption = text;
  text[0] = 0;
  GetDlgItemTextW(window, kMessageTextId, text, 2048);
  box.text = text;
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(child.WaitForExit(10000)) << "the usage box did not close";
  box.exitCode = child.ExitCode();
  return box;
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (wchar_t c : text) {
    if (c == L'\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// The language file beside the program; the working directory holds a decoy that must not be read.
struct Row {
  const char* name;
  std::wstring config;    // Quillon.cfg beside the program; empty: none
  std::wstring language;  // Language.cfg beside the program; empty: none
  std::wstring caption;
  std::vector<std::wstring> lines;
};

TEST(QuillrunUsage, ShowsTheEightLinesOfTheChosenLanguage) {
  const std::wstring texts =
      L"TEXT_APPNAME=Quillon start-up\r\nTEXT_CMDLINEUSAGE=Keeps the filter on 100% of the time\r\n"
      L"TEXT_FORMAT=Syntax\r\nTEXT_SAMPLE=Examples\r\nTEXT_RUN=Quillrun.exe  (filter now)\r\n"
      L"TEXT_ADDSTARTUP=Start at log-on:\r\nTEXT_REMOVESTARTUP=Stop starting at log-on:\r\n";
  const std::vector<std::wstring> translated = {
      L"Keeps the filter on 100% of the time", L"", L"<Syntax>", L"    Quillrun.exe /[REG|UNREG]", L"<Examples>",
      L"    Quillrun.exe  (filter now)", L"    Start at log-on: Quillrun.exe /REG",
      L"    Stop starting at log-on: Quillrun.exe /UNREG"};
  const std::vector<std::wstring> keys = {
      L"TEXT_CMDLINEUSAGE", L"", L"<TEXT_FORMAT>", L"    Quillrun.exe /[REG|UNREG]", L"<TEXT_SAMPLE>",
      L"    TEXT_RUN", L"    TEXT_ADDSTARTUP Quillrun.exe /REG", L"    TEXT_REMOVESTARTUP Quillrun.exe /UNREG"};

  const Row rows[] = {
      {"no language file", L"", L"", L"TEXT_APPNAME", keys},
      {"NEUTRAL section", L"", L"[NEUTRAL]\r\n" + texts, L"Quillon start-up", translated},
      {"section named by [Main] Language", L"[Main]\r\nLanguage=Testing\r\n",
       L"[NEUTRAL]\r\nTEXT_APPNAME=wrong section\r\n[Testing]\r\n" + texts, L"Quillon start-up", translated},
      {"section missing from the file", L"[Main]\r\nLanguage=Absent\r\n", L"[NEUTRAL]\r\n" + texts,
       L"TEXT_APPNAME", keys},
  };

  const std::wstring elsewhere = MakeScratchFolder(L"quillrun-usage-cwd");
  ASSERT_TRUE(WriteProfile(elsewhere + L"Language.cfg", L"[NEUTRAL]\r\nTEXT_APPNAME=decoy\r\nTEXT_FORMAT=decoy\r\n"));
  for (const Row& row : rows) {
    const std::wstring folder = PrepareQuillrunFolder(L"quillrun-usage", false);
    ASSERT_FALSE(folder.empty());
    if (!row.config.empty()) {
      ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg", row.config));
    }
    if (!row.language.empty()) {
      ASSERT_TRUE(WriteProfile(folder + L"Language.cfg", row.language));
    }

    const Box box = ShowUsageOf(folder, elsewhere);
    EXPECT_EQ(Narrow(box.caption), Narrow(row.caption)) << row.name;
    const std::vector<std::wstring> lines = SplitLines(box.text);
    ASSERT_EQ(lines.size(), 8u) << row.name << ":\n" << Narrow(box.text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(Narrow(lines[i]), Narrow(row.lines[i])) << row.name << ", line " << i + 1;
    }
    EXPECT_EQ(box.exitCode, 0u) << row.name;
  }
}

TEST(QuillrunUsage, TextsAtTheirLongestAreCutToTheBuffer) {
  // Each text one longer than its buffer keeps; the six reach 548 characters beside the layout's 90.
  const std::wstring long127(127, L'L'), short23(23, L'S');
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-usage-long", false);
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteProfile(folder + L"Language.cfg",
                           L"[NEUTRAL]\r\nTEXT_APPNAME=" + long127 + L"\r\nTEXT_CMDLINEUSAGE=" + long127 +
                               L"\r\nTEXT_FORMAT=" + short23 + L"\r\nTEXT_SAMPLE=" + short23 + L"\r\nTEXT_RUN=" +
                               long127 + L"\r\nTEXT_ADDSTARTUP=" + long127 + L"\r\nTEXT_REMOVESTARTUP=" + long127 +
                               L"\r\n"));

  const Box box = ShowUsageOf(folder, folder);
  EXPECT_EQ(box.caption, std::wstring(126, L'L'));
  const std::wstring l126(126, L'L'), s22(22, L'S');
  const std::wstring whole = l126 + L"\n\n<" + s22 + L">\n    Quillrun.exe /[REG|UNREG]\n<" + s22 + L">\n    " +
                             l126 + L"\n    " + l126 + L" Quillrun.exe /REG\n    " + l126 + L" Quillrun.exe /UNREG";
  ASSERT_EQ(whole.size(), 638u);
  EXPECT_EQ(box.text.size(), 511u);
  EXPECT_EQ(Narrow(box.text), Narrow(whole.substr(0, 511)));
  EXPECT_EQ(box.exitCode, 0u);
}

}  // namespace
