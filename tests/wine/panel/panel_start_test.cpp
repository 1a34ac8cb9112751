// Starting the panel: the first start's settings file and caption, a missing or incomplete
// library, and a hook that another process installed before the start.
#include <gtest/gtest.h>

#include "panel_test_support.h"
#include "resource.h"

namespace {

constexpr std::uint8_t kWheelOnly = 0x02;

using Keys = std::vector<std::wstring>;

Keys SectionNames(const std::wstring& file) {
  std::vector<wchar_t> buffer(4096, L'\0');
  const DWORD length = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
  Keys names;
  for (DWORD at = 0; at < length && buffer[at] != L'\0'; at += static_cast<DWORD>(names.back().size()) + 1) {
    names.emplace_back(&buffer[at]);
  }
  return names;
}

TEST(PanelStart, FirstStartWritesTheSettingsFile) {
  struct Row { const char* name; bool languageFile; std::wstring caption; };
  const Row rows[] = {
      {"without a language file", false, L"TEXT_APPNAME"},
      {"with the shipped language file", true, ShippedText(L"NEUTRAL", L"TEXT_APPNAME")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    files.languageFile = row.languageFile;
    ASSERT_TRUE(panel.Start(row.languageFile ? L"start-first-language" : L"start-first-keys", files));
    EXPECT_TRUE(panel.Eventually([&] { return panel.Caption() == row.caption; })) << panel.Caption().c_str();
    EXPECT_TRUE(panel.Eventually([&] { return IsWindowVisible(panel.Dialog()) != FALSE; }));

    EXPECT_EQ(ReadFileBytes(panel.Folder() + L"Quillon.cfg").substr(0, 2), std::string("\xFF\xFE"))
        << "started as UTF-16LE, as the installer does";
    EXPECT_EQ(SectionNames(panel.Folder() + L"Quillon.cfg"), (Keys{L"Main", L"Options"}));
    EXPECT_EQ(panel.SettingKeys(L"Main"), (Keys{L"Provider", L"Product", L"Signature", L"Version"}));
    EXPECT_EQ(panel.SettingKeys(L"Options"),
              (Keys{L"HookLButton", L"HookRButton", L"HookWheel", L"AutoTips", L"AutoHook", L"LogToFile"}));
    const std::pair<const wchar_t*, const wchar_t*> values[] = {
        {L"HookLButton", L"1"}, {L"HookRButton", L"1"}, {L"HookWheel", L"1"},
        {L"AutoTips", L"0"},    {L"AutoHook", L"0"},    {L"LogToFile", L"0"}};
    for (const auto& [key, value] : values) EXPECT_EQ(panel.Setting(L"Options", key), value) << key;
    EXPECT_EQ(panel.Setting(L"Main", L"Version"), L"01.00.1020.0000");
    EXPECT_TRUE(panel.ExitCleanly());
  }
}

// Without the installer, a language whose name lies outside the ANSI code page: the settings
// file the first start made keeps the name through the panel's writes at every later start.
TEST(PanelStart, LanguageNameOutsideTheCodePageSurvivesThePanelsWrites) {
  const std::wstring language = L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439";  // "Russian", in Cyrillic
  const std::wstring caption = L"\u041c\u044b\u0448\u044c";                       // "Mouse"
  PanelProcess panel;
  ASSERT_TRUE(panel.Start(L"start-unicode-settings", PanelFiles{}));
  EXPECT_TRUE(panel.ExitCleanly());
  const std::wstring settings = panel.Folder() + L"Quillon.cfg";
  ASSERT_TRUE(WriteFileBytes(panel.Folder() + L"Language.cfg",
                             Utf16LeWithBom(L"[" + language + L"]\r\nTEXT_APPNAME=" + caption + L"\r\n")));
  // As an editor that keeps the file's encoding would store it.
  ASSERT_TRUE(WritePrivateProfileStringW(L"Main", L"Language", language.c_str(), settings.c_str()));

  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    ASSERT_TRUE(panel.Launch());
    EXPECT_TRUE(panel.Eventually([&] { return panel.Caption() == caption; }));
    EXPECT_TRUE(panel.ExitCleanly());
    EXPECT_EQ(panel.Setting(L"Main", L"Language"), language);
  }
}

// Started from a command prompt elsewhere, the Run dialog or a shortcut without "Start in": the
// texts still come from the Language.cfg beside the panel, and settings and log stay there too.
TEST(PanelStart, KeepsItsFilesBesideItselfWhereverStarted) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  struct Row { const char* name; std::wstring workingDirectory; };
  const Row rows[] = {{"another folder", MakeScratchFolder(L"start-elsewhere-cwd")},
                      {"the Windows folder", std::wstring(windows) + L"\\"}};
  const wchar_t* const ownFiles[] = {L"Quillon.cfg", L"Quillon.log", L"Language.cfg"};
  const auto shipped = [](const wchar_t* key) { return ShippedText(L"NEUTRAL", key); };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (const wchar_t* name : ownFiles) ASSERT_FALSE(FileExists(row.workingDirectory + name));
    PanelProcess panel;
    PanelFiles files;
    files.languageFile = true;
    files.settings = OptionsSection({L"AutoHook=1", L"LogToFile=1"});
    ASSERT_TRUE(panel.Prepare(L"start-elsewhere", files));
    ASSERT_TRUE(panel.Launch(row.workingDirectory));

