// Bounded UTF-16 text composition: every text the programs build from language texts and
// numbers (labels, balloons, the usage and about boxes, log lines) goes through this, so no
// text of any length can overflow the buffer it is composed into. Texts are only ever inserted
// as values, never used as formats, so a "%" in a language text is shown as it stands.
#pragma once
#include <cstddef>
#include <cstdint>

class TextBuilder {
 public:
  // capacity counts code units including the terminator; the buffer is terminated at once.
  TextBuilder(char16_t* buffer, std::size_t capacity) noexcept;

  // Appends a NUL-terminated text; null appends nothing.
  TextBuilder& Text(const char16_t* text) noexcept;
  // Appends an ASCII literal ("\n", " (OEM for ") without a char16_t spelling at the call site.
  TextBuilder& Ascii(const char* text) noexcept;
  TextBuilder& Char(char16_t c) noexcept;
  // Like printf's "%0<width>d": the sign counts towards width, zeros go after the sign.
  TextBuilder& Decimal(std::int64_t value, int width = 0) noexcept;
  // Like printf's "%0<width>X" for an unsigned value: upper-case hexadecimal digits.
  TextBuilder& Hex(std::uint32_t value, int width = 0) noexcept;

  std::size_t Length() const noexcept { return length_; }
  // True once anything was cut because the buffer was full. A cut text takes nothing more, and
  // never ends in the first half of a surrogate pair.
  bool Truncated() const noexcept { return truncated_; }

 private:
  void Put(char16_t c) noexcept;

  char16_t* buffer_;
  std::size_t capacity_;
  std::size_t length_ = 0;
  bool truncated_ = false;
};

// Length of a NUL-terminated UTF-16 text.
std::size_t Utf16Length(const char16_t* text) noexcept;
