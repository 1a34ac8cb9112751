// The hook's decision for all five buttons: each rule on each button at its interval's
// boundaries, each button's own intervals against the shared ones, the switches, the side
// buttons told apart, and an excluded program that passes untouched.
#include "hook_test_kit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kT = 1000000;
constexpr std::uint32_t kOther = 200;

struct ButtonCase {
  const char* name;
  std::uint8_t index;
  std::uint8_t source;
  std::uint32_t down, up, dblClk;
  std::uint16_t xButton;  // the high word of mouseData
};
const ButtonCase kButtons[] = {
    {"left", kButtonLeft, kSourceLeftButton, kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, 0},
    {"right", kButtonRight, kSourceRightButton, kWmRButtonDown, kWmRButtonUp, kWmRButtonDblClk, 0},
    {"middle", kButtonMiddle, kSourceMiddleButton, kWmMButtonDown, kWmMButtonUp, kWmMButtonDblClk, 0},
    {"side 1", kButtonX1, kSourceXButton1, kWmXButtonDown, kWmXButtonUp, kWmXButtonDblClk, kXButton1},
    {"side 2", kButtonX2, kSourceXButton2, kWmXButtonDown, kWmXButtonUp, kWmXButtonDblClk, kXButton2},
};

struct Hook {
  HookSharedData data = InitialHookSharedData();
  GuardSharedData guard = InitialGuardSharedData();
  FakeHookState host;
  ExcludedProgramNames& names = host.names;

  Hook() {
    data.HookType = 0x3F;  // every source on
    data.HookInstalled = 1;
    data.InstallerProcessId = 100;
    SetGuardSettings(guard, 0, 0, kDefaultDragHoldTime);  // the rules alone
    RefreshButtonIntervals(data, guard.Extension);
  }

  std::uint16_t Run(std::uint32_t message, std::uint32_t tick, std::uint16_t xButton) {
    host.tick = tick;
    host.xButton = xButton;
    return static_cast<std::uint16_t>(DecideWithFake(data, guard, host, message));
  }
};

// A pattern: the messages before the last are accepted history; the last is judged.
struct Step { int kind; std::int32_t after; };  // kind 0 press, 1 release, 2 double click; ms after the previous
struct RuleCase {
  const char* name;
  std::vector<Step> steps;
  bool ownInterval;  // the delays are measured against this button's own intervals (60 / 250)
  std::uint8_t rule;  // 0: passes
  bool dbClickCount;
};

