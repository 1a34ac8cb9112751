// The installer under Wine, silently (/S): files land in Program Files, the Start-menu
// shortcut starts the panel in the install folder, "filter from log-on" registers the start-up
// program; the uninstaller stops a running instance and removes files, shortcut and Run value
// but keeps the user's settings and log.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "hook_library.h"
#include "text_helpers.h"
#include "wine_test_support.h"

namespace {

std::wstring gSetupPath;


const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return std::wstring(path) + L"\\";
}

std::wstring InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"Quillon\\"; }
std::wstring ShortcutPath() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"Quillon\\Quillon.lnk"; }

// The Run value "Quillrun", or an empty text when there is none.
std::wstring RunValue() {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof data[0];
  DWORD type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  LONG status = RegQueryValueExW(key, L"Quillrun", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(data) : std::wstring();
}

struct ShortcutFacts {
  bool read = false;
  std::wstring target;
  std::wstring workingDirectory;
};

ShortcutFacts ReadShortcut(const std::wstring& path) {
  ShortcutFacts facts;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return facts;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH] = {};
      link->GetPath(text, MAX_PATH, nullptr, 0);
      facts.target = text;
      text[0] = 0;
      link->GetWorkingDirectory(text, MAX_PATH);
      facts.workingDirectory = text;
      facts.read = true;
    }
    file->Release();
  }
  link->Release();
  return facts;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return lstrcmpiW(WithoutTrailingBackslash(a).c_str(), WithoutTrailingBackslash(b).c_str()) == 0;
}

int RunAndWait(const std::wstring& exe, const std::wstring& arguments) {
  ChildProcess child = ChildProcess::Start(exe, arguments, L"");
  if (!child.Started()) return -1;
  if (!child.WaitForExit(120000)) return -2;
  return static_cast<int>(child.ExitCode());
}

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
};

TEST_F(Installer, InstallsRegistersAndUninstallsCleanly) {
  ASSERT_FALSE(gSetupPath.empty()) << "the setup program's path is the test's argument";
  ASSERT_TRUE(FileExists(gSetupPath)) << "missing installer";
  const std::wstring folder = InstallFolder();

  ASSERT_EQ(RunAndWait(gSetupPath, L"/S"), 0);
  for (const wchar_t* name : {L"Quillon.exe", L"Quillrun.exe", L"Latchkin.dll", L"Language.cfg",
                              L"README.txt", L"Uninstall.exe", L"Quillon.cfg"}) {
    EXPECT_TRUE(FileExists(folder + name)) << "not installed: " << std::string(name, name + lstrlenW(name));
  }
  const std::string settings = ReadFileBytes(folder + L"Quillon.cfg");
  EXPECT_EQ(settings.substr(0, 2), std::string("\xFF\xFE")) << "settings start as UTF-16";

  const ShortcutFacts shortcut = ReadShortcut(ShortcutPath());
  ASSERT_TRUE(shortcut.read) << "no Start-menu shortcut";
  EXPECT_TRUE(lstrcmpiW(shortcut.target.c_str(), (folder + L"Quillon.exe").c_str()) == 0);
  EXPECT_TRUE(SameFolder(shortcut.workingDirectory, folder)) << "panel must start in its folder";

  EXPECT_TRUE(lstrcmpiW(RunValue().c_str(), (L"\"" + folder + L"Quillrun.exe\"").c_str()) == 0)
      << "filter from log-on registers the installed start-up program, quoted: " << Narrow(RunValue());

  // A running start-up program (as at log-on) must be stopped by the uninstaller.
  ChildProcess runner = ChildProcess::Start(folder + L"Quillrun.exe", L"", folder);
  ASSERT_TRUE(runner.Started());
  PumpMessagesFor(1500);
  EXPECT_TRUE(runner.Running()) << "the start-up program should be filtering";
  const std::string userSettings = Utf16LeWithBom(L"[Options]\r\nAutoTips=1\r\n");
  ASSERT_TRUE(WriteFileBytes(folder + L"Quillon.cfg", userSettings));

  // _?= keeps the uninstaller in the foreground so the test can wait for it.
  ASSERT_EQ(RunAndWait(folder + L"Uninstall.exe", L"/S _?=" + WithoutTrailingBackslash(folder)), 0);
  EXPECT_TRUE(runner.WaitForExit(5000)) << "the uninstaller leaves the filter running";

  for (const wchar_t* name : {L"Quillon.exe", L"Quillrun.exe", L"Language.cfg", L"README.txt"}) {
    EXPECT_FALSE(FileExists(folder + name)) << "left behind: " << std::string(name, name + lstrlenW(name));
  }
  EXPECT_FALSE(FileExists(ShortcutPath()));
  EXPECT_TRUE(RunValue().empty()) << "the Run value must go";
  EXPECT_EQ(ReadFileBytes(folder + L"Quillon.cfg"), userSettings) << "the user's settings stay";

  DeleteFileW((folder + L"Uninstall.exe").c_str());
  RemoveFolder(folder);
}

// ---- Uninstall while running, reinstall, restart -------------------------------------------
// Run as two halves with a restart between them (reinstall_before_restart.sh): every Wine
// process ended, then `wineboot -r` carries out the file operations left for the next start.

const wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

// The strings of PendingFileRenameOperations (sources and destinations in turn).
std::vector<std::wstring> PendingOperations() {
  std::vector<std::wstring> strings;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return strings;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) == ERROR_SUCCESS) {
      for (std::size_t at = 0; at < bytes / sizeof(wchar_t);) {
        strings.emplace_back(&value[at]);
        at += strings.back().size() + 1;
      }
    }
  }
  RegCloseKey(key);
  return strings;
}

