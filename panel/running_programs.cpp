// The running programs with windows, and the file picker, for the Options window's "Add".
#include <windows.h>
#include <commdlg.h>

#include <algorithm>

#include "language.h"
#include "running_programs.h"
#include "unique_handle.h"

namespace {

// A window the user sees as a program's: visible, top-level, not owned, with a caption.
bool IsProgramWindow(HWND window) {
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return false;
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return false;
  return GetWindowTextLengthW(window) > 0;
}

std::wstring FileNameOf(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  return name;
}

// Windows: an elevated process cannot be opened for its name by an ordinary one; it is left out.
std::wstring ExecutableNameOf(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD length = MAX_PATH * 4;
  if (!QueryFullProcessImageNameW(process.get(), 0, path, &length)) return {};
  return FileNameOf(path);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& ids = *reinterpret_cast<std::vector<DWORD>*>(context);
  if (!IsProgramWindow(window)) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != 0 && processId != GetCurrentProcessId()) ids.push_back(processId);
  return TRUE;
}

bool LessIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
}
bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::wstring> RunningProgramsWithWindows() {
  std::vector<DWORD> ids;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&ids));
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  std::vector<std::wstring> names;
  for (DWORD id : ids) {
    std::wstring name = ExecutableNameOf(id);
    if (!name.empty()) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  names.erase(std::unique(names.begin(), names.end(), EqualIgnoringCase), names.end());
  return names;
}

std::wstring PickProgramFile(HWND owner) {
  wchar_t programs[kShortTextCapacity];
  GetLangText(programs, L"TEXT_PROGRAMFILES", kShortTextCapacity);
  // "<name> (*.exe)\0*.exe\0\0"
  std::wstring filter = std::wstring(programs) + L" (*.exe)";
  filter.push_back(L'\0');
  filter += L"*.exe";
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  wchar_t path[MAX_PATH * 4] = {};
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH * 4;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_DONTADDTORECENT;
  if (!GetOpenFileNameW(&dialog)) return {};
  return FileNameOf(path);
}
