// The dialog, the Options window and the mouse check in every language of the shipped language
// file (its sections, as the panel's language list reads them) at 100 %, 150 % and 200 % scaling
// (96, 144 and 192 DPI, which Wine takes from HKCU\Control Panel\Desktop\LogPixels when a
// program starts): the panel draws at that DPI, its controls keep the template's layout, each
// caption fits its control (measured inside the panel's process with the control's own font),
// and its icons are loaded at the sizes the DPI asks for. A picture of the dialog is saved per
// language and DPI, and of each window (BMP beside the test's pictures folder; the build turns
// them into PNG).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <map>
#include <string>

#include "dialog_probe.h"
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

// Scaling steps: the DPI, the suffix of its pictures, and the icon sizes Windows asks for there
// (SM_CXSMICON and SM_CXICON at that DPI).
struct Scaling {
  UINT dpi;
  const wchar_t* pictureSuffix;
  int smallIcon;
  int bigIcon;
};
constexpr Scaling kScalings[] = {{96, L"", 16, 32}, {144, L"-150", 24, 48}, {192, L"-200", 32, 64}};

const int kCaptioned[] = {IDC_HOOKTYPE_GROUP, IDC_PARAM_GROUP,   IDC_MISC_GROUP,      IDC_LBUTTON,
                          IDC_RBUTTON,        IDC_WHEEL,         IDC_AUTOTIPS,        IDC_AUTOHOOK,
                          IDC_LOGTOFILE,      IDC_UPDOWN_LABEL,  IDC_DBCLICK_LABEL,   IDC_ROTREVERSE_LABEL,
                          IDC_UPDOWN_SET,     IDC_ACTION,        IDC_EXIT,            IDC_OPTIONS_OPEN};
// The Options window's captions.
const int kOptionsCaptioned[] = {
    IDC_OPT_BUTTONS_GROUP, IDC_OPT_HEAD_BUTTON,   IDC_OPT_HEAD_UPDOWN,    IDC_OPT_HEAD_DBCLICK,  IDC_OPT_NAME_LEFT,
    IDC_OPT_NAME_RIGHT,    IDC_OPT_SWITCH_MIDDLE, IDC_OPT_SWITCH_X1,      IDC_OPT_SWITCH_X2,     IDC_OPT_SHARED_HINT,
    IDC_OPT_ENGINE_GROUP,  IDC_OPT_RELEASEGUARD,  IDC_OPT_DRAGHOLD,       IDC_OPT_DRAGHOLD_LABEL, IDC_OPT_EXCLUDED_GROUP,
    IDC_OPT_EXCLUDED_ADD,  IDC_OPT_EXCLUDED_REMOVE, IDC_OPT_HOTKEY_LABEL, IDC_OPT_SETTINGSFILE_LABEL, IDC_OPT_CLOSE,
    IDC_OPT_LANGUAGE_LABEL};
// The mouse check's captions: its hint, the suggestion's label and its buttons.
const int kMouseCheckCaptioned[] = {IDC_MOUSECHECK_STATUS, IDC_MOUSECHECK_SUGGESTED, IDC_MOUSECHECK_GUIDED,
                                    IDC_MOUSECHECK_CLEAR,  IDC_MOUSECHECK_USE,       IDC_MOUSECHECK_SAVE,
                                    IDC_MOUSECHECK_CLOSE};

