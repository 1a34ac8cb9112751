// QuillonSetupHelper.exe: what the installer and the uninstaller cannot do reliably in their own
// script. It is carried inside both and never installed.
//   QuillonSetupHelper.exe /stop <folder>       ends the panel and the start-up program running
//                                               from <folder> and waits until they are gone
//   QuillonSetupHelper.exe /keep <file> ...     drops the operations left for the next start
//                                               that would delete, move or replace these files
// Exit code 0 on success, 1 when something was left (a process still running, a value that could
// not be written), 2 for a command line it does not know.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "pending_renames.h"
#include "unique_handle.h"

namespace {

// The panel answers WM_CLOSE by exiting (it asks first only about a filter another program
// started, and the installer has removed the filter before it stops the programs).
constexpr DWORD kCloseTimeoutMs = 5000;
// A terminated process is gone once the system has released it; this only bounds the wait.
constexpr DWORD kTerminateTimeoutMs = 3000;
const wchar_t* const kProgramNames[] = {L"Quillon.exe", L"Quillrun.exe"};

const wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

struct Running {
  UniqueHandle process;
  DWORD pid;
};

// Processes whose executable is one of the two programs in folder.
std::vector<Running> ProgramsOf(const std::wstring& folder) {
  std::vector<Running> found;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));  // INVALID_HANDLE_VALUE for none
  if (!snapshot) return found;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 4] = {};
    DWORD length = MAX_PATH * 4;
    bool ours = false;
    if (QueryFullProcessImageNameW(process.get(), 0, image, &length)) {
      for (const wchar_t* name : kProgramNames) {
        ours = ours || lstrcmpiW(image, (folder + name).c_str()) == 0;
      }
    }
    if (ours) found.push_back({std::move(process), entry.th32ProcessID});
  }
  return found;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

bool AllEnded(std::vector<Running>& programs, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (Running& program : programs) {
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(program.process.get(), elapsed < timeoutMs ? timeoutMs - elapsed : 0);
  }
  bool ended = true;
  for (Running& program : programs) ended = ended && WaitForSingleObject(program.process.get(), 0) == WAIT_OBJECT_0;
  return ended;
}

// Asks each program to close as a user would, waits, and ends what is left: the uninstaller may
// delete the files only once no process runs them.
int StopPrograms(const std::wstring& folder) {
  std::vector<Running> programs = ProgramsOf(WithBackslash(folder));
  for (const Running& program : programs) EnumWindows(CloseWindowOf, static_cast<LPARAM>(program.pid));
  bool ended = AllEnded(programs, kCloseTimeoutMs);
  if (!ended) {
    for (const Running& program : programs) TerminateProcess(program.process.get(), 0);
    ended = AllEnded(programs, kTerminateTimeoutMs);
  }
  return ended ? 0 : 1;
}

int KeepFiles(const std::vector<std::wstring>& files) {
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return 1;
  int result = 0;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
    std::u16string value(bytes / sizeof(char16_t), u'\0');
    if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) ==
        ERROR_SUCCESS) {
      value.resize(bytes / sizeof(char16_t));
      std::vector<std::u16string> names;
      for (const std::wstring& file : files) names.push_back(Utf16(file));
      std::size_t removed = 0;
      const std::u16string kept = WithoutOperationsOn(value, names, removed);
      LSTATUS status = ERROR_SUCCESS;
      if (removed != 0 && kept.empty()) {
        status = RegDeleteValueW(key.get(), kPendingValue);
      } else if (removed != 0) {
        status = RegSetValueExW(key.get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                                static_cast<DWORD>(kept.size() * sizeof(char16_t)));
      }
      if (status != ERROR_SUCCESS) result = 1;
    }
  }
  return result;
}

int Run() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return 2;
  const UniqueLocalMemory argumentsMemory(arguments);
  const std::vector<std::wstring> words(arguments + 1, arguments + count);
  if (words.size() == 2 && lstrcmpiW(words[0].c_str(), L"/stop") == 0) return StopPrograms(words[1]);
  if (words.size() >= 2 && lstrcmpiW(words[0].c_str(), L"/keep") == 0) {
    return KeepFiles(std::vector<std::wstring>(words.begin() + 1, words.end()));
  }
  return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return Run();
  } catch (...) {
    return 1;
  }
}
