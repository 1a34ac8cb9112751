// The machine-wide Run-key entry that makes the system start Quillrun at every log-on.
#include "runner.h"
#include "unique_handle.h"
#include "wide_string.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
constexpr wchar_t kRunValueName[] = L"Quillrun";
constexpr DWORD kModulePathCapacity = 512;

// The program's own full path in a newly allocated owned wide string (WideStrFree releases it).
bool GetModulePath(wchar_t*& path) {
  WideStrAlloc(path, kModulePathCapacity);
  if (!path) return false;
  const DWORD length = GetModuleFileNameW(nullptr, path, kModulePathCapacity - 1);
  // A path that filled the buffer was cut: registering it would start nothing, or something else.
  if (length == 0 || length >= kModulePathCapacity - 1) {
    WideStrFree(path);
    return false;
  }
  return true;
}

bool SetRegistryString(const wchar_t* subKey, const wchar_t* valueName, const wchar_t* text) {
  if (!text) return false;
  UniqueHkey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
         ERROR_SUCCESS;
}

bool DeleteRegistryValue(const wchar_t* subKey, const wchar_t* valueName) {
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return false;
  return RegDeleteValueW(key.get(), valueName) == ERROR_SUCCESS;
}

}  // namespace

// The value is a command line: the path stands in quotes, or Windows would try each prefix that
// ends at a blank as a program first ("C:\Program.exe" for "C:\Program Files\..."), a way to have
// a planted program run at every log-on. An older install's unquoted value is replaced.
// Windows: an x86 build on 64-bit Windows writes through the registry redirector, so the value
// lands in the 32-bit view (Software\WOW6432Node\...\Run), which the system also runs at log-on.
void RegisterAutoStart() {
  wchar_t* path = nullptr;
  if (!GetModulePath(path)) return;
  wchar_t* command = nullptr;
  WideStrAppend(command, L"\"");
  WideStrAppend(command, path);
  WideStrAppend(command, L"\"");
  WideStrFree(path);
  // A failed allocation on the way leaves an unquoted or empty command: write nothing then.
  const int length = command ? lstrlenW(command) : 0;
  if (length > 2 && command[0] == L'"' && command[length - 1] == L'"')
    SetRegistryString(kRunKey, kRunValueName, command);
  WideStrFree(command);
}

// Removes the value by its name, whatever it holds (quoted or, from an older install, unquoted).
void UnregisterAutoStart() { DeleteRegistryValue(kRunKey, kRunValueName); }
