// What the panel's Wine tests share (see panel_test_support.h).
#include "panel_test_support.h"

#include <shellapi.h>
#include <commctrl.h>

#include <algorithm>

#include "dialog_probe.h"
#include <cstdlib>

#include "menu_probe.h"
#include "resource.h"

namespace {

constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kMessageTimeoutMs = 5000;

struct DialogSearch {
  DWORD pid;
  HWND exclude;
  bool mainDialog;            // true: the panel's dialog; false: its message boxes
  std::vector<HWND> found;
};

bool HasClass(HWND window, const wchar_t* className) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return lstrcmpW(name, className) == 0;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search.pid || window == search.exclude || !HasClass(window, L"#32770")) return TRUE;
  const bool isMain = GetDlgItem(window, IDC_ACTION) != nullptr;
  if (isMain == search.mainDialog && (isMain || IsWindowVisible(window))) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> FindDialogs(DWORD pid, HWND exclude, bool mainDialog) {
  DialogSearch search{pid, exclude, mainDialog, {}};
  EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct MenuSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchMenu(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<MenuSearch*>(parameter);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search.pid && IsWindowVisible(window) && HasClass(window, L"#32768")) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindOpenMenu(DWORD pid) {
  MenuSearch search{pid, nullptr};
  EnumWindows(MatchMenu, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring OptionsSection(const std::vector<std::wstring>& lines) {
  std::wstring text = L"[Options]\r\n";
  for (const std::wstring& line : lines) text += line + L"\r\n";
  return text;
}

bool BoxChecked(HWND box) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &state);
  return state == BST_CHECKED;
}

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &length)) {
    return L"<no answer>";
  }
  return text;
}

std::vector<HWND> MessageBoxesOf(DWORD pid, HWND mainDialog) { return FindDialogs(pid, mainDialog, false); }

std::wstring MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

// ---- Shipped texts and the notification area -----------------------------------------------

std::wstring ShippedText(const wchar_t* section, const wchar_t* key) {
  wchar_t text[256] = {};
  GetPrivateProfileStringW(section, key, L"<missing>", text, 256, (BinDirectory() + L"Language.cfg").c_str());
  return text;
}

namespace {
NOTIFYICONDATAW IconOf(HWND dialog) {
  NOTIFYICONDATAW data = {};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = dialog;
  data.uID = TRAY_ICON_ID;
  return data;
}
}  // namespace

// Modifying nothing succeeds only for an icon the notification area holds.
bool TrayIconExists(HWND dialog) {
  NOTIFYICONDATAW data = IconOf(dialog);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void DeleteTrayIcon(HWND dialog) {
  NOTIFYICONDATAW data = IconOf(dialog);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

namespace {

struct TooltipSearch {
  std::vector<HWND> icons;
  std::vector<HWND> tooltips;
};

BOOL CALLBACK CollectTrayIcon(HWND window, LPARAM parameter) {
  if (HasClass(window, L"__winex11_tray_icon")) reinterpret_cast<TooltipSearch*>(parameter)->icons.push_back(window);
  return TRUE;
}

BOOL CALLBACK CollectTooltipsAndIcons(HWND window, LPARAM parameter) {
  if (HasClass(window, L"tooltips_class32")) reinterpret_cast<TooltipSearch*>(parameter)->tooltips.push_back(window);
  EnumChildWindows(window, CollectTrayIcon, parameter);
  return TRUE;
}

// The tooltip control lives in the notification area's process: its tool record and text are
// read through a block of that process's memory.
struct RemoteTool {
  TTTOOLINFOW info;
  wchar_t text[256];
};

}  // namespace

std::vector<HWND> TrayIconWindows() {
  TooltipSearch search;
  EnumWindows(CollectTooltipsAndIcons, reinterpret_cast<LPARAM>(&search));
  return search.icons;
}

std::vector<std::wstring> TrayTooltips() {
  TooltipSearch search;
  EnumWindows(CollectTooltipsAndIcons, reinterpret_cast<LPARAM>(&search));
  std::vector<std::wstring> texts;
  for (HWND tooltip : search.tooltips) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) continue;
    auto* remote = static_cast<RemoteTool*>(VirtualAllocEx(process, nullptr, sizeof(RemoteTool), MEM_COMMIT, PAGE_READWRITE));
    DWORD_PTR count = 0;
    SendMessageTimeoutW(tooltip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count);
    for (DWORD_PTR i = 0; remote && i < count; ++i) {
      RemoteTool tool = {};
      tool.info.cbSize = sizeof tool.info;
      tool.info.lpszText = remote->text;
      DWORD_PTR ignored = 0;
      if (!WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr) ||
          !SendMessageTimeoutW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                               kMessageTimeoutMs, &ignored) ||
          !ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr)) {
        break;
      }
      if (std::find(search.icons.begin(), search.icons.end(), tool.info.hwnd) == search.icons.end()) continue;
      tool.info.lpszText = remote->text;
      WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
      SendMessageTimeoutW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                          kMessageTimeoutMs, &ignored);
      if (ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr)) {
        tool.text[255] = L'\0';
        texts.emplace_back(tool.text);
      }
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
  }
  return texts;
}

