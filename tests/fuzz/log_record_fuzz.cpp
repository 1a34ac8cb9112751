// Arbitrary drained bytes through the record walk and the line format: nothing may be read
// outside the bytes, and every line must fit its buffer and close with its code and CR LF.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "log_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The drain never delivers more than the cache holds; the input buffer is exactly `size`
  // bytes, so AddressSanitizer catches any read past the drained count.
  if (size > kLogDrainBufferSize) size = kLogDrainBufferSize;
  BlockLogLines lines(data, size);
  std::size_t count = 0;
  while (lines.Next()) {
    ++count;
    const char16_t* line = lines.Line();
    const std::size_t length = lines.Length();
    if (length == 0 || length >= kLogLineCapacity || line[length] != 0) __builtin_trap();
    if (line[0] != u'[' || line[length - 2] != u'\r' || line[length - 1] != u'\n' || line[length - 3] != u'>') {
      __builtin_trap();
    }
    // Whole records of at least 26 bytes each: the walk can not yield more lines than that.
    if (count * 26 > size) __builtin_trap();
  }
  if (lines.Stop() == BlockLogStop::Walking) __builtin_trap();
  return 0;
}