// Room a caption has inside its control at the dialog's DPI: check boxes give part of their
// width to the box, push buttons and group boxes to their frame.
int CaptionRoom(const DialogProbeControl& control, const DialogProbeResult& dialog) {
  const int width = control.rect.right - control.rect.left;
  const int dpi = static_cast<int>(dialog.dpi ? dialog.dpi : 96);
  switch (control.id) {
    case IDC_LBUTTON: case IDC_RBUTTON: case IDC_WHEEL:
    case IDC_AUTOTIPS: case IDC_AUTOHOOK: case IDC_LOGTOFILE:
    case IDC_OPT_SWITCH_MIDDLE: case IDC_OPT_SWITCH_X1: case IDC_OPT_SWITCH_X2:
    case IDC_OPT_RELEASEGUARD: case IDC_OPT_DRAGHOLD:
      return width - dialog.checkBoxWidth - MulDiv(6, dpi, 96);
    case IDC_HOOKTYPE_GROUP: case IDC_PARAM_GROUP: case IDC_MISC_GROUP:
    case IDC_OPT_BUTTONS_GROUP: case IDC_OPT_ENGINE_GROUP: case IDC_OPT_EXCLUDED_GROUP:
      return width - MulDiv(16, dpi, 96);
    case IDC_UPDOWN_LABEL: case IDC_DBCLICK_LABEL: case IDC_ROTREVERSE_LABEL:
    case IDC_OPT_HEAD_BUTTON: case IDC_OPT_HEAD_UPDOWN: case IDC_OPT_HEAD_DBCLICK: case IDC_OPT_NAME_LEFT:
    case IDC_OPT_NAME_RIGHT: case IDC_OPT_SHARED_HINT: case IDC_OPT_DRAGHOLD_LABEL: case IDC_OPT_HOTKEY_LABEL:
    case IDC_OPT_SETTINGSFILE_LABEL: case IDC_OPT_LANGUAGE_LABEL:
    case IDC_MOUSECHECK_STATUS: case IDC_MOUSECHECK_SUGGESTED:
      return width;
    default: return width - MulDiv(8, dpi, 96);
  }
}

const DialogProbeControl* FindControl(const DialogProbeResult& dialog, int id) {
  for (int i = 0; i < dialog.count; ++i) {
    if (dialog.controls[i].id == id) return &dialog.controls[i];
  }
  return nullptr;
}

// Each control's edges, as a share of the client area, stay where they are at 96 DPI: the
// dialog grew through its dialog units and nothing was placed in fixed pixels. Two pixels
// cover the rounding of dialog units.
void ExpectSameLayout(const DialogProbeResult& reference, const DialogProbeResult& scaled) {
  const double sx = double(scaled.client.right) / reference.client.right;
  const double sy = double(scaled.client.bottom) / reference.client.bottom;
  ASSERT_EQ(scaled.count, reference.count);
  for (int i = 0; i < reference.count; ++i) {
    const RECT& at96 = reference.controls[i].rect;
    const DialogProbeControl* control = FindControl(scaled, reference.controls[i].id);
    ASSERT_NE(control, nullptr) << "control " << reference.controls[i].id;
    const RECT& now = control->rect;
    SCOPED_TRACE("control " + std::to_string(control->id));
    EXPECT_NEAR(now.left, at96.left * sx, 2.0);
    EXPECT_NEAR(now.right, at96.right * sx, 2.0);
    EXPECT_NEAR(now.top, at96.top * sy, 2.0);
    EXPECT_NEAR(now.bottom, at96.bottom * sy, 2.0);
  }
}

