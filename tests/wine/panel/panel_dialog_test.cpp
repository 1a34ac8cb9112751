// The main dialog with the library: the action button, the controls that follow the hook,
// the intervals (Set, Enter, values from another process) and the hook-type boxes.
#include <gtest/gtest.h>

#include "panel_test_support.h"
#include "resource.h"

namespace {

const int kParameterControls[] = {IDC_LBUTTON,     IDC_RBUTTON,         IDC_WHEEL,
                                  IDC_UPDOWN_EDIT, IDC_DBCLICK_EDIT,    IDC_ROTREVERSE_EDIT,
                                  IDC_UPDOWN_SET,  IDC_DBCLICK_SET,     IDC_ROTREVERSE_SET};

bool ParametersEnabled(const PanelProcess& panel, bool enabled) {
  for (int id : kParameterControls) {
    if (panel.Enabled(id) != enabled) return false;
  }
  return true;
}

// Starts the panel and installs the hook through its action button.
void StartHooked(PanelProcess& panel, const wchar_t* folder, const std::vector<std::wstring>& options = {}) {
  PanelFiles files;
  files.settings = OptionsSection(options);
  ASSERT_TRUE(panel.Start(folder, files));
  ASSERT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ACTION) == L"TEXT_HOOK"; }));
  ASSERT_TRUE(panel.Click(IDC_ACTION));
  ASSERT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ACTION) == L"TEXT_UNHOOK"; }));
}

// Exit stops the filter whoever installed it, but asks first when another program installed it:
// here the start-up program, started as at log-on. Each answer does what it says.
TEST(PanelDialog, ExitAsksBeforeStoppingTheStartupProgramsFilter) {
  struct Row { const char* name; bool inTray; int answer; bool panelEnds; bool filterStays; };
  const Row rows[] = {
      {"stop filtering and exit", false, IDYES, true, false},
      {"from the notification area: stop filtering and exit", true, IDYES, true, false},
      {"exit and leave filtering running", false, IDNO, true, true},
      {"cancel: stay open", false, IDCANCEL, false, true},
  };
  const auto shipped = [](const wchar_t* key) { return ShippedText(L"NEUTRAL", key); };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    files.languageFile = true;
    files.startupProgram = true;
    if (row.inTray) files.settings = OptionsSection({L"Minimized=1"});
    ASSERT_TRUE(panel.Prepare(L"dialog-exit-question", files));
    LibraryCopy library(panel.Folder());
    ChildProcess runner = ChildProcess::Start(panel.Folder() + L"Quillrun.exe", L"", panel.Folder());
    ASSERT_TRUE(WaitUntil([&] { return library.HookInstalled(); }, 5000)) << "the start-up program filters";
    ASSERT_TRUE(panel.Launch());

    PostMessageW(panel.Dialog(), WM_COMMAND, row.inTray ? IDM_EXIT : IDC_EXIT, 0);
    const HWND box = panel.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "Exit must not stop a filter another program started silently";
    EXPECT_EQ(WindowText(box), shipped(L"TEXT_APPNAME"));
    EXPECT_EQ(MessageBoxText(box), shipped(L"TEXT_EXITASK") + L"\n\n" + shipped(L"TEXT_EXITSTOP") + L"\n" +
                                       shipped(L"TEXT_EXITKEEP") + L"\n" + shipped(L"TEXT_EXITCANCEL"));
    const LONG_PTR yesStyle = GetWindowLongPtrW(GetDlgItem(box, IDYES), GWL_STYLE);
    EXPECT_EQ(yesStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "Exit keeps its meaning: stopping is the default";
    EXPECT_TRUE(library.HookInstalled()) << "nothing is done before the answer";

    PostMessageW(box, WM_COMMAND, row.answer, 0);
    if (row.panelEnds) {
      EXPECT_TRUE(panel.Process().WaitForExit(10000));
      EXPECT_EQ(panel.Process().ExitCode(), 0u);
    } else {
      PumpMessagesFor(1000);
      EXPECT_TRUE(panel.Process().Running());
      EXPECT_TRUE(IsWindowVisible(panel.Dialog()));
    }
    EXPECT_EQ(library.HookInstalled(), row.filterStays);
    EXPECT_EQ(runner.WaitForExit(3000), !row.filterStays) << "the start-up program ends with its filter";
    if (!row.panelEnds) {
      EXPECT_TRUE(panel.ExitCleanly()) << "asked again, the default stops the filter";
    } else if (row.filterStays) {
      EXPECT_EQ(library.UninstallHook(), 1);
    }
    EXPECT_TRUE(runner.WaitForExit(3000));
  }
}

