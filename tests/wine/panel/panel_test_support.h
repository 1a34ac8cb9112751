// What the panel's Wine tests share: a scratch folder holding a copy of Quillon.exe (with or
// without the library, the language file and a settings file), the running panel driven by
// window messages; that folder's own copy of Latchkin.dll is bound in the test as LibraryCopy.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <functional>
#include <vector>

#include "library_copy.h"
#include "wine_test_support.h"

// What goes into the scratch folder beside Quillon.exe.
struct PanelFiles {
  bool startupProgram = false; // Quillrun.exe
  // Latchkin.dll: the real one, none, or a stand-in lacking one export
  enum class Library { Real, None, LackingExport } library = Library::Real;
  bool languageFile = false;   // the shipped Language.cfg
  std::wstring settings;       // Quillon.cfg text (written UTF-16LE with BOM); empty: no file
};

// The lines of a settings file: "[Options]\r\nAutoHook=1\r\n..." from {"AutoHook=1", ...}.
std::wstring OptionsSection(const std::vector<std::wstring>& lines);

class PanelProcess {
 public:
  // Makes the scratch folder (name: the test's own) with the files and starts the panel there.
  bool Start(const wchar_t* folderName, const PanelFiles& files) { return Prepare(folderName, files) && Launch(); }
  // The two halves of Start, for a test that works on the folder's library before the start.
  bool Prepare(const wchar_t* folderName, const PanelFiles& files);
  // Starts the panel of the folder in workingDirectory (empty: the folder itself).
  bool Launch(const std::wstring& workingDirectory = L"");
  ~PanelProcess();

  const std::wstring& Folder() const { return folder_; }
  ChildProcess& Process() { return process_; }
  // The main dialog (found by its action button, so message boxes are never taken for it).
  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::wstring Text(int id) const;
  std::wstring Caption() const;
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Checked(int id) const;
  // Presses a button as a click would; false when the panel did not answer.
  bool Click(int id);
  void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // A mouse message of the notification icon, posted: a right button release opens a menu
  // that would hold a sent message until it closes.
  void PostTrayMouse(UINT mouseMessage);
  // Waits until the condition holds, with a margin of several refresh ticks.
  bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

  // A value of the folder's Quillon.cfg; empty when missing.
  std::wstring Setting(const wchar_t* section, const wchar_t* key) const;
  // The key names of a section of Quillon.cfg, in file order.
  std::vector<std::wstring> SettingKeys(const wchar_t* section) const;

  // The first message box the panel shows within timeoutMs, or null.
  HWND WaitForMessageBox(DWORD timeoutMs = 5000);
  // Exit through the Exit button (the tray item while in the notification area) and wait for
  // the process; true with exit code 0. Should Exit ask first (another program installed the
  // filter), the default answer is given: stop filtering and exit.
  bool ExitCleanly();

 private:
  std::wstring folder_;
  ChildProcess process_;
  HWND dialog_ = nullptr;
};

// The panel's Options window (the top-level window holding its Close button), waiting up to
// timeoutMs for it; null when none shows.
HWND FindOptionsWindow(DWORD pid, DWORD timeoutMs = 5000);
// The same for any top-level window of the process that holds a control of this id (the mouse
// check by IDC_MOUSECHECK_CLOSE).
HWND FindWindowWithItem(DWORD pid, int itemId, DWORD timeoutMs = 5000);

// Top-level dialog windows (#32770) of a process other than the panel's main dialog: the
// message boxes it shows.
std::vector<HWND> MessageBoxesOf(DWORD pid, HWND mainDialog);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);
std::wstring WindowText(HWND window);
// Whether a check box (of any window of the panel) is checked.
bool BoxChecked(HWND box);

// The line of a language text as the shipped Language.cfg (beside the test) gives it.
std::wstring ShippedText(const wchar_t* section, const wchar_t* key);
// Whether the notification area holds the icon of this dialog (id 128).
bool TrayIconExists(HWND dialog);
void DeleteTrayIcon(HWND dialog);
// The tooltip texts of the icons in the notification area, as it shows them when the pointer
// rests on an icon. Wine: read from the tooltip controls of its tray icon windows.
std::vector<std::wstring> TrayTooltips();
// The texts of the tooltips and balloons a process shows at the moment.
std::vector<std::wstring> VisibleTooltipTexts(DWORD pid);

// One item of a popup menu as another process reads it.
struct MenuItem {
  UINT id;            // 0 for a separator
  std::wstring text;
  bool checked;
  bool grayed;
};
// The items of the popup menu that a process shows (window class #32768), or empty.
std::vector<MenuItem> ReadOpenMenu(DWORD pid, DWORD timeoutMs);
// Closes an open popup menu of the process without choosing an item.
void CloseOpenMenu(DWORD pid);

// The main dialog as its own process sees it: DPI, icons, controls and their text extents. With
// announceDpi, the dialog is first told (WM_DPICHANGED) it moved to a monitor of that DPI.
struct DialogProbeResult;
bool ReadDialog(HWND dialog, DialogProbeResult& out, UINT announceDpi = 0, const RECT& suggested = {});
// ---- Pictures -----------------------------------------------------------------------------

// Where the pictures go: QUILLON_SCREENSHOT_DIR (a Unix path, which Wine resolves on drive Z:),
// created if need be, with a trailing backslash; empty when the variable is not set.
std::wstring PictureFolder();
// The window as it shows on the screen, frame included, as a 32-bpp bottom-up BMP.
bool SaveWindowPicture(HWND window, const std::wstring& path);
// The same pixels (blue, green, red, 255; bottom-up rows) and their header.
bool WindowPixels(HWND window, BITMAPINFOHEADER& info, std::string& pixels);
// The notification area's icon windows (Wine: its tray icon windows), which draw the icons.
std::vector<HWND> TrayIconWindows();

// Wine: without a window manager (the bench's Xvfb has none) a managed window gets no frame
// at all; an unmanaged Quillon.exe draws its own caption and border, as Windows would. Only
// while an object of this lives, and only for Quillon.exe.
class OwnFrameForThePanel {
 public:
  OwnFrameForThePanel();
  ~OwnFrameForThePanel();
  OwnFrameForThePanel(const OwnFrameForThePanel&) = delete;
  OwnFrameForThePanel& operator=(const OwnFrameForThePanel&) = delete;

 private:
  HKEY key_ = nullptr;
};

// The display's DPI for the programs started while this object lives (Wine reads
// HKCU\Control Panel\Desktop\LogPixels when a program starts); the previous value (or its
// absence) comes back afterwards, so later tests on the same Wine prefix see 96 again.
class DisplayDpi {
 public:
  explicit DisplayDpi(DWORD dpi);
  ~DisplayDpi();
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;
  bool Set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool hadValue_ = false;
  bool set_ = false;
};
