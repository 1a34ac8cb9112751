// Files and folders of the Wine tests: the program's own folder, scratch folders under %TEMP%,
// whole-file reads and writes.
#include "wine_test_support.h"

#include <unique_handle.h>

namespace {

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder;
}

std::wstring ScratchRoot() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return {};
  return WithTrailingBackslash(temp) + L"quillon-tests\\";
}

}  // namespace

std::wstring BinDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring MakeScratchFolder(const wchar_t* name) {
  if (name == nullptr || *name == L'\0') return {};
  const std::wstring root = ScratchRoot();
  if (root.empty()) return {};
  CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring folder = root + name + L'\\';
  RemoveFolder(folder);
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return {};
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  if (folder.empty()) return;
  const std::wstring base = WithTrailingBackslash(folder);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((base + L'*').c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = base + name;
      // Tests make read-only files and folders on purpose; they must still go.
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(base.c_str());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  // Share everything: the programs under test may hold the file open for writing.
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes;
  char chunk[64 * 1024];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.append(chunk, got);
  }
  return bytes;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Utf16LeWithBom(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (wchar_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  return bytes;
}

bool CopyInto(const std::wstring& file, const std::wstring& folder) {
  const std::wstring name = file.substr(file.find_last_of(L"\\/") + 1);
  if (name.empty()) return false;
  return CopyFileW(file.c_str(), (WithTrailingBackslash(folder) + name).c_str(), FALSE) != FALSE;
}
