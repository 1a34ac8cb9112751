// A second process for the hook library's Wine tests: loads the Latchkin.dll beside itself and
// runs the commands of its command line in order, appending "command=result" lines to a file.
//   hook_peer.exe RESULTS_FILE install:0 isself signal:Ready wait:Go drain exit:3 ...
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "hook_library.h"
#include "latchkin_contract.h"

namespace {

HookLibrary library;
HANDLE heldMutex = nullptr;

void AppendLine(const std::wstring& file, const std::wstring& command, const std::wstring& result) {
  const std::wstring line = command + L"=" + result + L"\n";
  const std::string bytes(line.begin(), line.end());  // commands and results are ASCII
  HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(out);
}

unsigned long Number(const std::wstring& text) { return std::wcstoul(text.c_str(), nullptr, 0); }

std::wstring Triple(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  return std::to_wstring(a) + L"," + std::to_wstring(b) + L"," + std::to_wstring(c);
}

HANDLE NamedEvent(const std::wstring& name) { return CreateEventW(nullptr, TRUE, FALSE, name.c_str()); }

// One command; the result text, or "?" for a command it does not know.
std::wstring Run(const std::wstring& verb, const std::wstring& argument) {
  if (verb == L"install") return std::to_wstring(library.InstallHook(static_cast<std::uint8_t>(Number(argument))));
  if (verb == L"uninstall") return std::to_wstring(library.UninstallHook());
  if (verb == L"query") return std::to_wstring(library.QueryHookState());
  if (verb == L"isself") return std::to_wstring(library.IsSelf());
  if (verb == L"settype") {
    library.SetHookType(static_cast<std::uint8_t>(Number(argument)));
    return L"ok";
  }
  if (verb == L"gettype") {
    std::uint8_t hookType = 0;
    library.GetHookType(&hookType);
    return std::to_wstring(hookType);
  }
  if (verb == L"intervals") {
    const std::size_t first = argument.find(L','), second = argument.find(L',', first + 1);
    library.SetIntervalTime(Number(argument.substr(0, first)), Number(argument.substr(first + 1, second - first - 1)),
                            Number(argument.substr(second + 1)));
    return L"ok";
  }
  if (verb == L"getintervals") {
    std::uint32_t a = 0, b = 0, c = 0;
    library.GetIntervalTime(&a, &b, &c);
    return Triple(a, b, c);
  }
  if (verb == L"log") {
    library.SetLogState(static_cast<std::uint8_t>(Number(argument)));
    return L"ok";
  }
  if (verb == L"getlog") return std::to_wstring(library.GetLogState());
  if (verb == L"counts") {
    std::uint32_t a = 0, b = 0, c = 0;
    library.ReturnBlockedCount(&a, &b, &c);
    return Triple(a, b, c);
  }
  if (verb == L"clearcounts") {
    library.ClearBlockedCount();
    return L"ok";
  }
  if (verb == L"drain") {
    static std::uint8_t buffer[kBlockLogCacheSize];
    return std::to_wstring(library.ClearLogCahce(buffer));
  }
  if (verb == L"signal") return SetEvent(NamedEvent(argument)) ? L"ok" : L"failed";
  if (verb == L"wait") return WaitForSingleObject(NamedEvent(argument), 60000) == WAIT_OBJECT_0 ? L"ok" : L"timeout";
  if (verb == L"holdmutex") {
    heldMutex = CreateMutexW(nullptr, FALSE, L"CACHE_IO_MUTEX");
    return heldMutex != nullptr && WaitForSingleObject(heldMutex, 10000) == WAIT_OBJECT_0 ? L"ok" : L"failed";
  }
  if (verb == L"releasemutex") return ReleaseMutex(heldMutex) ? L"ok" : L"failed";
  if (verb == L"pid") return std::to_wstring(GetCurrentProcessId());
  return L"?";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 2) return 2;
  const std::wstring results = arguments[1];
  if (!LoadHookLibrary(library)) {
    AppendLine(results, L"load", L"failed");
    return 3;
  }
  for (int i = 2; i < count; ++i) {
    const std::wstring command = arguments[i];
    const std::size_t colon = command.find(L':');
    const std::wstring verb = command.substr(0, colon);
    const std::wstring argument = colon == std::wstring::npos ? L"" : command.substr(colon + 1);
    // exit:N ends at once, whatever is held: a held mutex is left abandoned.
    if (verb == L"exit") ExitProcess(static_cast<UINT>(Number(argument)));
    AppendLine(results, command, Run(verb, argument));
  }
  return 0;
}
