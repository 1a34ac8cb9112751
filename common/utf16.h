// The Windows side speaks wchar_t, the portable core char16_t; on Windows both are UTF-16 code
// units of the same size, so the glue converts pointers, never text.
#pragma once
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline char16_t* AsUtf16(wchar_t* text) noexcept { return reinterpret_cast<char16_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) noexcept { return reinterpret_cast<const char16_t*>(text); }
inline wchar_t* AsWide(char16_t* text) noexcept { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* AsWide(const char16_t* text) noexcept { return reinterpret_cast<const wchar_t*>(text); }
