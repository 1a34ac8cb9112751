// Quillrun without arguments: installs the hook with the settings beside it, filters, logs through
// its own writer, and ends once another process removes the hook.
#include <windows.h>
#include <commctrl.h>

#include "latchkin_contract.h"
#include "quillrun_test_support.h"
#include "../hook/core/guard_shared_data.h"
#include "text_helpers.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// True once the library reports exactly these settings: SetLogState is the last step of the
// start-up, so the log state tells that the others are done.
bool HasSettings(const LibraryCopy& library, std::uint8_t hookType, const std::vector<std::uint32_t>& intervals,
                 std::uint8_t logState) {
  return library.QueryHookState() == 1 && library.GetLogState() == logState && library.HookType() == hookType &&
         library.Intervals() == intervals;
}

TEST(QuillrunHeadless, FiltersWithTheStoredSettingsLogsAndEndsWhenUnhooked) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-headless");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=1\r\nHookRButton=0\r\nHookWheel=1\r\nUpDownIntervalTime=1000\r\n"
                           L"DbClickIntervalTime=300\r\nRotReverseIntervalTime=90\r\nLogToFile=1\r\nDisableSelfHook=0\r\n"
                           // Two releases in a row below: the guard's late release would be a third.
                           L"ReleaseGuard=0\r\n"));
  // Started from elsewhere, as the Run key does: these settings must not be the ones read.
  const std::wstring elsewhere = MakeScratchFolder(L"quillrun-headless-cwd");
  ASSERT_TRUE(WriteProfile(elsewhere + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=0\r\nHookRButton=1\r\nHookWheel=0\r\nUpDownIntervalTime=11\r\n"
                           L"DbClickIntervalTime=22\r\nRotReverseIntervalTime=33\r\nLogToFile=0\r\n"));

  LibraryCopy library;
  ASSERT_TRUE(library.Load(folder));
  ASSERT_EQ(library.QueryHookState(), 0);
  MouseTarget target;
  ASSERT_TRUE(target.Start());

  ChildProcess first = ChildProcess::Start(QuillrunIn(folder), L"", elsewhere);
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(WaitUntil([&] { return HasSettings(library, 0x03, {1000, 300, 90}, 1); }, 15000))
      << "hook type " << int(library.HookType()) << ", intervals " << ::testing::PrintToString(library.Intervals()) << ", log state "
      << int(library.GetLogState()) << ", installed " << int(library.QueryHookState());
  EXPECT_EQ(library.IsSelf(), 0) << "the hook belongs to Quillrun";

  // Chatter: a release right after the press is swallowed, the genuine one 1600 ms later passes.
  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false),
                           ButtonStep(MouseButton::Left, false, 1600)}));
  EXPECT_EQ(target.Received(), (std::vector<ReceivedMessage>{{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}))
      << Describe(target.Received());
  std::uint32_t upDown = 0;
  library.ReturnBlockedCount(&upDown, nullptr, nullptr);
  EXPECT_EQ(upDown, 1u);

  // Quillrun's writer drains the cache into the log beside the program.
  wchar_t pid[16];
  std::swprintf(pid, 16, L"PID=<%04lu>", static_cast<unsigned long>(target.Pid()));
  const std::wstring log = folder + L"Quillon.log";
  auto logged = [&] {
    const std::wstring text = Utf16Text(ReadFileBytes(log));
    return text.find(pid) != std::wstring::npos && text.find(L"CODE=<0x0101>") != std::wstring::npos;
  };
  EXPECT_TRUE(WaitUntil(logged, 20000)) << Narrow(Utf16Text(ReadFileBytes(log)));
  EXPECT_EQ(ReadFileBytes(log).substr(0, 2), std::string("\xFF\xFE"));
  EXPECT_FALSE(FileExists(elsewhere + L"Quillon.log"));

  // A second instance finds the hook installed and ends; the first one's settings stay.
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=0\r\nHookRButton=1\r\nHookWheel=0\r\nUpDownIntervalTime=44\r\n"
                           L"DbClickIntervalTime=55\r\nRotReverseIntervalTime=66\r\nLogToFile=0\r\n"));
  ChildProcess second = ChildProcess::Start(QuillrunIn(folder), L"", elsewhere);
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.WaitForExit(10000));
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_TRUE(HasSettings(library, 0x03, {1000, 300, 90}, 1));
  EXPECT_TRUE(first.Running());

  // Removing the hook from this process ends the first within its 500 ms poll (margin included).
  ASSERT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(first.WaitForExit(3000)) << "still supervising";
  EXPECT_EQ(first.ExitCode(), 0u);
}

