// Shared helpers of the Quillrun tests (see quillrun_test_support.h).
#include "quillrun_test_support.h"

#include "wine_test_support.h"

#include <cstdio>

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

LibraryCopy::~LibraryCopy() { UnloadHookLibrary(library_); }

bool LibraryCopy::Load(const std::wstring& folder) { return LoadHookLibraryFrom(library_, folder.c_str()); }

std::uint32_t LibraryCopy::LateReleases() const {
  std::uint32_t delivered = 0;
  if (library_.ReturnLateReleaseCount) library_.ReturnLateReleaseCount(&delivered, nullptr);
  return delivered;
}

std::uint32_t LibraryCopy::DroppedReleases() const {
  std::uint32_t dropped = 0;
  if (library_.ReturnLateReleaseCount) library_.ReturnLateReleaseCount(nullptr, &dropped);
  return dropped;
}

bool LibraryCopy::WaitForHookWithLogging() const {
  return WaitUntil([&] { return library_.QueryHookState() == 1 && library_.GetLogState() == 1; }, 15000);
}

std::uint8_t LibraryCopy::HookType() const {
  std::uint8_t type = 0xEE;
  library_.GetHookType(&type);
  return type;
}

std::string LibraryCopy::Intervals() const {
  std::uint32_t upDown = 0, dbClick = 0, rotReverse = 0;
  library_.GetIntervalTime(&upDown, &dbClick, &rotReverse);
  char text[48];
  std::snprintf(text, sizeof text, "%u, %u, %u", static_cast<unsigned>(upDown), static_cast<unsigned>(dbClick),
                static_cast<unsigned>(rotReverse));
  return text;
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

