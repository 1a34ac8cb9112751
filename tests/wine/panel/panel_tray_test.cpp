// The panel in the notification area: going there and back, the icon's menu, the about box,
// and the icon after a shell restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "dialog_probe.h"
#include "panel_test_support.h"
#include "resource.h"

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

TEST(PanelTray, MinimizeAndRestore) {
  PanelProcess panel;
  ASSERT_TRUE(panel.Start(L"tray-minimize", {}));
  ASSERT_TRUE(panel.Eventually([&] { return IsWindowVisible(panel.Dialog()) != FALSE; }));
  EXPECT_FALSE(TrayIconExists(panel.Dialog()));

  PostMessageW(panel.Dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", L"Minimized") == L"1"; }));
  EXPECT_FALSE(IsWindowVisible(panel.Dialog()));
  EXPECT_TRUE(TrayIconExists(panel.Dialog()));

  panel.PostTrayMouse(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(panel.Eventually([&] { return panel.Setting(L"Options", L"Minimized") == L"0"; }));
  EXPECT_TRUE(IsWindowVisible(panel.Dialog()));
  EXPECT_FALSE(IsIconic(panel.Dialog()));
  EXPECT_FALSE(TrayIconExists(panel.Dialog()));

  // While the dialog is shown the icon's messages are ignored.
  panel.PostTrayMouse(WM_RBUTTONUP);
  EXPECT_TRUE(ReadOpenMenu(panel.Process().Pid(), 500).empty());
  EXPECT_TRUE(panel.ExitCleanly());
}

bool HasTooltip(const std::wstring& expected) {
  const std::vector<std::wstring> tips = TrayTooltips();
  return std::find(tips.begin(), tips.end(), expected) != tips.end();
}

// The icon's tooltip tells the filter's state and what it swallowed, and follows a filter that
// another program switches on and off (icon and tooltip change together on the refresh tick).
TEST(PanelTray, TooltipFollowsTheFilterAndItsCounts) {
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  files.settings = OptionsSection({L"Minimized=1"});
  ASSERT_TRUE(panel.Start(L"tray-tooltip", files));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  const auto shipped = [](const wchar_t* key) { return ShippedText(L"NEUTRAL", key); };
  const std::wstring title = shipped(L"TEXT_TIPSTITLE") + L" \u2014 ";
  const std::wstring off = title + shipped(L"TEXT_TRAYOFF");
  const auto filtering = [&](int swallowed) {
    return title + shipped(L"TEXT_TRAYFILTERING") + L", " + std::to_wstring(swallowed) + L" " +
           shipped(L"TEXT_TRAYSWALLOWED");
  };
  EXPECT_TRUE(panel.Eventually([&] { return HasTooltip(off); })) << "at start, without a filter";

  // Another program switches the filter on; a bouncing click in a window is swallowed.
  library.SetHookType(0x07);
  library.SetIntervalTime(300, 300, 300);
  ASSERT_EQ(library.InstallHook(0), 1);
  EXPECT_TRUE(panel.Eventually([&] { return HasTooltip(filtering(0)); }));
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false)}));
  EXPECT_TRUE(panel.Eventually([&] { return HasTooltip(filtering(1)); }));

  ASSERT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(panel.Eventually([&] { return HasTooltip(off); }));
  target.Stop();
  EXPECT_TRUE(panel.ExitCleanly());
}

