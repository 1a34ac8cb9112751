// Bounded composition: printf-like number forms and cutting at the buffer's end.
#include "text_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Compose(std::size_t capacity, void (*build)(TextBuilder&)) {
  std::u16string buffer(capacity + 1, u'#');  // a guard unit past the capacity
  TextBuilder builder(buffer.data(), capacity);
  build(builder);
  EXPECT_EQ(buffer[capacity], u'#') << "wrote past the capacity";
  return std::u16string(buffer.c_str());
}

TEST(TextBuilder, NumbersFollowPrintfForms) {
  struct Row { std::int64_t value; int width; const char16_t* expected; };
  const Row rows[] = {
      {7, 4, u"0007"},       {123456, 4, u"123456"}, {0, 0, u"0"},
      {-5, 4, u"-005"},      {-5, 0, u"-5"},         {2147483647, 0, u"2147483647"},
      {INT64_MIN, 0, u"-9223372036854775808"},       {42, 2, u"42"},
  };
  for (const Row& row : rows) {
    std::u16string out(32, u'\0');
    TextBuilder(out.data(), out.size()).Decimal(row.value, row.width);
    EXPECT_EQ(std::u16string(out.c_str()), row.expected) << row.value << " width " << row.width;
  }
  struct HexRow { std::uint32_t value; int width; const char16_t* expected; };
  const HexRow hexRows[] = {{0x0202, 4, u"0202"}, {0xABCDEF12, 4, u"ABCDEF12"}, {0, 4, u"0000"}, {0x1F, 0, u"1F"}};
  for (const HexRow& row : hexRows) {
    std::u16string out(32, u'\0');
    TextBuilder(out.data(), out.size()).Hex(row.value, row.width);
    EXPECT_EQ(std::u16string(out.c_str()), row.expected) << row.value;
  }
}

TEST(TextBuilder, CutsAtCapacityAndStaysTerminated) {
  EXPECT_EQ(Compose(6, [](TextBuilder& b) { b.Text(u"abc").Ascii("defgh"); }), u"abcde");
  EXPECT_EQ(Compose(4, [](TextBuilder& b) { b.Decimal(123456); }), u"123");
  EXPECT_EQ(Compose(1, [](TextBuilder& b) { b.Text(u"x"); }), u"");
  EXPECT_EQ(Compose(8, [](TextBuilder& b) { b.Text(nullptr).Text(u"%s%d").Char(u'!'); }), u"%s%d!");

  char16_t buffer[4];
  TextBuilder exact(buffer, 4);
  exact.Text(u"abc");
  EXPECT_FALSE(exact.Truncated());
  exact.Char(u'd');
  EXPECT_TRUE(exact.Truncated());
  EXPECT_EQ(exact.Length(), 3u);

  // A cut never leaves half a surrogate pair, and nothing slips in after a cut.
  EXPECT_EQ(Compose(4, [](TextBuilder& b) { b.Text(u"ab\U0001F600"); }), u"ab");
  EXPECT_EQ(Compose(5, [](TextBuilder& b) { b.Text(u"ab\U0001F600"); }), u"ab\U0001F600");
  EXPECT_EQ(Compose(4, [](TextBuilder& b) { b.Text(u"ab\U0001F600").Char(u'c'); }), u"ab");
  EXPECT_EQ(Compose(4, [](TextBuilder& b) { b.Text(u"abcd").Text(u""); }), u"abc");

  TextBuilder none(nullptr, 10);  // no buffer: everything is cut, nothing is written
  none.Text(u"abc");
  EXPECT_TRUE(none.Truncated());
}

}  // namespace
