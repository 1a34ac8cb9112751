// Quillrun's release guard on real input: timed button patterns injected into another process's
// window while Quillrun filters; what the window receives is one press and one release, the
// late release arrives without being counted again, and nothing is left down at unhook.
#include "quillrun_test_support.h"
#include "../hook/core/mouse_decision.h"
#include "release_delivery.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Intervals of hundreds of ms: a "too soon" gap of 0 to 30 ms and a calm one of 600 ms each
// keep hundreds of ms of margin on a loaded machine.
constexpr DWORD kCalm = 600;
constexpr wchar_t kIntervals[] = L"UpDownIntervalTime=300\r\nDbClickIntervalTime=300\r\n";
// Beyond every deadline of these rows: nothing more may arrive after the expected messages.
constexpr DWORD kAfterLastDeadlineMs = 800;

const std::vector<ReceivedMessage> kOneClick = {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}};
const std::vector<ReceivedMessage> kOneMiddleClick = {{WM_MBUTTONDOWN, 0}, {WM_MBUTTONUP, 0}};
const std::vector<ReceivedMessage> kOneSide1Click = {{WM_XBUTTONDOWN, 1}, {WM_XBUTTONUP, 1}};
const std::vector<ReceivedMessage> kOneSide2Click = {{WM_XBUTTONDOWN, 2}, {WM_XBUTTONUP, 2}};
const std::vector<ReceivedMessage> kDoubleClick = {
    {WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}, {WM_LBUTTONDBLCLK, 0}, {WM_LBUTTONUP, 0}};

// Presses held `holdMs` with `gapMs` between them, with the default intervals (40 / 170 ms) and
// press confirmation (20 ms): a hold stretched by a loaded machine only moves the presses apart.
std::vector<InputStep> Clicks(int count, DWORD holdMs, DWORD gapMs) {
  std::vector<InputStep> steps;
  for (int i = 0; i < count; ++i) {
    steps.push_back(ButtonStep(MouseButton::Left, true, i == 0 ? kCalm : gapMs));
    steps.push_back(ButtonStep(MouseButton::Left, false, holdMs));
  }
  return steps;
}

// A quick click of one button: press, and the release `holdMs` later.
std::vector<InputStep> QuickClick(MouseButton button, DWORD holdMs) {
  return {ButtonStep(button, true, kCalm), ButtonStep(button, false, holdMs)};
}

class QuillrunGuard {
 public:
  // Starts Quillrun with these [Options] lines (logging on: its start-up is complete once the
  // library's log state is 1).
  ::testing::AssertionResult Start(const wchar_t* folderName, const std::wstring& options) {
    folder_ = PrepareQuillrunFolder(folderName);
    if (folder_.empty()) return ::testing::AssertionFailure() << "no scratch folder";
    if (!WriteProfile(folder_ + L"Quillon.cfg", L"[Options]\r\nHookLButton=1\r\nLogToFile=1\r\n" + options))
      return ::testing::AssertionFailure() << "no profile";
    if (!library_.Load(folder_)) return ::testing::AssertionFailure() << "library copy not bound";
    runner_ = ChildProcess::Start(QuillrunIn(folder_), L"", folder_);
    if (!runner_.Started()) return ::testing::AssertionFailure() << "Quillrun did not start";
    if (!library_.WaitForHookWithLogging())
      return ::testing::AssertionFailure() << "Quillrun did not install the hook";
    return ::testing::AssertionSuccess();
  }
  // Removes the hook as another process would; Quillrun then ends.
  bool Stop() { return library_.UninstallHook() == 1 && runner_.WaitForExit(5000); }

  const LibraryCopy& Library() const { return library_; }
  DWORD Pid() const { return runner_.Pid(); }
  std::uint32_t BlockedUpDown() const { return library_.Counts()[0]; }

 private:
  std::wstring folder_;
  LibraryCopy library_;
  ChildProcess runner_;
};

