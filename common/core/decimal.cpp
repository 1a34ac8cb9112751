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