    EXPECT_TRUE(panel.Eventually([&] { return panel.Caption() == shipped(L"TEXT_APPNAME"); })) << panel.Caption().c_str();
    EXPECT_EQ(panel.Text(IDC_EXIT), shipped(L"TEXT_EXIT"));
    EXPECT_TRUE(panel.Eventually([&] {
      return panel.Text(IDC_UPDOWN_LABEL) ==
             shipped(L"TEXT_UPDOWNINTVTIME") + L" 40 " + shipped(L"TEXT_MILLISECOND");
    })) << panel.Text(IDC_UPDOWN_LABEL).c_str();
    EXPECT_EQ(panel.Text(IDC_ACTION), shipped(L"TEXT_UNHOOK")) << "AutoHook read from the folder's settings";
    EXPECT_EQ(panel.Setting(L"Main", L"Version"), L"01.00.1020.0000") << "stamped beside the panel";
    // The writer's first pass comes 3 s after the hook is installed.
    EXPECT_TRUE(panel.Eventually([&] { return FileExists(panel.Folder() + L"Quillon.log"); }, 10000));
    EXPECT_TRUE(panel.ExitCleanly());
    for (const wchar_t* name : ownFiles) {
      EXPECT_FALSE(FileExists(row.workingDirectory + name)) << "written outside the panel's folder";
    }
  }
}

// A second start of the same Quillon.exe brings the running panel out of the notification area
// and ends; a copy in another folder is another program and runs beside it.
TEST(PanelStart, ASecondStartBringsTheRunningPanelForward) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"Minimized=1"});
  ASSERT_TRUE(panel.Start(L"start-second", files));
  ASSERT_TRUE(panel.Eventually([&] { return TrayIconExists(panel.Dialog()); }));
  ChildProcess second = ChildProcess::Start(panel.Folder() + L"Quillon.exe", L"", panel.Folder());
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.WaitForExit(10000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(panel.Eventually([&] { return IsWindowVisible(panel.Dialog()) && !TrayIconExists(panel.Dialog()); }));
  PanelProcess other;
  ASSERT_TRUE(other.Start(L"start-second-elsewhere", {}));
  EXPECT_TRUE(other.ExitCleanly());
  EXPECT_TRUE(panel.ExitCleanly());
}

TEST(PanelStart, RunsOnWithoutAUsableLibrary) {
  struct Row { const char* name; PanelFiles::Library library; };
  const Row rows[] = {{"no library", PanelFiles::Library::None},
                      {"library lacking an export", PanelFiles::Library::LackingExport}};
  const int disabled[] = {IDC_LBUTTON,     IDC_RBUTTON,     IDC_WHEEL,          IDC_UPDOWN_EDIT,
                          IDC_DBCLICK_EDIT, IDC_ROTREVERSE_EDIT, IDC_UPDOWN_SET, IDC_DBCLICK_SET,
                          IDC_ROTREVERSE_SET, IDC_ACTION};
  const int enabled[] = {IDC_AUTOTIPS, IDC_AUTOHOOK, IDC_LOGTOFILE, IDC_EXIT};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    files.library = row.library;
    files.settings = OptionsSection({L"ShowHookResultForce=1"});
    ASSERT_TRUE(panel.Start(L"start-no-library", files));

    EXPECT_TRUE(panel.Eventually([&] { return !panel.Enabled(IDC_ACTION); }));
    for (int id : disabled) EXPECT_FALSE(panel.Enabled(id)) << id;
    for (int id : enabled) EXPECT_TRUE(panel.Enabled(id)) << id;
    EXPECT_EQ(panel.Text(IDC_UPDOWN_LABEL), L"TEXT_UPDOWNINTVTIME TEXT_UNKNOWN");
    EXPECT_EQ(panel.Text(IDC_DBCLICK_LABEL), L"TEXT_DBCLICKINTVTIME TEXT_UNKNOWN");
    EXPECT_EQ(panel.Text(IDC_ROTREVERSE_LABEL), L"TEXT_ROTREVERSEINTVTIME TEXT_UNKNOWN");

    // The action (here the command the disabled button would send) reports the failure.
    PostMessageW(panel.Dialog(), WM_COMMAND, IDC_ACTION, 0);
    std::vector<HWND> boxes;
    ASSERT_TRUE(panel.Eventually([&] {
      return !(boxes = MessageBoxesOf(panel.Process().Pid(), panel.Dialog())).empty();
    }));
    EXPECT_EQ(WindowText(boxes[0]), L"TEXT_RESULT");
    EXPECT_EQ(MessageBoxText(boxes[0]), L"TEXT_HOOKFAILED");
    PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(panel.Eventually([&] { return MessageBoxesOf(panel.Process().Pid(), panel.Dialog()).empty(); }));
    EXPECT_TRUE(panel.ExitCleanly());
  }
}

