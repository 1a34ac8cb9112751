// The control panel's composed texts (see panel_texts.h).
#include "panel_texts.h"

#include "text_builder.h"

std::size_t ComposeIntervalLabel(char16_t* buffer, std::size_t capacity, const char16_t* label,
                                 std::uint32_t value, const char16_t* unit) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(label).Char(u' ').Decimal(value).Char(u' ').Text(unit);
  return builder.Length();
}

std::size_t ComposeUnknownLabel(char16_t* buffer, std::size_t capacity, const char16_t* label,
                                const char16_t* unknown) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(label).Char(u' ').Text(unknown);
  return builder.Length();
}

std::size_t ComposeCountBalloon(char16_t* buffer, std::size_t capacity, const CountBalloonTexts& texts) noexcept {
  TextBuilder builder(buffer, capacity);
  for (int i = 0; i < 3; ++i) {
    // Counts are unsigned: a counter past 2^31 must not turn negative in the balloon.
    builder.Char(u'\n').Text(texts.Labels[i]).Char(u' ').Decimal(texts.Counts[i]).Char(u' ').Text(texts.Unit);
  }
  return builder.Length();
}

std::size_t ComposeAboutText(char16_t* buffer, std::size_t capacity, const AboutTexts& texts) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(texts.ProductName).Ascii(" (OEM for ").Text(texts.OemDomain).Ascii(")\n");
  builder.Char(u'\n');
  builder.Ascii("   ").Text(texts.ProviderLabel).Char(u' ').Text(texts.Maker).Char(u'\n');
  builder.Ascii("   ").Text(texts.VersionLabel).Char(u' ').Text(texts.Version).Char(u'\n');
  builder.Ascii("   ").Text(texts.ReleaseDateLabel).Char(u' ').Text(texts.ReleaseDate).Char(u'\n');
  builder.Ascii("   ").Text(texts.LanguageLabel).Char(u' ').Text(texts.LanguageName);
  builder.Ascii(" (").Text(texts.LanguageProvider).Ascii(")\n");
  return builder.Length();
}

std::size_t ComposeInfoText(char16_t* buffer, std::size_t capacity, const char16_t* product,
                            const char16_t* version, const char16_t* maker) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(product).Char(u' ').Text(version).Ascii("\r\n").Text(maker);
  return builder.Length();
}

std::size_t ComposeTrayTip(char16_t* buffer, std::size_t capacity, const TrayTipTexts& texts, bool filtering,
                           const std::uint32_t (&counts)[3]) noexcept {
  TextBuilder builder(buffer, capacity);
  builder.Text(texts.Title).Ascii(" ").Char(u'\u2014').Ascii(" ");
  if (!filtering) {
    builder.Text(texts.Off);
    return builder.Length();
  }
  // Three 32-bit counts cannot overflow a 64-bit sum.
  const std::int64_t total = std::int64_t{counts[0]} + counts[1] + counts[2];
  builder.Text(texts.Filtering).Ascii(", ").Decimal(total).Char(u' ').Text(texts.Swallowed);
  return builder.Length();
}

std::size_t CopyToField(char16_t* field, std::size_t capacity, const char16_t* text) noexcept {
  TextBuilder builder(field, capacity);
  builder.Text(text);
  return builder.Length();
}
