// The library's entry point, its shared section and its per-process variables.
#include "library_state.h"

// Initialised, so the loader gives every process the same bytes from the image's shared_d
// section rather than a private zero page.
HookSharedData SharedData __attribute__((section("shared_d"), shared)) = InitialHookSharedData();
// Behind the record, never inside it: the record's layout is fixed.
CacheResetMark SharedCacheResetMark __attribute__((section("shared_d"), shared)) = {0};
InstallerSession SharedInstaller __attribute__((section("shared_d"), shared)) = {0};

HINSTANCE ModuleInstance = nullptr;
std::uint32_t CurrentProcessId = 0;
wchar_t ApplicationPath[kApplicationPathCapacity] = {};

// The library runs without the C runtime, so this is the image's entry point itself (the
// linker's default name for a DLL). It runs under the loader lock in every GUI process: it only
// records, never loads, starts or logs anything.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID) noexcept {
  if (reason == DLL_PROCESS_ATTACH) {
    ModuleInstance = instance;
    CurrentProcessId = GetCurrentProcessId();
    for (wchar_t& unit : ApplicationPath) unit = L'\0';
    const DWORD length = GetModuleFileNameW(nullptr, ApplicationPath, kApplicationPathCapacity);
    // A cut path is no path (and before Vista it is not even terminated).
    if (length == 0 || length >= kApplicationPathCapacity)
      for (wchar_t& unit : ApplicationPath) unit = L'\0';
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