bool PendingOperationNames(const std::wstring& file) {
  for (const std::wstring& text : PendingOperations()) {
    std::wstring path = text;
    if (!path.empty() && path[0] == L'!') path.erase(0, 1);
    if (path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
    if (lstrcmpiW(path.c_str(), file.c_str()) == 0) return true;
  }
  return false;
}

std::vector<std::wstring> RetiredCopies(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((folder + L"Latchkin.dll.*.old").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The start-up program as the system starts it at log-on: the Run value's command line, in the
// system folder.
ChildProcess StartFromRunValue() {
  const std::wstring command = RunValue();
  if (command.size() < 3 || command.front() != L'"' || command.back() != L'"') return ChildProcess();
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  return ChildProcess::Start(command.substr(1, command.size() - 2), L"", system);
}

const wchar_t* const kInstalledFiles[] = {L"Quillon.exe", L"Quillrun.exe", L"Latchkin.dll", L"Language.cfg",
                                          L"README.txt",  L"Uninstall.exe", L"Quillon.cfg", L"Quillon.log"};

TEST_F(Installer, UninstallWhileRunningThenReinstall) {
  ASSERT_TRUE(FileExists(gSetupPath)) << "missing installer";
  const std::wstring folder = InstallFolder();
  ASSERT_EQ(RunAndWait(gSetupPath, L"/S"), 0);

  // As after log-on: the start-up program filters, the panel is open, and a program the hook
  // was loaded into keeps the library mapped.
  ChildProcess runner = StartFromRunValue();
  ASSERT_TRUE(runner.Started()) << "the Run value starts the start-up program: " << Narrow(RunValue());
  // The installed library bound here too: a program the hook was loaded into keeps it mapped
  // until it ends, as every hooked program does.
  HookLibrary library;
  ASSERT_TRUE(LoadHookLibraryFrom(library, folder.c_str()));
  ASSERT_TRUE(WaitUntil([&] { return library.QueryHookState() != 0; }, 5000));
  ChildProcess panel = ChildProcess::Start(folder + L"Quillon.exe", L"", folder);
  ASSERT_NE(FindTopWindowOfProcess(panel.Pid(), L"#32770", 15000), nullptr);

  ASSERT_EQ(RunAndWait(folder + L"Uninstall.exe", L"/S _?=" + WithoutTrailingBackslash(folder)), 0);
  EXPECT_FALSE(panel.Running()) << "the uninstaller ends the panel and waits for it";
  EXPECT_FALSE(runner.Running()) << "and the start-up program";
  EXPECT_EQ(library.QueryHookState(), 0);
  for (const wchar_t* name : {L"Quillon.exe", L"Quillrun.exe", L"Latchkin.dll"}) {
    EXPECT_FALSE(FileExists(folder + name)) << "left under its own name: " << Narrow(name);
  }
  EXPECT_FALSE(PendingOperationNames(folder + L"Latchkin.dll")) << "only a retired copy's name is left for the restart";
  const std::vector<std::wstring> retired = RetiredCopies(folder);
  for (const std::wstring& name : retired) {
    EXPECT_TRUE(PendingOperationNames(folder + name)) << "a retired copy goes at the restart: " << Narrow(name);
  }
  std::printf("library at uninstall: %s\n", retired.empty() ? "deleted at once" : "in use, renamed and left for the restart");

  ASSERT_EQ(RunAndWait(gSetupPath, L"/S"), 0);
  EXPECT_TRUE(FileExists(folder + L"Latchkin.dll"));
  for (const wchar_t* name : kInstalledFiles) {
    EXPECT_FALSE(PendingOperationNames(folder + name)) << "the restart would remove " << Narrow(name);
  }
}

TEST_F(Installer, FilterStartsAfterTheRestart) {
  const std::wstring folder = InstallFolder();
  ASSERT_TRUE(FileExists(folder + L"Quillrun.exe")) << "run after UninstallWhileRunningThenReinstall and a restart";
  EXPECT_TRUE(FileExists(folder + L"Latchkin.dll")) << "the restart deleted the reinstalled library";
  EXPECT_TRUE(RetiredCopies(folder).empty()) << "the retired copies go at the restart";

  ChildProcess runner = StartFromRunValue();
  ASSERT_TRUE(runner.Started());
  HookLibrary library;
  ASSERT_TRUE(LoadHookLibraryFrom(library, folder.c_str()));
  EXPECT_TRUE(WaitUntil([&] { return library.QueryHookState() != 0; }, 5000)) << "the filter starts at log-on";
  EXPECT_TRUE(runner.Running());

  EXPECT_EQ(library.UninstallHook(), 1);
  EXPECT_TRUE(runner.WaitForExit(5000));
  EXPECT_EQ(RunAndWait(folder + L"Uninstall.exe", L"/S _?=" + WithoutTrailingBackslash(folder)), 0);
  DeleteFileW((folder + L"Uninstall.exe").c_str());
  RemoveFolder(folder);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int wideCount = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
  if (wide && wideCount > 1) gSetupPath = wide[1];
  LocalFree(wide);
  // Wine: CTest hands over a Unix path; the whole Unix tree is drive Z:.
  if (!gSetupPath.empty() && gSetupPath[0] == L'/') {
    for (wchar_t& c : gSetupPath) c = c == L'/' ? L'\\' : c;
    gSetupPath = L"Z:" + gSetupPath;
  }
  return RUN_ALL_TESTS();
}
