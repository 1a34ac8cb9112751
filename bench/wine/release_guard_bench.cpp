// Benchmark of the release guard under Wine, through Quillrun and another process's window:
// how long after its deadline a late release reaches the window (taps, and drag-hold windows),
// how long the hook holds the window's thread to confirm a press the rules would swallow, and
// how often Quillrun's threads wake while it sits idle. A report, not a test: it prints
// figures and asserts nothing about them.
//   release_guard_bench [TAPS] [HOLDS] [IDLE_SECONDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "quillrun_test_support.h"
#include "wine_test_support.h"

namespace {

constexpr std::uint32_t kUpDownInterval = 40;  // the default
constexpr std::uint32_t kDragHoldTime = 30;    // the default
constexpr DWORD kCalm = 250;                   // between cases: no case pairs with the one before
constexpr std::uint32_t kPressConfirmTime = 20;  // the default

struct Runner {
  std::wstring folder;
  LibraryCopy library;
  ChildProcess process;
  bool Start(const wchar_t* name, const std::wstring& options) {
    folder = PrepareQuillrunFolder(name);
    if (folder.empty() || !WriteProfile(folder + L"Quillon.cfg", L"[Options]\r\nLogToFile=1\r\n" + options) ||
        !library.Load(folder))
      return false;
    process = ChildProcess::Start(QuillrunIn(folder), L"", folder);
    return process.Started() &&
           WaitUntil([&] { return library->QueryHookState() == 1 && library->GetLogState() == 1; }, 15000);
  }
  void Stop() {
    if (library->UninstallHook) library->UninstallHook();
    process.WaitForExit(5000);
  }
};

struct Figures {
  std::vector<double> delays;  // ms after the deadline
  int failed = 0;
};

void Report(const char* what, Figures& figures) {
  std::vector<double>& d = figures.delays;
  std::sort(d.begin(), d.end());
  if (d.empty()) {
    std::printf("%s: no case completed (%d failed)\n", what, figures.failed);
    return;
  }
  auto at = [&](double q) { return d[static_cast<std::size_t>(q * (d.size() - 1))]; };
  std::printf("%s: %zu cases (%d without a late release): delay after the deadline, ms: "
              "min %.2f, median %.2f, p90 %.2f, p99 %.2f, worst %.2f\n",
              what, d.size(), figures.failed, d.front(), at(0.5), at(0.9), at(0.99), d.back());
}

// A tap (press and release injected together): the release is swallowed and delivered late;
// its deadline is the press's arrival plus the up/down interval.
Figures MeasureTaps(MouseTarget& target, int cases) {
  Figures figures;
  for (int i = 0; i < cases; ++i) {
    target.MoveToFreshPoint();
    target.ClearReceived();
    PumpMessagesFor(kCalm);
    target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false)});
    if (!WaitUntil([&] { return target.Received().size() >= 2; }, 2000, 1)) {
      ++figures.failed;
      continue;
    }
    const std::vector<double> at = target.ReceivedAtMs();
    figures.delays.push_back(at[1] - at[0] - kUpDownInterval);
  }
  return figures;
}