std::vector<std::wstring> VisibleTooltipTexts(DWORD pid) {
  TooltipSearch search;
  EnumWindows(CollectTooltipsAndIcons, reinterpret_cast<LPARAM>(&search));
  std::vector<std::wstring> texts;
  for (HWND tooltip : search.tooltips) {
    DWORD owner = 0;
    GetWindowThreadProcessId(tooltip, &owner);
    if (owner == pid && IsWindowVisible(tooltip)) texts.push_back(WindowText(tooltip));
  }
  return texts;
}

// ---- PanelProcess -------------------------------------------------------------------------

bool PanelProcess::Prepare(const wchar_t* folderName, const PanelFiles& files) {
  folder_ = MakeScratchFolder(folderName);
  if (folder_.empty()) return false;
  const std::wstring bin = BinDirectory();
  if (!CopyInto(bin + L"Quillon.exe", folder_)) return false;
  if (files.library == PanelFiles::Library::Real && !CopyInto(bin + kHookLibraryFileName, folder_)) return false;
  if (files.library == PanelFiles::Library::LackingExport &&
      !CopyFileW((bin + L"latchkin_lacking_export.dll").c_str(), (folder_ + kHookLibraryFileName).c_str(), FALSE)) {
    return false;
  }
  if (files.languageFile && !CopyInto(bin + L"Language.cfg", folder_)) return false;
  if (files.startupProgram && !CopyInto(bin + L"Quillrun.exe", folder_)) return false;
  if (!files.settings.empty() && !WriteFileBytes(folder_ + L"Quillon.cfg", Utf16LeWithBom(files.settings))) {
    return false;
  }
  return true;
}

bool PanelProcess::Launch(const std::wstring& workingDirectory) {
  process_ = ChildProcess::Start(folder_ + L"Quillon.exe", L"", workingDirectory.empty() ? folder_ : workingDirectory);
  if (!process_.Started()) return false;
  WaitUntil(
      [&] {
        const std::vector<HWND> found = FindDialogs(process_.Pid(), nullptr, true);
        dialog_ = found.empty() ? nullptr : found.front();
        return dialog_ != nullptr;
      },
      kStartTimeoutMs);
  // Windows: the panel first waits for input in its message loop, once its start-up is
  // complete. Wine may report that earlier, so tests still wait for what they check.
  return dialog_ != nullptr && WaitForInputIdle(process_.Handle(), kStartTimeoutMs) == 0;
}

PanelProcess::~PanelProcess() {
  if (process_.Running()) process_.Kill();
}

std::wstring PanelProcess::Text(int id) const { return WindowText(Item(id)); }

std::wstring PanelProcess::Caption() const { return WindowText(dialog_); }

bool PanelProcess::Checked(int id) const { return BoxChecked(Item(id)); }

bool PanelProcess::Click(int id) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(Item(id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) != 0;
}

void PanelProcess::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(dialog_, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
}

void PanelProcess::PostTrayMouse(UINT mouseMessage) {
  PostMessageW(dialog_, MSG_TRAY_NOTIFY, TRAY_ICON_ID, mouseMessage);
}

