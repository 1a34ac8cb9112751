// A number typed into a box, read strictly: whole ASCII digits with blanks around, nothing else.
#include "decimal.h"

#include <gtest/gtest.h>

namespace {

TEST(TypedNumber, DigitsOnlyWithBlanksAround) {
  struct Row { const char16_t* text; bool read; std::uint32_t value; };
  const Row rows[] = {
      {u"40", true, 40},          {u"0040", true, 40},        {u" 9999\t", true, 9999},
      {u"0", true, 0},            {u"10000", true, 10000},    {u"999999999", true, 999999999},
      {u"", false, 0},            {u"  ", false, 0},          {u"1000000000", false, 0},
      {u"4294967336", false, 0},  {u"-1", false, 0},          {u"+5", false, 0},
      {u"4x", false, 0},          {u"4 0", false, 0},         {u"\uFF14\uFF10", false, 0},  // full-width digits
      {nullptr, false, 0},
  };
  for (const Row& row : rows) {
    std::uint32_t value = 12345;
    EXPECT_EQ(ReadTypedNumber(row.text, value), row.read) << (row.text ? "row" : "null");
    if (row.read) {
      EXPECT_EQ(value, row.value);
    }
  }
}

}  // namespace
