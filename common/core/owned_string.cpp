// Owned UTF-16 strings with exact sizing (see owned_string.h).
#include "owned_string.h"

#include <cstddef>
#include <new>

#include "text_builder.h"

namespace {

void CopyUnits(char16_t* target, const char16_t* source, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) target[i] = source[i];
}

}  // namespace

void WideStrFree(char16_t*& text) noexcept {
  delete[] text;
  text = nullptr;
}

void WideStrAlloc(char16_t*& text, std::uint32_t count) noexcept {
  WideStrFree(text);
  count &= 0xFFFFu;
  if (count == 0) return;
  // The zero fill is what terminates a work buffer wherever a profile read stops.
  text = new (std::nothrow) char16_t[count]();
}

void WideStrAppend(char16_t*& text, const char16_t* source) noexcept {
  if (!source) return;
  const std::size_t sourceLength = Utf16Length(source);
  const std::size_t currentLength = text ? Utf16Length(text) : 0;
  // A count past 16 bits would wrap to a tiny block and the copy would run past its end.
  if (currentLength + sourceLength + 1 > kOwnedStringMaxUnits) return;

  if (!text) {
    WideStrAlloc(text, static_cast<std::uint32_t>(sourceLength + 1));
    if (text) CopyUnits(text, source, sourceLength);
    return;
  }
  // Built aside first: source may point into text itself, which the reallocation frees.
  const std::size_t combinedLength = currentLength + sourceLength;
  char16_t* combined = new (std::nothrow) char16_t[combinedLength + 1]();
  if (!combined) return;
  CopyUnits(combined, text, currentLength);
  CopyUnits(combined + currentLength, source, sourceLength);
  WideStrAlloc(text, static_cast<std::uint32_t>(combinedLength + 1));
  if (text) CopyUnits(text, combined, combinedLength);
  delete[] combined;
}

void WideStrEnsureBackslash(char16_t*& text) noexcept {
  if (!text || text[0] == 0) return;
  if (text[Utf16Length(text) - 1] == u'\\') return;
  WideStrAppend(text, u"\\");
}
