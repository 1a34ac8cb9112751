// Child processes of the Wine tests: started inside a kill-on-close job and killed when their
// owner goes, so no test leaves a program running.
#include "wine_test_support.h"

#include <utility>

namespace {

// One job per test program, never closed by hand: when the test program ends, even by a
// crash, the system closes the handle and ends every child still in the job.
HANDLE ChildJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    if (created != nullptr) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
      limits.BasicLimitInformation.LimitFlags =
          JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
      SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    return created;
  }();
  return job;
}

}  // namespace

ChildProcess ChildProcess::Start(const std::wstring& exePath, const std::wstring& arguments,
                                 const std::wstring& workingDirectory) {
  ChildProcess child;
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  // Suspended until it is in the job, so nothing it starts can escape.
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                      &info)) {
    child.startError_ = GetLastError();
    return child;
  }
  if (HANDLE job = ChildJob()) AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  child.process_ = info.hProcess;
  child.pid_ = info.dwProcessId;
  return child;
}

ChildProcess::~ChildProcess() { Close(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      startError_(std::exchange(other.startError_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Close();
    process_ = std::exchange(other.process_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
    startError_ = std::exchange(other.startError_, 0);
  }
  return *this;
}

bool ChildProcess::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD ms) {
  return process_ != nullptr && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_ == nullptr || !GetExitCodeProcess(process_, &code)) return STILL_ACTIVE;
  return code;
}

void ChildProcess::Kill() {
  if (!Running()) return;
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 10000);
}

void ChildProcess::Close() {
  if (process_ == nullptr) return;
  Kill();
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}
