// C-library-style decimal conversion of settings text (see decimal.h).
#include "decimal.h"

namespace {

bool IsBlank(char16_t c) noexcept {
  // The C library's white space: space, tab, line feed, vertical tab, form feed, carriage return.
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

std::int32_t ParseDecimal(const char16_t* text) noexcept {
  if (!text) return 0;
  while (IsBlank(*text)) ++text;
  bool negative = false;
  if (*text == u'+' || *text == u'-') {
    negative = *text == u'-';
    ++text;
  }
  // Unsigned arithmetic wraps by definition, which is exactly the conversion's overflow.
  std::uint32_t value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) value = value * 10u + static_cast<std::uint32_t>(*text - u'0');
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

bool ReadTypedNumber(const char16_t* text, std::uint32_t& value) noexcept {
  constexpr std::uint32_t kMaxDigits = 9;  // 999999999 fits 32 bits with room
  value = 0;
  if (!text) return false;
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (blank(*text)) ++text;
  std::uint32_t digits = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) {
    if (++digits > kMaxDigits) return false;
    value = value * 10 + static_cast<std::uint32_t>(*text - u'0');
  }
  while (blank(*text)) ++text;
  return digits > 0 && *text == 0;
}
