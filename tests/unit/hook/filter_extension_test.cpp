// The filter extension's rules: each process decides once per change of the excluded list or the
// pause (and only then reads the list), and each button's intervals in force.
#include "filter_extension.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::u16string kGame = u"C:\\Games\\Game.exe";
const std::u16string kEditor = u"C:\\Tools\\editor.exe";

ExcludedProgramNames names;  // the library's own table, in a section of its own

bool Passes(const FilterExtensionData& extension, ProcessExclusion& process, const std::u16string& path) {
  if (ProcessStaysFiltered(extension, process)) return false;  // the hook's one compare
  return DecideProcessExclusion(extension, names, process, path.c_str(), static_cast<std::uint32_t>(path.size() + 1));
}

TEST(FilterExtension, EachProcessDecidesOncePerChange) {
  FilterExtensionData extension = InitialFilterExtensionData();
  ProcessExclusion game{}, editor{};
  struct Step {
    const char* name;
    const char16_t* list;  // null: leave the list
    int pause;             // -1: leave the pause
    bool gamePasses, editorPasses;
  };
  const Step steps[] = {
      {"start: no list", nullptr, -1, false, false},
      {"game excluded", u"game.exe", -1, true, false},
      {"both excluded", u"GAME.EXE;Editor.exe", -1, true, true},
      {"list emptied", u"", -1, false, false},
      {"paused", nullptr, 1, true, true},
      {"editor excluded while paused", u"editor.exe", -1, true, true},
      {"resumed", nullptr, 0, false, true},
  };
  for (const Step& step : steps) {
    const std::uint32_t before = extension.ExclusionGeneration;
    if (step.list) SetExcludedProgramList(extension, names, step.list, 4096);
    if (step.pause >= 0) SetFilterPause(extension, static_cast<std::uint8_t>(step.pause));
    if (step.list || step.pause >= 0) {
      EXPECT_EQ(extension.ExclusionGeneration % 2, 0u) << step.name;
      EXPECT_NE(extension.ExclusionGeneration, before) << step.name;
    }
    EXPECT_EQ(Passes(extension, game, kGame), step.gamePasses) << step.name;
    EXPECT_EQ(Passes(extension, editor, kEditor), step.editorPasses) << step.name;
    // Decided: a filtered process now passes the test on the generation alone, without its path.
    if (!step.gamePasses) {
      EXPECT_EQ(game.FilteredGeneration, extension.ExclusionGeneration) << step.name;
      EXPECT_FALSE(Passes(extension, game, u"game.exe")) << step.name << ": read the list again";
    }
  }
}

TEST(FilterExtension, AListBeingWrittenKeepsTheLastDecision) {
  FilterExtensionData extension = InitialFilterExtensionData();
  ProcessExclusion game{};
  SetExcludedProgramList(extension, names, u"game.exe", 4096);
  EXPECT_TRUE(Passes(extension, game, kGame));
  // A writer half-way (the generation odd), with the list already emptied: nothing decided anew.
  extension.ExclusionGeneration += 1;
  names.Names[0][0] = 0;
  EXPECT_TRUE(Passes(extension, game, kGame));
  // The next writer finishes from there: an even generation, decided afresh.
  SetExcludedProgramList(extension, names, u"", 4096);
  EXPECT_EQ(extension.ExclusionGeneration % 2, 0u);
  EXPECT_FALSE(Passes(extension, game, kGame));
  // The generation wraps past 0, which a process's state keeps for "not filtered".
  extension.ExclusionGeneration = 0xFFFFFFFEu;
  SetFilterPause(extension, 0);
  EXPECT_EQ(extension.ExclusionGeneration, 2u);
  EXPECT_FALSE(Passes(extension, game, kGame));
}