// Waits until the window has at least `count` messages, then a while longer for stragglers.
std::vector<ReceivedMessage> ReceivedAfterDeadlines(MouseTarget& target, std::size_t count) {
  WaitUntil([&] { return target.Received().size() >= count; }, 5000);
  PumpMessagesFor(kAfterLastDeadlineMs);
  return target.Received();
}

TEST(QuillrunReleaseGuard, TimedPatternsReachTheWindowAsOneClick) {
  struct Row {
    const char* name;
    std::wstring options;
    std::vector<InputStep> steps;
    std::vector<ReceivedMessage> received;
    std::uint32_t blockedUpDown;
    std::uint32_t lateReleases;
  };
  const Row rows[] = {
      {"a 30 ms click: the release arrives late", kIntervals,
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, 30)}, kOneClick, 1, 1},
      {"a tap: press and release in one go", kIntervals,
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false)}, kOneClick, 1, 1},
      // The bounce's re-press comes as a double click, which the filter swallows: that cancels
      // the late release, and the genuine release passes.
      {"a bouncing click: chatter swallowed, nothing late", kIntervals,
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, 15),
        ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false, kCalm)},
       kOneClick, 1, 0},
      {"a drop-out inside a long drag, with drag hold: one long press",
       std::wstring(kIntervals) + L"DragHold=1\r\nDragHoldTime=100\r\n",
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, kCalm),
        ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false, kCalm)},
       kOneClick, 2, 1},
      {"ReleaseGuard=0: today's filter leaves the button down", std::wstring(kIntervals) + L"ReleaseGuard=0\r\n",
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, 30)},
       {{WM_LBUTTONDOWN, 0}}, 1, 0},
      // The middle and side buttons, each switched on by its own key.
      {"a 30 ms middle click, switched on: the release arrives late", std::wstring(kIntervals) + L"HookMButton=1\r\n",
       QuickClick(MouseButton::Middle, 30), kOneMiddleClick, 1, 1},
      {"a first side button tap, switched on", std::wstring(kIntervals) + L"HookXButton1=1\r\n",
       QuickClick(MouseButton::X1, 0), kOneSide1Click, 1, 1},
      {"a 30 ms second side button click, switched on", std::wstring(kIntervals) + L"HookXButton2=1\r\n",
       QuickClick(MouseButton::X2, 30), kOneSide2Click, 1, 1},
      {"a middle click, switched off: passes as it comes", kIntervals, QuickClick(MouseButton::Middle, 30),
       kOneMiddleClick, 0, 0},
      {"a side button tap, its own switch off: passes as it comes", std::wstring(kIntervals) + L"HookXButton1=1\r\n",
       QuickClick(MouseButton::X2, 0), kOneSide2Click, 0, 0},
      {"a drop-out inside a long middle-button drag, with drag hold: one long press",
       std::wstring(kIntervals) + L"HookMButton=1\r\nDragHold=1\r\nDragHoldTime=100\r\n",
       {ButtonStep(MouseButton::Middle, true, kCalm), ButtonStep(MouseButton::Middle, false, kCalm),
        ButtonStep(MouseButton::Middle, true), ButtonStep(MouseButton::Middle, false, kCalm)},
       kOneMiddleClick, 2, 1},
      // Quick deliberate clicks into a window of a class with CS_DBLCLKS arrive as the system
      // made them; a phantom press (held 3 ms, against a confirmation time of 60 ms for margin)
      // is swallowed, its release passing as a stray one as before.
      {"a 130 ms double click (60 / 70 / 60)", L"", Clicks(2, 60, 70), kDoubleClick, 0, 0},
      {"a 100 ms double click (45 / 55 / 45)", L"", Clicks(2, 45, 55), kDoubleClick, 0, 0},
      {"a triple click: three presses", L"", Clicks(3, 60, 80),
       {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}, {WM_LBUTTONDBLCLK, 0}, {WM_LBUTTONUP, 0}, {WM_LBUTTONDOWN, 0},
        {WM_LBUTTONUP, 0}},
       0, 0},
      {"a phantom second click held 3 ms", L"PressConfirmTime=60\r\n",
       {ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, 60),
        ButtonStep(MouseButton::Left, true, 40), ButtonStepAfterInjection(MouseButton::Left, false, 3)},
       {{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}, {WM_LBUTTONUP, 0}}, 0, 0},
  };
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  int rowNumber = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QuillrunGuard runner;
    // A folder per row: the target keeps the previous row's library copy mapped.
    const std::wstring folder = L"quillrun-release-guard-" + std::to_wstring(++rowNumber);
    ASSERT_TRUE(runner.Start(folder.c_str(), row.options));
    target.Activate();
    target.MoveToFreshPoint();
    target.ClearReceived();
    ASSERT_TRUE(target.Play(row.steps));
    EXPECT_EQ(Describe(ReceivedAfterDeadlines(target, row.received.size())), Describe(row.received));
    EXPECT_EQ(runner.BlockedUpDown(), row.blockedUpDown) << "the late release is not counted again";
    EXPECT_EQ(runner.Library().LateReleases(), row.lateReleases);
    EXPECT_TRUE(runner.Stop());
  }
}

