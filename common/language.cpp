// Texts from "Language.cfg" by key (see language.h); the buffer rules live in
// core/language_text.
#include "language.h"

#include "configuration.h"
#include "core/language_text.h"
#include "profile_platform.h"
#include "utf16.h"
#include "wide_string.h"

static_assert(kShortTextCapacity == static_cast<int>(kLanguageShortCapacity), "one short capacity");
static_assert(kLongTextCapacity == static_cast<int>(kLanguageLongCapacity), "one long capacity");

namespace {

std::uint32_t Capacity(int capacity) noexcept { return capacity > 0 ? static_cast<std::uint32_t>(capacity) : 0; }

// The panel's choice of language replaces the section while message-box threads may look up.
const char16_t* Section() noexcept { return AsUtf16(__atomic_load_n(&LanguageSection, __ATOMIC_ACQUIRE)); }

}  // namespace

int GetLangText(wchar_t* buffer, const wchar_t* key, int capacity) {
  return static_cast<int>(ReadLanguageText(PlatformProfile(), AsUtf16(LanguageFilePath), Section(),
                                           AsUtf16(key), AsUtf16(buffer), Capacity(capacity)));
}

int GetLangTipText(wchar_t* buffer, const wchar_t* key, int capacity) {
  return static_cast<int>(ReadLanguageTipText(PlatformProfile(), AsUtf16(LanguageFilePath),
                                              Section(), AsUtf16(key), AsUtf16(buffer),
                                              Capacity(capacity)));
}

void SetLangWindowText(HWND window, const wchar_t* key) {
  wchar_t* text = nullptr;
  WideStrAlloc(text, kLongTextCapacity);
  if (!text) return;
  GetLangText(text, key, kLongTextCapacity);
  SetWindowTextW(window, text);
  WideStrFree(text);
}