GuardSharedData* GuardOf(const LibraryCopy& library) {
  return reinterpret_cast<GuardSharedData*>(library.Section("shared_g"));
}
GuardSharedData GuardSettingsOf(const LibraryCopy& library) {
  const GuardSharedData* guard = GuardOf(library);
  return guard ? *guard : GuardSharedData{};
}

// However the hook stops being Quillrun's, Quillrun notices at its next 500 ms poll and ends,
// and leaves a hook that another program installed alone, guard settings included.
TEST(QuillrunHeadless, EndsWhenTheHookIsNoLongerItsOwn) {
  struct Row {
    const char* name;
    bool installAnew;  // right after the removal, well within one poll
  };
  const Row rows[] = {
      {"removed", false},
      {"removed and installed anew by another program", true},
  };
  for (const Row& row : rows) {
    const std::wstring folder = PrepareQuillrunFolder(L"quillrun-own-hook");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg", L"[Options]\r\nLogToFile=1\r\nReleaseGuard=1\r\nDragHold=1\r\n"));
    LibraryCopy library;
    ASSERT_TRUE(library.Load(folder)) << row.name;
    ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", folder);
    ASSERT_TRUE(runner.Started()) << row.name;
    ASSERT_TRUE(library.WaitForHookWithLogging()) << row.name;
    EXPECT_EQ(GuardSettingsOf(library).DragHold, 1) << row.name << ": Quillrun's guard settings";
    // Another program (a panel whose install lost to Quillrun's at log-on) neither writes over
    // Quillrun's guard settings nor switches its guard off.
    library.SetReleaseGuard(0, 0, 77);
    EXPECT_EQ(GuardSettingsOf(library).DragHold, 1) << row.name << ": another program switched Quillrun's guard off";

    ASSERT_EQ(library.UninstallHook(), 1) << row.name;
    if (row.installAnew) {
      // As the other program does: install, then its own guard settings.
      ASSERT_EQ(library.InstallHook(0), 1) << row.name;
      library.SetReleaseGuard(1, 0, 77);
    }
    // The poll's 500 ms with a margin for a loaded machine.
    EXPECT_TRUE(runner.WaitForExit(3000)) << row.name << ": still supervising";
    EXPECT_EQ(runner.ExitCode(), 0u) << row.name;
    EXPECT_EQ(library.QueryHookState(), row.installAnew ? 1 : 0) << row.name;
    EXPECT_EQ(library.IsSelf(), row.installAnew ? 1 : 0) << row.name;
    const GuardSharedData guard = GuardSettingsOf(library);
    if (row.installAnew) {
      EXPECT_EQ(guard.ReleaseGuard, 1) << row.name << ": Quillrun switched the other program's guard off";
      EXPECT_EQ(guard.DragHold, 0) << row.name;
      EXPECT_EQ(guard.DragHoldTime, 77) << row.name;
      EXPECT_EQ(library.UninstallHook(), 1) << row.name;
    } else {
      EXPECT_EQ(guard.ReleaseGuard, 0) << row.name << ": Quillrun left its guard on";
      // What an installer that ended left in the guard never reaches the next installer.
      GuardSharedData& shared = *GuardOf(library);
      shared.ReleaseGuard = 1;
      shared.Left.State = PendingState(0x40, kPendingDue);
      shared.Reserved16[0] = 0x04;  // a replay slot an older library left: WM_RBUTTONDOWN
      ASSERT_EQ(library.InstallHook(0), 1) << row.name;
      EXPECT_EQ(shared.ReleaseGuard, 0) << row.name << ": the guard was left on";
      EXPECT_EQ(shared.Left.State, kPendingNone) << row.name << ": a stale pending release survived";
      EXPECT_EQ(shared.Reserved16[0], 0u) << row.name << ": a stale replay survived";
      EXPECT_EQ(library.UninstallHook(), 1) << row.name;
    }
  }
}

