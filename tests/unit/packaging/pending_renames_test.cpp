// The installer's rule over the operations left for the next start: every pair that would
// delete, move or replace an installed file goes, everything else stays as it was.
#include "pending_renames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// A multi-string from its strings: each ended by a NUL, the list by one more.
std::u16string Value(const std::vector<std::u16string>& strings) {
  std::u16string value;
  for (const std::u16string& text : strings) value.append(text).push_back(u'\0');
  value.push_back(u'\0');
  return value;
}

const std::u16string kDll = u"C:\\Program Files\\Quillon\\Latchkin.dll";
const std::u16string kExe = u"C:\\Program Files\\Quillon\\Quillon.exe";
const std::vector<std::u16string> kInstalled = {kDll, kExe};

TEST(PendingRenames, OperationsOnInstalledFilesGoTheRestStays) {
  struct Row {
    const char* name;
    std::u16string value;
    std::u16string expected;
    std::size_t removed;
  };
  const std::u16string other = u"\\??\\C:\\Temp\\setup.tmp";
  const std::u16string retired = u"\\??\\C:\\Program Files\\Quillon\\Latchkin.dll.4711.42.old";
  const Row rows[] = {
      {"deletion of the installed library", Value({u"\\??\\" + kDll, u""}), u"", 1},
      {"letter case differs", Value({u"\\??\\c:\\PROGRAM FILES\\quillon\\latchkin.DLL", u""}), u"", 1},
      {"without the \\??\\ prefix", Value({kExe, u""}), u"", 1},
      {"replacement of an installed file", Value({other, u"!\\??\\" + kDll}), u"", 1},
      {"a move away of an installed file", Value({u"\\??\\" + kExe, u"\\??\\C:\\elsewhere.exe"}), u"", 1},
      {"the retired copy's deletion stays", Value({retired, u""}), Value({retired, u""}), 0},
      {"other programs' operations stay, in order",
       Value({other, u"", u"\\??\\" + kDll, u"", retired, u"", other, u"!\\??\\C:\\Temp\\b"}),
       Value({other, u"", retired, u"", other, u"!\\??\\C:\\Temp\\b"}), 1},
      {"a longer name is another file", Value({u"\\??\\" + kDll + u"x", u""}), Value({u"\\??\\" + kDll + u"x", u""}),
       0},
      {"empty value", u"", u"", 0},
      {"only the closing NUL", u"\0"s, u"", 0},
      {"malformed: a last source without destination stays", u"\\??\\C:\\a\0"s, u"\\??\\C:\\a\0\0"s, 0},
      {"no closing NUL", u"\\??\\C:\\a\0\0\\??\\C:\\b\0"s, u"\\??\\C:\\a\0\0\\??\\C:\\b\0\0"s, 0},
  };
  for (const Row& row : rows) {
    std::size_t removed = 99;
    EXPECT_EQ(WithoutOperationsOn(row.value, kInstalled, removed), row.expected) << row.name;
    EXPECT_EQ(removed, row.removed) << row.name;
  }
}

}  // namespace