// Three looks of the filter, each with its own badge on the dialog's own icon and on the
// notification icon: off (grey bar), on (green check), paused by the hot key (amber bars). The
// notification icons are pictured (panel-tray-off.png, -on.png, -paused.png).
TEST(PanelTray, IconsShowTheFilterOnOffAndPaused) {
  const OwnFrameForThePanel ownFrame;  // the caption shows the small icon, as on Windows
  PanelProcess panel;
  ASSERT_TRUE(panel.Start(L"tray-looks", {}));
  LibraryCopy library(panel.Folder());
  ASSERT_TRUE(library.Loaded());
  ASSERT_NE(library.SetFilterPaused, nullptr);
  struct Row { const wchar_t* name; std::function<void()> change; int badge; };
  const Row rows[] = {{L"off", [] {}, kGreyBadge},
                      {L"on",
                       [&] {
                         panel.Send(WM_COMMAND, IDC_ACTION);
                         EXPECT_TRUE(panel.Eventually([&] { return library.HookInstalled(); }));
                       },
                       kGreenBadge},
                      {L"paused", [&] { library.SetFilterPaused(1); }, kAmberBadge}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
    row.change();
    DialogProbeResult dialog = {};
    EXPECT_TRUE(panel.Eventually(
        [&] { return ReadDialog(panel.Dialog(), dialog) && dialog.smallIconBadge == row.badge; }, 10000))
        << dialog.smallIconBadge;
    PostMessageW(panel.Dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    HWND shown = nullptr;
    EXPECT_TRUE(panel.Eventually([&] {
      for (HWND icon : TrayIconWindows()) {
        BITMAPINFOHEADER info = {};
        std::string pixels;
        if (WindowPixels(icon, info, pixels) &&
            BadgeOf(reinterpret_cast<const BYTE*>(pixels.data()), info.biWidth, info.biHeight) == row.badge)
          shown = icon;
      }
      return shown != nullptr;
    }));
    if (shown && !PictureFolder().empty()) {
      EXPECT_TRUE(SaveWindowPicture(shown, PictureFolder() + L"panel-tray-" + row.name + L".bmp"));
    }
    panel.PostTrayMouse(WM_LBUTTONDBLCLK);
    ASSERT_TRUE(panel.Eventually([&] { return IsWindowVisible(panel.Dialog()) != FALSE; }));
  }
  library.SetFilterPaused(0);
  EXPECT_TRUE(panel.ExitCleanly());
}

TEST(PanelTray, MenuItemsTextsAndMarks) {
  struct Row {
    const char* name;
    PanelFiles::Library library;
    bool languageFile;
    std::vector<std::wstring> options;
    std::wstring actionText;
    bool actionGrayed, autoTipsChecked, logChecked;
  };
  const Row rows[] = {
      {"without the library: greyed action, no marks", PanelFiles::Library::None, false,
       {L"Minimized=1", L"AutoTips=1", L"LogToFile=1"}, L"TEXT_HOOK", true, false, false},
      {"hook installed at start, both options on", PanelFiles::Library::Real, false,
       {L"Minimized=1", L"AutoHook=1", L"AutoTips=1", L"LogToFile=1"}, L"TEXT_UNHOOK", false, true, true},
      {"shipped texts, no hook, options off", PanelFiles::Library::Real, true,
       {L"Minimized=1"}, ShippedText(L"NEUTRAL", L"TEXT_HOOK"), false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    files.library = row.library;
    files.languageFile = row.languageFile;
    files.settings = OptionsSection(row.options);
    ASSERT_TRUE(panel.Start(L"tray-menu", files));
    EXPECT_FALSE(IsWindowVisible(panel.Dialog()));
    EXPECT_TRUE(panel.Eventually([&] { return TrayIconExists(panel.Dialog()); }));

    panel.PostTrayMouse(WM_RBUTTONUP);
    const std::vector<MenuItem> items = ReadOpenMenu(panel.Process().Pid(), 5000);
    CloseOpenMenu(panel.Process().Pid());
    ASSERT_EQ(items.size(), 9u);
    const auto text = [&](const wchar_t* key) {
      return row.languageFile ? ShippedText(L"NEUTRAL", key) : std::wstring(key);
    };
    const struct { UINT id; std::wstring text; } expected[] = {
        {IDM_AUTOREPORT, text(L"TEXT_AUTOREPORT")}, {IDM_LOGTOFILE, text(L"TEXT_LOGTOFILE")},
        {IDM_SETTING, text(L"TEXT_SETTING")},       {IDM_ACTION, row.actionText},
        {IDM_MOUSECHECK, text(L"TEXT_MOUSECHECK")}, {IDM_OPTIONS, text(L"TEXT_OPTIONS")},
        {0, L""},
        {IDM_ABOUT, text(L"TEXT_ABOUT")},           {IDM_EXIT, text(L"TEXT_EXIT")}};
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i].id, expected[i].id) << i;
      EXPECT_EQ(items[i].text, expected[i].text) << i;
    }
    EXPECT_EQ(items[3].grayed, row.actionGrayed);
    EXPECT_EQ(items[0].checked, row.autoTipsChecked);
    EXPECT_EQ(items[1].checked, row.logChecked);
    for (int i : {2, 3, 4, 5, 7, 8}) EXPECT_FALSE(items[i].checked) << i;
    EXPECT_TRUE(panel.ExitCleanly());
    EXPECT_FALSE(TrayIconExists(panel.Dialog())) << "leaving from the notification area removes the icon";
  }
}

