// The about box: six lines (product, maker, version, release date, language) in a message box
// with the product's icon, on a thread of its own; at most one is open.
#include "about_box.h"

#include <windows.h>

#include "core/panel_texts.h"
#include "language.h"
#include "panel_state.h"
#include "product_version.h"
#include "resource.h"
#include "unique_handle.h"
#include "utf16.h"

namespace {

// The web domain of the partner this build is made for, named on the about box's first line.
constexpr wchar_t kOemDomain[] = L"tessaline-peripherals.example";

DWORD WINAPI ShowAboutBox(void*) {
  Panel.AboutOpen = true;
  wchar_t productName[kLongTextCapacity];
  wchar_t providerLabel[kShortTextCapacity], versionLabel[kShortTextCapacity];
  wchar_t releaseDateLabel[kShortTextCapacity], languageLabel[kShortTextCapacity];
  wchar_t languageName[kShortTextCapacity], languageProvider[kShortTextCapacity];
  GetLangText(productName, L"TEXT_QLNNAME", kLongTextCapacity);
  GetLangText(providerLabel, L"TEXT_PROVIDER", kShortTextCapacity);
  GetLangText(versionLabel, L"TEXT_VERSION", kShortTextCapacity);
  GetLangText(releaseDateLabel, L"TEXT_RELEASEDATE", kShortTextCapacity);
  GetLangText(languageLabel, L"TEXT_LANGUAGE", kShortTextCapacity);
  GetLangText(languageName, L"LANG_NAME", kShortTextCapacity);
  GetLangText(languageProvider, L"LANG_PROVIDER", kShortTextCapacity);

  const AboutTexts texts = {AsUtf16(productName),      AsUtf16(kOemDomain),
                            AsUtf16(providerLabel),    AsUtf16(QUILLON_PROVIDER_TEXT),
                            AsUtf16(versionLabel),     AsUtf16(QUILLON_VERSION_TEXT),
                            AsUtf16(releaseDateLabel), AsUtf16(QUILLON_RELEASE_DATE_TEXT),
                            AsUtf16(languageLabel),    AsUtf16(languageName),
                            AsUtf16(languageProvider)};
  wchar_t about[kAboutTextCapacity];
  ComposeAboutText(AsUtf16(about), kAboutTextCapacity, texts);
  wchar_t caption[kShortTextCapacity];
  GetLangText(caption, L"TEXT_ABOUT", kShortTextCapacity);

  // The product's own icon, which the box loads at the large size for the system's DPI (32 to
  // 64 pixels between 100 % and 200 %), where a stock information sign used to stand.
  MSGBOXPARAMSW box = {};
  box.cbSize = sizeof box;
  box.hwndOwner = Panel.Dialog;
  box.hInstance = Panel.Instance;
  box.lpszText = about;
  box.lpszCaption = caption;
  box.dwStyle = MB_OK | MB_USERICON;
  box.lpszIcon = MAKEINTRESOURCEW(IDI_QUILLON);
  MessageBoxIndirectW(&box);
  Panel.AboutOpen = false;
  return 0;
}

}  // namespace

void OpenAboutBox() {
  // Marked open here, on the UI thread, so a second choice that arrives before the new
  // thread has run cannot open a second box.
  if (Panel.AboutOpen.exchange(true)) return;
  UniqueHandle thread(CreateThread(nullptr, 0, ShowAboutBox, nullptr, 0, nullptr));
  if (!thread) Panel.AboutOpen = false;
}
