// Faults injected under Wine: a killed installer, the log file taken away between passes and a
// spoiled settings file under the running panel. Nothing crashes and the writer resumes.
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "hardening_support.h"
#include "log_writer.h"
#include "panel_test_support.h"
#include "resource.h"
#include "text_helpers.h"
#include "unique_handle.h"

// A process killed while it holds "CACHE_IO_MUTEX" is hook_cache_mutex_test's: the next append,
// drain or log reset takes the abandoned lock over. One that keeps holding it is here: the
// panel's window thread never waits for it for long.

namespace {

std::wstring EventName(const wchar_t* what) {
  return L"Quillon.Hardening." + std::to_wstring(GetCurrentProcessId()) + L"." + what;
}

// ---- The installer killed -----------------------------------------------------------------

// The record keeps naming the dead process: the panel started afterwards sees a hook installed
// and offers to remove it, and removing it works although the system took the hook with its
// installer; no writer starts anywhere, and the panel still exits cleanly.
TEST(Faults, TheInstallerKilledWhileItsHookIsInstalled) {
  PanelProcess panel;
  PanelFiles files;
  files.settings = OptionsSection({L"ShowHookResultForce=1", L"LogToFile=1"});
  ASSERT_TRUE(panel.Prepare(L"hardening-installer-killed", files));
  const std::wstring folder = panel.Folder();
  ASSERT_TRUE(CopyInto(BinDirectory() + L"hook_peer.exe", folder));
  LibraryCopy library(folder);
  ASSERT_NE(library.QueryHookState, nullptr);

  MouseTarget target;
  ASSERT_TRUE(target.Start());
  UniqueHandle installed(CreateEventW(nullptr, TRUE, FALSE, EventName(L"Installed").c_str()));
  ChildProcess installer =
      ChildProcess::Start(folder + L"hook_peer.exe",
                          L"\"" + folder + L"peer.txt\" install:0 settype:7 intervals:300,300,300 log:1 signal:" +
                              EventName(L"Installed") + L" wait:" + EventName(L"Never"),
                          folder);
  ASSERT_TRUE(installer.Started());
  ASSERT_EQ(WaitForSingleObject(installed.get(), 30000), WAIT_OBJECT_0) << "the peer did not install";
  ASSERT_EQ(library.QueryHookState(), 1);

  // The hook works while its installer lives: chatter is swallowed.
  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true, 600), ButtonStep(MouseButton::Left, false),
                           ButtonStep(MouseButton::Left, false, 600)}));
  EXPECT_EQ(Describe(target.Received()), Describe({{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}));

  AnswerWatch watch({target.Window()});
  installer.Kill();

  // Windows destroys a thread's hooks with the thread. Wine: only low-level hooks go with their
  // thread, so this one outlives its installer and goes on filtering.
  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true, 600), ButtonStep(MouseButton::Left, false)}));
  const bool hookOutlivesInstaller = target.Received().size() == 1;
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, false, 600)}));

  // Everybody else keeps running, and genuine input keeps reaching them.
  const std::vector<InputStep> genuine = {ButtonStep(MouseButton::Left, true, 600), ButtonStep(MouseButton::Left, false, 600),
                                          ButtonStep(MouseButton::Right, true, 600), ButtonStep(MouseButton::Right, false, 600),
                                          WheelStep(120, 600), WheelStep(-120, 600)};
  target.MoveToFreshPoint();
  target.ClearReceived();
  ASSERT_TRUE(target.Play(genuine)) << "the target stopped answering";
  EXPECT_EQ(Describe(target.Received()),
            Describe({{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}, {WM_RBUTTONDOWN, 0}, {WM_RBUTTONUP, 0},
                      {WM_MOUSEWHEEL, 120}, {WM_MOUSEWHEEL, -120}}));
  watch.Stop();
  EXPECT_EQ(watch.Unanswered(), 0u) << "slowest answer " << watch.SlowestMs() << " ms";
  EXPECT_TRUE(target.Running());

  // The record is not repaired: the hook still reads as installed by the dead process.
  EXPECT_EQ(library.QueryHookState(), 1);
  EXPECT_EQ(library.IsSelf(), 0);
  EXPECT_EQ(library.InstallHook(0), 0);
  std::vector<std::uint8_t> buffer(kBlockLogCacheSize);
  EXPECT_EQ(library.ClearLogCahce(buffer.data()), 10241);

  // Windows destroyed the hook with its installer's thread, so the handle in the record names
  // nothing any more; Wine kept the hook. Make the record say what Windows' would, and remove
  // the hook Wine kept at the end, so no later test meets it.
  const SharedSection section = FindSharedSection(library.Module.get());
  ASSERT_NE(section.record, nullptr);
  const std::uint32_t keptHook = section.record->HookHandle;
  section.record->HookHandle = keptHook ^ 0x00FF0000u;

  // The panel shows an installed hook. Removing it works all the same: its installer has ended.
  ASSERT_TRUE(panel.Launch());
  EXPECT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ACTION) == L"TEXT_UNHOOK"; }))
      << Narrow(panel.Text(IDC_ACTION));
  EXPECT_TRUE(panel.Enabled(IDC_UPDOWN_SET)) << "the parameters can be changed while a hook is installed";
  ASSERT_TRUE(panel.Click(IDC_ACTION));
  HWND box = nullptr;
  EXPECT_TRUE(panel.Eventually([&] {
    const std::vector<HWND> boxes = MessageBoxesOf(panel.Process().Pid(), panel.Dialog());
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr;
  }));
  if (box != nullptr) {
    EXPECT_EQ(Narrow(MessageBoxText(box)), "TEXT_UNHOOKSUCCESSFULLY");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_EQ(library.QueryHookState(), 0);
  EXPECT_EQ(section.record->InstallerProcessId, 0u) << "the record was not given free";
  EXPECT_TRUE(panel.Eventually([&] { return panel.Text(IDC_ACTION) == L"TEXT_HOOK"; }));
  // A USER handle's 32 bits, sign-extended as the platform does.
  if (hookOutlivesInstaller) {
    EXPECT_TRUE(UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<LONG_PTR>(static_cast<LONG>(keptHook)))));
  }
  // The log belongs to the installer: no writer starts in the panel, although logging was on.
  PumpMessagesFor(4000);
  EXPECT_FALSE(FileExists(folder + kLogFileName));
  EXPECT_TRUE(panel.Process().Running());
  EXPECT_TRUE(panel.ExitCleanly());
  EXPECT_TRUE(target.Running());
  UnloadHookLibrary(library);
}

