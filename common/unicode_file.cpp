// The UTF-16LE byte-order mark (see unicode_file.h).
#include "unicode_file.h"

bool WriteByteOrderMark(HANDLE file) {
  static const BYTE kByteOrderMark[2] = {0xFF, 0xFE};
  DWORD written = 0;
  return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
         WriteFile(file, kByteOrderMark, sizeof kByteOrderMark, &written, nullptr) && written == sizeof kByteOrderMark;
}