TEST(PanelTray, AboutTwiceOpensOneBox) {
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  files.settings = OptionsSection({L"Minimized=1"});
  ASSERT_TRUE(panel.Start(L"tray-about", files));
  const DWORD pid = panel.Process().Pid();

  PostMessageW(panel.Dialog(), WM_COMMAND, IDM_ABOUT, 0);
  PostMessageW(panel.Dialog(), WM_COMMAND, IDM_ABOUT, 0);
  std::vector<HWND> boxes;
  ASSERT_TRUE(panel.Eventually([&] { return !(boxes = MessageBoxesOf(pid, panel.Dialog())).empty(); }));
  PumpMessagesFor(1000);
  boxes = MessageBoxesOf(pid, panel.Dialog());
  ASSERT_EQ(boxes.size(), 1u);

  const auto shipped = [](const wchar_t* key) { return ShippedText(L"NEUTRAL", key); };
  EXPECT_EQ(WindowText(boxes[0]), shipped(L"TEXT_ABOUT"));
  const std::vector<std::wstring> lines = Lines(MessageBoxText(boxes[0]));
  ASSERT_EQ(lines.size(), 6u) << MessageBoxText(boxes[0]).c_str();
  EXPECT_EQ(lines[0].rfind(shipped(L"TEXT_QLNNAME") + L" (OEM for ", 0), 0u) << lines[0].c_str();
  EXPECT_EQ(lines[0].back(), L')');
  EXPECT_EQ(lines[1], L"");
  EXPECT_EQ(lines[2], L"   " + shipped(L"TEXT_PROVIDER") + L" Velmora Workshop");
  EXPECT_EQ(lines[3], L"   " + shipped(L"TEXT_VERSION") + L" 01.00.1020.0000");
  EXPECT_EQ(lines[4], L"   " + shipped(L"TEXT_RELEASEDATE") + L" 2008-08-11");
  EXPECT_EQ(lines[5], L"   " + shipped(L"TEXT_LANGUAGE") + L" " + shipped(L"LANG_NAME") + L" (" +
                          shipped(L"LANG_PROVIDER") + L")");

  // Once closed, the next choice opens a box again.
  PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(panel.Eventually([&] { return MessageBoxesOf(pid, panel.Dialog()).empty(); }));
  // (The closing thread clears its mark just after the box is gone; a choice that comes
  // before that is ignored, so the choice is repeated until a box shows.)
  ASSERT_TRUE(panel.Eventually([&] {
    if (MessageBoxesOf(pid, panel.Dialog()).size() == 1) return true;
    PostMessageW(panel.Dialog(), WM_COMMAND, IDM_ABOUT, 0);
    return false;
  }));
  PostMessageW(MessageBoxesOf(pid, panel.Dialog())[0], WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(panel.Eventually([&] { return MessageBoxesOf(pid, panel.Dialog()).empty(); }));
  EXPECT_TRUE(panel.ExitCleanly());
}

TEST(PanelTray, IconComesBackAfterAShellRestart) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"Minimized=1"});
  ASSERT_TRUE(panel.Start(L"tray-shell-restart", files));
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  ASSERT_TRUE(panel.Eventually([&] { return TrayIconExists(panel.Dialog()); }));

  DeleteTrayIcon(panel.Dialog());  // what a restarted shell has lost
  ASSERT_FALSE(TrayIconExists(panel.Dialog()));
  panel.Send(taskbarCreated);
  EXPECT_TRUE(TrayIconExists(panel.Dialog()));

  // With the dialog shown there is no icon to bring back.
  panel.PostTrayMouse(WM_LBUTTONDBLCLK);
  ASSERT_TRUE(panel.Eventually([&] { return IsWindowVisible(panel.Dialog()) != FALSE; }));
  panel.Send(taskbarCreated);
  EXPECT_FALSE(TrayIconExists(panel.Dialog()));
  EXPECT_TRUE(panel.ExitCleanly());
}