TEST(PanelStart, KeepsAHookThatAnotherProcessInstalled) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"AutoHook=1", L"LogToFile=1", L"UpDownIntervalTime=55"});
  ASSERT_TRUE(panel.Prepare(L"start-foreign-hook", files));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  library.SetHookType(kWheelOnly);
  library.SetIntervalTime(11, 22, 33);
  ASSERT_EQ(library.InstallHook(0), 1);
  library.SetLogState(1);
  ASSERT_TRUE(panel.Launch());

  EXPECT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ROTREVERSE_LABEL) == L"TEXT_ROTREVERSEINTVTIME 33 TEXT_MILLISECOND"; }));
  EXPECT_EQ(panel.Text(IDC_UPDOWN_LABEL), L"TEXT_UPDOWNINTVTIME 11 TEXT_MILLISECOND");
  EXPECT_EQ(panel.Text(IDC_DBCLICK_LABEL), L"TEXT_DBCLICKINTVTIME 22 TEXT_MILLISECOND");
  EXPECT_EQ(panel.Text(IDC_UPDOWN_EDIT), L"55") << "the edit boxes show the configured intervals";
  EXPECT_FALSE(panel.Checked(IDC_LBUTTON));
  EXPECT_FALSE(panel.Checked(IDC_RBUTTON));
  EXPECT_TRUE(panel.Checked(IDC_WHEEL));
  EXPECT_TRUE(panel.Checked(IDC_LOGTOFILE)) << "the library's log state";
  EXPECT_EQ(panel.Text(IDC_ACTION), L"TEXT_UNHOOK");

  // Nothing was pushed and nothing reinstalled: the test process still owns the hook.
  std::vector<std::uint32_t> intervals(3);
  intervals = library.Intervals();
  EXPECT_EQ(library.HookType(), kWheelOnly);
  EXPECT_EQ(intervals[0], 11u);
  EXPECT_TRUE(library.IsSelf());

  // A writer would have created the log file within its first 3 s pass.
  PumpMessagesFor(5000);
  EXPECT_FALSE(FileExists(panel.Folder() + L"Quillon.log")) << "only the installing process writes the log";

  EXPECT_TRUE(panel.ExitCleanly());
  EXPECT_FALSE(library.HookInstalled()) << "leaving the panel removes the hook";
}

// The panel, once it installed the hook, delivers the late release of a quick click (of the
// left and of the middle button) into another process's window, and leaving the panel delivers
// those still waiting (the right and a side button's) at once.
TEST(PanelStart, ReleaseGuardDeliversAndExitLeavesNoButtonDown) {
  PanelProcess panel;
  PanelFiles files;
  // Logging on: the log state is the panel's last step of switching the filter on.
  files.settings = OptionsSection({L"Minimized=1", L"AutoHook=1", L"LogToFile=1", L"UpDownIntervalTime=300",
                                   L"HookMButton=1", L"HookXButton1=1"});
  ASSERT_TRUE(panel.Start(L"start-release-guard", files));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(panel.Eventually([&] { return library.HookInstalled() && library.LogState(); }, 15000));
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  const std::vector<ReceivedMessage> click = {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}};

  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true, 600), ButtonStep(MouseButton::Left, false)}));
  EXPECT_TRUE(WaitUntil([&] { return target.Received().size() >= 2; }, 5000));
  EXPECT_EQ(Describe(target.Received()), Describe(click)) << "a tap";

  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Middle, true, 600), ButtonStep(MouseButton::Middle, false)}));
  EXPECT_TRUE(WaitUntil([&] { return target.Received().size() >= 2; }, 5000));
  EXPECT_EQ(Describe(target.Received()), Describe({{WM_MBUTTONDOWN, 0}, {WM_MBUTTONUP, 0}})) << "a middle tap";

  // Due in ten seconds; the exit must not wait for them. The right and first side buttons,
  // whose histories are still clean: a left press now would be too soon after the left release
  // above.
  library.SetIntervalTime(9999, 0, 0);
  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Right, true, 600), ButtonStep(MouseButton::Right, false),
                           ButtonStep(MouseButton::X1, true, 600), ButtonStep(MouseButton::X1, false)}));
  EXPECT_EQ(Describe(target.Received()), Describe({{WM_RBUTTONDOWN, 0}, {WM_XBUTTONDOWN, 1}}));
  const DWORD exiting = GetTickCount();
  EXPECT_TRUE(panel.ExitCleanly());
  EXPECT_TRUE(WaitUntil([&] { return target.Received().size() >= 4; }, 3000));
  EXPECT_LT(GetTickCount() - exiting, 9000u) << "delivered at their deadlines, not when the panel left";
  EXPECT_EQ(Describe(target.Received()),
            Describe({{WM_RBUTTONDOWN, 0}, {WM_XBUTTONDOWN, 1}, {WM_RBUTTONUP, 0}, {WM_XBUTTONUP, 1}}));
}

}  // namespace