std::size_t CountOf(const std::wstring& text, const std::wstring& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

ULONGLONG LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// As installed under Program Files for an ordinary user: no file may be made in the folder, the
// log may be written. Past its bound the log starts anew in place and lines keep arriving.
TEST(QuillrunHeadless, KeepsLoggingPastTheBoundWhereNoFileMayBeCreated) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-log-anew");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=1\r\nUpDownIntervalTime=9999\r\nLogToFile=1\r\n"
                           L"LogFileMaxSize=10\r\n"));
  const std::wstring log = folder + L"Quillon.log";
  ASSERT_TRUE(WriteFileBytes(log, "\xFF\xFE" + std::string(11264 - 2, 'd')));  // at the bound of 10 KiB
  const ULONGLONG identity = FileIndex(log);
  FolderClosedToNewFiles closed(folder);
  if (!closed.Closed()) GTEST_SKIP() << "no way to close a folder to new files on this machine";

  LibraryCopy library;
  ASSERT_TRUE(library.Load(folder));
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", folder);
  ASSERT_TRUE(runner.Started());
  ASSERT_TRUE(library.WaitForHookWithLogging());

  auto swallowRelease = [&] {
    target.MoveToFreshPoint();
    return target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false),
                        ButtonStep(MouseButton::Left, false, 300)});
  };
  auto lines = [&] { return CountOf(Utf16Text(ReadFileBytes(log)), L"CODE=<0x0101>"); };
  ASSERT_TRUE(swallowRelease());
  ASSERT_TRUE(WaitUntil([&] { return lines() == 2; }, 20000)) << ReadFileBytes(log).size() << " bytes";
  ASSERT_TRUE(swallowRelease());
  EXPECT_TRUE(WaitUntil([&] { return lines() == 4; }, 20000)) << "no lines after the restart";
  const std::string bytes = ReadFileBytes(log);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
  EXPECT_EQ(bytes.find("dd"), std::string::npos) << "the old contents stayed";
  EXPECT_EQ(FileIndex(log), identity) << "not the same file";
  EXPECT_FALSE(CanCreateFileIn(folder));

  ASSERT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(runner.WaitForExit(5000));
}

TEST(QuillrunHeadless, RecordsDrainedBeforeTheHookIsRemovedStillReachTheLog) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-last-records");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookLButton=1\r\nUpDownIntervalTime=9999\r\nLogToFile=1\r\n"));
  LibraryCopy library;
  ASSERT_TRUE(library.Load(folder));
  MouseTarget target;
  ASSERT_TRUE(target.Start());
  ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", folder);
  ASSERT_TRUE(runner.Started());
  ASSERT_TRUE(library.WaitForHookWithLogging());

  target.MoveToFreshPoint();
  SendButton(MouseButton::Left, true);
  ASSERT_TRUE(target.WaitUntilIdle());

  // As many records as the cache holds at once (each is 26 bytes plus two per path unit), sent
  // between two passes, so the next pass drains them all in one batch and takes 10 ms per line
  // to write them.
  const std::wstring log = folder + L"Quillon.log";
  const ULONGLONG before = LastWriteTime(log);
  ASSERT_TRUE(WaitUntil([&] { return LastWriteTime(log) != before; }, 10000, 5)) << "no pass touched the log";
  const std::uint32_t records = kBlockLogCacheSize / (26 + 2 * static_cast<std::uint32_t>(target.ExePath().size())) - 2;
  PumpMessagesFor(300);  // the pass drains just after it touches the file; the next comes 3 s later
  for (std::uint32_t i = 0; i < records; ++i) SendButton(MouseButton::Left, false);
  ASSERT_TRUE(target.WaitUntilIdle());
  std::uint32_t upDown = 0;
  library.ReturnBlockedCount(&upDown, nullptr, nullptr);
  ASSERT_EQ(upDown, records) << "releases that were not swallowed";

  // Remove the hook as soon as the writer has begun the batch.
  auto linesWritten = [&] { return CountOf(Utf16Text(ReadFileBytes(log)), L"CODE=<0x0101>"); };
  ASSERT_TRUE(WaitUntil([&] { return linesWritten() > 0; }, 10000, 5));
  ASSERT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(runner.WaitForExit(5000));
  EXPECT_EQ(runner.ExitCode(), 0u);
  EXPECT_EQ(linesWritten(), records);
}