// A quick click (press and release at once, well inside the 300 ms bounce interval) on one of the
// panel's check boxes: the panel's own windows are not filtered, whoever installed the hook,
// unless DisableSelfHook = 0 asks for it.
TEST(PanelDialog, OwnWindowIsUnfilteredWhoeverInstalledTheHook) {
  struct Row { const char* name; bool byStartupProgram; const wchar_t* disableSelfHook; bool filtered; };
  const Row rows[] = {
      {"the start-up program's hook", true, L"1", false},
      {"the panel's own hook", false, L"1", false},
      {"the start-up program's hook, DisableSelfHook=0", true, L"0", true},
      {"the panel's own hook, DisableSelfHook=0", false, L"0", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    files.startupProgram = true;
    // Without the release guard, so a swallowed release stays swallowed and the box shows it.
    files.settings = OptionsSection({L"UpDownIntervalTime=300", L"ReleaseGuard=0",
                                     std::wstring(L"DisableSelfHook=") + row.disableSelfHook,
                                     row.byStartupProgram ? L"AutoHook=0" : L"AutoHook=1"});
    ASSERT_TRUE(panel.Prepare(L"dialog-own-window", files));
    LibraryCopy library(panel.Folder());
    ChildProcess runner;
    if (row.byStartupProgram) {
      runner = ChildProcess::Start(panel.Folder() + L"Quillrun.exe", L"", panel.Folder());
      ASSERT_TRUE(WaitUntil([&] { return library.HookInstalled(); }, 5000));
    }
    ASSERT_TRUE(panel.Launch());
    ASSERT_TRUE(panel.Eventually([&] { return library.HookInstalled() && panel.Text(IDC_ACTION) == L"TEXT_UNHOOK"; }));
    std::vector<std::uint32_t> intervals(3);
    intervals = library.Intervals();
    ASSERT_EQ(intervals[0], 300u);

    SetForegroundWindow(panel.Dialog());
    ASSERT_TRUE(panel.Eventually([&] { return GetForegroundWindow() == panel.Dialog(); }));
    RECT box = {};
    GetWindowRect(panel.Item(IDC_AUTOTIPS), &box);
    MoveCursorTo({box.left + 8, (box.top + box.bottom) / 2});
    const bool checkedBefore = panel.Checked(IDC_AUTOTIPS);
    SendClick(MouseButton::Left);
    SettleInput(500);
    std::vector<std::uint32_t> counts(3);
    if (row.filtered) {
      EXPECT_TRUE(panel.Eventually([&] { counts = library.Counts(); return counts[0] == 1; }));
      EXPECT_EQ(panel.Checked(IDC_AUTOTIPS), checkedBefore) << "the bounce-like release was swallowed";
    } else {
      EXPECT_TRUE(panel.Eventually([&] { return panel.Checked(IDC_AUTOTIPS) != checkedBefore; }));
      counts = library.Counts();
      EXPECT_EQ(counts[0], 0u);
    }
    EXPECT_TRUE(panel.ExitCleanly());
    if (row.byStartupProgram) {
      EXPECT_TRUE(runner.WaitForExit(3000));
    }
  }
}

TEST(PanelDialog, ActionButtonInstallsAndRemovesTheHook) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"LogToFile=1"});
  ASSERT_TRUE(panel.Start(L"dialog-action", files));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  // Until the first refresh tick the template's states stand.
  EXPECT_TRUE(panel.Eventually([&] { return ParametersEnabled(panel, false); }));
  EXPECT_EQ(panel.Text(IDC_ACTION), L"TEXT_HOOK");
  EXPECT_EQ(panel.Setting(L"Options", L"LogToFile"), L"1") << "the stored log choice survives the first tick";
  EXPECT_TRUE(panel.Checked(IDC_LOGTOFILE));

  struct Step { const char* name; bool installed; const wchar_t* caption; };
  const Step steps[] = {{"install", true, L"TEXT_UNHOOK"}, {"remove", false, L"TEXT_HOOK"},
                        {"install again", true, L"TEXT_UNHOOK"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ASSERT_TRUE(panel.Click(IDC_ACTION));
    EXPECT_EQ(library.HookInstalled(), step.installed);
    EXPECT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ACTION) == step.caption; }));
    EXPECT_TRUE(panel.Eventually([&] { return ParametersEnabled(panel, step.installed); }));
    EXPECT_TRUE(panel.Enabled(IDC_ACTION));
  }
  EXPECT_TRUE(library.IsSelf() == 0) << "the panel, not the test, installed it";
  EXPECT_TRUE(library.LogState()) << "logging is switched on after the install";
  EXPECT_TRUE(MessageBoxesOf(panel.Process().Pid(), panel.Dialog()).empty()) << "results are not forced";
  // The installing panel's writer starts its log within its first pass (3 s).
  EXPECT_TRUE(panel.Eventually([&] { return FileExists(panel.Folder() + L"Quillon.log"); }, 10000));

  EXPECT_TRUE(panel.ExitCleanly());
  EXPECT_FALSE(library.HookInstalled());
}

