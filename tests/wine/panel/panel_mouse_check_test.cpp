// The mouse check window end to end: chatter injected into another program's window shows in
// the check's recording whether the filter is off, on from the panel or on from Quillrun (the
// check reads raw input, which no hook swallows); the suggestion lies between the chatter and
// the deliberate hold; "Use these" reaches the library and Quillon.cfg; the CSV holds every
// injected transition; the middle button's chatter is predicted with its own interval while it
// is switched on and as not filtered while it is off, following the Options window; a guided
// check leaves a picture of the window per language.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "latchkin_contract.h"
#include "panel_test_support.h"
#include "text_helpers.h"
#include "mouse_decision.h"
#include "resource.h"

namespace {

constexpr DWORD kChatterClicks = 5;
constexpr DWORD kHoldMs = 100;        // each deliberate click is held this long
constexpr DWORD kClickSpacingMs = 700;  // clicks never pair into double clicks
// Where the check window and the target sit, apart, so neither covers the other.
constexpr int kTargetLeft = 960, kTargetTop = 700;

// A deliberate click held kHoldMs, its release bouncing once (up, down, up in one injection).
std::vector<InputStep> ChatterClicks(DWORD count, MouseButton button = MouseButton::Left) {
  std::vector<InputStep> steps;
  for (DWORD i = 0; i < count; ++i) {
    steps.push_back(ButtonStep(button, true, kClickSpacingMs));
    steps.push_back(BouncingButtonStep(button, false, 1, kHoldMs));
  }
  return steps;
}

struct WindowSearch {
  DWORD pid;
  HWND except[2];
  int childId;  // 0: any visible dialog
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid || window == search.except[0] || window == search.except[1]) return TRUE;
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (search.childId != 0 && !GetDlgItem(window, search.childId)) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindDialogOf(DWORD pid, int childId, HWND except1 = nullptr, HWND except2 = nullptr) {
  WindowSearch search{pid, {except1, except2}, childId, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct CsvRow {
  std::string input, event;
  unsigned time = 0;
};

std::vector<CsvRow> ParseCsv(const std::string& text) {
  std::vector<CsvRow> rows;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    std::string time, input, event;
    std::getline(fields, time, ',');
    std::getline(fields, input, ',');
    std::getline(fields, event, ',');
    rows.push_back({input, event, static_cast<unsigned>(std::stoul(time))});
  }
  return rows;
}

// The number after the arrow of a reason line: the suggested value.
int SuggestedValue(const std::wstring& line) {
  const std::size_t arrow = line.find(L'\u2192');
  return arrow == std::wstring::npos ? -1 : std::stoi(line.substr(arrow + 1));
}

class MouseCheck : public ::testing::Test {
 protected:
  // Starts the panel and opens the check from its button, or from the tray menu's item.
  bool Open(const wchar_t* folderName, const std::wstring& settings, bool fromTrayMenu = false) {
    PanelFiles files;
    files.languageFile = true;
    files.settings = settings;
    if (!panel_.Start(folderName, files)) return false;
    if (fromTrayMenu) {
      PostMessageW(panel_.Dialog(), WM_COMMAND, IDM_MOUSECHECK, 0);
    } else if (!panel_.Click(IDC_MOUSECHECK_OPEN)) {
      return false;
    }
    WaitUntil([&] { return (check_ = FindDialogOf(panel_.Process().Pid(), IDC_MOUSECHECK_VIEW)) != nullptr; }, 5000);
    if (!check_) return false;
    SetWindowPos(check_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    return target_.Start(kTargetLeft, kTargetTop);
  }

  void Command(int id) { PostMessageW(check_, WM_COMMAND, id, 0); }
  void Clear() {
    Command(IDC_MOUSECHECK_CLEAR);
    WaitUntil([&] { return Suggestion().find(L'\u2192') == std::wstring::npos; }, 5000);
  }
  std::wstring Suggestion() const { return WindowText(GetDlgItem(check_, IDC_MOUSECHECK_SUGGESTION)); }
  // Waits until the check has taken in this many presses and releases of the left button (its
  // test area's text carries the counts).
  bool Recorded(unsigned downs, unsigned ups) const {
    return WaitUntil([&] { return ViewText().rfind(Counts(L"TEXT_LBUTTON", downs, ups), 0) == 0; }, 5000);
  }
  std::wstring ViewText() const { return WindowText(GetDlgItem(check_, IDC_MOUSECHECK_VIEW)); }
  // "<input> 4 down, 4 up: " as the test area's text has it.
  static std::wstring Counts(const wchar_t* inputKey, unsigned downs, unsigned ups) {
    return ShippedText(L"NEUTRAL", inputKey) + L" " + std::to_wstring(downs) + L" " +
           ShippedText(L"NEUTRAL", L"TEXT_MC_DOWN") + L", " + std::to_wstring(ups) + L" " +
           ShippedText(L"NEUTRAL", L"TEXT_MC_UP") + L": ";
  }
  // "3 swallowed at 25 ms (own)" as the test area's text has it.
  static std::wstring Swallowed(unsigned count, unsigned interval, bool own) {
    return std::to_wstring(count) + L" " + ShippedText(L"NEUTRAL", L"TEXT_MC_SWALLOWEDAT") + L" " +
           std::to_wstring(interval) + L" " + ShippedText(L"NEUTRAL", L"TEXT_MILLISECOND") + L" (" +
           ShippedText(L"NEUTRAL", own ? L"TEXT_MC_OWN" : L"TEXT_MC_SHARED") + L")";
  }
  std::wstring Status() const { return WindowText(GetDlgItem(check_, IDC_MOUSECHECK_STATUS)); }

  // Saves the recording through "Save…" and its file dialog, as a user would (a real click on
  // the dialog's Save button, which the check must not record), and reads it back.
  std::vector<CsvRow> SavedCsv(const wchar_t* name) {
    const std::wstring path = panel_.Folder() + name;
    DeleteFileW(path.c_str());
    Command(IDC_MOUSECHECK_SAVE);
    HWND saveDialog = nullptr;
    WaitUntil([&] { return (saveDialog = FindDialogOf(panel_.Process().Pid(), 0, check_, panel_.Dialog())) != nullptr; },
              10000);
    if (!saveDialog) {
      ADD_FAILURE() << "no file dialog";
      return {};
    }
    // The file name box: the combo box of the Explorer-style dialog, or the old-style edit.
    if (!SetDlgItemTextW(saveDialog, 0x047C, path.c_str())) SetDlgItemTextW(saveDialog, 0x0480, path.c_str());
    RECT button = {};
    GetWindowRect(GetDlgItem(saveDialog, IDOK), &button);
    POINT before = {};
    GetCursorPos(&before);
    MoveCursorTo({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    SendClick(MouseButton::Left);
    WaitUntil([&] { return !IsWindow(saveDialog); }, 10000);
    MoveCursorTo(before);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(saveDialog) && FileExists(path); }, 10000)) << "not saved";
    return ParseCsv(ReadFileBytes(path));
  }

  PanelProcess panel_;
  MouseTarget target_;
  HWND check_ = nullptr;
};

TEST_F(MouseCheck, SeesChatterWithTheFilterOffAndOnAndSuggestsBetween) {
  ASSERT_TRUE(Open(L"mouse_check_chatter", OptionsSection({})));
  CopyInto(BinDirectory() + L"Quillrun.exe", panel_.Folder());
  LibraryCopy library(panel_.Folder());
  ASSERT_TRUE(library.Loaded());
  ChildProcess runner;

  struct Row {
    const char* name;
    std::function<bool()> switchOn;
    bool filtered;
  };
  const Row rows[] = {
      {"filter off", [] { return true; }, false},
      {"on from the panel",
       [&] { return panel_.Click(IDC_ACTION) && WaitUntil([&] { return library.HookInstalled(); }, 5000); }, true},
      {"on from Quillrun",
       [&] {
         // The panel's filter off first; Quillrun then installs it with the same settings.
         panel_.Click(IDC_ACTION);
         if (!WaitUntil([&] { return !library.HookInstalled(); }, 5000)) return false;
         runner = ChildProcess::Start(panel_.Folder() + L"Quillrun.exe", L"", panel_.Folder());
         return runner.Started() && WaitUntil([&] { return library.HookInstalled(); }, 10000);
       },
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(row.switchOn());
    Clear();
    ASSERT_TRUE(target_.Activate());
    target_.MoveToFreshPoint();
    target_.ClearReceived();
    ASSERT_TRUE(target_.Play(ChatterClicks(kChatterClicks)));

    // What the other program received: the bounce arrives as a double click, which the filter
    // swallows (the bounce's release comes long after the press and passes).
    std::vector<ReceivedMessage> expected;
    for (DWORD i = 0; i < kChatterClicks; ++i) {
      expected.push_back({WM_LBUTTONDOWN, 0});
      expected.push_back({WM_LBUTTONUP, 0});
      if (!row.filtered) expected.push_back({WM_LBUTTONDBLCLK, 0});
      expected.push_back({WM_LBUTTONUP, 0});
    }
    EXPECT_EQ(Describe(target_.Received()), Describe(expected));

    // What the check saw: every injected transition, swallowed or not.
    EXPECT_TRUE(Recorded(2 * kChatterClicks, 2 * kChatterClicks)) << WindowText(GetDlgItem(check_, IDC_MOUSECHECK_VIEW));
    ASSERT_NE(Suggestion().find(L'\u2192'), std::wstring::npos);
    const std::vector<CsvRow> csv = SavedCsv(L"chatter.csv");
    ASSERT_EQ(csv.size(), 4 * kChatterClicks);
    unsigned longestBounce = 0, shortestHold = ~0u;
    for (std::size_t i = 0; i < csv.size(); ++i) {
      EXPECT_EQ(csv[i].input, "left") << i;
      EXPECT_EQ(csv[i].event, i % 2 == 0 ? "down" : "up") << i;
      if (i % 4 == 1) shortestHold = std::min(shortestHold, csv[i].time - csv[i - 1].time);
      if (i % 4 == 2) longestBounce = std::max(longestBounce, csv[i].time - csv[i - 1].time);
    }
    EXPECT_GE(shortestHold, kHoldMs);

    // The bounce interval's suggestion: above every bounce, at most the injected hold.
    const std::wstring suggestion = Suggestion();
    const int upDown = SuggestedValue(suggestion.substr(0, suggestion.find(L'\r')));
    EXPECT_GT(upDown, static_cast<int>(longestBounce)) << std::string(suggestion.begin(), suggestion.end());
    EXPECT_LE(upDown, static_cast<int>(kHoldMs));
  }

  // "Use these": as the Set buttons, into the library and Quillon.cfg.
  const int upDown = SuggestedValue(Suggestion().substr(0, Suggestion().find(L'\r')));
  ASSERT_GT(upDown, 0);
  Command(IDC_MOUSECHECK_USE);
  std::vector<std::uint32_t> intervals(3);
  EXPECT_TRUE(WaitUntil([&] { intervals = library.Intervals(); return intervals[0] == static_cast<std::uint32_t>(upDown); }, 5000))
      << intervals[0] << " for " << upDown;
  EXPECT_EQ(intervals[1], kDefaultDbClickIntervalTime) << "no double clicks recorded: kept";
  EXPECT_EQ(intervals[2], kDefaultRotReverseIntervalTime) << "no wheel recorded: kept";
  // The panel stores the key right after it sets the library.
  EXPECT_TRUE(panel_.Eventually([&] { return panel_.Setting(L"Options", L"UpDownIntervalTime") == std::to_wstring(upDown); }));

  // A release the filter delivers late and a message it replays behind a held release (marked as
  // the deliverer marks them) are no transitions of the mouse: the check leaves them out.
  Clear();
  ASSERT_TRUE(target_.Play(ChatterClicks(1)));
  INPUT delivered[3] = {};
  for (INPUT& input : delivered) input.type = INPUT_MOUSE;
  delivered[0].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  delivered[0].mi.dwExtraInfo = kInjectedReleaseMark;
  delivered[1].mi.dwFlags = MOUSEEVENTF_MIDDLEDOWN;
  delivered[1].mi.dwExtraInfo = kReplayedInputMark;
  delivered[2].mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
  delivered[2].mi.dwExtraInfo = kReplayedInputMark;
  ASSERT_EQ(SendInput(3, delivered, sizeof(INPUT)), 3u);
  ASSERT_TRUE(target_.Play(ChatterClicks(1)));
  EXPECT_TRUE(Recorded(4, 4)) << WindowText(GetDlgItem(check_, IDC_MOUSECHECK_VIEW));
  EXPECT_EQ(SavedCsv(L"delivered.csv").size(), 2 * 4u);

  // Closed, the window is gone; the panel goes on.
  Command(IDC_MOUSECHECK_CLOSE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(check_); }, 5000));
  panel_.Click(IDC_ACTION);  // off: Quillrun ends with the filter
  EXPECT_TRUE(runner.WaitForExit(10000));
  EXPECT_TRUE(panel_.ExitCleanly());
}

// The middle button as the filter in force judges it, switched and given its own double-click
// interval in the Options window while the check is open: a bounce 1 ms after each 100 ms click
// arrives as a double click about 100 ms after the press, swallowed at an own 300 ms and passed
// at an own 50 ms (where the shared 170 ms would swallow it), and not filtered once switched off.
// What the other program receives agrees with the prediction each time. Then "Use these" sets
// the middle button's own double-click interval from its own double clicks.
TEST_F(MouseCheck, PredictsTheMiddleButtonWithItsOwnInterval) {
  ASSERT_TRUE(Open(L"mouse_check_middle", OptionsSection({L"AutoHook=1"})));
  LibraryCopy library(panel_.Folder());
  ASSERT_TRUE(library.Loaded());
  ASSERT_TRUE(panel_.Eventually([&] { return library.HookInstalled(); }));
  ASSERT_TRUE(panel_.Click(IDC_OPTIONS_OPEN));
  HWND options = FindOptionsWindow(panel_.Process().Pid());
  ASSERT_NE(options, nullptr);
  SetWindowPos(options, nullptr, 700, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const std::wstring middleNotFiltered = ShippedText(L"NEUTRAL", L"TEXT_MC_NOTFILTERED");
  ASSERT_TRUE(WaitUntil([&] { return ViewText().find(Counts(L"TEXT_MC_MIDDLE", 0, 0) + middleNotFiltered) !=
                                     std::wstring::npos; }, 5000))
      << "switched off by default";

  struct Row {
    const char* name;
    bool clickSwitch;      // flips the Options window's middle switch first
    const wchar_t* typed;  // then types the middle button's own double-click interval
    bool filtered;
    unsigned ownDbClick;
    unsigned swallowed;    // of the injected double clicks
  };
  const Row rows[] = {
      {"on, own 300 ms", true, L"300", true, 300, kChatterClicks},
      {"on, own 50 ms", false, L"50", true, 50, 0},
      {"switched off", true, L"50", false, 50, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // The bounce interval stays the shared one: the bounce's release comes long after the press.
    const auto predicted = [&](unsigned swallowed) {
      return row.filtered ? Swallowed(0, kDefaultUpDownIntervalTime, false) + L", " +
                                Swallowed(swallowed, row.ownDbClick, true)
                          : middleNotFiltered;
    };
    if (row.clickSwitch) PostMessageW(GetDlgItem(options, IDC_OPT_SWITCH_MIDDLE), BM_CLICK, 0, 0);
    SetDlgItemTextW(options, IDC_OPT_DBCLICK_FIRST + kButtonMiddle, row.typed);
    PostMessageW(GetDlgItem(options, IDC_OPT_DBCLICK_FIRST + kButtonMiddle), WM_KEYDOWN, VK_RETURN, 0);  // applies it
    Clear();
    // The check follows the Options window while it is open.
    EXPECT_TRUE(WaitUntil([&] { return ViewText().find(Counts(L"TEXT_MC_MIDDLE", 0, 0) + predicted(0)) !=
                                       std::wstring::npos; }, 5000))
        << Narrow(ViewText());

    ASSERT_TRUE(target_.Activate());
    target_.MoveToFreshPoint();
    target_.ClearReceived();
    std::vector<InputStep> steps;
    for (DWORD i = 0; i < kChatterClicks; ++i) {
      steps.push_back(ButtonStep(MouseButton::Middle, true, kClickSpacingMs));
      steps.push_back(BouncingButtonStep(MouseButton::Middle, false, 1, kHoldMs));
    }
    ASSERT_TRUE(target_.Play(steps));
    const std::wstring expected =
        Counts(L"TEXT_MC_MIDDLE", 2 * kChatterClicks, 2 * kChatterClicks) + predicted(row.swallowed);
    EXPECT_TRUE(WaitUntil([&] { return ViewText().find(expected) != std::wstring::npos; }, 5000))
        << Narrow(ViewText());

    std::vector<ReceivedMessage> received;
    for (DWORD i = 0; i < kChatterClicks; ++i) {
      received.push_back({WM_MBUTTONDOWN, 0});
      received.push_back({WM_MBUTTONUP, 0});
      if (row.swallowed == 0) received.push_back({WM_MBUTTONDBLCLK, 0});
      received.push_back({WM_MBUTTONUP, 0});
    }
    EXPECT_EQ(Describe(target_.Received()), Describe(received));
  }
  EXPECT_TRUE(panel_.Eventually([&] { return panel_.Setting(L"Options", L"MButtonDbClickIntervalTime") == L"50"; }));

  // Switched on again, deliberate double clicks whose second release bounces: the middle
  // button's own double-click interval gets a suggestion of its own, and "Use these" sets that
  // one, leaving the shared double-click interval (no data of its own) as it was.
  PostMessageW(GetDlgItem(options, IDC_OPT_SWITCH_MIDDLE), BM_CLICK, 0, 0);
  Clear();
  std::vector<InputStep> doubleClicks;
  for (int i = 0; i < 4; ++i) {
    doubleClicks.push_back(ButtonStep(MouseButton::Middle, true, kClickSpacingMs));
    doubleClicks.push_back(ButtonStep(MouseButton::Middle, false, 60));
    doubleClicks.push_back(ButtonStep(MouseButton::Middle, true, 120));
    doubleClicks.push_back(BouncingButtonStep(MouseButton::Middle, false, 1, 60));
  }
  ASSERT_TRUE(target_.Activate());
  ASSERT_TRUE(target_.Play(doubleClicks));
  const std::wstring ownLine = ShippedText(L"NEUTRAL", L"TEXT_MC_MIDDLE") + L", " +
                               ShippedText(L"NEUTRAL", L"TEXT_MC_OWNDOUBLE") + L" ";
  int ownDbClick = -1;
  EXPECT_TRUE(WaitUntil([&] {
    const std::wstring suggestion = Suggestion();
    const std::size_t line = suggestion.find(ownLine);
    ownDbClick = line == std::wstring::npos ? -1 : SuggestedValue(suggestion.substr(line));
    return ownDbClick > 0;
  }, 5000)) << Narrow(Suggestion());
  Command(IDC_MOUSECHECK_USE);
  std::uint32_t upDown = 0, dbClick = 0;
  EXPECT_TRUE(WaitUntil([&] {
    library.GetButtonIntervalTime(kButtonMiddle, &upDown, &dbClick);
    return dbClick == static_cast<std::uint32_t>(ownDbClick);
  }, 5000)) << dbClick << " for " << ownDbClick;
  EXPECT_EQ(upDown, kSharedButtonInterval) << "the bounce stays shared";
  std::vector<std::uint32_t> shared(3);
  shared = library.Intervals();
  EXPECT_EQ(shared[1], kDefaultDbClickIntervalTime);
  EXPECT_TRUE(panel_.Eventually([&] {
    return panel_.Setting(L"Options", L"MButtonDbClickIntervalTime") == std::to_wstring(ownDbClick);
  }));
  EXPECT_EQ(WindowText(GetDlgItem(options, IDC_OPT_DBCLICK_FIRST + kButtonMiddle)), std::to_wstring(ownDbClick))
      << "the Options window shows it";
  EXPECT_TRUE(panel_.ExitCleanly());
}

// A guided check with a bouncing button and a wheel that flips, in a language, with the middle
// button switched on and given its own bounce interval, which brings a step of its own; the
// window is pictured when it shows the suggestion (panel-mouse-check-<language>[-200].png in the
// build's screenshots).
struct Look {
  const wchar_t* section;
  DWORD dpi;
  const wchar_t* pictureName;
};

class GuidedMouseCheck : public MouseCheck, public ::testing::WithParamInterface<Look> {};

TEST_P(GuidedMouseCheck, WithChatter) {
  const std::wstring section = GetParam().section;
  const OwnFrameForThePanel ownFrame;
  const DisplayDpi scale(GetParam().dpi);
  ASSERT_TRUE(Open((L"mouse_check_guided_" + std::wstring(GetParam().pictureName)).c_str(),
                   L"[Main]\r\nLanguage=" + section + L"\r\n" +
                       OptionsSection({L"AutoHook=1", L"HookMButton=1", L"MButtonUpDownIntervalTime=25"}),
                   true));
  const auto shown = [&](const wchar_t* key) {
    return WaitUntil([&] { return Status().find(ShippedText(section.c_str(), key)) != std::wstring::npos; }, 10000);
  };
  Command(IDC_MOUSECHECK_GUIDED);
  ASSERT_TRUE(shown(L"TEXT_MC_STEP1")) << Narrow(Status());
  ASSERT_TRUE(target_.Activate());
  target_.MoveToFreshPoint();

  ASSERT_TRUE(target_.Play(ChatterClicks(5)));
  ASSERT_TRUE(shown(L"TEXT_MC_STEP2"));
  std::vector<InputStep> doubleClicks;
  for (int i = 0; i < 5; ++i) {
    doubleClicks.push_back(ButtonStep(MouseButton::Left, true, kClickSpacingMs));
    doubleClicks.push_back(BouncingButtonStep(MouseButton::Left, false, 1, 80));
    doubleClicks.push_back(ButtonStep(MouseButton::Left, true, 120));
    doubleClicks.push_back(BouncingButtonStep(MouseButton::Left, false, 1, 80));
  }
  ASSERT_TRUE(target_.Play(doubleClicks));
  ASSERT_TRUE(shown(L"TEXT_MC_STEP3"));
  ASSERT_TRUE(target_.Play({ButtonStep(MouseButton::Left, true, kClickSpacingMs),
                            BouncingButtonStep(MouseButton::Left, false, 1, 2000)}));
  ASSERT_TRUE(shown(L"TEXT_MC_STEP4"));
  // A steady scroll whose wheel flips back once and returns at once, then a deliberate turn.
  ASSERT_TRUE(target_.Play({WheelStep(120, 600), WheelStep(120, 40), WheelStep(120, 40), WheelStep(-120),
                            WheelStep(120), WheelStep(120, 40), WheelStep(120, 40), WheelStep(-120, 400),
                            WheelStep(-120, 40)}));
  // A short step for each other button the filter watches: the right one, then the middle one.
  for (const auto& [button, name] : {std::pair{MouseButton::Right, L"TEXT_RBUTTON"},
                                     std::pair{MouseButton::Middle, L"TEXT_MC_MIDDLE"}}) {
    ASSERT_TRUE(shown(L"TEXT_MC_STEPCLICKS")) << Narrow(Status());
    EXPECT_EQ(Status().rfind(ShippedText(section.c_str(), name), 0), 0u) << Narrow(Status());
    ASSERT_TRUE(target_.Play(ChatterClicks(5, button)));
  }
  ASSERT_TRUE(shown(L"TEXT_MC_DONE")) << Narrow(Status());

  // Every suggestion the check promised has its value: the three shared intervals, press
  // confirmation's time and the middle button's own bounce interval.
  const std::wstring suggestion = Suggestion();
  std::size_t arrows = 0;
  for (wchar_t c : suggestion) arrows += c == L'\u2192' ? 1 : 0;
  EXPECT_EQ(arrows, 5u) << Narrow(suggestion);
  EXPECT_EQ(suggestion.find(ShippedText(section.c_str(), L"TEXT_MC_NOTENOUGH")), std::wstring::npos)
      << Narrow(suggestion);

  const std::wstring pictures = PictureFolder();
  if (!pictures.empty()) {
    target_.Stop();  // at 150 % the check reaches under the target's corner
    SetWindowPos(check_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PumpMessagesFor(500);
    EXPECT_TRUE(SaveWindowPicture(check_, pictures + L"panel-mouse-check-" + GetParam().pictureName + L".bmp"));
  }
  EXPECT_TRUE(panel_.ExitCleanly());
}

INSTANTIATE_TEST_SUITE_P(Looks, GuidedMouseCheck,
                         ::testing::Values(Look{L"NEUTRAL", 96, L"neutral"}, Look{L"GERMAN", 96, L"german"},
                                           Look{L"NEUTRAL", 192, L"neutral-200"},
                                           Look{L"GERMAN", 192, L"german-200"}));

}  // namespace