TEST(QuillrunHeadless, RejectedIntervalsGiveTheDefaultAndZeroKeepsTheLibraryValue) {
  // The library starts each run with 77, 88, 99 set by this process.
  struct Row {
    const char* name;
    const wchar_t* stored;  // up/down, double click, wheel reversal lines
    std::vector<std::uint32_t> expected;
  };
  const Row rows[] = {
      {"10000 is rejected: 40; 0 keeps the library's; -1 is rejected: 40",
       L"UpDownIntervalTime=10000\r\nDbClickIntervalTime=0\r\nRotReverseIntervalTime=-1\r\n", {40, 88, 40}},
      {"0 keeps the library's; 9999 and 1 are taken",
       L"UpDownIntervalTime=0\r\nDbClickIntervalTime=9999\r\nRotReverseIntervalTime=1\r\n", {77, 9999, 1}},
      {"missing keys give the defaults", L"", {40, 170, 40}},
  };
  for (const Row& row : rows) {
    const std::wstring folder = PrepareQuillrunFolder(L"quillrun-intervals");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg", std::wstring(L"[Options]\r\nLogToFile=1\r\n") + row.stored));
    LibraryCopy library;
    ASSERT_TRUE(library.Load(folder)) << row.name;
    library.SetIntervalTime(77, 88, 99);

    ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", folder);
    ASSERT_TRUE(runner.Started()) << row.name;
    EXPECT_TRUE(library.WaitForHookWithLogging()) << row.name;
    EXPECT_EQ(library.Intervals(), row.expected) << row.name;
    EXPECT_EQ(library.HookType(), 0x07) << row.name << ": missing hook keys filter all three";

    EXPECT_EQ(library.UninstallHook(), 1) << row.name;
    EXPECT_TRUE(runner.WaitForExit(3000)) << row.name;
    EXPECT_EQ(runner.ExitCode(), 0u) << row.name;
  }
}

// The keys of the Options window reach the library at Quillrun's start, and its pause hot key
// pauses and resumes every process's filter.
TEST(QuillrunHeadless, ExtraButtonsIntervalsAndThePauseHotKey) {
  const std::wstring folder = PrepareQuillrunFolder(L"quillrun-extension");
  ASSERT_FALSE(folder.empty());
  const WORD hotKey = MAKEWORD('P', HOTKEYF_CONTROL | HOTKEYF_ALT);
  ASSERT_TRUE(WriteProfile(folder + L"Quillon.cfg",
                           L"[Options]\r\nHookRButton=0\r\nHookMButton=1\r\nHookXButton2=1\r\nLogToFile=1\r\n"
                           L"MButtonUpDownIntervalTime=60\r\nXButton1DbClickIntervalTime=250\r\n"
                           L"ExcludedPrograms=game.exe\r\nPauseHotKey=" +
                               std::to_wstring(hotKey) + L"\r\n"));
  LibraryCopy library;
  ASSERT_TRUE(library.Load(folder));
  ASSERT_NE(library.GetFilterPaused, nullptr);
  ChildProcess runner = ChildProcess::Start(QuillrunIn(folder), L"", folder);
  ASSERT_TRUE(runner.Started());
  ASSERT_TRUE(library.WaitForHookWithLogging());

  EXPECT_EQ(library.HookType(), kSourceLeftButton | kSourceWheel | kSourceMiddleButton | kSourceXButton2);
  struct Row { std::uint8_t button; std::uint32_t upDown, dbClick; };
  const Row rows[] = {{kButtonLeft, 0, 0}, {kButtonMiddle, 60, 0}, {kButtonX1, 0, 250}};
  for (const Row& row : rows) {
    std::uint32_t upDown = 1, dbClick = 1;
    library.GetButtonIntervalTime(row.button, &upDown, &dbClick);
    EXPECT_EQ(upDown, row.upDown) << int(row.button);
    EXPECT_EQ(dbClick, row.dbClick) << int(row.button);
  }

  // Ctrl+Alt+P, typed as a user would; Quillrun takes the key within its first period.
  auto press = [] {
    INPUT keys[6] = {};
    const WORD order[6] = {VK_CONTROL, VK_MENU, 'P', 'P', VK_MENU, VK_CONTROL};
    for (int i = 0; i < 6; ++i) {
      keys[i].type = INPUT_KEYBOARD;
      keys[i].ki.wVk = order[i];
      keys[i].ki.dwFlags = i < 3 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
  };
  PumpMessagesFor(1000);
  EXPECT_EQ(library.GetFilterPaused(), 0);
  press();
  EXPECT_TRUE(WaitUntil([&] { return library.GetFilterPaused() == 1; }, 3000)) << "the hot key did not pause";
  press();
  EXPECT_TRUE(WaitUntil([&] { return library.GetFilterPaused() == 0; }, 3000)) << "the hot key did not resume";

  ASSERT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(runner.WaitForExit(5000));
}

}  // namespace
