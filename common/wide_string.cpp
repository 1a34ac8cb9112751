// Owned wide strings of the programs: the wchar_t face of the portable operations
// (core/owned_string.h), which hold the sizing rules.
#include "wide_string.h"

#include "core/owned_string.h"
#include "utf16.h"

namespace {

// Runs a portable operation on the string and hands back whatever block it ends up holding.
template <typename Operation>
void OnUtf16(wchar_t*& text, Operation operation) noexcept {
  char16_t* owned = AsUtf16(text);
  operation(owned);
  text = AsWide(owned);
}

}  // namespace

void WideStrFree(wchar_t*& text) noexcept {
  OnUtf16(text, [](char16_t*& owned) { WideStrFree(owned); });
}

void WideStrAlloc(wchar_t*& text, std::uint32_t count) noexcept {
  OnUtf16(text, [count](char16_t*& owned) { WideStrAlloc(owned, count); });
}

void WideStrAppend(wchar_t*& text, const wchar_t* source) noexcept {
  OnUtf16(text, [source](char16_t*& owned) { WideStrAppend(owned, AsUtf16(source)); });
}

void WideStrEnsureBackslash(wchar_t*& text) noexcept {
  OnUtf16(text, [](char16_t*& owned) { WideStrEnsureBackslash(owned); });
}
