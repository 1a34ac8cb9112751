// Owned UTF-16 strings: zero-filled allocation, 16-bit counts, exact appends, the backslash rule.
#include "owned_string.h"
#include "text_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(const char16_t* text) { return text ? std::u16string(text) : u"(null)"; }

TEST(OwnedString, AllocCountsOnlyTheLow16Bits) {
  struct Row { std::uint32_t count; std::uint32_t units; };  // units 0: null
  const Row rows[] = {{24, 24}, {1, 1}, {0, 0}, {65535, 65535}, {65536, 0}, {65537, 1}, {0x10018, 24}};
  for (const Row& row : rows) {
    char16_t* text = nullptr;
    WideStrAppend(text, u"old");  // released first
    WideStrAlloc(text, row.count);
    if (row.units == 0) {
      EXPECT_EQ(text, nullptr) << row.count;
      continue;
    }
    ASSERT_NE(text, nullptr) << row.count;
    std::uint32_t nonZero = 0;
    for (std::uint32_t i = 0; i < row.units; ++i) nonZero += text[i] != 0;  // ASan: the block holds them all
    EXPECT_EQ(nonZero, 0u) << row.count;
    WideStrFree(text);
  }
}

TEST(OwnedString, AppendBuildsExactlyTheCombinedText) {
  struct Row { const char16_t* start; const char16_t* source; const char16_t* expected; };
  const Row rows[] = {
      {nullptr, u"Quillon.cfg", u"Quillon.cfg"},
      {u"C:\\Tools\\", u"Quillon.cfg", u"C:\\Tools\\Quillon.cfg"},  // 8 + 11 characters
      {nullptr, u"", u""},                                          // a one-unit block, not null
      {u"abc", u"", u"abc"},
      {u"abc", nullptr, u"abc"},
      {nullptr, nullptr, nullptr},
  };
  for (const Row& row : rows) {
    char16_t* text = nullptr;
    WideStrAppend(text, row.start);
    WideStrAppend(text, row.source);
    EXPECT_EQ(Text(text), Text(row.expected)) << Narrow(row.start) << " + " << Narrow(row.source);
    WideStrFree(text);
  }
}

TEST(OwnedString, AppendOfItselfAndAtTheSixteenBitLimit) {
  char16_t* text = nullptr;
  WideStrAppend(text, u"ab");
  WideStrAppend(text, text);  // the source is freed by the reallocation; it must be read first
  EXPECT_EQ(Text(text), u"abab");

  // 65534 characters fill the largest block; one more would wrap the count to a tiny block.
  WideStrFree(text);
  const std::u16string big(65533, u'x');
  WideStrAppend(text, big.c_str());
  WideStrAppend(text, u"y");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text).size(), 65534u);
  WideStrAppend(text, u"z");
  EXPECT_EQ(std::u16string(text).size(), 65534u) << "an append past 16 bits leaves the string as it was";
  EXPECT_EQ(text[65533], u'y');

  char16_t* fresh = nullptr;
  const std::u16string tooBig(65535, u'x');
  WideStrAppend(fresh, tooBig.c_str());
  EXPECT_EQ(fresh, nullptr);
  WideStrFree(text);
}

TEST(OwnedString, EnsureBackslashAddsExactlyOne) {
  struct Row { const char16_t* start; const char16_t* expected; };
  const Row rows[] = {
      {u"C:\\Tools", u"C:\\Tools\\"}, {u"C:\\Tools\\", u"C:\\Tools\\"}, {u"C:\\", u"C:\\"},
      {u"", u""},                     {nullptr, nullptr},               {u"dir/", u"dir/\\"},
  };
  for (const Row& row : rows) {
    char16_t* text = nullptr;
    WideStrAppend(text, row.start);
    WideStrEnsureBackslash(text);
    EXPECT_EQ(Text(text), Text(row.expected)) << Narrow(row.start);
    WideStrFree(text);
  }
}

TEST(OwnedString, FreeTwiceIsHarmless) {
  char16_t* text = nullptr;
  WideStrAppend(text, u"x");
  WideStrFree(text);
  EXPECT_EQ(text, nullptr);
  WideStrFree(text);
  EXPECT_EQ(text, nullptr);
}

}  // namespace