TEST(PanelLayout, EveryLanguageFitsAndKeepsItsLayoutAtEveryScaling) {
  const std::vector<std::wstring> sections = ShippedSections();
  ASSERT_FALSE(sections.empty()) << "no Language.cfg beside the test";
  const std::wstring pictures = PictureFolder();
  const OwnFrameForThePanel ownFrame;
  std::map<std::wstring, DialogProbeResult> at96;  // per language

  for (const Scaling& scaling : kScalings) {
    SCOPED_TRACE(std::to_string(scaling.dpi) + " DPI");
    const DisplayDpi display(scaling.dpi);
    ASSERT_TRUE(display.Set());
    for (const std::wstring& section : sections) {
      SCOPED_TRACE(std::string(section.begin(), section.end()));
      PanelProcess panel;
      PanelFiles files;
      files.languageFile = true;
      // With the hook installed every control is enabled and the action reads "stop".
      // The middle button's own intervals give the mouse check's suggestion five lines.
      files.settings = L"[Main]\r\nLanguage=" + section + L"\r\n" +
                       OptionsSection({L"AutoHook=1", L"HookMButton=1", L"MButtonUpDownIntervalTime=25",
                                       L"MButtonDbClickIntervalTime=300"});
      // A folder per language and DPI: the previous run's library may still be mapped by hooked
      // processes, so its folder cannot always be emptied yet.
      const std::wstring folderName = L"layout-" + section + L"-" + std::to_wstring(scaling.dpi);
      ASSERT_TRUE(panel.Start(folderName.c_str(), files));
      const std::wstring unit = ShippedText(section.c_str(), L"TEXT_MILLISECOND");
      ASSERT_TRUE(panel.Eventually([&] {
        const std::wstring label = panel.Text(IDC_UPDOWN_LABEL);
        return label.size() > unit.size() && label.compare(label.size() - unit.size(), unit.size(), unit) == 0 &&
               panel.Text(IDC_ACTION) == ShippedText(section.c_str(), L"TEXT_UNHOOK");
      })) << "the first refresh tick never came";

      DialogProbeResult dialog = {};
      ASSERT_TRUE(ReadDialog(panel.Dialog(), dialog)) << "the probe did not answer";
      EXPECT_EQ(dialog.dpi, scaling.dpi);
      // Wine: every window is drawn at the display's DPI and reads as per-monitor aware, whatever
      // its program declares; program_manifests checks the declaration Windows goes by.
      EXPECT_EQ(dialog.awareness, 2) << "the dialog is not per-monitor DPI aware";
      EXPECT_EQ(dialog.smallIcon, scaling.smallIcon);
      EXPECT_EQ(dialog.bigIcon, scaling.bigIcon);
      for (int id : kCaptioned) {
        const DialogProbeControl* control = FindControl(dialog, id);
        ASSERT_NE(control, nullptr) << "control " << id;
        EXPECT_GT(control->textExtent.cx, 0) << "control " << id << " shows no text";
        EXPECT_LE(control->textExtent.cx, CaptionRoom(*control, dialog)) << "control " << id << " cuts its caption";
        EXPECT_LE(control->textExtent.cy, control->rect.bottom - control->rect.top)
            << "control " << id << " cuts its caption's height";
      }
      if (scaling.dpi == 96) {
        at96[section] = dialog;
      } else if (at96.count(section)) {
        // The dialog grew with the DPI, through the dialog font (within a tenth: font sizes
        // come in whole pixels)...
        const double expected = scaling.dpi / 96.0;
        EXPECT_NEAR(double(dialog.client.right) / at96[section].client.right, expected, expected / 10);
        EXPECT_NEAR(double(dialog.client.bottom) / at96[section].client.bottom, expected, expected / 10);
        // ...and kept its layout.
        ExpectSameLayout(at96[section], dialog);
      }

      std::wstring name = section;
      for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
      if (!pictures.empty()) {
        EXPECT_TRUE(SaveWindowPicture(panel.Dialog(), pictures + L"panel-" + name + scaling.pictureSuffix + L".bmp"));
      }

      // The Options window and the mouse check: every caption whole at this language and DPI, and
      // a picture of each.
      struct Window { int openId; int closeId; const int* captioned; std::size_t count; const wchar_t* picture; };
      const Window windows[] = {
          {IDC_OPTIONS_OPEN, IDC_OPT_CLOSE, kOptionsCaptioned, std::size(kOptionsCaptioned), L"panel-options-"},
          {IDC_MOUSECHECK_OPEN, IDC_MOUSECHECK_CLOSE, kMouseCheckCaptioned, std::size(kMouseCheckCaptioned),
           L"panel-mouse-check-layout-"}};
      for (const Window& window : windows) {
        SCOPED_TRACE(std::string(window.picture, window.picture + wcslen(window.picture)));
        ASSERT_TRUE(panel.Click(window.openId));
        HWND shown = FindWindowWithItem(panel.Process().Pid(), window.closeId);
        ASSERT_NE(shown, nullptr);
        DialogProbeResult probed = {};
        ASSERT_TRUE(ReadDialog(shown, probed)) << "the probe did not answer";
        for (std::size_t i = 0; i < window.count; ++i) {
          const int id = window.captioned[i];
          const DialogProbeControl* control = FindControl(probed, id);
          ASSERT_NE(control, nullptr) << "control " << id;
          EXPECT_GT(control->textExtent.cx, 0) << "control " << id << " shows no text";
          EXPECT_LE(control->textExtent.cx, CaptionRoom(*control, probed)) << "control " << id << " cuts its caption";
        }
        if (!pictures.empty()) {
          // Drawn whole before the screen is copied: a new window paints its controls one by one.
          RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
          PumpMessagesFor(300);
          EXPECT_TRUE(SaveWindowPicture(shown, pictures + window.picture + name + scaling.pictureSuffix + L".bmp"));
        }
        SendMessageTimeoutW(GetDlgItem(shown, window.closeId), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      }
      // The mouse check opens on its first step, "Guided check", with the suggestion's lines whole
      // from the first, nothing selected.
      ASSERT_TRUE(panel.Click(IDC_MOUSECHECK_OPEN));
      HWND check = nullptr;
      ASSERT_TRUE(WaitUntil([&] {
        return (check = FindWindowW(L"#32770", ShippedText(section.c_str(), L"TEXT_MOUSECHECK").c_str())) != nullptr;
      }, 5000));
      HWND box = GetDlgItem(check, IDC_MOUSECHECK_SUGGESTION);
      GUITHREADINFO gui = {};
      gui.cbSize = sizeof gui;
      GetGUIThreadInfo(GetWindowThreadProcessId(check, nullptr), &gui);
      EXPECT_EQ(gui.hwndFocus, GetDlgItem(check, IDC_MOUSECHECK_GUIDED));
      const LRESULT selection = SendMessageW(box, EM_GETSEL, 0, 0);
      EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "text selected";
      EXPECT_EQ(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
      const auto top = [&](int line) {
        return static_cast<short>(HIWORD(SendMessageW(box, EM_POSFROMCHAR, SendMessageW(box, EM_LINEINDEX, line, 0), 0)));
      };
      const int lines = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
      EXPECT_EQ(lines, 6);  // the five lines it had and press confirmation's
      RECT inside = {};
      GetClientRect(box, &inside);
      EXPECT_LE(top(lines - 1) + (top(1) - top(0)), inside.bottom) << "the last line is cut";
      PostMessageW(check, WM_COMMAND, IDC_MOUSECHECK_CLOSE, 0);
      EXPECT_TRUE(panel.ExitCleanly());
    }
  }
}

int CALLBACK NoteFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The caption buttons are Marlett glyphs; without the font Wine draws them as "0 1 r".
TEST(PanelLayout, CaptionButtonsHaveTheirFont) {
  LOGFONTW font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpyW(font.lfFaceName, L"Marlett");
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &font, NoteFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(found);
}

// Moved to a monitor of 150 %: the dialog takes the place Windows suggests and its icons are
// reloaded for the new DPI. Wine has one DPI for all monitors and never sends the message, so the
// probe sends it inside the panel's process as Windows would; the rescaling of the dialog's font and controls that follows on
// Windows 10 1703 and later is the dialog manager's, which Wine does not do.
TEST(PanelLayout, MovedToAMonitorOfAnotherDpi) {
  PanelProcess panel;
  PanelFiles files;
  files.languageFile = true;
  ASSERT_TRUE(panel.Start(L"layout-dpi-changed", files));
  DialogProbeResult before = {};
  ASSERT_TRUE(ReadDialog(panel.Dialog(), before));
  ASSERT_EQ(before.dpi, 96u);
  ASSERT_EQ(before.smallIcon, 16);

  RECT frame = {};
  GetWindowRect(panel.Dialog(), &frame);
  RECT suggested = {frame.left + 10, frame.top + 20, frame.left + 10 + (frame.right - frame.left) * 3 / 2,
                    frame.top + 20 + (frame.bottom - frame.top) * 3 / 2};
  DialogProbeResult after = {};
  ASSERT_TRUE(ReadDialog(panel.Dialog(), after, 144, suggested));
  EXPECT_EQ(after.smallIcon, 24);
  EXPECT_EQ(after.bigIcon, 48);
  RECT now = {};
  GetWindowRect(panel.Dialog(), &now);
  EXPECT_EQ(now.left, suggested.left);
  EXPECT_EQ(now.top, suggested.top);
  EXPECT_EQ(now.right, suggested.right);
  EXPECT_EQ(now.bottom, suggested.bottom);
  EXPECT_TRUE(panel.ExitCleanly());
}

}  // namespace