TEST(QuillrunReleaseGuard, RemovingTheHookDeliversAPendingReleaseAtOnce) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  QuillrunGuard runner;
  // The late release would be due ten seconds after the press; unhooking must not wait for it.
  ASSERT_TRUE(runner.Start(L"quillrun-release-guard-unhook", L"UpDownIntervalTime=9999\r\n"));
  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true, kCalm), ButtonStep(MouseButton::Left, false, 30)}));
  EXPECT_EQ(Describe(target.Received()), Describe({{WM_LBUTTONDOWN, 0}}));
  const DWORD unhooked = GetTickCount();
  ASSERT_TRUE(runner.Stop());
  EXPECT_TRUE(WaitUntil([&] { return target.Received().size() >= 2; }, 3000));
  EXPECT_LT(GetTickCount() - unhooked, 9000u) << "delivered at its deadline, not at the unhook";
  EXPECT_EQ(Describe(target.Received()), Describe(kOneClick));
}

// Every process that maps the library may write the guard's state and set Quillrun's event. A
// forgery of every byte a hooked process may write (pending states of each kind, the replay slot
// an older library read, naming presses, double clicks and wheel notches, and each button's
// history) makes Quillrun inject nothing but releases of buttons that are physically up (the
// middle one is held down throughout), each at most once; a state no hook leaves (due far ahead,
// or long past) nothing at all; and a second wake-up without a new forgery nothing either.
TEST(QuillrunReleaseGuard, AForgedGuardStateMakesQuillrunInjectOnlyReleasesOfButtonsThatAreUp) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  QuillrunGuard runner;
  ASSERT_TRUE(runner.Start(L"quillrun-forged-guard", std::wstring(kIntervals) +
                                                          L"HookMButton=1\r\nHookXButton1=1\r\nHookXButton2=1\r\n"));
  target.Activate();
  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Middle, true, kCalm)}));
  GuardSharedData& guard = *reinterpret_cast<GuardSharedData*>(runner.Library().Section("shared_g"));
  HookSharedData& record = *reinterpret_cast<HookSharedData*>(runner.Library().Section("shared_d"));
  wchar_t event[kReleaseGuardEventNameCapacity];
  FormatReleaseGuardEventName(event, runner.Pid());
  const auto wake = [&] {
    if (HANDLE handle = OpenEventW(EVENT_MODIFY_STATE, FALSE, event)) {
      SetEvent(handle);
      CloseHandle(handle);
    }
    PumpMessagesFor(300);
  };
  const std::uint32_t replays[][2] = {{WM_RBUTTONDOWN, 0}, {WM_LBUTTONDBLCLK, 0}, {WM_MOUSEWHEEL, 120},
                                      {WM_XBUTTONDOWN, 2}, {WM_MBUTTONDBLCLK, 0}};
  // The history's age at the forgery: a deadline just past, far ahead, long past.
  const std::int32_t ages[] = {400, -5000, 100000};
  for (const auto& replay : replays)
    for (std::uint32_t kind = kPendingLate; kind <= kPendingDue; ++kind)
      for (std::int32_t age : ages) {
        SCOPED_TRACE(testing::Message() << "replay " << replay[0] << ", kind " << kind << ", age " << age);
        target.ClearReceived();
        const std::uint32_t delivered = guard.LateReleases, dropped = guard.DroppedReleases;
        const std::uint32_t then = GetTickCount() - static_cast<std::uint32_t>(age);
        std::memcpy(guard.Reserved16, replay, sizeof guard.Reserved16);
        record.LastLButtonDown = record.LastRButtonDown = then;
        for (std::uint8_t b = 0; b < kButtonCount; ++b) {
          guard.HeldSince[b] = then;
          if (b >= kButtonMiddle) guard.Extension.ExtraButtons[b - kButtonMiddle].LastDown = then;
          PendingReleaseOf(guard, b).State = PendingState(0x1234, kind);
        }
        wake();
        const std::vector<ReceivedMessage> received = target.Received();
        const bool plausible = kind == kPendingDue || age == 400;
        // Left, right and both side buttons are up: a release each; the middle one is down.
        const std::vector<ReceivedMessage> releases = {
            {WM_LBUTTONUP, 0}, {WM_RBUTTONUP, 0}, {WM_XBUTTONUP, 1}, {WM_XBUTTONUP, 2}};
        EXPECT_EQ(Describe(received), Describe(plausible ? releases : std::vector<ReceivedMessage>{}));
        EXPECT_EQ(guard.LateReleases - delivered, plausible ? 4u : 0u);
        EXPECT_EQ(guard.DroppedReleases - dropped, plausible ? 1u : 5u);
        wake();
        EXPECT_EQ(target.Received().size(), received.size()) << "something came a second time";
      }
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Middle, false)}));
  EXPECT_TRUE(runner.Stop());
}

