// The panel's composed texts: exact forms, and every form bounded with the longest language
// texts (126 characters for long texts, 22 for short ones).
#include "panel_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

const std::u16string kLong(126, u'L');   // the longest long text
const std::u16string kShort(22, u's');   // the longest short text

// Composes into a buffer of exactly capacity units followed by guard units, and fails when
// the composition wrote past the capacity or left the text unterminated.
std::u16string Compose(std::size_t capacity, const std::function<std::size_t(char16_t*, std::size_t)>& compose) {
  std::u16string buffer(capacity + 8, u'#');
  const std::size_t length = compose(buffer.data(), capacity);
  for (std::size_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], u'#') << "wrote past unit " << i;
  EXPECT_LT(length, capacity);
  EXPECT_EQ(buffer[length], u'\0');
  return std::u16string(buffer.c_str());
}

TEST(PanelTexts, IntervalLabels) {
  struct Row { const char* name; const char16_t* label; std::uint32_t value; const char16_t* unit; std::u16string expected; };
  const Row rows[] = {
      {"plain", u"Up/down interval:", 40, u"ms", u"Up/down interval: 40 ms"},
      {"largest accepted", u"Double click:", 9999, u"ms", u"Double click: 9999 ms"},
      {"unsigned, never negative", u"x", 4294967295u, u"ms", u"x 4294967295 ms"},
      {"percent signs stay", u"%s %d", 7, u"%n", u"%s %d 7 %n"},
      {"empty texts", u"", 0, u"", u" 0 "},
      {"longest texts fit whole", kLong.c_str(), 4294967295u, kShort.c_str(),
       kLong + u" 4294967295 " + kShort},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Compose(kIntervalLabelCapacity,
                      [&](char16_t* b, std::size_t c) { return ComposeIntervalLabel(b, c, row.label, row.value, row.unit); }),
              row.expected)
        << row.name;
  }
  EXPECT_EQ(Compose(kIntervalLabelCapacity,
                    [&](char16_t* b, std::size_t c) { return ComposeUnknownLabel(b, c, kLong.c_str(), kShort.c_str()); }),
            kLong + u" " + kShort);
  EXPECT_EQ(Compose(8, [](char16_t* b, std::size_t c) { return ComposeIntervalLabel(b, c, u"Wheel", 40, u"ms"); }),
            u"Wheel 4");
}

TEST(PanelTexts, CountBalloon) {
  const CountBalloonTexts plain{{u"Chatter:", u"Double clicks:", u"Wheel:"}, {3, 0, 4294967295u}, u"times"};
  EXPECT_EQ(Compose(kBalloonTextCapacity, [&](char16_t* b, std::size_t c) { return ComposeCountBalloon(b, c, plain); }),
            u"\nChatter: 3 times\nDouble clicks: 0 times\nWheel: 4294967295 times");

  // Three 126-character labels make a text far longer than the balloon field: it is cut to
  // 255 characters and keeps its leading line feed.
  const CountBalloonTexts longest{{kLong.c_str(), kLong.c_str(), kLong.c_str()}, {1, 2, 3}, kShort.c_str()};
  const std::u16string cut =
      Compose(kBalloonTextCapacity, [&](char16_t* b, std::size_t c) { return ComposeCountBalloon(b, c, longest); });
  EXPECT_EQ(cut.size(), kBalloonTextCapacity - 1);
  EXPECT_EQ(cut.substr(0, 2 + 126 + 3), u"\n" + kLong + u" 1 " + kShort.substr(0, 1));
}

TEST(PanelTexts, AboutText) {
  AboutTexts texts{u"Quillon mouse filter", u"partner.example", u"Maker:", u"Velmora Workshop",
                   u"Version:", u"01.00.1020.0000", u"Released:", u"2008-08-11",
                   u"Language:", u"English", u"Team"};
  EXPECT_EQ(Compose(kAboutTextCapacity, [&](char16_t* b, std::size_t c) { return ComposeAboutText(b, c, texts); }),
            u"Quillon mouse filter (OEM for partner.example)\n"
            u"\n"
            u"   Maker: Velmora Workshop\n"
            u"   Version: 01.00.1020.0000\n"
            u"   Released: 2008-08-11\n"
            u"   Language: English (Team)\n");

  // With every language text at its capacity the six lines still fit whole.
  texts.ProductName = kLong.c_str();
  texts.ProviderLabel = texts.VersionLabel = texts.ReleaseDateLabel = texts.LanguageLabel = kShort.c_str();
  texts.LanguageName = texts.LanguageProvider = kShort.c_str();
  const std::u16string full =
      Compose(kAboutTextCapacity, [&](char16_t* b, std::size_t c) { return ComposeAboutText(b, c, texts); });
  EXPECT_EQ(full.back(), u'\n');
  EXPECT_EQ(std::count(full.begin(), full.end(), u'\n'), 6);
  EXPECT_NE(full.find(u"   " + kShort + u" " + kShort + u" (" + kShort + u")\n"), std::u16string::npos);
}

TEST(PanelTexts, TrayTip) {
  const TrayTipTexts plain{u"Quillon", u"filtering", u"off", u"swallowed"};
  const TrayTipTexts longest{kLong.c_str(), kShort.c_str(), kShort.c_str(), kShort.c_str()};
  struct Row {
    const char* name;
    const TrayTipTexts& texts;
    bool filtering;
    std::uint32_t counts[3];
    std::u16string expected;
  };
  const Row rows[] = {
      {"off: no counts", plain, false, {5, 6, 7}, u"Quillon \u2014 off"},
      {"filtering, nothing swallowed", plain, true, {0, 0, 0}, u"Quillon \u2014 filtering, 0 swallowed"},
      {"the three counts summed", plain, true, {5, 6, 1}, u"Quillon \u2014 filtering, 12 swallowed"},
      {"a sum past 32 bits", plain, true, {4294967295u, 4294967295u, 2},
       u"Quillon \u2014 filtering, 8589934592 swallowed"},
      // The longest texts run past the tooltip field: cut to its 127 characters.
      {"longest texts cut to the field", longest, true, {1, 2, 3},
       (kLong + u" \u2014 " + kShort + u", 6 " + kShort).substr(0, kTrayTipCapacity - 1)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Compose(kTrayTipCapacity,
                      [&](char16_t* b, std::size_t c) { return ComposeTrayTip(b, c, row.texts, row.filtering, row.counts); }),
              row.expected)
        << row.name;
  }
}

TEST(PanelTexts, FieldsAreCutToTheirCapacity) {
  struct Row { const char* name; std::size_t capacity; std::size_t expectedLength; };
  const Row rows[] = {
      {"balloon title keeps 63", kBalloonTitleCapacity, 63},
      {"tooltip keeps all 126", kTrayTipCapacity, 126},
      {"balloon keeps all 126", kBalloonTextCapacity, 126},
      {"empty field stays empty", 1, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Compose(row.capacity, [&](char16_t* b, std::size_t c) { return CopyToField(b, c, kLong.c_str()); }),
              kLong.substr(0, row.expectedLength))
        << row.name;
  }
  EXPECT_EQ(Compose(kInfoTextCapacity,
                    [](char16_t* b, std::size_t c) { return ComposeInfoText(b, c, u"Quillon", u"01.00", u"Maker"); }),
            u"Quillon 01.00\r\nMaker");
}

}  // namespace
