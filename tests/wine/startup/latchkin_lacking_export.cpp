// A stand-in for Latchkin.dll that exports every control function but ClearLogCahce. It leaves
// marker files beside itself, so a test can tell that it was loaded and whether InstallHook ran.
#include <windows.h>

#include <cstdint>

namespace {

HMODULE self = nullptr;

void LeaveMarker(const wchar_t* name) {
  wchar_t path[MAX_PATH * 2];
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  while (length > 0 && path[length - 1] != L'\\') --length;
  lstrcpyW(path + length, name);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    LeaveMarker(L"loaded.marker");
  }
  return TRUE;
}

std::uint8_t WINAPI IsSelf() { return 0; }
std::uint8_t WINAPI QueryHookState() { return 0; }
std::uint8_t WINAPI InstallHook(std::uint8_t) {
  LeaveMarker(L"install-called.marker");
  return 1;
}
std::uint8_t WINAPI UninstallHook() { return 0; }
void WINAPI ReturnBlockedCount(std::uint32_t*, std::uint32_t*, std::uint32_t*) {}
void WINAPI ClearBlockedCount() {}
void WINAPI SetHookType(std::uint8_t) {}
void WINAPI GetHookType(std::uint8_t*) {}
void WINAPI SetIntervalTime(std::uint32_t, std::uint32_t, std::uint32_t) {}
void WINAPI GetIntervalTime(std::uint32_t*, std::uint32_t*, std::uint32_t*) {}
void WINAPI SetLogState(std::uint8_t) {}
std::uint8_t WINAPI GetLogState() { return 0; }

}  // extern "C"