// Two copies of the programs in two folders (an installed and a portable one, or the two
// editions): the second copy's Quillrun says so and installs nothing; and a second copy's filter
// installed beside the first all the same (as by a copy that does not look) has its wake-ups
// reach its own deliverer. Either way, quick clicks never leave a button down.
TEST(QuillrunReleaseGuard, TwoCopiesNeverLeaveAButtonDown) {
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  QuillrunGuard first;
  ASSERT_TRUE(first.Start(L"quillrun-two-copies-first", kIntervals));
  const std::wstring second = PrepareQuillrunFolder(L"quillrun-two-copies-second");
  LibraryCopy secondLibrary;
  ASSERT_TRUE(secondLibrary.Load(second));
  ChildProcess secondRunner = ChildProcess::Start(QuillrunIn(second), L"", second);
  const HWND box = FindTopWindowOfProcess(secondRunner.Pid(), L"#32770", 15000);
  ASSERT_NE(box, nullptr) << "the second copy did not say that another copy filters";
  EXPECT_EQ(secondLibrary->QueryHookState(), 0);
  PostMessageW(box, WM_CLOSE, 0, 0);
  EXPECT_TRUE(secondRunner.WaitForExit(5000));
  EXPECT_EQ(secondLibrary->QueryHookState(), 0);

  ASSERT_EQ(secondLibrary->InstallHook(0), 1);
  secondLibrary->SetHookType(kSourceLeftButton);
  secondLibrary->SetIntervalTime(300, 300, 300);
  ASSERT_TRUE(StartReleaseDelivery(*secondLibrary.operator->(), Settings{}));
  target.Activate();
  constexpr int kClicks = 8;
  std::vector<InputStep> steps;
  std::vector<ReceivedMessage> clicks;
  for (int i = 0; i < kClicks; ++i) {
    steps.push_back(ButtonStep(MouseButton::Left, true, kCalm));
    steps.push_back(ButtonStep(MouseButton::Left, false, 30));
    clicks.insert(clicks.end(), kOneClick.begin(), kOneClick.end());
  }
  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play(steps));
  EXPECT_EQ(Describe(ReceivedAfterDeadlines(target, clicks.size())), Describe(clicks));
  EXPECT_TRUE(secondLibrary->UninstallHook() == 1 && StopReleaseDelivery());
  EXPECT_TRUE(first.Stop());
}

}  // namespace