// Set and Enter apply a whole number from 1 to 9999, as the filter takes it. Anything else is
// refused at the box: nothing stored, the box back at the interval in force, a balloon saying why.
TEST(PanelDialog, IntervalsApplyBySetButtonAndEnter) {
  PanelProcess panel;
  StartHooked(panel, L"dialog-intervals");
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  DWORD_PTR limit = 0;
  SendMessageTimeoutW(panel.Item(IDC_UPDOWN_EDIT), EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit);
  EXPECT_EQ(limit, 5u) << "a fifth digit reaches Set and is refused there, it does not vanish";

  struct Row {
    const char* name; int edit; int label; bool enter; const wchar_t* typed; bool refused;
    int slot; std::uint32_t inLibrary; const wchar_t* key; const wchar_t* stored; const wchar_t* labelText;
  };
  const Row rows[] = {
      {"Set, up/down", IDC_UPDOWN_EDIT, IDC_UPDOWN_LABEL, false, L"25", false, 0, 25, L"UpDownIntervalTime", L"25",
       L"TEXT_UPDOWNINTVTIME 25 TEXT_MILLISECOND"},
      {"Enter, double click", IDC_DBCLICK_EDIT, IDC_DBCLICK_LABEL, true, L"300", false, 1, 300, L"DbClickIntervalTime",
       L"300", L"TEXT_DBCLICKINTVTIME 300 TEXT_MILLISECOND"},
      {"Enter, wheel, the largest", IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_LABEL, true, L"9999", false, 2, 9999,
       L"RotReverseIntervalTime", L"9999", L"TEXT_ROTREVERSEINTVTIME 9999 TEXT_MILLISECOND"},
      {"Set, the smallest", IDC_UPDOWN_EDIT, IDC_UPDOWN_LABEL, false, L"1", false, 0, 1, L"UpDownIntervalTime", L"1",
       L"TEXT_UPDOWNINTVTIME 1 TEXT_MILLISECOND"},
      {"0 refused", IDC_UPDOWN_EDIT, IDC_UPDOWN_LABEL, false, L"0", true, 0, 1, L"UpDownIntervalTime", L"1",
       L"TEXT_UPDOWNINTVTIME 1 TEXT_MILLISECOND"},
      {"empty box refused, by Enter", IDC_UPDOWN_EDIT, IDC_UPDOWN_LABEL, true, L"", true, 0, 1, L"UpDownIntervalTime",
       L"1", L"TEXT_UPDOWNINTVTIME 1 TEXT_MILLISECOND"},
      {"10000 refused", IDC_DBCLICK_EDIT, IDC_DBCLICK_LABEL, false, L"10000", true, 1, 300, L"DbClickIntervalTime",
       L"300", L"TEXT_DBCLICKINTVTIME 300 TEXT_MILLISECOND"},
      {"12345 refused, not cut to 1234", IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_LABEL, true, L"12345", true, 2, 9999,
       L"RotReverseIntervalTime", L"9999", L"TEXT_ROTREVERSEINTVTIME 9999 TEXT_MILLISECOND"},
      {"pasted letters refused", IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_LABEL, false, L"4x", true, 2, 9999,
       L"RotReverseIntervalTime", L"9999", L"TEXT_ROTREVERSEINTVTIME 9999 TEXT_MILLISECOND"},
      {"after a refusal, a good value applies", IDC_ROTREVERSE_EDIT, IDC_ROTREVERSE_LABEL, false, L"40", false, 2, 40,
       L"RotReverseIntervalTime", L"40", L"TEXT_ROTREVERSEINTVTIME 40 TEXT_MILLISECOND"},
  };
  const std::vector<std::wstring> noBalloon;
  const std::vector<std::wstring> refusal = {L"TEXT_SETREFUSED"};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SendMessageW(panel.Item(row.edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.typed));
    if (row.enter) {
      SendMessageW(panel.Item(row.edit), WM_KEYDOWN, VK_RETURN, 0);
    } else {
      panel.Click(row.edit + (IDC_UPDOWN_SET - IDC_UPDOWN_EDIT));
    }
    std::vector<std::uint32_t> intervals(3);
    intervals = library.Intervals();
    EXPECT_EQ(intervals[row.slot], row.inLibrary);
    EXPECT_EQ(panel.Setting(L"Options", row.key), row.stored);
    EXPECT_TRUE(panel.Eventually([&] { return panel.Text(row.label) == row.labelText; })) << panel.Text(row.label).c_str();
    EXPECT_EQ(panel.Text(row.edit), row.refused ? std::wstring(row.stored) : std::wstring(row.typed));
    EXPECT_EQ(VisibleTooltipTexts(panel.Process().Pid()), row.refused ? refusal : noBalloon);
  }
  // The balloon goes by itself after a few seconds.
  SendMessageW(panel.Item(IDC_UPDOWN_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
  panel.Click(IDC_UPDOWN_SET);
  EXPECT_EQ(VisibleTooltipTexts(panel.Process().Pid()), refusal);
  EXPECT_TRUE(panel.Eventually([&] { return VisibleTooltipTexts(panel.Process().Pid()).empty(); }, 10000));

  // Another process's change shows in the label; the edit box keeps what was typed.
  library.SetIntervalTime(0, 0, 77);
  EXPECT_TRUE(panel.Eventually(
      [&] { return panel.Text(IDC_ROTREVERSE_LABEL) == L"TEXT_ROTREVERSEINTVTIME 77 TEXT_MILLISECOND"; }));
  EXPECT_EQ(panel.Text(IDC_ROTREVERSE_EDIT), L"40");
  EXPECT_TRUE(panel.ExitCleanly());
}

TEST(PanelDialog, HookTypeBoxesFollowTheLibrary) {
  PanelProcess panel;
  StartHooked(panel, L"dialog-hooktype");
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  ASSERT_EQ(library.HookType(), 0x07);

  struct Row { const char* name; int box; const wchar_t* key; std::uint8_t maskAfter; const wchar_t* stored; };
  const Row rows[] = {
      {"left off", IDC_LBUTTON, L"HookLButton", 0x06, L"0"},
      {"right off", IDC_RBUTTON, L"HookRButton", 0x02, L"0"},
      {"wheel off", IDC_WHEEL, L"HookWheel", 0x00, L"0"},
      {"left on", IDC_LBUTTON, L"HookLButton", 0x01, L"1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(panel.Click(row.box));
    EXPECT_EQ(library.HookType(), row.maskAfter);
    EXPECT_EQ(panel.Setting(L"Options", row.key), row.stored);
    EXPECT_EQ(panel.Checked(row.box), row.stored[0] == L'1');
  }

  // A hook type set by another process reaches the boxes and the settings file on the next tick.
  library.SetHookType(0x04);
  EXPECT_TRUE(panel.Eventually([&] { return panel.Checked(IDC_RBUTTON) && !panel.Checked(IDC_LBUTTON); }));
  EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", L"HookLButton") == L"0"; }));
  EXPECT_EQ(panel.Setting(L"Options", L"HookRButton"), L"1");
  EXPECT_TRUE(panel.ExitCleanly());
}

}  // namespace