// A release after a long hold is held for the drag-hold window; its deadline is the moment the
// release reached the hook (the window got nothing then, so the press's arrival plus the hold
// as played stands in: the release is injected right after the hold's pause).
Figures MeasureHolds(MouseTarget& target, int cases) {
  Figures figures;
  for (int i = 0; i < cases; ++i) {
    target.MoveToFreshPoint();
    target.ClearReceived();
    PumpMessagesFor(kCalm);
    target.Play({ButtonStep(MouseButton::Left, true)});
    target.WaitUntilIdle();
    LARGE_INTEGER frequency, released;
    QueryPerformanceFrequency(&frequency);
    PumpMessagesFor(300);
    QueryPerformanceCounter(&released);
    SendButton(MouseButton::Left, false);
    if (!WaitUntil([&] { return target.Received().size() >= 2; }, 2000, 1)) {
      ++figures.failed;
      continue;
    }
    const double releasedMs = static_cast<double>(released.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    figures.delays.push_back(target.ReceivedAtMs()[1] - releasedMs - kDragHoldTime);
  }
  return figures;
}

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A click, then a second press 100 ms after the first (a double click the rules would swallow),
// held `holdMs`: the window's thread waits in the hook until the button comes up or the
// confirmation time has passed. The figure is the time from the press (confirmed: its arrival
// less PressConfirmTime) or from the release (phantom: the stray release's arrival) as injected.
Figures MeasureConfirmation(MouseTarget& target, int cases, DWORD holdMs) {
  Figures figures;
  const bool phantom = holdMs < kPressConfirmTime;
  for (int i = 0; i < cases; ++i) {
    target.MoveToFreshPoint();
    target.ClearReceived();
    PumpMessagesFor(kCalm);
    target.Play({ButtonStep(MouseButton::Left, true), ButtonStep(MouseButton::Left, false, 60)});
    target.WaitUntilIdle();
    PumpMessagesFor(40);
    const double pressed = NowMs();
    SendButton(MouseButton::Left, true);
    Sleep(holdMs);
    const double released = NowMs();
    SendButton(MouseButton::Left, false);
    if (!WaitUntil([&] { return target.Received().size() >= (phantom ? 3u : 4u); }, 2000, 1)) {
      ++figures.failed;
      continue;
    }
    const std::vector<double> at = target.ReceivedAtMs();
    figures.delays.push_back(phantom ? at[2] - released : at[2] - pressed - kPressConfirmTime);
  }
  return figures;
}
Figures MeasureConfirmedPresses(MouseTarget& target, int cases) { return MeasureConfirmation(target, cases, 60); }
Figures MeasurePhantomPresses(MouseTarget& target, int cases) { return MeasureConfirmation(target, cases, 3); }

// Per-thread context switches of a Wine process, read from the host's /proc through drive Z:.
std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

std::vector<std::wstring> ListNumeric(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.cFileName[0] >= L'0' && found.cFileName[0] <= L'9') names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The host process whose command line names this folder's Quillrun.
std::wstring FindHostProcess(const std::string& marker) {
  for (const std::wstring& pid : ListNumeric(L"Z:\\proc\\")) {
    std::string commandLine = ReadAll(L"Z:\\proc\\" + pid + L"\\cmdline");
    std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
    if (commandLine.find(marker) != std::string::npos) return pid;
  }
  return {};
}

long Field(const std::string& status, const char* name) {
  const std::size_t at = status.find(name);
  return at == std::string::npos ? -1 : std::strtol(status.c_str() + at + std::strlen(name), nullptr, 10);
}

// thread id -> (name, voluntary + involuntary switches)
std::map<std::wstring, std::pair<std::string, long>> ThreadSwitches(const std::wstring& pid) {
  std::map<std::wstring, std::pair<std::string, long>> threads;
  const std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
  for (const std::wstring& tid : ListNumeric(tasks)) {
    const std::string status = ReadAll(tasks + tid + L"\\status");
    std::string name = ReadAll(tasks + tid + L"\\comm");
    while (!name.empty() && (name.back() == '\n' || name.back() == '\0')) name.pop_back();
    threads[tid] = {name, Field(status, "voluntary_ctxt_switches:") + Field(status, "nonvoluntary_ctxt_switches:")};
  }
  return threads;
}

void ReportIdle(const char* what, const wchar_t* folderName, const std::wstring& options, DWORD seconds) {
  Runner runner;
  if (!runner.Start(folderName, options)) {
    std::printf("%s: Quillrun did not start\n", what);
    return;
  }
  const std::wstring name(folderName);
  const std::wstring pid = FindHostProcess(std::string(name.begin(), name.end()) + "\\Quillrun.exe");
  if (pid.empty()) {
    std::printf("%s: Quillrun's host process not found under Z:\\proc\n", what);
    runner.Stop();
    return;
  }
  PumpMessagesFor(1000);  // start-up settles
  const auto before = ThreadSwitches(pid);
  PumpMessagesFor(seconds * 1000);
  const auto after = ThreadSwitches(pid);
  long total = 0;
  std::string perThread;
  for (const auto& [tid, entry] : after) {
    const auto old = before.find(tid);
    const long delta = old == before.end() ? entry.second : entry.second - old->second.second;
    total += delta;
    perThread += " " + entry.first + "=" + std::to_string(delta);
  }
  std::printf("%s: %zu threads, %ld context switches in %lu s idle (%.1f/s); per thread:%s\n", what, after.size(),
              total, static_cast<unsigned long>(seconds), static_cast<double>(total) / seconds, perThread.c_str());
  runner.Stop();
}

}  // namespace

int main(int argc, char** argv) {
  const int taps = argc > 1 ? std::atoi(argv[1]) : 200;
  const int holds = argc > 2 ? std::atoi(argv[2]) : 50;
  const DWORD idleSeconds = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 10;
  setvbuf(stdout, nullptr, _IONBF, 0);

  MouseTarget target;
  if (!target.Start()) {
    std::printf("mouse target did not start\n");
    return 1;
  }
  // One Quillrun per kind of case, with the settings it needs.
  struct Phase {
    const char* what;
    const wchar_t* folder;
    const wchar_t* options;
    Figures (*measure)(MouseTarget&, int);
    int cases;
  };
  const Phase phases[] = {
      {"late release of a tap (ReleaseGuard=1, UpDownIntervalTime=40)", L"quillon-bench-taps", L"", MeasureTaps,
       taps},
      {"held release at the end of its window (DragHold=1, DragHoldTime=30)", L"quillon-bench-holds",
       L"DragHold=1\r\n", MeasureHolds, holds},
      {"confirmed press held 60 ms (PressConfirmTime=20): thread held past the confirmation time",
       L"quillon-bench-confirmed", L"", MeasureConfirmedPresses, holds},
      {"phantom press held 3 ms (PressConfirmTime=20): thread held past the button's release",
       L"quillon-bench-phantom", L"", MeasurePhantomPresses, holds},
  };
  for (const Phase& phase : phases) {
    if (phase.cases <= 0) continue;
    Runner runner;
    if (!runner.Start(phase.folder, phase.options)) {
      std::printf("%s: Quillrun did not start\n", phase.what);
      return 1;
    }
    Figures figures = phase.measure(target, phase.cases);
    Report(phase.what, figures);
    runner.Stop();
  }
  target.Stop();
  if (idleSeconds > 0) {
    ReportIdle("Quillrun idle, ReleaseGuard=1 (delivery thread running)", L"quillon-bench-idle-guard", L"",
               idleSeconds);
    ReportIdle("Quillrun idle, ReleaseGuard=0 (today's program)", L"quillon-bench-idle-plain",
               L"ReleaseGuard=0\r\n", idleSeconds);
  }
  return 0;
}