bool PanelProcess::Eventually(const std::function<bool()>& condition, DWORD timeoutMs) {
  return WaitUntil(condition, timeoutMs, 50);
}

std::wstring PanelProcess::Setting(const wchar_t* section, const wchar_t* key) const {
  wchar_t value[256] = {};
  GetPrivateProfileStringW(section, key, L"", value, 256, (folder_ + L"Quillon.cfg").c_str());
  return value;
}

std::vector<std::wstring> PanelProcess::SettingKeys(const wchar_t* section) const {
  std::vector<wchar_t> buffer(4096, L'\0');
  const DWORD length = GetPrivateProfileStringW(section, nullptr, L"", buffer.data(),
                                                static_cast<DWORD>(buffer.size()), (folder_ + L"Quillon.cfg").c_str());
  std::vector<std::wstring> keys;
  for (DWORD at = 0; at < length && buffer[at] != L'\0';) {
    keys.emplace_back(&buffer[at]);
    at += static_cast<DWORD>(keys.back().size()) + 1;
  }
  return keys;
}

HWND PanelProcess::WaitForMessageBox(DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> boxes = MessageBoxesOf(process_.Pid(), dialog_);
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

bool PanelProcess::ExitCleanly() {
  const std::vector<HWND> before = MessageBoxesOf(process_.Pid(), dialog_);
  // Posted: a question box would hold a sent click until it is answered.
  PostMessageW(dialog_, WM_COMMAND, IsWindowVisible(dialog_) ? IDC_EXIT : IDM_EXIT, 0);
  HWND question = nullptr;
  WaitUntil(
      [&] {
        if (!process_.Running()) return true;
        for (HWND box : MessageBoxesOf(process_.Pid(), dialog_)) {
          if (std::find(before.begin(), before.end(), box) == before.end()) question = box;
        }
        return question != nullptr;
      },
      10000);
  if (question) PostMessageW(question, WM_COMMAND, IDYES, 0);
  return process_.WaitForExit(10000) && process_.ExitCode() == 0;
}

// ---- Menus --------------------------------------------------------------------------------

namespace {

// Runs the probe library inside the process of `window`: hooks that window's thread, sends it the
// registered probe message and lets `read` take the answer from the mapping `mappingName`, which
// starts as `request`.
template <typename Result, typename Read>
void AskProbe(HWND window, const wchar_t* mappingName, const wchar_t* messageName, const Result& request, Read read) {
  HMODULE probe = LoadLibraryW((BinDirectory() + L"menu_probe.dll").c_str());
  auto probeProc = probe ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "MenuProbeProc")))
                         : nullptr;
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Result), mappingName);
  auto* result = mapping ? static_cast<Result*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HHOOK hook = (probeProc && result) ? SetWindowsHookExW(WH_CALLWNDPROC, probeProc, probe, thread) : nullptr;
  if (hook) {
    *result = request;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(messageName), 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                        &ignored);
    if (result->answered) read(*result);
    UnhookWindowsHookEx(hook);
  }
  if (result) UnmapViewOfFile(result);
  if (mapping) CloseHandle(mapping);
  if (probe) FreeLibrary(probe);
}

}  // namespace

// The probe library hooks the panel's UI thread, reads the menu there and answers through a
// named mapping (see menu_probe.cpp for why the test does not read the handle itself).
std::vector<MenuItem> ReadOpenMenu(DWORD pid, DWORD timeoutMs) {
  std::vector<MenuItem> items;
  HWND menuWindow = nullptr;
  if (!WaitUntil([&] { return (menuWindow = FindOpenMenu(pid)) != nullptr; }, timeoutMs)) return items;
  AskProbe<MenuProbeResult>(menuWindow, kMenuProbeMapping, kMenuProbeMessage, {}, [&](const MenuProbeResult& result) {
    for (int i = 0; i < result.count && i < kMenuProbeMaxItems; ++i) {
      const MenuProbeItem& probed = result.items[i];
      items.push_back({probed.id, probed.text, (probed.state & MF_CHECKED) != 0, (probed.state & MF_GRAYED) != 0});
    }
  });
  return items;
}