TEST(FiveButtons, EachRuleOnEachButtonAtItsBoundaries) {
  // Shared intervals: bounce 40, double click 170. A button's own: bounce 60, double click 250.
  const RuleCase rules[] = {
      {"release 39 ms after the press", {{0, 0}, {1, 39}}, false, kRuleUpAfterDown, false},
      {"release 40 ms after the press", {{0, 0}, {1, 40}}, false, 0, false},
      {"press 39 ms after the release", {{0, 0}, {1, 100}, {0, 39}}, false, kRuleDownAfterUp, false},
      {"press 40 ms after the release", {{0, 0}, {1, 100}, {0, 40}}, false, 0, false},
      {"double click 169 ms after the press", {{0, 0}, {1, 100}, {2, 69}}, false, kRuleDblClkAfterDown, true},
      {"double click 170 ms after the press", {{0, 0}, {1, 100}, {2, 70}}, false, 0, false},
      {"press 169 ms after a double click", {{0, 0}, {1, 100}, {2, 100}, {1, 100}, {0, 69}}, false,
       kRuleDownAfterDblClk, true},
      {"double click 169 ms after a double click", {{0, 0}, {1, 100}, {2, 100}, {1, 100}, {2, 69}}, false,
       kRuleDblClkAfterDblClk, true},
      {"own: release 59 ms after the press", {{0, 0}, {1, 59}}, true, kRuleUpAfterDown, false},
      {"own: release 60 ms after the press", {{0, 0}, {1, 60}}, true, 0, false},
      {"own: double click 249 ms after the press", {{0, 0}, {1, 100}, {2, 149}}, true, kRuleDblClkAfterDown, true},
      {"own: double click 250 ms after the press", {{0, 0}, {1, 100}, {2, 150}}, true, 0, false},
  };
  for (const ButtonCase& button : kButtons) {
    for (const RuleCase& rule : rules) {
      const std::string name = std::string(button.name) + ": " + rule.name;
      Hook hook;
      if (rule.ownInterval) {
        SetButtonIntervals(hook.data, hook.guard.Extension, button.index, 60, 250);
        // Another button's own intervals change nothing for this one.
        SetButtonIntervals(hook.data, hook.guard.Extension, (button.index + 1) % kButtonCount, 9999, 9999);
      } else {
        SetButtonIntervals(hook.data, hook.guard.Extension, (button.index + 1) % kButtonCount, 1, 1);
      }
      std::uint32_t tick = kT;
      std::uint16_t code = 0;
      for (const Step& step : rule.steps) {
        tick += static_cast<std::uint32_t>(step.after);
        const std::uint32_t message = step.kind == 0 ? button.down : step.kind == 1 ? button.up : button.dblClk;
        code = hook.Run(message, tick, button.xButton);
        if (&step != &rule.steps.back()) {
          ASSERT_EQ(code, kPass) << name << ": history";
        }
      }
      EXPECT_EQ(code, rule.rule == 0 ? kPass : EventCode(button.source, rule.rule)) << name;
      const std::uint32_t swallowed = rule.rule == 0 ? 0 : 1;
      EXPECT_EQ(hook.data.BlockedDbClick, rule.dbClickCount ? swallowed : 0u) << name;
      EXPECT_EQ(hook.data.BlockedUpDown, rule.dbClickCount ? 0u : swallowed) << name;
    }
  }
}

TEST(FiveButtons, SwitchesAndSideButtonsStandApart) {
  struct Case {
    const char* name;
    std::uint8_t hookType;
    std::uint32_t message;
    std::uint16_t xButton;
    std::uint16_t expected;
  };
  const std::uint16_t middle = EventCode(kSourceMiddleButton, kRuleUpAfterDown);
  const Case cases[] = {
      {"middle on", 0x08, kWmMButtonUp, 0, middle},
      {"middle off (the original three on)", 0x07, kWmMButtonUp, 0, kPass},
      {"side 1 on", 0x10, kWmXButtonUp, kXButton1, EventCode(kSourceXButton1, kRuleUpAfterDown)},
      {"side 1 on, side 2 message", 0x10, kWmXButtonUp, kXButton2, kPass},
      {"side 2 on", 0x20, kWmXButtonUp, kXButton2, EventCode(kSourceXButton2, kRuleUpAfterDown)},
      {"side 2 on, side 1 message", 0x20, kWmXButtonUp, kXButton1, kPass},
      {"unknown side button", 0x30, kWmXButtonUp, 0x0004, kPass},
      {"horizontal wheel never judged", 0x3F, kWmMouseHWheel, 0, kPass},
  };
  for (const Case& c : cases) {
    Hook hook;
    hook.data.HookType = c.hookType;
    const std::uint32_t down = c.message == kWmMButtonUp ? kWmMButtonDown : kWmXButtonDown;
    // The press is judged against a fresh history and passes (or is not watched at all).
    hook.Run(down, kT, c.xButton);
    EXPECT_EQ(hook.Run(c.message, kT + 5, c.xButton), c.expected) << c.name;
  }
  // Each button keeps its own timestamps: a middle press does not make a side release too soon.
  Hook hook;
  hook.Run(kWmMButtonDown, kT, 0);
  EXPECT_EQ(hook.Run(kWmXButtonUp, kT + 5, kXButton1), kPass);
  EXPECT_EQ(hook.Run(kWmLButtonUp, kT + 5, 0), kPass);
}

