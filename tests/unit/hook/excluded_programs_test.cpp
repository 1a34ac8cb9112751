// The excluded-programs list as the library takes it and the one match each process makes:
// separators, blanks and folders in the stored text, case, path forms, and the cut list.
#include "excluded_programs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Slots(const ExcludedProgramNames& names) {
  std::vector<std::u16string> slots;
  for (const auto& slot : names.Names) {
    if (slot[0] == 0) break;
    slots.emplace_back(slot);
  }
  return slots;
}

struct TakeRow {
  const char* name;
  std::u16string list;
  std::vector<std::u16string> expected;
  bool cut;
};

TEST(ExcludedPrograms, TakesNamesFromTheStoredList) {
  const std::u16string name64(64, u'a');
  const std::u16string name65(65, u'b');
  const TakeRow rows[] = {
      {"empty", u"", {}, false},
      {"one", u"game.exe", {u"game.exe"}, false},
      {"two folded", u"Game.EXE;MSTSC.exe", {u"game.exe", u"mstsc.exe"}, false},
      {"blanks and empty names", u"  a.exe ;; ;\tb.exe\t;", {u"a.exe", u"b.exe"}, false},
      {"folder dropped", u"C:\\Games\\Big Game.exe;D:/x/y.exe", {u"big game.exe", u"y.exe"}, false},
      {"folder only", u"C:\\Games\\", {}, false},
      {"68 units left out", name64 + u".exe", {}, true},
      {"exactly 64", name64, {name64}, false},
      {"65 units left out, the rest kept", name65 + u";c.exe", {u"c.exe"}, true},
      {"non-ASCII folded", u"ÉDITEUR.EXE;ИГРА.EXE;ΠΑΙΧΝΙΔΙ.exe;ŁÓDŹ.exe",
       {u"éditeur.exe", u"игра.exe", u"παιχνιδι.exe", u"łódź.exe"}, false},
  };
  for (const TakeRow& row : rows) {
    ExcludedProgramNames names;
    const ExcludedProgramsTaken taken = TakeExcludedPrograms(row.list.c_str(), 4096, names);
    EXPECT_EQ(Slots(names), row.expected) << row.name;
    EXPECT_EQ(taken.Count, row.expected.size()) << row.name;
    EXPECT_EQ(taken.Cut, row.cut) << row.name;
  }
}

TEST(ExcludedPrograms, CutsALongListAtAWholeName) {
  const auto numbered = [](int i) {
    return u"Program" + std::u16string{static_cast<char16_t>(u'0' + i / 10), static_cast<char16_t>(u'0' + i % 10)} +
           u".exe";
  };
  std::u16string list;
  for (int i = 0; i < 40; ++i) list += numbered(i) + u";";
  ExcludedProgramNames names;
  const ExcludedProgramsTaken taken = TakeExcludedPrograms(list.c_str(), 4096, names);
  EXPECT_TRUE(taken.Cut);
  ASSERT_EQ(taken.Count, kMaxExcludedPrograms);
  EXPECT_EQ(Slots(names).back(), u"program31.exe");

  // Exactly 32 names is no cut; the read stops at the capacity given.
  list.clear();
  for (int i = 0; i < 32; ++i) list += numbered(i) + u";";
  EXPECT_FALSE(TakeExcludedPrograms(list.c_str(), 4096, names).Cut);
  EXPECT_EQ(TakeExcludedPrograms(u"abc.exe;def.exe", 7, names).Count, 1u);
  EXPECT_EQ(TakeExcludedPrograms(nullptr, 10, names).Count, 0u);
}

struct MatchRow {
  const char* name;
  std::u16string path;
  bool excluded;
};

TEST(ExcludedPrograms, MatchesTheExecutableFileName) {
  ExcludedProgramNames names;
  const std::u16string list = u"game.exe;MSTSC.EXE;éditeur.exe;" + std::u16string(64, u'z');
  TakeExcludedPrograms(list.c_str(), 4096, names);
  const MatchRow rows[] = {
      {"plain path", u"C:\\Games\\game.exe", true},
      {"upper case", u"C:\\GAMES\\GAME.EXE", true},
      {"stored in upper case", u"C:\\Windows\\System32\\mstsc.exe", true},
      {"long path prefix", u"\\\\?\\C:\\Games\\Game.exe", true},
      {"network path", u"\\\\server\\share\\game.exe", true},
      {"device path", u"\\Device\\HarddiskVolume2\\Games\\game.exe", true},
      {"forward slashes", u"C:/Games/game.exe", true},
      {"bare name", u"game.exe", true},
      {"non-ASCII case", u"C:\\ÉDITEUR.EXE", true},
      {"64-unit name", u"C:\\" + std::u16string(64, u'Z'), true},
      {"longer name", u"C:\\" + std::u16string(65, u'z'), false},
      {"prefix only", u"C:\\game.ex", false},
      {"longer extension", u"C:\\game.exe2", false},
      {"name in the folder only", u"C:\\game.exe\\other.exe", false},
      {"empty path", u"", false},
  };
  for (const MatchRow& row : rows)
    EXPECT_EQ(IsExcludedProgram(names, row.path.c_str(), static_cast<std::uint32_t>(row.path.size() + 1)),
              row.excluded)
        << row.name;

  // An unterminated path is read no further than its capacity.
  const char16_t unterminated[] = {u'g', u'a', u'm', u'e', u'.', u'e', u'x', u'e', u'!'};
  EXPECT_TRUE(IsExcludedProgram(names, unterminated, 8));
  EXPECT_FALSE(IsExcludedProgram(names, unterminated, 9));

  ExcludedProgramNames none;
  TakeExcludedPrograms(u"", 1, none);
  EXPECT_FALSE(IsExcludedProgram(none, u"game.exe", 9));
}

}  // namespace