bool ReadDialog(HWND dialog, DialogProbeResult& out, UINT announceDpi, const RECT& suggested) {
  bool answered = false;
  DialogProbeResult request = {};
  request.announceDpi = announceDpi;
  request.suggested = suggested;
  AskProbe<DialogProbeResult>(dialog, kDialogProbeMapping, kDialogProbeMessage, request,
                              [&](const DialogProbeResult& result) {
                                out = result;
                                answered = true;
                              });
  return answered;
}

void CloseOpenMenu(DWORD pid) {
  if (HWND menuWindow = FindOpenMenu(pid)) {
    PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return FindOpenMenu(pid) == nullptr; }, 3000);
  }
}

// ---- Pictures -----------------------------------------------------------------------------

// Where the pictures go: QUILLON_SCREENSHOT_DIR (a Unix path, which Wine resolves on drive Z:).
std::wstring PictureFolder() {
  const wchar_t* folder = _wgetenv(L"QUILLON_SCREENSHOT_DIR");
  if (!folder || !*folder) return L"";
  std::wstring path = folder;
  if (path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) c = (c == L'/') ? L'\\' : c;
  if (path.back() != L'\\') path += L'\\';
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

// The window as it shows on the screen, frame included, as a 32-bpp bottom-up BMP.
bool WindowPixels(HWND window, BITMAPINFOHEADER& info, std::string& pixels) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // Wine: PrintWindow cannot draw another process's window into this process's DC; the
  // screen holds the same picture while the dialog is on top.
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != FALSE;
  GdiFlush();
  const DWORD pixelBytes = static_cast<DWORD>(width) * height * 4;
  for (DWORD i = 3; i < pixelBytes; i += 4) static_cast<BYTE*>(bits)[i] = 0xFF;  // opaque
  pixels.assign(static_cast<const char*>(bits), pixelBytes);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied;
}

bool SaveWindowPicture(HWND window, const std::wstring& path) {
  BITMAPINFOHEADER info = {};
  std::string pixels;
  if (!WindowPixels(window, info, pixels)) return false;
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + pixels.size()), 0, 0,
                           static_cast<DWORD>(sizeof file + sizeof info)};
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  return WriteFileBytes(path, bytes + pixels);
}

namespace {
constexpr wchar_t kPanelX11Key[] = L"Software\\Wine\\AppDefaults\\Quillon.exe\\X11 Driver";
}  // namespace

OwnFrameForThePanel::OwnFrameForThePanel() {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kPanelX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key_, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
  }
}

OwnFrameForThePanel::~OwnFrameForThePanel() {
  if (key_) {
    RegDeleteValueW(key_, L"Managed");
    RegCloseKey(key_);
  }
}

namespace {
constexpr wchar_t kLogPixelsValue[] = L"LogPixels";
}  // namespace

DisplayDpi::DisplayDpi(DWORD dpi) {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      nullptr, &key_, nullptr) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  DWORD size = sizeof previous_;
  hadValue_ = RegQueryValueExW(key_, kLogPixelsValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_), &size) ==
              ERROR_SUCCESS;
  set_ = RegSetValueExW(key_, kLogPixelsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
         ERROR_SUCCESS;
}

DisplayDpi::~DisplayDpi() {
  if (!key_) return;
  if (hadValue_) {
    RegSetValueExW(key_, kLogPixelsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_), sizeof previous_);
  } else {
    RegDeleteValueW(key_, kLogPixelsValue);
  }
  RegCloseKey(key_);
}

HWND FindOptionsWindow(DWORD pid, DWORD timeoutMs) { return FindWindowWithItem(pid, IDC_OPT_CLOSE, timeoutMs); }

HWND FindWindowWithItem(DWORD pid, int itemId, DWORD timeoutMs) {
  struct Search {
    DWORD pid;
    int itemId;
    HWND found;
  } search = {pid, itemId, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
              auto& s = *reinterpret_cast<Search*>(context);
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              if (owner != s.pid || !IsWindowVisible(window) || !GetDlgItem(window, s.itemId)) return TRUE;
              s.found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}