// ---- The cache lock held by a frozen process ---------------------------------------------

// A hooked program stopped in a debugger while it holds "CACHE_IO_MUTEX": the panel switches
// logging on and off all the same, answering within the watch's 1 s throughout, and the switch
// is in force in the library at once.
TEST(Faults, ThePanelKeepsAnsweringWhileAnotherProcessHoldsTheCacheLock) {
  PanelProcess panel;
  ASSERT_TRUE(panel.Start(L"hardening-cache-lock-held", PanelFiles{}));
  const std::wstring folder = panel.Folder();
  ASSERT_TRUE(CopyInto(BinDirectory() + L"hook_peer.exe", folder));
  LibraryCopy library(folder);
  ASSERT_TRUE(library.Loaded());

  UniqueHandle held(CreateEventW(nullptr, TRUE, FALSE, EventName(L"LockHeld").c_str()));
  UniqueHandle go(CreateEventW(nullptr, TRUE, FALSE, EventName(L"LockGo").c_str()));
  ChildProcess holder = ChildProcess::Start(
      folder + L"hook_peer.exe",
      L"\"" + folder + L"holder.txt\" holdmutex signal:" + EventName(L"LockHeld") + L" wait:" + EventName(L"LockGo") +
          L" releasemutex",
      folder);
  ASSERT_TRUE(holder.Started());
  ASSERT_EQ(WaitForSingleObject(held.get(), 30000), WAIT_OBJECT_0) << "the holder never took the lock";

  AnswerWatch watch({panel.Dialog()});
  const ULONGLONG start = GetTickCount64();
  for (int click = 0; click < 4; ++click) {
    const bool checked = panel.Checked(IDC_LOGTOFILE);
    ASSERT_TRUE(panel.Click(IDC_LOGTOFILE)) << "click " << click << ": the panel did not answer";
    EXPECT_TRUE(panel.Eventually([&] { return panel.Checked(IDC_LOGTOFILE) != checked; })) << "click " << click;
    EXPECT_EQ(library.LogState(), !checked) << "click " << click << ": the library's log state";
  }
  // The holder keeps the lock for seconds while the refresh ticks go on.
  PumpMessagesFor(static_cast<DWORD>(std::max<LONGLONG>(0, 4000 - static_cast<LONGLONG>(GetTickCount64() - start))));
  watch.Stop();
  EXPECT_TRUE(holder.Running()) << "the holder let go early; the test proves nothing";
  EXPECT_GT(watch.Asked(), 10u);
  EXPECT_EQ(watch.Unanswered(), 0u) << "slowest answer " << watch.SlowestMs() << " ms";

  SetEvent(go.get());
  ASSERT_TRUE(holder.WaitForExit(30000));
  EXPECT_TRUE(panel.ExitCleanly());
}

