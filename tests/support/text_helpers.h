// Text helpers of the tests: UTF-16 (or wide) text made readable in a failure message, and file
// bytes read as UTF-16LE.
#pragma once
#include <cstddef>
#include <string>

// Each code unit below 0x80 as it is, every other as '?': for messages and for comparing texts
// that are meant to be ASCII. Takes any sequence of code units (std::u16string, std::wstring,
// std::vector<char16_t>) or a terminated char16_t / wchar_t string.
template <typename Text>
std::string Narrow(const Text& text) {
  std::string out;
  for (auto unit : text) out += static_cast<unsigned long>(unit) < 0x80 ? static_cast<char>(unit) : '?';
  return out;
}

template <typename Unit>
std::string Narrow(const Unit* text) {
  return text ? Narrow(std::basic_string<Unit>(text)) : std::string("(null)");
}

// Bytes read as UTF-16LE code units (a byte-order mark stays in as U+FEFF; an odd last byte is
// dropped).
inline std::wstring Utf16Text(const std::string& bytes) {
  std::wstring text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}