TEST(PanelTray, CountBalloonsClearTheCounts) {
  // A release 15 ms after its press is chatter for a 300 ms interval; the pauses between
  // genuine transitions are twice that, so no row can flake on a loaded machine.
  const std::vector<InputStep> chatter = {ButtonStep(MouseButton::Left, true, 600),
                                          ButtonStep(MouseButton::Left, false, 15),
                                          ButtonStep(MouseButton::Left, false, 600)};
  struct Row {
    const char* name;
    std::vector<std::wstring> options;
    bool click;           // a left click on the icon (a forced count balloon)
    bool clearedAfter;
  };
  const Row rows[] = {
      {"a click shows the counts and clears them", {L"AutoClearCountLog=1"}, true, true},
      {"without AutoClearCountLog the counts stay", {L"AutoClearCountLog=0"}, true, false},
      {"the tips timer shows and clears them", {L"AutoTips=1", L"AutoTipsIntervalTime=1000"}, false, true},
  };
  int rowNumber = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PanelProcess panel;
    PanelFiles files;
    const std::wstring folder = L"tray-counts-" + std::to_wstring(++rowNumber);
    // Two releases in a row, no press between: without the release guard, so the late release
    // of the swallowed one does not add a third message (the guard has tests of its own).
    std::vector<std::wstring> options = {L"Minimized=1", L"AutoHook=1", L"UpDownIntervalTime=300", L"ReleaseGuard=0"};
    options.insert(options.end(), row.options.begin(), row.options.end());
    files.settings = OptionsSection(options);
    ASSERT_TRUE(panel.Start(folder.c_str(), files));
    LibraryCopy library(panel.Folder());
    ASSERT_TRUE(panel.Eventually([&] { return library.HookInstalled(); }));

    MouseTarget target;
    ASSERT_TRUE(target.Start());
    target.MoveToFreshPoint();
    ASSERT_TRUE(target.Play(chatter));
    // The spurious release never arrived, so the library counted it (the tips timer may
    // already have cleared the count again).
    ASSERT_EQ(target.Received(), (std::vector<ReceivedMessage>{{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}));
    target.Stop();
    std::vector<std::uint32_t> counts(3);
    if (row.click) {
      counts = library.Counts();
      ASSERT_EQ(counts[0], 1u);
    }

    if (row.click) panel.Send(MSG_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
    if (row.clearedAfter) {
      EXPECT_TRUE(panel.Eventually([&] {
        counts = library.Counts();
        return counts[0] == 0;
      }));
    } else {
      counts = library.Counts();
      EXPECT_GE(counts[0], 1u);
    }
    EXPECT_TRUE(panel.ExitCleanly());
  }
}

}  // namespace