TEST(FiveButtons, AnExcludedProgramPassesUntouched) {
  Hook hook;
  SetExcludedProgramList(hook.guard.Extension, hook.names, u"APP.exe", 4096);
  for (const ButtonCase& button : kButtons) {
    EXPECT_EQ(hook.Run(button.down, kT, button.xButton), kPass) << button.name;
    EXPECT_EQ(hook.Run(button.up, kT + 1, button.xButton), kPass) << button.name;
  }
  EXPECT_EQ(hook.data.BlockedUpDown, 0u);
  EXPECT_EQ(hook.data.LastLButtonDown, 0u);  // no history touched
  EXPECT_EQ(hook.guard.Extension.ExtraButtons[0].LastDown, 0u);
  // Taken off the list: filtered from the next message on.
  SetExcludedProgramList(hook.guard.Extension, hook.names, u"other.exe", 4096);
  hook.Run(kWmMButtonDown, kT + 100, 0);
  EXPECT_EQ(hook.Run(kWmMButtonUp, kT + 101, 0), EventCode(kSourceMiddleButton, kRuleUpAfterDown));
  // Paused: every process passes.
  SetFilterPause(hook.guard.Extension, 1);
  EXPECT_EQ(hook.Run(kWmMButtonUp, kT + 102, 0), kPass);
  SetFilterPause(hook.guard.Extension, 0);
  EXPECT_EQ(hook.Run(kWmMButtonUp, kT + 103, 0), EventCode(kSourceMiddleButton, kRuleUpAfterDown));
}

// In the installing process the other bitness's hook calls run for windows of other processes:
// each passes by that process's own exclusion, looked up only while something is listed or paused.
TEST(FiveButtons, InstallingProcessJudgesOtherProgramsByTheirOwnExclusion) {
  struct Case {
    const char* name;
    const char16_t* list;
    bool paused, ownWindow, otherExcluded;
    bool passes;
    int lookups;  // executables looked up
  };
  const Case cases[] = {
      {"nothing listed: another process's window is filtered, nothing looked up", u"", false, false, true, false, 0},
      {"listed: that process passes", u"game.exe", false, false, true, true, 1},
      {"listed, but not that process", u"game.exe", false, false, false, false, 1},
      {"own window passes without a look-up", u"game.exe", false, true, true, true, 0},
      {"paused: every window passes", u"", true, false, true, true, 0},
  };
  for (const Case& c : cases) {
    Hook hook;
    hook.data.InstallerProcessId = kOther;  // this process installed the hook
    hook.host.path = u"C:\\Quillon\\Quillon.exe";
    hook.host.windowProcess = c.ownWindow ? 0 : 300;
    hook.host.windowPath = c.otherExcluded ? u"C:\\Games\\game.exe" : u"C:\\Apps\\app.exe";
    SetExcludedProgramList(hook.guard.Extension, hook.names, c.list, 4096);
    SetFilterPause(hook.guard.Extension, c.paused ? 1 : 0);
    hook.guard.Extension.ExtraButtons[0].LastDown = kT;  // a press 5 ms before: the release is chatter
    EXPECT_EQ(hook.Run(kWmMButtonUp, kT + 5, 0) == kPass, c.passes) << c.name;
    EXPECT_EQ(hook.host.executableLookups, c.lookups) << c.name;
    // Judged once per process: the next message asks no executable, unless another process
    // took the id (a new start time).
    hook.Run(kWmMButtonUp, kT + 6, 0);
    EXPECT_EQ(hook.host.executableLookups, c.lookups) << c.name;
    hook.host.windowStarted = 2;
    hook.Run(kWmMButtonUp, kT + 7, 0);
    EXPECT_EQ(hook.host.executableLookups, 2 * c.lookups) << c.name << ": the id taken again";
  }
}

}  // namespace
