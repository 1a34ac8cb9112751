// Decimal text to a 32-bit integer the way the C library's conversion reads it: stored settings
// are hand-editable text, so blanks, signs and trailing letters must read as users expect.
#pragma once
#include <cstdint>

// Skips leading white space, takes an optional '+' or '-', then decimal digits up to the first
// other character; text without digits (or null) gives 0. Overflow is not detected: the value
// wraps like a 32-bit int, so "4294967295" reads as -1.
std::int32_t ParseDecimal(const char16_t* text) noexcept;

// A number the user typed into a box, read strictly, unlike a stored setting: blanks around it,
// ASCII digits and nothing else. False for empty text, signs, letters, other digits, a null text
// or a value past 999999999 (so no overflow can make a large number look small).
bool ReadTypedNumber(const char16_t* text, std::uint32_t& value) noexcept;
