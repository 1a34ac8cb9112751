// Fuzzes the decimal conversion of stored settings and typed intervals: it agrees with the C
// library wherever no overflow is involved and round-trips through the settings' decimal writer.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "decimal.h"
#include "text_builder.h"
#include "text_helpers.h"

namespace {

// Round trip through the writer of settings: "%d" of the value reads back as the value.
void CheckRoundTrip(std::int32_t value) {
  // "-2147483648" is 11 characters; an exactly sized buffer lets AddressSanitizer see an overrun.
  std::vector<char16_t> text(12);
  TextBuilder builder(text.data(), text.size());
  builder.Decimal(value);
  if (builder.Truncated() || text[builder.Length()] != 0) __builtin_trap();
  if (ParseDecimal(text.data()) != value) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input is UTF-16LE text; an exactly sized, terminated copy, so a read past the terminator
  // is a heap overflow.
  std::vector<char16_t> text;
  text.reserve(size / 2 + 1);
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  text.push_back(0);
  text.shrink_to_fit();

  const std::int32_t value = ParseDecimal(text.data());

  // The text as the C library sees it: ASCII stays, every other code unit becomes '?', neither
  // blank, sign nor digit, exactly as the conversion must treat it; the C library stops at the
  // first 0 as the conversion does.
  const std::string narrow = Narrow(text);
  errno = 0;
  char* end = nullptr;
  const long long reference = std::strtoll(narrow.c_str(), &end, 10);
  // Without overflow in 64 bits, the 32-bit conversion is the C library's value taken modulo 2^32.
  if (errno != ERANGE &&
      static_cast<std::uint32_t>(value) != static_cast<std::uint32_t>(static_cast<unsigned long long>(reference))) {
    __builtin_trap();
  }

  CheckRoundTrip(value);
  return 0;
}