// Two programs change the list or the pause at once (the panel and Quillrun at log-on): the second
// waits for the first to end instead of writing under its odd value, so the first's end never
// opens a list the second is still writing.
TEST(FilterExtension, TwoWritersTakeTurns) {
  FilterExtensionData extension = InitialFilterExtensionData();
  const std::uint32_t start = extension.ExclusionGeneration;
  extension.ExclusionGeneration = start + 1;  // the first writer is half-way
  std::uint32_t waits = 0;
  bool wroteWhileHeld = false;
  SetFilterPause(extension, 1, [&](std::uint32_t) {
    wroteWhileHeld = wroteWhileHeld || extension.Paused != 0;
    if (++waits == 3) extension.ExclusionGeneration = start + 2;  // the first writer ends
    return true;
  });
  EXPECT_EQ(waits, 3u);
  EXPECT_FALSE(wroteWhileHeld);
  EXPECT_EQ(extension.Paused, 1);
  EXPECT_EQ(extension.ExclusionGeneration, start + 4);
  // One that died half-way is waited for until the wait gives up, then taken over.
  extension.ExclusionGeneration += 1;
  SetExcludedProgramList(extension, names, u"", 4096, [](std::uint32_t attempt) { return attempt < 5; });
  EXPECT_EQ(extension.ExclusionGeneration, start + 8);
}

TEST(FilterExtension, AProcessThatAskedForItsInputUnfilteredPasses) {
  FilterExtensionData extension = InitialFilterExtensionData();
  ProcessExclusion panel{};
  EXPECT_FALSE(Passes(extension, panel, kEditor));
  SetProcessUnfilteredFlag(panel, 1);
  EXPECT_TRUE(Passes(extension, panel, kEditor));
  SetExcludedProgramList(extension, names, u"other.exe", 4096);
  EXPECT_TRUE(Passes(extension, panel, kEditor));
  SetProcessUnfilteredFlag(panel, 0);
  EXPECT_FALSE(Passes(extension, panel, kEditor));
}

TEST(FilterExtension, EachButtonHasItsOwnIntervalsOrTheSharedOnes) {
  HookSharedData data = InitialHookSharedData();
  FilterExtensionData extension = InitialFilterExtensionData();
  struct Step {
    const char* name;
    int button;  // -1: the shared intervals change instead
    std::uint32_t upDown, dbClick;
    std::uint32_t middleUpDown, middleDbClick, leftUpDown, leftDbClick;
  };
  const Step steps[] = {
      {"middle's own", kButtonMiddle, 60, 250, 60, 250, 40, 170},
      {"shared changed: left follows, middle keeps its own", -1, 50, 200, 60, 250, 50, 200},
      {"middle back to the shared bounce", kButtonMiddle, 0, 10000, 50, 250, 50, 200},
      {"boundaries: 9999 taken, 10000 left", kButtonLeft, 9999, 10000, 50, 250, 9999, 200},
      {"index out of range", kButtonCount, 1, 1, 50, 250, 9999, 200},
  };
  for (const Step& step : steps) {
    if (step.button < 0) {
      data.UpDownIntervalTime = step.upDown;
      data.DbClickIntervalTime = step.dbClick;
      RefreshButtonIntervals(data, extension);
    } else {
      SetButtonIntervals(data, extension, static_cast<std::uint8_t>(step.button), step.upDown, step.dbClick);
    }
    EXPECT_EQ(extension.UpDownIntervalTime[kButtonMiddle], step.middleUpDown) << step.name;
    EXPECT_EQ(extension.DbClickIntervalTime[kButtonMiddle], step.middleDbClick) << step.name;
    EXPECT_EQ(extension.UpDownIntervalTime[kButtonLeft], step.leftUpDown) << step.name;
    EXPECT_EQ(extension.DbClickIntervalTime[kButtonLeft], step.leftDbClick) << step.name;
  }
  EXPECT_EQ(extension.OwnUpDownIntervalTime[kButtonMiddle], 0u);
  EXPECT_EQ(extension.OwnDbClickIntervalTime[kButtonMiddle], 250u);
}

}  // namespace
