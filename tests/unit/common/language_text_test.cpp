// Language lookups against an in-memory profile: the key as fallback, the C - 2 capacity, the
// leading line feed of balloon texts, and guards for names that would make the platform list.
#include "language_text.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_profile.h"

namespace {

const char16_t kFile[] = u"C:\\Tools\\Language.cfg";

struct Lookup {
  std::u16string text;
  bool stayedInside;
};

// Reads into a buffer of the given capacity followed by guard units that must stay untouched.
Lookup Read(FakeProfile& profile, const char16_t* section, const char16_t* key, std::uint32_t capacity, bool tip) {
  std::u16string buffer(capacity + 4, u'#');
  if (tip) {
    ReadLanguageTipText(profile.Access(), kFile, section, key, buffer.data(), capacity);
  } else {
    ReadLanguageText(profile.Access(), kFile, section, key, buffer.data(), capacity);
  }
  const bool inside = buffer.compare(capacity, 4, u"####") == 0;
  return {capacity ? std::u16string(buffer.c_str()) : u"", inside};
}

TEST(LanguageText, LookupsCutFallBackAndKeepTheirBuffers) {
  FakeProfile profile;
  profile.SetFile(kFile);
  const std::u16string thirty = u"Start filtering the mouse now!";  // 30 characters
  const std::u16string hundred(100, u'T');
  const std::u16string longer(140, u'L');
  profile.Set(u"neutral", u"text_hook", thirty);
  profile.Set(u"NEUTRAL", u"TEXT_TIPSTITLE", hundred);
  profile.Set(u"NEUTRAL", u"TEXT_LONG", longer);
  profile.Set(u"NEUTRAL", u"TEXT_MINIMIZED", u"");
  profile.Set(u"NEUTRAL", u"TEXT_FORMATLIKE", u"%d blocked %s");

  struct Row {
    const char* name;
    const char16_t* section;
    const char16_t* key;
    std::uint32_t capacity;
    bool tip;
    std::u16string expected;
  };
  const Row rows[] = {
      {"short text cut to 22", u"NEUTRAL", u"TEXT_HOOK", 24, false, thirty.substr(0, 22)},
      {"long buffer keeps 30", u"NEUTRAL", u"TEXT_HOOK", 128, false, thirty},
      {"100 fit a long buffer", u"NEUTRAL", u"TEXT_TIPSTITLE", 128, false, hundred},
      {"long text cut to 126", u"NEUTRAL", u"TEXT_LONG", 128, false, longer.substr(0, 126)},
      {"missing key gives the key", u"NEUTRAL", u"TEXT_EXIT", 24, false, u"TEXT_EXIT"},
      {"missing section gives the key", u"KLINGON", u"TEXT_HOOK", 24, false, u"TEXT_HOOK"},
      {"empty section names none", u"", u"TEXT_HOOK", 24, false, u"TEXT_HOOK"},
      {"key cut like any text", u"NEUTRAL", u"TEXT_BLOCKEDROTREVERSE", 24, false, u"TEXT_BLOCKEDROTREVERSE"},
      {"key cut to 22", u"NEUTRAL", u"TEXT_UNHOOKSUCCESSFULLY", 24, false, u"TEXT_UNHOOKSUCCESSFULL"},
      {"empty text is not the key", u"NEUTRAL", u"TEXT_MINIMIZED", 24, false, u""},
      {"percent signs stay", u"NEUTRAL", u"TEXT_FORMATLIKE", 24, false, u"%d blocked %s"},
      {"tip of an empty text", u"NEUTRAL", u"TEXT_MINIMIZED", 24, true, u"\n"},
      {"tip cut to 22 after the line feed", u"NEUTRAL", u"TEXT_HOOK", 24, true, u"\n" + thirty.substr(0, 22)},
      {"tip falls back to the key", nullptr, u"TEXT_UNHOOKED", 24, true, u"\nTEXT_UNHOOKED"},
      {"null section gives the key", nullptr, u"TEXT_HOOK", 24, false, u"TEXT_HOOK"},
      {"null key gives nothing", u"NEUTRAL", nullptr, 24, false, u""},
      {"capacity 2 holds nothing", u"NEUTRAL", u"TEXT_HOOK", 2, false, u""},
      {"capacity 3 holds one", u"NEUTRAL", u"TEXT_HOOK", 3, false, u"S"},
      {"capacity 1 holds nothing", u"NEUTRAL", u"TEXT_HOOK", 1, false, u""},
      {"tip capacity 1 holds nothing", u"NEUTRAL", u"TEXT_HOOK", 1, true, u""},
      {"capacity 0 writes nothing", u"NEUTRAL", u"TEXT_HOOK", 0, true, u""},
  };
  for (const Row& row : rows) {
    const Lookup got = Read(profile, row.section, row.key, row.capacity, row.tip);
    EXPECT_EQ(got.text, row.expected) << row.name;
    EXPECT_TRUE(got.stayedInside) << row.name << ": wrote past the capacity";
  }
  // Null names never reach the platform, which would list sections or keys instead.
  for (const auto& call : profile.Reads()) EXPECT_EQ(call.File, kFile);
}

TEST(LanguageText, EveryLookupIsAFreshReadWithSizeCapacityLessOne) {
  FakeProfile profile;
  profile.SetFile(kFile);
  profile.Set(u"NEUTRAL", u"TEXT_EXIT", u"Exit");
  char16_t buffer[kLanguageLongCapacity];
  ReadLanguageText(profile.Access(), kFile, u"NEUTRAL", u"TEXT_EXIT", buffer, kLanguageShortCapacity);
  profile.Set(u"NEUTRAL", u"TEXT_EXIT", u"Quit");  // edited while the program runs
  ReadLanguageTipText(profile.Access(), kFile, u"NEUTRAL", u"TEXT_EXIT", buffer, kLanguageLongCapacity);
  EXPECT_EQ(std::u16string(buffer), u"\nQuit");
  ASSERT_EQ(profile.Reads().size(), 2u);
  EXPECT_EQ(profile.Reads()[0].Size, 23u);
  EXPECT_EQ(profile.Reads()[1].Size, 127u);
  EXPECT_EQ(profile.Reads()[1].Text, u"TEXT_EXIT");  // the key is the default text
}

}  // namespace
