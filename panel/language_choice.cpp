// The choice of language (see language_choice.h). The list's sections are read from the language
// file each time the Options window opens, so a file a translator just extended shows its new
// language without a new program.
#include "language_choice.h"

#include <string>
#include <vector>

#include "configuration.h"
#include "dialog_refresh.h"
#include "dialog_setup.h"
#include "language.h"
#include "mouse_check.h"
#include "options_window.h"
#include "panel_state.h"
#include "tray_icon.h"

namespace {

// Item data of the first item; the others carry their index into Sections.
constexpr LRESULT kDisplayLanguageItem = -1;
std::vector<std::wstring> Sections;

std::vector<std::wstring> LanguageFileSections() {
  std::vector<wchar_t> names(8192, L'\0');
  const DWORD length = LanguageFilePath ? GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()),
                                                                         LanguageFilePath)
                                        : 0;
  std::vector<std::wstring> sections;
  for (DWORD at = 0; at < length && names[at] != L'\0';) {
    sections.emplace_back(&names[at]);
    at += static_cast<DWORD>(sections.back().size()) + 1;
  }
  return sections;
}

void AddItem(HWND list, const wchar_t* text, LRESULT data) {
  const LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (item >= 0) SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(item), data);
}

// The language in force: the first item while the display language decides, else the stored
// section's item (added under its bare name when the file has no such section).
void SelectLanguageInForce(HWND list) {
  LRESULT chosen = 0;
  if (!LanguageFollowsDisplay() && LanguageSection) {
    chosen = -1;
    for (std::size_t i = 0; i < Sections.size() && chosen < 0; ++i) {
      if (lstrcmpiW(Sections[i].c_str(), LanguageSection) == 0) chosen = static_cast<LRESULT>(i) + 1;
    }
    if (chosen < 0) {
      Sections.emplace_back(LanguageSection);
      chosen = static_cast<LRESULT>(Sections.size());
      AddItem(list, LanguageSection, chosen - 1);
    }
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

}  // namespace

void ShowLanguageList(HWND list) {
  wchar_t display[kLongTextCapacity];
  GetLangText(display, L"TEXT_DISPLAYLANGUAGE", kLongTextCapacity);
  if (SendMessageW(list, CB_GETCOUNT, 0, 0) > 0) {
    const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    SendMessageW(list, CB_DELETESTRING, 0, 0);
    SendMessageW(list, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(display));
    SendMessageW(list, CB_SETITEMDATA, 0, kDisplayLanguageItem);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    return;
  }
  Sections = LanguageFileSections();
  AddItem(list, display, kDisplayLanguageItem);
  for (std::size_t i = 0; i < Sections.size(); ++i) {
    // Each language by its own name; a section without one by the section's.
    wchar_t name[kShortTextCapacity] = {};
    GetPrivateProfileStringW(Sections[i].c_str(), L"LANG_NAME", Sections[i].c_str(), name, kShortTextCapacity - 1,
                             LanguageFilePath);
    AddItem(list, name, static_cast<LRESULT>(i));
  }
  SelectLanguageInForce(list);
}

void OnLanguageListChoice(HWND list) {
  const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selected < 0) return;
  const LRESULT data = SendMessageW(list, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
  if (data != kDisplayLanguageItem && (data < 0 || static_cast<std::size_t>(data) >= Sections.size())) return;
  ChooseLanguage(data == kDisplayLanguageItem ? nullptr : Sections[static_cast<std::size_t>(data)].c_str());
  // Every text on screen anew: the main dialog (its interval labels and action button at once),
  // the Options window with this list, the mouse check, and the icon's tooltip and balloon title.
  ApplyDialogTexts();
  for (std::uint32_t& shown : Panel.LastShownIntervals) shown = kNeverShown;
  RefreshDialog();
  RetextOptionsWindow();
  RetextMouseCheck();
  RetextTrayIcon();
}
