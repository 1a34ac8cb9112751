// The dialog in every language of the shipped language file: each caption fits its control
// (measured with the dialog's font), and a picture of the dialog is saved for people to look at
// (BMP beside the test's pictures folder; the build turns them into PNG).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "panel_test_support.h"
#include "resource.h"

namespace {

std::vector<std::wstring> ShippedSections() {
  std::vector<wchar_t> buffer(4096, L'\0');
  const DWORD length = GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                      (BinDirectory() + L"Language.cfg").c_str());
  std::vector<std::wstring> sections;
  for (DWORD at = 0; at < length && buffer[at] != L'\0'; at += static_cast<DWORD>(sections.back().size()) + 1) {
    sections.emplace_back(&buffer[at]);
  }
  return sections;
}

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
bool SaveWindowPicture(HWND window, const std::wstring& path) {
  RECT frame = {};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  BITMAPINFOHEADER info = {};
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
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info + pixelBytes), 0, 0,
                           static_cast<DWORD>(sizeof file + sizeof info)};
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(static_cast<const char*>(bits), pixelBytes);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && WriteFileBytes(path, bytes);
}

// Wine: without a window manager (the bench's Xvfb has none) a managed window gets no frame
// at all; an unmanaged Quillon.exe draws its own caption and border, as Windows would. Only
// while this test runs, and only for Quillon.exe.
class OwnFrameForThePanel {
 public:
  OwnFrameForThePanel() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key_, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    }
  }
  ~OwnFrameForThePanel() {
    if (key_) {
      RegDeleteValueW(key_, L"Managed");
      RegCloseKey(key_);
    }
  }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\Quillon.exe\\X11 Driver";
  HKEY key_ = nullptr;
};

// Room a caption needs inside its control: check boxes give part of their width to the box,
// push buttons and group boxes to their frame.
int CaptionRoom(HWND control, int id) {
  RECT box = {};
  GetClientRect(control, &box);
  const int width = box.right - box.left;
  switch (id) {
    case IDC_LBUTTON: case IDC_RBUTTON: case IDC_WHEEL:
    case IDC_AUTOTIPS: case IDC_AUTOHOOK: case IDC_LOGTOFILE:
      return width - GetSystemMetrics(SM_CXMENUCHECK) - 6;
    case IDC_HOOKTYPE_GROUP: case IDC_PARAM_GROUP: case IDC_MISC_GROUP: return width - 16;
    case IDC_UPDOWN_LABEL: case IDC_DBCLICK_LABEL: case IDC_ROTREVERSE_LABEL: return width;
    default: return width - 8;
  }
}

TEST(PanelLayout, EveryLanguageFitsItsControls) {
  const std::vector<std::wstring> sections = ShippedSections();
  ASSERT_FALSE(sections.empty()) << "no Language.cfg beside the test";
  const std::wstring pictures = PictureFolder();
  const OwnFrameForThePanel ownFrame;
  const int captioned[] = {IDC_HOOKTYPE_GROUP, IDC_PARAM_GROUP, IDC_MISC_GROUP, IDC_LBUTTON,   IDC_RBUTTON,
                           IDC_WHEEL,          IDC_AUTOTIPS,    IDC_AUTOHOOK,   IDC_LOGTOFILE, IDC_UPDOWN_LABEL,
                           IDC_DBCLICK_LABEL,  IDC_ROTREVERSE_LABEL, IDC_UPDOWN_SET, IDC_ACTION, IDC_EXIT};

  for (const std::wstring& section : sections) {
    SCOPED_TRACE(std::string(section.begin(), section.end()));
    PanelProcess panel;
    PanelFiles files;
    files.languageFile = true;
    // With the hook installed every control is enabled and the action reads "stop".
    files.settings = L"[Main]\r\nLanguage=" + section + L"\r\n" + OptionsSection({L"AutoHook=1"});
    // A folder per language: the previous run's library may still be mapped by hooked
    // processes, so its folder cannot always be emptied yet.
    const std::wstring folderName = L"layout-" + section;
    ASSERT_TRUE(panel.Start(folderName.c_str(), files));
    const std::wstring unit = ShippedText(section.c_str(), L"TEXT_MILLISECOND");
    ASSERT_TRUE(panel.Eventually([&] {
      const std::wstring label = panel.Text(IDC_UPDOWN_LABEL);
      return label.size() > unit.size() && label.compare(label.size() - unit.size(), unit.size(), unit) == 0 &&
             panel.Text(IDC_ACTION) == ShippedText(section.c_str(), L"TEXT_UNHOOK");
    })) << "the first refresh tick never came";

    // The dialog's font at this display's resolution: "MS Shell Dlg", 9 points.
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    HGDIOBJ old = SelectObject(screen, font);
    for (int id : captioned) {
      const std::wstring text = panel.Text(id);
      SIZE extent = {};
      GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
      EXPECT_LE(extent.cx, CaptionRoom(panel.Item(id), id)) << "control " << id << " cuts its caption";
    }
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);

    if (!pictures.empty()) {
      std::wstring name = section;
      for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
      EXPECT_TRUE(SaveWindowPicture(panel.Dialog(), pictures + L"panel-" + name + L".bmp"));
    }
    EXPECT_TRUE(panel.ExitCleanly());
  }
}

}  // namespace
