// Folders closed to new files while the files in them stay writable, and file identities: what
// an install under Program Files looks like to an ordinary user, on Windows and under Wine.
#include "wine_test_support.h"

#include <sddl.h>

#include <unique_handle.h>

namespace {

bool IsWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Wine's own export: the Unix path of a Windows path, allocated on the process heap.
std::wstring UnixPath(const std::wstring& path) {
  using UnixFileNameFn = char*(CDECL*)(const wchar_t*);
  auto toUnix = reinterpret_cast<UnixFileNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unixPath = toUnix ? toUnix(path.c_str()) : nullptr;
  if (!unixPath) return {};
  const std::string narrow(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return std::wstring(narrow.begin(), narrow.end());  // scratch paths are ASCII
}

// Wine starts a Unix program like a Windows one and hands its arguments over as they are, but
// gives no handle to wait on: the caller watches for the effect.
void RunChattr(const wchar_t* change, const std::wstring& unixPath) {
  for (const wchar_t* program : {L"Z:\\usr\\bin\\chattr", L"Z:\\bin\\chattr"}) {
    if (!FileExists(program)) continue;
    ChildProcess chattr = ChildProcess::Start(program, std::wstring(change) + L" " + unixPath, L"");
    if (chattr.Started()) chattr.WaitForExit(10000);
    return;
  }
}

void SetAccessList(const std::wstring& folder, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) return;
  SetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
}

// Windows: everybody may do everything but add files and folders.
constexpr wchar_t kClosedAccessList[] = L"D:(D;;0x6;;;WD)(A;OICI;FA;;;WD)";
constexpr wchar_t kOpenAccessList[] = L"D:(A;OICI;FA;;;WD)";

}  // namespace

bool CanCreateFileIn(const std::wstring& folder) {
  const std::wstring probe = folder + L"probe.tmp";
  UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  file.reset();
  DeleteFileW(probe.c_str());
  return true;
}

ULONGLONG FileIndex(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!file || !GetFileInformationByHandle(file.get(), &information)) return 0;
  return (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
}

FolderClosedToNewFiles::FolderClosedToNewFiles(const std::wstring& folder) : folder_(folder) {
  if (IsWine()) {
    unixPath_ = UnixPath(folder_);
    if (!unixPath_.empty()) RunChattr(L"+i", unixPath_);
  } else {
    SetAccessList(folder_, kClosedAccessList);
  }
  closed_ = WaitUntil([&] { return !CanCreateFileIn(folder_); }, 5000);
}

FolderClosedToNewFiles::~FolderClosedToNewFiles() {
  if (IsWine()) {
    if (!unixPath_.empty()) RunChattr(L"-i", unixPath_);
  } else {
    SetAccessList(folder_, kOpenAccessList);
  }
  if (closed_) WaitUntil([&] { return CanCreateFileIn(folder_); }, 5000);
}
