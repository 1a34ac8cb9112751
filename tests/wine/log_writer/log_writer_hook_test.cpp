// The log writer with the real Latchkin.dll: a bouncing button in another process becomes a
// line of "Quillon.log" carrying that process's id, executable and rule code, and removing the
// hook ends the writer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "hook_library.h"
#include "log_writer.h"
#include "text_helpers.h"
#include "wine_test_support.h"

namespace {

std::wstring Decimal(unsigned long value, int width) {
  std::wstring digits = std::to_wstring(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

TEST(LogWriterWithTheLibrary, WritesALineForEachSwallowedMessageOfAnotherProcess) {
  const std::wstring folder = MakeScratchFolder(L"log_writer_hook");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));

  HookLibrary library;
  ASSERT_TRUE(LoadHookLibrary(library));
  MouseTarget target;
  ASSERT_TRUE(target.Start());

  ASSERT_EQ(library.InstallHook(0), 1);
  library.SetHookType(0x01);
  // A long up/down interval: the injected release comes well inside it on a loaded machine.
  library.SetIntervalTime(1000, 170, 40);
  library.SetLogState(1);
  LogWriter.Library = &library;
  LogWriter.SizeBound = 1024;
  PollLogWriter();
  ASSERT_NE(LogWriter.LogWriterThread.load(), nullptr);

  // Nothing blocked yet: the first pass leaves a file holding only the byte-order mark.
  const std::wstring log = folder + kLogFileName;
  // The writer creates the file and then writes the mark: wait for the mark, not the file.
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(log).size() >= 2; }, 15000));
  EXPECT_EQ(ReadFileBytes(log), "\xFF\xFE");

  // Chatter: a release right after the press is swallowed (0x0101), the genuine one 1600 ms
  // later passes.
  target.MoveToFreshPoint();
  ASSERT_TRUE(target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false),
                           ButtonStep(MouseButton::Left, false, 1600)}));
  EXPECT_EQ(target.Received(), (std::vector<ReceivedMessage>{{WM_LBUTTONDOWN, 0}, {WM_LBUTTONUP, 0}}))
      << Describe(target.Received());

  const std::wstring expectedTail = L"]  PID=<" + Decimal(target.Pid(), 4) + L"> APPNAME=<\"" + target.ExePath() +
                                    L"\"> CODE=<0x0101>\r\n";
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(log).size() > 2; }, 15000)) << "no line was written";
  PumpMessagesFor(500);  // the pass writes its lines 10 ms apart
  const std::wstring text = Utf16Text(ReadFileBytes(log));
  ASSERT_GE(text.size(), 1u);
  EXPECT_EQ(text[0], L'\xFEFF');
  const std::wstring line = text.substr(1);
  SYSTEMTIME now;
  GetLocalTime(&now);
  // "[YYYY-MM-DD hh:mm:ss" is 20 characters; the year guards against a garbled time.
  ASSERT_EQ(line.size(), 20u + expectedTail.size()) << Narrow(line);
  EXPECT_EQ(line.substr(0, 6), L"[" + Decimal(now.wYear, 4) + L"-") << Narrow(line);
  EXPECT_EQ(line.substr(20), expectedTail) << "one line, with the target's id, path and code";

  // Removing the hook: the next drain reports another installer, and the writer ends.
  EXPECT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(WaitUntil([] { return LogWriter.LogWriterThread.load() == nullptr; }, 15000))
      << "the writer did not end";
  PollLogWriter();
  EXPECT_EQ(LogWriter.LogWriterThread.load(), nullptr) << "no writer without the hook";

  EXPECT_TRUE(StopLogWriter(15000));
  LogWriter.Library = nullptr;
  target.Stop();
  UnloadHookLibrary(library);
  SetCurrentDirectoryW(BinDirectory().c_str());
  RemoveFolder(folder);
}

}  // namespace
