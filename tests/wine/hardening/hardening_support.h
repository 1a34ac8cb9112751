// What the hardening tests share: the shared section of a loaded library copy, snapshots of its
// other bytes, the library as the writer binds it, a log reader and an answer watchdog.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "hook_library.h"
#include "core/hook_shared_data.h"
#include "hook_test_fixture.h"

// The loaded library's "shared_d" section: the record and the rest of its last page.
struct SharedSection {
  HookSharedData* record = nullptr;
  std::uint8_t* begin = nullptr;
  std::size_t virtualSize = 0;  // as the section table gives it
  std::size_t mappedSize = 0;   // rounded up to whole pages
  DWORD characteristics = 0;
};
// Walks the module's section headers; record stays null when there is no such section.
SharedSection FindSharedSection(HMODULE module);

// The bytes the library may not change once it is loaded: every writable section but the shared
// one, and the shared one's bytes behind the record.
class ModuleBytes {
 public:
  explicit ModuleBytes(HMODULE module);
  // Names of the regions whose bytes differ from the snapshot ("shared_d tail", ".data", ...).
  std::vector<std::string> Changed() const;

 private:
  struct Region {
    std::string name;
    const std::uint8_t* at;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Region> regions_;
};

// Installs the hook from this process (filterOwnProcess as InstallHook takes it), filtering
// every source with the longest intervals (kMaxIntervalTime) and logging on; true when installed.
bool InstallLoggingHook(const HookLibrary& library, std::uint8_t filterOwnProcess);

// Hands the library (the fixture's, bound as the programs bind it) to the real log writer with
// this size bound and lets the writer start; true once its thread runs.
bool StartRealLogWriter(const HookLibrary& library, std::uint32_t sizeBound);

// One line of the log as the writer formats it.
struct LogLine {
  std::wstring text;  // the whole line, CR LF included
  unsigned long processId = 0;
  std::wstring appName;
  unsigned eventCode = 0;
  bool sane = false;  // date and time digits in their widths and ranges, as a real clock gives
};

struct LogContents {
  bool exists = false;
  bool byteOrderMark = false;
  std::vector<LogLine> lines;
  // Whatever could not be read as whole lines (a cut line, stray bytes); empty when all is whole.
  std::wstring broken;
};
// Reads the log, line by line, from the byte-order mark on. A path may hold any character, so a
// line is found by its frame ("[" ... "\"> CODE=<0xXXXX>\r\n"), not by line breaks.
LogContents ReadLog(const std::wstring& path);

// Asks each window every periodMs, from a thread of its own, whether it answers within 1 s.
class AnswerWatch {
 public:
  explicit AnswerWatch(std::vector<HWND> windows, DWORD periodMs = 100);
  ~AnswerWatch();
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;

  // Stops asking; the results below are final afterwards.
  void Stop();
  std::uint32_t Asked() const { return asked_; }
  std::uint32_t Unanswered() const { return unanswered_; }
  DWORD SlowestMs() const { return slowest_; }

 private:
  static DWORD WINAPI Run(void* self);
  std::vector<HWND> windows_;
  DWORD periodMs_;
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
  std::atomic<std::uint32_t> asked_{0};
  std::atomic<std::uint32_t> unanswered_{0};
  std::atomic<DWORD> slowest_{0};
};
