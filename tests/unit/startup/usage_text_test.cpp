// Quillrun's usage text: the eight lines of its layout, and cutting at the 512-unit buffer.
#include "text_helpers.h"
#include "usage_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::u16string;

// The box's lines as a reader sees them, joined the way the box shows them.
u16string Lines(const UsageTexts& t) {
  const std::vector<u16string> lines = {
      t.CmdLineUsage,
      u"",
      u"<" + u16string(t.Format) + u">",
      u"    Quillrun.exe /[REG|UNREG]",
      u"<" + u16string(t.Sample) + u">",
      u"    " + u16string(t.Run),
      u"    " + u16string(t.AddStartup) + u" Quillrun.exe /REG",
      u"    " + u16string(t.RemoveStartup) + u" Quillrun.exe /UNREG",
  };
  u16string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) joined += (i ? u"\n" : u"") + lines[i];
  return joined;
}

struct Composed {
  u16string text;
  bool complete;
};

// Composes into kUsageTextCapacity units behind which guard units must stay untouched, and
// checks that every unit from the terminator to the end of the buffer is zero.
Composed Compose(const UsageTexts& texts) {
  std::vector<char16_t> buffer(kUsageTextCapacity + 4, u'#');
  const bool complete = ComposeUsageText(buffer.data(), kUsageTextCapacity, texts);
  for (std::size_t i = kUsageTextCapacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], u'#') << "wrote past the buffer";
  const u16string text(buffer.data());
  for (std::size_t i = text.size(); i < kUsageTextCapacity; ++i) {
    EXPECT_EQ(buffer[i], 0) << "unit " << i << " behind the text is not zero";
    if (buffer[i] != 0) break;
  }
  return {text, complete};
}

const UsageTexts kKeyNames = {u"TEXT_CMDLINEUSAGE", u"TEXT_FORMAT", u"TEXT_SAMPLE",
                              u"TEXT_RUN", u"TEXT_ADDSTARTUP", u"TEXT_REMOVESTARTUP"};

TEST(UsageText, TextsThatFitAreSetIntoTheEightLines) {
  struct Row { const char* name; UsageTexts texts; };
  const Row rows[] = {
      {"key names", kKeyNames},
      {"all empty", {u"", u"", u"", u"", u"", u""}},
      {"format characters shown as they stand", {u"%s%d%n", u"%", u"%%", u"%ls", u"100%", u"\\n"}},
      {"words", {u"Keeps the mouse filter running.", u"Syntax", u"Examples", u"Quillrun.exe",
                 u"Start with Windows:", u"Stop starting with Windows:"}},
  };
  for (const Row& row : rows) {
    const Composed out = Compose(row.texts);
    EXPECT_TRUE(out.complete) << row.name;
    EXPECT_EQ(Narrow(out.text), Narrow(Lines(row.texts))) << row.name;
  }
}

TEST(UsageText, NullTextsReadAsEmpty) {
  const Composed out = Compose({nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.text, Lines({u"", u"", u"", u"", u"", u""}));
}

TEST(UsageText, TooLongTextsAreCutAtTheBufferEnd) {
  // The layout itself takes 90 units; 511 fit beside the terminator.
  const std::size_t layout = Lines({u"", u"", u"", u"", u"", u""}).size();
  ASSERT_EQ(layout, 90u);
  const u16string long126(126, u'L'), short22(22, u'S');
  const u16string fill(511 - layout, u'x');

  struct Row { const char* name; u16string first; u16string run; bool complete; std::size_t length; };
  const Row rows[] = {
      {"exactly 511 units", fill, u"", true, 511},
      {"one unit over", fill + u"y", u"", false, 511},
      {"every text at its longest (638 units)", long126, long126, false, 511},
  };
  for (const Row& row : rows) {
    const bool longest = row.first == long126;
    const UsageTexts texts = {row.first.c_str(),
                              longest ? short22.c_str() : u"",
                              longest ? short22.c_str() : u"",
                              row.run.c_str(),
                              longest ? long126.c_str() : u"",
                              longest ? long126.c_str() : u""};
    const Composed out = Compose(texts);
    EXPECT_EQ(out.complete, row.complete) << row.name;
    EXPECT_EQ(out.text.size(), row.length) << row.name;
    const u16string whole = Lines(texts);
    EXPECT_EQ(out.text, whole.substr(0, out.text.size())) << row.name << ": not a prefix of the whole text";
  }
}

TEST(UsageText, CutNeverSplitsASurrogatePair) {
  // U+1F5B1 (a mouse) is two units; place it so the buffer ends between them.
  const u16string pair = u"\U0001F5B1";
  struct Row { const char* name; std::size_t before; std::size_t expectedLength; };
  const Row rows[] = {
      {"pair ends on the last unit", 509, 511},
      {"buffer ends inside the pair", 510, 510},
  };
  for (const Row& row : rows) {
    const u16string first = u16string(row.before, u'a') + pair;
    const Composed out = Compose({first.c_str(), u"", u"", u"", u"", u""});
    EXPECT_EQ(out.text.size(), row.expectedLength) << row.name;
    const char16_t last = out.text.back();
    EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << row.name << ": half a pair at the end";
    if (row.expectedLength == 511) {
      EXPECT_EQ(out.text.substr(509), pair) << row.name;
    }
  }
}

TEST(UsageText, NoBufferComposesNothing) {
  EXPECT_FALSE(ComposeUsageText(nullptr, kUsageTextCapacity, kKeyNames));
  char16_t one[1] = {u'#'};
  EXPECT_FALSE(ComposeUsageText(one, 1, kKeyNames));
  EXPECT_EQ(one[0], 0);
}

}  // namespace
