// Bounded UTF-16 text composition (see text_builder.h).
#include "text_builder.h"

TextBuilder::TextBuilder(char16_t* buffer, std::size_t capacity) noexcept
    : buffer_(buffer), capacity_(buffer ? capacity : 0) {
  if (capacity_ > 0) buffer_[0] = 0;
}

void TextBuilder::Put(char16_t c) noexcept {
  // Once cut, a text stays cut: nothing shorter may slip in after the cut.
  if (truncated_) return;
  if (length_ + 1 >= capacity_) {
    truncated_ = true;
    // Half a surrogate pair at the cut would be drawn as a box: the whole character goes.
    if (length_ > 0 && buffer_[length_ - 1] >= 0xD800 && buffer_[length_ - 1] <= 0xDBFF) buffer_[--length_] = 0;
    return;
  }
  buffer_[length_++] = c;
  buffer_[length_] = 0;
}

TextBuilder& TextBuilder::Text(const char16_t* text) noexcept {
  if (text) {
    for (; *text; ++text) Put(*text);
  }
  return *this;
}

TextBuilder& TextBuilder::Ascii(const char* text) noexcept {
  if (text) {
    for (; *text; ++text) Put(static_cast<char16_t>(static_cast<unsigned char>(*text)));
  }
  return *this;
}

TextBuilder& TextBuilder::Char(char16_t c) noexcept {
  Put(c);
  return *this;
}

TextBuilder& TextBuilder::Decimal(std::int64_t value, int width) noexcept {
  // Magnitude as unsigned so the most negative value needs no special case.
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) Put(u'-');
  for (int pad = width - count - (negative ? 1 : 0); pad > 0; --pad) Put(u'0');
  while (count > 0) Put(digits[--count]);
  return *this;
}

TextBuilder& TextBuilder::Hex(std::uint32_t value, int width) noexcept {
  char16_t digits[8];
  int count = 0;
  do {
    digits[count++] = u"0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  for (int pad = width - count; pad > 0; --pad) Put(u'0');
  while (count > 0) Put(digits[--count]);
  return *this;
}

std::size_t Utf16Length(const char16_t* text) noexcept {
  std::size_t length = 0;
  if (text) {
    while (text[length]) ++length;
  }
  return length;
}
