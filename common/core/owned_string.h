// Owned UTF-16 strings on the portable side: one pointer to an exact-size, NUL-terminated,
// zero-filled block, null being the empty string. The Windows glue (wide_string.h) forwards here.
#pragma once
#include <cstdint>

// Counts are 16-bit: a block holds at most this many code units, terminator included.
inline constexpr std::uint32_t kOwnedStringMaxUnits = 0xFFFF;

void WideStrFree(char16_t*& text) noexcept;
// Frees, then (when the low 16 bits of count are not 0) allocates count zero code units.
// After a failed allocation the string is null.
void WideStrAlloc(char16_t*& text, std::uint32_t count) noexcept;
// Appends the whole of source (null: nothing happens); the result is sized exactly. A result
// that would not fit a 16-bit count leaves the string as it was.
void WideStrAppend(char16_t*& text, const char16_t* source) noexcept;
// Appends one backslash to a non-empty text that does not already end in one.
void WideStrEnsureBackslash(char16_t*& text) noexcept;