// ---- The log file taken away between passes -----------------------------------------------

class LogFileFaults : public LatchkinTest {
 protected:
  void SetUp() override {
    LatchkinTest::SetUp();
    section_ = FindSharedSection(module_);
    ASSERT_NE(section_.record, nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    ASSERT_TRUE(InstallLoggingHook(hook_, 1));  // this process's own messages are judged too
    ASSERT_TRUE(StartRealLogWriter(hook_, 1024));
  }
  void TearDown() override {
    EXPECT_TRUE(StopLogWriter(15000));
    LogWriter.Library = nullptr;
    SetFileAttributesW(LogPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    SetCurrentDirectoryW(BinDirectory().c_str());
    LatchkinTest::TearDown();
  }

  std::wstring LogPath() const { return folder_ + kLogFileName; }

  // A press that passes and the release or notch right behind it, swallowed with `code`.
  void Swallow(std::uint16_t code) {
    MOUSEHOOKSTRUCTEX data = {};
    UINT first = WM_LBUTTONDOWN, second = WM_LBUTTONUP;
    if (code == 0x0401) {
      first = WM_RBUTTONDOWN;
      second = WM_RBUTTONUP;
    } else if (code == 0x0202) {
      first = second = WM_MOUSEWHEEL;
    }
    data.mouseData = static_cast<DWORD>(120) << 16;
    ASSERT_NE(hook_.MousePreProc(HC_ACTION, first, reinterpret_cast<LPARAM>(&data)), 1);
    data.mouseData = static_cast<DWORD>(-120) << 16;
    ASSERT_EQ(hook_.MousePreProc(HC_ACTION, second, reinterpret_cast<LPARAM>(&data)), 1);
  }

  // Waits until the writer has taken everything out of the cache and finished that pass.
  void WaitForDrain() {
    ASSERT_TRUE(WaitUntil([&] { return SharedLoad(section_.record->CacheLength) == 0; }, 15000));
    PumpMessagesFor(500);  // the pass writes its lines 10 ms apart, then closes the file
  }

  bool LastLineHasCode(unsigned code) const {
    const LogContents log = ReadLog(LogPath());
    return log.broken.empty() && !log.lines.empty() && log.lines.back().eventCode == code && log.lines.back().sane;
  }

  SharedSection section_;
};

// A program that holds the file open without sharing until released.
class Holder {
 public:
  // Retries while the writer still has the file open (the holder's open then fails).
  bool Hold(const std::wstring& path) {
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, EventName(L"HolderReady").c_str()));
    release_.reset(CreateEventW(nullptr, TRUE, FALSE, EventName(L"HolderRelease").c_str()));
    for (int attempt = 0; attempt < 20; ++attempt) {
      ResetEvent(ready_.get());
      process_ = ChildProcess::Start(BinDirectory() + L"file_holder.exe",
                                     L"\"" + path + L"\" " + EventName(L"HolderReady") + L" " + EventName(L"HolderRelease"),
                                     L"");
      if (!process_.Started()) return false;
      HANDLE waits[2] = {ready_.get(), process_.Handle()};
      if (WaitForMultipleObjects(2, waits, FALSE, 15000) == WAIT_OBJECT_0) return true;
      PumpMessagesFor(50);
    }
    return false;
  }
  void Release() {
    SetEvent(release_.get());
    process_.WaitForExit(15000);
  }

 private:
  UniqueHandle ready_, release_;
  ChildProcess process_;
};

