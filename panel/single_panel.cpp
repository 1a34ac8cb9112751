// One panel per program file (see single_panel.h): a mutex named after the program's full path,
// and the running panel found by its dialog and the path of its process.
#include "single_panel.h"

#include <cstdint>
#include <string>

#include "resource.h"
#include "unique_handle.h"

namespace {

constexpr DWORD kRunningPanelWaitMs = 5000;  // a panel that holds the claim but shows no dialog yet
constexpr DWORD kRunningPanelPollMs = 100;

std::wstring OwnPath() {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  return std::wstring(path, length);
}

std::wstring PathOfProcess(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD length = MAX_PATH * 4;
  return QueryFullProcessImageNameW(process.get(), 0, path, &length) ? std::wstring(path, length) : std::wstring();
}

// Kernel object names take no backslash after the namespace: the path, upper-cased as the file
// system compares it, goes in as a 64-bit FNV-1a hash.
std::wstring MutexName() {
  std::wstring path = OwnPath();
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : path) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  wchar_t name[64];
  wsprintfW(name, L"Local\\Quillon.panel.%08lx%08lx", static_cast<unsigned long>(hash >> 32),
            static_cast<unsigned long>(hash & 0xFFFFFFFFu));
  return name;
}

struct PanelSearch {
  std::wstring path;
  HWND found = nullptr;
};

// The main dialog (the one with the action and Exit buttons) of another process of this file.
BOOL CALLBACK MatchPanel(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<PanelSearch*>(context);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() || !GetDlgItem(window, IDC_ACTION) || !GetDlgItem(window, IDC_EXIT))
    return TRUE;
  if (CompareStringOrdinal(PathOfProcess(processId).c_str(), -1, search.path.c_str(), -1, TRUE) != CSTR_EQUAL)
    return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

bool ClaimPanelOfThisFile() {
  // Held until the process ends: the system closes the handle then.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName().c_str());
  return mutex == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

void BringRunningPanelForward() {
  PanelSearch search{OwnPath()};
  for (DWORD waited = 0; waited < kRunningPanelWaitMs; waited += kRunningPanelPollMs) {
    EnumWindows(MatchPanel, reinterpret_cast<LPARAM>(&search));
    if (search.found) break;
    Sleep(kRunningPanelPollMs);
  }
  if (!search.found) return;
  // The started program may hand the foreground on; the panel itself, started long ago, may not take it.
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  AllowSetForegroundWindow(processId);
  PostMessageW(search.found, ShowPanelMessage(), 0, 0);
}

UINT ShowPanelMessage() {
  static const UINT message = RegisterWindowMessageW(L"Quillon.ShowPanel");
  return message;
}
