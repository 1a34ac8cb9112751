// QuillonSetupHelper.exe: what the installer and the uninstaller cannot do reliably in their own
// script. It is carried inside both and never installed.
//   QuillonSetupHelper.exe /stop <folder>       ends the panel and the start-up program running
//                                               from <folder> and waits until they are gone
//   QuillonSetupHelper.exe /keep <file> ...     drops the operations left for the next start
//                                               that would delete, move or replace these files
//   QuillonSetupHelper.exe /user <program>      has the signed-in user's shell start <program>
// Exit code 0 on success, 1 when something was left (a process still running, a value that could
// not be written), 2 for a command line it does not know.
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "pending_renames.h"
#include "unique_handle.h"

namespace {

// The panel answers WM_CLOSE by exiting (it asks first only about a filter another program
// started, and the installer has removed the filter before it stops the programs).
constexpr DWORD kCloseTimeoutMs = 5000;
// A terminated process is gone once the system has released it; this only bounds the wait.
constexpr DWORD kTerminateTimeoutMs = 3000;
const wchar_t* const kProgramNames[] = {L"Quillon.exe", L"Quillrun.exe"};

const wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

struct Running {
  UniqueHandle process;
  DWORD pid;
};

// Processes whose executable is one of the two programs in folder.
std::vector<Running> ProgramsOf(const std::wstring& folder) {
  std::vector<Running> found;
  UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));  // INVALID_HANDLE_VALUE for none
  if (!snapshot) return found;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     entry.th32ProcessID));
    if (!process) continue;
    wchar_t image[MAX_PATH * 4] = {};
    DWORD length = MAX_PATH * 4;
    bool ours = false;
    if (QueryFullProcessImageNameW(process.get(), 0, image, &length)) {
      for (const wchar_t* name : kProgramNames) {
        ours = ours || lstrcmpiW(image, (folder + name).c_str()) == 0;
      }
    }
    if (ours) found.push_back({std::move(process), entry.th32ProcessID});
  }
  return found;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM pid) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(pid)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

bool AllEnded(std::vector<Running>& programs, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (Running& program : programs) {
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(program.process.get(), elapsed < timeoutMs ? timeoutMs - elapsed : 0);
  }
  bool ended = true;
  for (Running& program : programs) ended = ended && WaitForSingleObject(program.process.get(), 0) == WAIT_OBJECT_0;
  return ended;
}

// Asks each program to close as a user would, waits, and ends what is left: the uninstaller may
// delete the files only once no process runs them.
int StopPrograms(const std::wstring& folder) {
  std::vector<Running> programs = ProgramsOf(WithBackslash(folder));
  for (const Running& program : programs) EnumWindows(CloseWindowOf, static_cast<LPARAM>(program.pid));
  bool ended = AllEnded(programs, kCloseTimeoutMs);
  if (!ended) {
    for (const Running& program : programs) TerminateProcess(program.process.get(), 0);
    ended = AllEnded(programs, kTerminateTimeoutMs);
  }
  return ended ? 0 : 1;
}

int KeepFiles(const std::vector<std::wstring>& files) {
  UniqueHkey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return 1;
  int result = 0;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && type == REG_MULTI_SZ) {
    std::u16string value(bytes / sizeof(char16_t), u'\0');
    if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) ==
        ERROR_SUCCESS) {
      value.resize(bytes / sizeof(char16_t));
      std::vector<std::u16string> names;
      for (const std::wstring& file : files) names.push_back(Utf16(file));
      std::size_t removed = 0;
      const std::u16string kept = WithoutOperationsOn(value, names, removed);
      LSTATUS status = ERROR_SUCCESS;
      if (removed != 0 && kept.empty()) {
        status = RegDeleteValueW(key.get(), kPendingValue);
      } else if (removed != 0) {
        status = RegSetValueExW(key.get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(kept.data()),
                                static_cast<DWORD>(kept.size() * sizeof(char16_t)));
      }
      if (status != ERROR_SUCCESS) result = 1;
    }
  }
  return result;
}

// One COM reference, released at scope end.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_) p_->Release();
  }
  T* operator->() const { return p_; }
  T** put() { return &p_; }
  void** put_void() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

struct ComApartment {
  const bool ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  ~ComApartment() {
    if (ready) CoUninitialize();
  }
};

// The setup runs elevated, and possibly as another account than the signed-in user's (an
// administrator who typed a password for a standard user). A program it started itself would
// inherit that: the panel, and the filter it starts, would run elevated without anyone asking.
// So the request goes to the shell's own process, which runs as the signed-in user with normal
// rights: its desktop folder view hands out the shell's automation object, whose ShellExecute
// runs in the shell. Nothing is started when the shell cannot be reached: never elevated.
int StartAsShellUser(const std::wstring& program) {
  ComApartment apartment;
  if (!apartment.ready) return 1;
  ComRef<IShellWindows> windows;
  ComRef<IDispatch> desktop;
  ComRef<IServiceProvider> provider;
  ComRef<IShellBrowser> browser;
  ComRef<IShellView> view;
  ComRef<IDispatch> background;
  ComRef<IShellFolderViewDual> folderView;
  ComRef<IDispatch> application;
  ComRef<IShellDispatch2> shell;
  VARIANT none;
  VariantInit(&none);
  long window = 0;
  const bool reached =
      SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                 windows.put_void())) &&
      windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.put()) == S_OK &&
      desktop && SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, provider.put_void())) &&
      SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void())) &&
      SUCCEEDED(browser->QueryActiveShellView(view.put())) &&
      SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) &&
      SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())) &&
      SUCCEEDED(folderView->get_Application(application.put())) &&
      SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.put_void()));
  if (!reached) return 1;
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  BSTR file = SysAllocString(program.c_str());
  VARIANT arguments, directory, operation, show;
  VariantInit(&arguments);
  VariantInit(&operation);
  VariantInit(&directory);
  directory.vt = VT_BSTR;
  directory.bstrVal = SysAllocString(folder.c_str());
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  const HRESULT started = file ? shell->ShellExecute(file, arguments, directory, operation, show) : E_OUTOFMEMORY;
  SysFreeString(file);
  VariantClear(&directory);
  return SUCCEEDED(started) ? 0 : 1;
}

int Run() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return 2;
  const UniqueLocalMemory argumentsMemory(arguments);
  const std::vector<std::wstring> words(arguments + 1, arguments + count);
  if (words.size() == 2 && lstrcmpiW(words[0].c_str(), L"/stop") == 0) return StopPrograms(words[1]);
  if (words.size() == 2 && lstrcmpiW(words[0].c_str(), L"/user") == 0) return StartAsShellUser(words[1]);
  if (words.size() >= 2 && lstrcmpiW(words[0].c_str(), L"/keep") == 0) {
    return KeepFiles(std::vector<std::wstring>(words.begin() + 1, words.end()));
  }
  return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    return Run();
  } catch (...) {
    return 1;
  }
}