TEST_F(LogFileFaults, TheWriterResumesWhenTheFileCanBeWrittenAgain) {
  enum class Fault { Deleted, ReadOnly, Held };
  struct Row {
    const char* name;
    Fault fault;
  };
  const Row rows[] = {{"deleted", Fault::Deleted}, {"made read-only", Fault::ReadOnly},
                      {"held open without sharing by another program", Fault::Held}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // Before: the writer appends to the file as ever.
    ASSERT_NO_FATAL_FAILURE(Swallow(0x0101));
    ASSERT_TRUE(WaitUntil([&] { return LastLineHasCode(0x0101); }, 20000)) << "not logged before the fault";
    const std::string before = ReadFileBytes(LogPath());
    const std::size_t linesBefore = ReadLog(LogPath()).lines.size();

    Holder holder;
    bool blocked = true;  // the file can not be opened for writing while the fault lasts
    switch (row.fault) {
      case Fault::Deleted: ASSERT_TRUE(DeleteFileW(LogPath().c_str())); break;
      case Fault::ReadOnly:
        ASSERT_TRUE(SetFileAttributesW(LogPath().c_str(), FILE_ATTRIBUTE_READONLY));
        // Wine: the attribute is not enforced for a user whom Unix lets write anyway (root).
        blocked = !UniqueFile(CreateFileW(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!blocked) std::printf("note: this machine writes read-only files anyway; the writer is only seen to go on\n");
        break;
      case Fault::Held: ASSERT_TRUE(holder.Hold(LogPath())); break;
    }

    // During: two records are swallowed and drained.
    ASSERT_NO_FATAL_FAILURE(Swallow(0x0401));
    ASSERT_NO_FATAL_FAILURE(Swallow(0x0401));
    ASSERT_NO_FATAL_FAILURE(WaitForDrain());
    if (row.fault == Fault::Deleted) {
      // The next pass starts a new file: nothing stands in its way.
      const LogContents log = ReadLog(LogPath());
      EXPECT_TRUE(log.byteOrderMark);
      ASSERT_EQ(log.lines.size(), 2u);
      EXPECT_EQ(log.lines[0].eventCode, 0x0401u);
    }

    // After: the fault is lifted and the writer goes on with the same file.
    switch (row.fault) {
      case Fault::Deleted: break;
      case Fault::ReadOnly: ASSERT_TRUE(SetFileAttributesW(LogPath().c_str(), FILE_ATTRIBUTE_NORMAL)); break;
      case Fault::Held: holder.Release(); break;
    }
    const std::string kept = ReadFileBytes(LogPath());
    if (row.fault != Fault::Deleted && blocked) {
      // The file could not be opened: those records are lost, and the file is as it was.
      EXPECT_EQ(kept, before) << "the file changed while it could not be written";
    }
    ASSERT_NO_FATAL_FAILURE(Swallow(0x0202));
    EXPECT_TRUE(WaitUntil([&] { return LastLineHasCode(0x0202); }, 20000)) << "the writer did not resume";
    const LogContents log = ReadLog(LogPath());
    EXPECT_TRUE(log.byteOrderMark);
    EXPECT_EQ(Narrow(log.broken), "");
    EXPECT_EQ(ReadFileBytes(LogPath()).compare(0, kept.size(), kept), 0) << "what was in the file was rewritten";
    // The new file holds the two records of the pass that made it; an unusable file lost them.
    EXPECT_EQ(log.lines.size(), row.fault == Fault::Deleted ? 3u : linesBefore + (blocked ? 1 : 3));
    EXPECT_NE(LogWriter.LogWriterThread.load(), nullptr) << "the writer ended";
  }
}

// ---- The settings file spoiled under the running panel ------------------------------------

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

std::string Utf16Le(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

TEST(Faults, ThePanelKeepsRunningWhenItsSettingsFileIsSpoiled) {
  std::wstring surrogates;
  for (int i = 0; i < 200000; ++i) surrogates += static_cast<wchar_t>(i % 7 == 0 ? 0xD800 : i % 5 == 0 ? L'[' : L'=');
  struct Row {
    const char* name;
    std::string bytes;
  };
  const Row rows[] = {
      {"random bytes", RandomBytes(64 * 1024, 7)},
      {"UTF-16 without a line break, with lone surrogates", "\xFF\xFE" + Utf16Le(surrogates)},
      {"an empty file", ""},
      {"values of 100 000 digits",
       Utf16LeWithBom(L"[Options]\r\nHookLButton=" + std::wstring(100000, L'9') + L"\r\nLogToFile=-" +
                      std::wstring(100000, L'1') + L"\r\n[Options]\r\n[Options\r\n=\r\n")},
      {"NUL bytes", std::string(4096, '\0')},
  };

  PanelProcess panel;
  ASSERT_TRUE(panel.Start(L"hardening-spoiled-settings", PanelFiles{}));
  const std::wstring settings = panel.Folder() + L"Quillon.cfg";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(WriteFileBytes(settings, row.bytes));
    // Several refresh ticks write their keys into the spoiled file...
    PumpMessagesFor(1500);
    // ...and the panel still answers and acts on a click.
    ASSERT_TRUE(panel.Process().Running()) << "the panel ended";
    const bool checked = panel.Checked(IDC_AUTOTIPS);
    ASSERT_TRUE(panel.Click(IDC_AUTOTIPS)) << "the panel did not answer";
    EXPECT_TRUE(panel.Eventually([&] { return panel.Checked(IDC_AUTOTIPS) != checked; }));
  }
  EXPECT_TRUE(panel.ExitCleanly());
}

}  // namespace
