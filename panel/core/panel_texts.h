// The control panel's composed texts (interval labels, count balloon, about text, fixed info
// text), each built from language texts and numbers and cut to the buffer or platform field
// it is composed into, so no language text of any length can overflow it.
#pragma once
#include <cstddef>
#include <cstdint>

// An interval label holds a long text (126), a number and a short unit word (22) with room
// to spare; the balloon, tip and title capacities are those of the notification-icon record.
inline constexpr std::size_t kIntervalLabelCapacity = 256;
inline constexpr std::size_t kBalloonTextCapacity = 256;   // at most 255 characters
inline constexpr std::size_t kTrayTipCapacity = 128;       // at most 127 characters
inline constexpr std::size_t kBalloonTitleCapacity = 64;   // at most 63 characters
inline constexpr std::size_t kAboutTextCapacity = 512;     // at most 511 characters
inline constexpr std::size_t kInfoTextCapacity = 128;

// "<label> <value> <unit>"; returns the length composed.
std::size_t ComposeIntervalLabel(char16_t* buffer, std::size_t capacity, const char16_t* label,
                                 std::uint32_t value, const char16_t* unit) noexcept;
// "<label> <unknown>", shown while the hook library is not available.
std::size_t ComposeUnknownLabel(char16_t* buffer, std::size_t capacity, const char16_t* label,
                                const char16_t* unknown) noexcept;

// The three blocked counts and their labels, always in the order up/down, double click,
// wheel reversal.
struct CountBalloonTexts {
  const char16_t* Labels[3];
  std::uint32_t Counts[3];
  const char16_t* Unit;
};
// "\n<label> <count> <unit>" three times: the balloon begins with a line feed.
std::size_t ComposeCountBalloon(char16_t* buffer, std::size_t capacity, const CountBalloonTexts& texts) noexcept;

struct AboutTexts {
  const char16_t* ProductName;    // first line
  const char16_t* OemDomain;      // "(OEM for <domain>)" after the product name
  const char16_t* ProviderLabel;
  const char16_t* Maker;
  const char16_t* VersionLabel;
  const char16_t* Version;
  const char16_t* ReleaseDateLabel;
  const char16_t* ReleaseDate;
  const char16_t* LanguageLabel;
  const char16_t* LanguageName;
  const char16_t* LanguageProvider;
};
// Six lines, each ended by a line feed: the product line, an empty line, then the maker,
// version, release date and language lines, each indented by three spaces.
std::size_t ComposeAboutText(char16_t* buffer, std::size_t capacity, const AboutTexts& texts) noexcept;

// "<product> <version>" over "<maker>": the fixed text beside the action buttons.
std::size_t ComposeInfoText(char16_t* buffer, std::size_t capacity, const char16_t* product,
                            const char16_t* version, const char16_t* maker) noexcept;

// The notification icon's tooltip: "<title> — <filtering>, <count> <swallowed>" while the filter
// is on, "<title> — <off>" while it is off. The count is the sum of the three blocked counts.
struct TrayTipTexts {
  const char16_t* Title;
  const char16_t* Filtering;
  const char16_t* Off;
  const char16_t* Swallowed;
};
std::size_t ComposeTrayTip(char16_t* buffer, std::size_t capacity, const TrayTipTexts& texts, bool filtering,
                           const std::uint32_t (&counts)[3]) noexcept;

// Copies text into a fixed field of capacity units, cut to capacity - 1 and terminated.
std::size_t CopyToField(char16_t* field, std::size_t capacity, const char16_t* text) noexcept;
