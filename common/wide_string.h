// Owned wide strings: one pointer to an exact-size, NUL-terminated, zero-filled UTF-16 block;
// null is the empty string. The holder releases it with WideStrFree. Every operation catches
// its own failures (a failed allocation included) and ends silently.
#pragma once
#include <cstdint>

void WideStrFree(wchar_t*& text) noexcept;
// Frees, then (when the low 16 bits of count are not 0) allocates count zero code units.
void WideStrAlloc(wchar_t*& text, std::uint32_t count) noexcept;
// Appends the whole of source (null: nothing happens); the result is sized exactly.
void WideStrAppend(wchar_t*& text, const wchar_t* source) noexcept;
// Appends one backslash to a non-empty text that does not already end in one.
void WideStrEnsureBackslash(wchar_t*& text) noexcept;
