// The display language's section (see display_language.h).
#include "display_language.h"

#include "settings_rules.h"

namespace {

// Primary and sub-language identifiers of the Windows SDK (winnt.h), spelt here because the
// core never includes <windows.h>.
constexpr std::uint16_t kAnySub = 0xFFFF;
struct LanguageRow {
  std::uint16_t Primary;
  std::uint16_t Sub;  // kAnySub: every form of the language
  const char16_t* Section;
};
constexpr LanguageRow kLanguages[] = {
    {0x07, kAnySub, u"GERMAN"},
    {0x0C, kAnySub, u"FRENCH"},
    {0x0A, kAnySub, u"SPANISH"},
    // Chinese: Simplified for the PRC (0x02), Singapore (0x04) and the script-only "zh-Hans"
    // (0x00) and "zh" (0x1E) identifiers; Traditional for Taiwan (0x01), Hong Kong (0x03),
    // Macao (0x05) and "zh-Hant" (0x1F).
    {0x04, 0x00, u"SIMPLIFIED_CHINESE"},
    {0x04, 0x02, u"SIMPLIFIED_CHINESE"},
    {0x04, 0x04, u"SIMPLIFIED_CHINESE"},
    {0x04, 0x1E, u"SIMPLIFIED_CHINESE"},
    {0x04, 0x01, u"TRADITIONAL_CHINESE"},
    {0x04, 0x03, u"TRADITIONAL_CHINESE"},
    {0x04, 0x05, u"TRADITIONAL_CHINESE"},
    {0x04, 0x1F, u"TRADITIONAL_CHINESE"},
    {0x11, kAnySub, u"JAPANESE"},
    {0x10, kAnySub, u"ITALIAN"},
    // Portuguese: only Brazil's (0x01) is shipped; Portugal's (0x02) differs in words a user
    // sees at once ("mouse", "file"), so it stays NEUTRAL until a section of its own exists.
    {0x16, 0x01, u"PORTUGUESE_BRAZIL"},
    {0x19, kAnySub, u"RUSSIAN"},
    {0x15, kAnySub, u"POLISH"},
    {0x12, kAnySub, u"KOREAN"},
    {0x1F, kAnySub, u"TURKISH"},
    {0x13, kAnySub, u"DUTCH"},
    {0x05, kAnySub, u"CZECH"},
    {0x22, kAnySub, u"UKRAINIAN"},
};

}  // namespace

const char16_t* DisplayLanguageSection(std::uint16_t languageId) noexcept {
  const std::uint16_t primary = languageId & 0x3FF;
  const std::uint16_t sub = languageId >> 10;
  for (const LanguageRow& row : kLanguages) {
    if (row.Primary == primary && (row.Sub == kAnySub || row.Sub == sub)) return row.Section;
  }
  return kDefaultLanguage;
}
