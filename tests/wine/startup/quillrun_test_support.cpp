// Shared helpers of the Quillrun tests (see quillrun_test_support.h).
#include "quillrun_test_support.h"

#include "wine_test_support.h"


namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValueName[] = L"Quillrun";

}  // namespace

std::wstring PrepareQuillrunFolder(const wchar_t* name, bool withLibrary) {
  const std::wstring folder = MakeScratchFolder(name);
  if (folder.empty()) return folder;
  if (!CopyInto(BinDirectory() + L"Quillrun.exe", folder)) return L"";
  if (withLibrary && !CopyInto(BinDirectory() + L"Latchkin.dll", folder)) return L"";
  return folder;
}

std::wstring QuillrunIn(const std::wstring& folder) { return folder + L"Quillrun.exe"; }

bool WriteProfile(const std::wstring& path, const std::wstring& text) {
  return WriteFileBytes(path, Utf16LeWithBom(text));
}

DWORD RunQuillrun(const std::wstring& folder, const std::wstring& arguments, const std::wstring& workingDirectory,
                  DWORD timeoutMs) {
  ChildProcess child = ChildProcess::Start(QuillrunIn(folder), arguments, workingDirectory);
  if (!child.Started()) return static_cast<DWORD>(-1);
  if (!child.WaitForExit(timeoutMs)) {
    child.Kill();
    return STILL_ACTIVE;
  }
  return child.ExitCode();
}

RunValue ReadRunValue() {
  RunValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  wchar_t data[1024] = {};
  DWORD bytes = sizeof data - sizeof data[0];
  if (RegQueryValueExW(key, kRunValueName, nullptr, &value.type, reinterpret_cast<BYTE*>(data), &bytes) ==
      ERROR_SUCCESS) {
    value.present = true;
    value.bytes = bytes;
    value.data = data;
    value.raw.assign(reinterpret_cast<const char*>(data), bytes);
  }
  RegCloseKey(key);
  return value;
}

void DeleteRunValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, kRunValueName);
  RegCloseKey(key);
}

bool WriteRunValue(const std::wstring& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const bool written = RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                      static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

DWORD CountRunValues() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD count = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  return count;
}

