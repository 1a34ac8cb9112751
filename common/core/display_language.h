// The language section that fits the user's Windows display language, for a settings file that
// names none: one table from a language identifier (LANGID) to a section of "Language.cfg".
#pragma once
#include <cstdint>

// The section for languageId (primary language in the low 10 bits, sub-language above them):
// the primary language decides, except for a language shipped in more than one form (Chinese
// by its script, Portuguese by its country), where the sub-language does. Anything the table
// does not hold, English included, is "NEUTRAL". Never null.
const char16_t* DisplayLanguageSection(std::uint16_t languageId) noexcept;
