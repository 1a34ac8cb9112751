// The hook's decision against a fake clock: timed button patterns go through it and the
// installing program's deliverer, as the platform would run them (the physical button included,
// for the press confirmation), and what reaches the application (with the tick it arrives at)
// and what is logged are compared.
#include "hook_test_kit.h"
#include "reference_filter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kOther = 200;
constexpr std::uint32_t kNever = 0xFFFFFFFFu;

// A physical transition at a tick offset. Message 0 with physical set: the button moved but
// its message went to a window the hook does not see.
// A side button's message carries which one it is in xButton. The message goes to the window
// under the cursor: window A (0), or B (1), each with a thread of its own.
struct Event {
  std::uint32_t at;
  std::uint32_t message;
  std::int16_t wheelDelta = 0;
  int physicalOnly = -1;  // -1: a message; else the ButtonIndex that goes down unseen
  std::uint16_t xButton = 0;
  std::uint8_t window = 0;
};
Event InB(Event e) {
  e.window = 1;
  return e;
}
// A window's thread that takes no input from its queue between two ticks: what arrives meanwhile
// is judged (at the tick the thread takes it) when it is free again.
struct Busy {
  std::uint8_t window;
  std::uint32_t from, until;
};

Event L(std::uint32_t at, bool down) { return {at, down ? kWmLButtonDown : kWmLButtonUp}; }
Event R(std::uint32_t at, bool down) { return {at, down ? kWmRButtonDown : kWmRButtonUp}; }
Event M(std::uint32_t at, bool down) { return {at, down ? kWmMButtonDown : kWmMButtonUp}; }
Event X1(std::uint32_t at, bool down) { return {at, down ? kWmXButtonDown : kWmXButtonUp, 0, -1, kXButton1}; }
Event X2(std::uint32_t at, bool down) { return {at, down ? kWmXButtonDown : kWmXButtonUp, 0, -1, kXButton2}; }
Event LDbl(std::uint32_t at) { return {at, kWmLButtonDblClk}; }
Event RDbl(std::uint32_t at) { return {at, kWmRButtonDblClk}; }
Event X2Dbl(std::uint32_t at) { return {at, kWmXButtonDblClk, 0, -1, kXButton2}; }
Event MDbl(std::uint32_t at) { return {at, kWmMButtonDblClk}; }
Event X1Dbl(std::uint32_t at) { return {at, kWmXButtonDblClk, 0, -1, kXButton1}; }
Event Wheel(std::uint32_t at, std::int16_t delta) { return {at, kWmMouseWheel, delta}; }
Event UnseenDown(std::uint32_t at, ButtonIndex button) { return {at, 0, 0, button}; }

// "LD", "X2U": the button and the transition, as the application's log shows them.
std::string Name(std::uint32_t message, std::uint16_t xButton) {
  if (message == kWmMouseWheel) return "W";
  const char* buttons[] = {"L", "R", "M", "X"};
  const char* transitions[] = {"D", "U", "Dbl"};
  const std::uint32_t offset = message - kWmLButtonDown - (message > kWmMouseWheel ? 1 : 0);  // the wheel between
  std::string name = buttons[offset / 3];
  if (offset / 3 == 3) name += xButton == kXButton1 ? "1" : "2";
  return name + transitions[offset % 3];
}

// The ButtonIndex of a button message, and whether it is a release.
std::uint8_t ButtonOfMessage(std::uint32_t message, std::uint16_t xButton) {
  if (message >= kWmXButtonDown) return xButton == kXButton1 ? kButtonX1 : kButtonX2;
  return static_cast<std::uint8_t>((message - kWmLButtonDown) / 3);
}
bool IsRelease(std::uint32_t message) {
  return message == kWmLButtonUp || message == kWmRButtonUp || message == kWmMButtonUp || message == kWmXButtonUp;
}
// The release the deliverer injects for a button.
std::uint32_t ReleaseOf(std::uint8_t button) {
  const std::uint32_t releases[kButtonCount] = {kWmLButtonUp, kWmRButtonUp, kWmMButtonUp, kWmXButtonUp, kWmXButtonUp};
  return releases[button];
}
std::uint16_t XButtonOf(std::uint8_t button) {
  return button == kButtonX1 ? kXButton1 : button == kButtonX2 ? kXButton2 : 0;
}

struct Simulation {
  HookSharedData data = InitialHookSharedData();
  GuardSharedData guard = InitialGuardSharedData();
  FakeHookState host;
  const std::vector<Event>* playing = nullptr;
  std::uint32_t start = 1000000;
  std::uint32_t now = 0;
  bool physicallyDown[kButtonCount] = {};
  std::string application;  // "LD@0 LU@40": message and tick offset, in arrival order
  std::vector<std::uint16_t> records;
  bool woken = false;
  std::uint32_t nextServe = kNever;
  int serves = 0;
  // Each window's input queue; injected input goes to the window under the cursor.
  struct Queued {
    std::uint32_t message;
    std::int16_t delta;
    std::uint16_t xButton;
    std::uint32_t mark;
  };
  std::deque<Queued> queues[2];
  std::vector<Busy> busy;
  std::uint8_t cursor = 0;
  bool applicationDown[2][kButtonCount] = {};  // what each window has of each button

  Simulation() {
    data.HookType = 0x3F;
    data.HookInstalled = 1;
    data.InstallerProcessId = 100;
    SetGuardSettings(guard, 1, 0, kDefaultDragHoldTime);
    // The platform's wait: the button is still held ms from now unless its next transition
    // (physical, whether or not its message comes) is a release within that time.
    host.physicallyDown = [this](std::uint8_t button) { return physicallyDown[button]; };
    // The hooked thread ends a hold: both go to the window under the cursor.
    host.sendReleaseThenMessage = [this](std::uint8_t button, std::uint32_t message) {
      queues[cursor].push_back({ReleaseOf(button), 0, XButtonOf(button), kInjectedReleaseMark});
      queues[cursor].push_back({message, host.wheelDelta, host.xButton, kReplayedInputMark});
      return true;
    };
    host.pressHeld = [this](std::uint8_t button, std::uint32_t ms) {
      if (!physicallyDown[button] || playing == nullptr) return false;
      for (const Event& e : *playing) {
        if (e.at <= now - start || e.physicalOnly >= 0 || e.message == kWmMouseWheel ||
            ButtonOfMessage(e.message, e.xButton) != button)
          continue;
        return !(IsRelease(e.message) && e.at - (now - start) < ms);
      }
      return true;
    };
  }

  struct DelivererHost {
    Simulation& sim;
    std::uint32_t Tick() const { return sim.now; }
    bool PhysicallyDown(std::uint8_t button) const { return sim.physicallyDown[button]; }
    void Inject(std::uint8_t button) {
      sim.queues[sim.cursor].push_back({ReleaseOf(button), 0, XButtonOf(button), kInjectedReleaseMark});
    }
  };

  // Every window whose thread is free takes its whole queue.
  void Drain() {
    for (std::uint8_t w = 0; w < 2; ++w) {
      bool free = true;
      for (const Busy& b : busy) free = free && !(b.window == w && now - start >= b.from && now - start < b.until);
      while (free && !queues[w].empty()) {
        const Queued q = queues[w].front();
        queues[w].pop_front();
        Hook(q.message, q.delta, q.mark, q.xButton, w);
      }
    }
  }

  void Hook(std::uint32_t message, std::int16_t delta, std::uint32_t mark, std::uint16_t xButton, std::uint8_t window) {
    host.tick = now;
    host.wheelDelta = delta;
    host.mark = mark;
    host.xButton = xButton;
    host.thread = window == 0 ? 4 : 8;
    const int wakes = host.wakes;
    const std::uint32_t verdict = DecideWithFake(data, guard, host, message);
    if ((verdict & kVerdictWake) || host.wakes != wakes) woken = true;
    const std::uint16_t code = static_cast<std::uint16_t>(verdict);
    if (code != 0) records.push_back(code);
    if (verdict & kVerdictSecondRecord) records.push_back(code);
    if (verdict != kPass) return;
    if (message != kWmMouseWheel) applicationDown[window][ButtonOfMessage(message, xButton)] = !IsRelease(message);
    char entry[32];
    std::snprintf(entry, sizeof entry, "%s%s%s@%u", application.empty() ? "" : " ", window == 1 ? "b:" : "",
                  Name(message, xButton).c_str(), now - start);
    application += entry;
    if (message == kWmMouseWheel) application += delta > 0 ? "+" : "-";
  }

  // Every button's last transitions a day before the start, so none is "too soon" wherever the
  // start lies (near the wrap, zero would be).
  void IdleADay() {
    for (std::uint8_t b = 0; b < kButtonCount; ++b) {
      const filter_rules::Button button = mouse_decision_detail::ButtonOf(data, guard.Extension, b);
      button.LastDown = button.LastUp = button.LastDblClk = start - 86400000u;
    }
  }

  void Serve(bool everyNow) {
    ++serves;
    DelivererHost host{*this};
    const std::uint32_t wait = ServePendingReleases(data, guard, everyNow, host);
    nextServe = wait == kNoDeadline ? kNever : now - start + wait;
  }

  // Plays the events tick by tick up to `until`; the deliverer runs only when the hook woke it
  // or its own deadline came, as its thread would.
  void Play(const std::vector<Event>& events, std::uint32_t until) {
    playing = &events;
    std::size_t next = 0;
    for (std::uint32_t t = 0; t <= until; ++t) {
      now = start + t;
      for (; next < events.size() && events[next].at == t; ++next) {
        const Event& e = events[next];
        if (e.physicalOnly >= 0) {
          physicallyDown[e.physicalOnly] = true;
          continue;
        }
        if (e.message != kWmMouseWheel) physicallyDown[ButtonOfMessage(e.message, e.xButton)] = !IsRelease(e.message);
        cursor = e.window;
        queues[cursor].push_back({e.message, e.wheelDelta, e.xButton, 0});
      }
      Drain();
      if (woken || (nextServe != kNever && t >= nextServe)) {
        woken = false;
        Serve(false);
        Drain();
      }
    }
  }
};

std::string Codes(const std::vector<std::uint16_t>& codes) {
  std::string text;
  for (std::uint16_t code : codes) {
    char entry[12];
    std::snprintf(entry, sizeof entry, "%s0x%04X", text.empty() ? "" : " ", code);
    text += entry;
  }
  return text;
}

// A row's features: the release guard, and press confirmation (PressConfirmTime 20 ms).
constexpr std::uint8_t kGuard = 1, kConfirm = 2;

struct Row {
  const char* name;
  std::uint8_t features;
  std::uint8_t dragHold;
  std::vector<Event> events;
  std::string application;
  std::string records;
  std::uint32_t start = 1000000;
  std::uint32_t middleUpDown = 0;  // the middle button's own bounce interval; 0: the shared one
  std::vector<Busy> busy = {};
};

// Plays a row from a day of idling and compares what reached the application and what was
// logged; nothing may stay pending and no window may keep a button down.
void PlayRow(const Row& row) {
  Simulation sim;
  sim.start = row.start;
  sim.busy = row.busy;
  sim.IdleADay();
  SetGuardSettings(sim.guard, row.features & kGuard, row.dragHold, kDefaultDragHoldTime);
  SetPressConfirmSettings(sim.guard, row.features & kConfirm, kDefaultPressConfirmTime);
  SetButtonIntervals(sim.data, sim.guard.Extension, kButtonMiddle, row.middleUpDown, kSharedButtonInterval);
  sim.Play(row.events, row.events.back().at + 1000);
  EXPECT_EQ(sim.application, row.application) << row.name;
  EXPECT_EQ(Codes(sim.records), row.records) << row.name;
  EXPECT_FALSE(AnyPendingRelease(sim.guard)) << row.name;
  if (row.features & kGuard) {
    for (int w = 0; w < 2; ++w)
      for (std::uint8_t b = 0; b < kButtonCount; ++b)
        EXPECT_FALSE(sim.applicationDown[w][b] && !sim.physicallyDown[b])
            << row.name << ": window " << w << " keeps button " << int(b) << " down";
  }
}

// Default intervals: up/down 40 ms, double click 170 ms; drag hold 30 ms.
TEST(ReleaseGuard, TimedPatternsReachTheApplicationAsTheUserMeantThem) {
  const Row rows[] = {
      {"quick click: the release comes when the bounce interval ends", 1, 0,
       {L(0, true), L(30, false)}, "LD@0 LU@40", "0x0101"},
      {"tap: press and release within a millisecond", 1, 0, {L(0, true), L(1, false)}, "LD@0 LU@40", "0x0101"},
      {"interval - 1: still late", 1, 0, {L(0, true), L(39, false)}, "LD@0 LU@40", "0x0101"},
      {"interval: passes at once, nothing pending", 1, 0, {L(0, true), L(40, false)}, "LD@0 LU@40", ""},
      {"guard off: exactly the old filter, the button stays down", 0, 0, {L(0, true), L(30, false)}, "LD@0", "0x0101"},
      {"press chatter: the bounce's press cancels the late release", 1, 0,
       {L(0, true), L(5, false), L(8, true), L(200, false)}, "LD@0 LD@8 LU@200", "0x0101"},
      {"release chatter: swallowed as before, nothing late", 1, 0,
       {L(0, true), L(100, false), L(105, true), L(300, false)}, "LD@0 LU@100 LU@300", "0x0102"},
      {"two bouncing releases: one late release", 1, 0,
       {L(0, true), L(5, false), L(20, false)}, "LD@0 LU@40", "0x0101 0x0101"},
      {"down again unseen at the deadline: dropped", 1, 0, {L(0, true), L(5, false), UnseenDown(20, kButtonLeft)},
       "LD@0", "0x0101"},
      {"right button", 1, 0, {R(0, true), R(10, false)}, "RD@0 RU@40", "0x0401"},
      {"interleaved buttons keep their own deadlines", 1, 0,
       {L(0, true), R(5, true), L(10, false), R(20, false)}, "LD@0 RD@5 LU@40 RU@45", "0x0101 0x0401"},
      {"tick wrap between press and deadline", 1, 0, {L(0, true), L(1, false)}, "LD@0 LU@40", "0x0101",
       0xFFFFFFF0u},
      {"drop-out in a long drag, no drag hold: the drag breaks", 1, 0,
       {L(0, true), L(550, false), L(558, true), L(1100, false)}, "LD@0 LU@550 LU@1100", "0x0102"},
      {"drop-out in a long drag with drag hold: one long press", 1, 1,
       {L(0, true), L(550, false), L(558, true), L(1100, false)}, "LD@0 LU@1130", "0x0120 0x0120"},
      {"drop-out re-pressed as a double click", 1, 1,
       {L(0, true), L(300, false), LDbl(310), L(600, false)}, "LD@0 LU@630", "0x0120 0x0120"},
      {"drag hold, no re-press: released at the end of the window", 1, 1, {L(0, true), L(300, false)},
       "LD@0 LU@330", ""},
      {"drag hold, short click: not held", 1, 1, {L(0, true), L(100, false)}, "LD@0 LU@100", ""},
      {"drag hold, button down unseen at the window's end: held until the press comes", 1, 1,
       {L(0, true), L(300, false), UnseenDown(310, kButtonLeft), L(340, true), L(900, false)}, "LD@0 LU@930",
       "0x0120 0x0120"},
      {"drag hold flushed by the other button: order kept", 1, 1,
       {L(0, true), L(300, false), R(310, true), R(400, false)}, "LD@0 LU@310 RD@310 RU@400", ""},
      {"drag hold flushed by the wheel", 1, 1, {L(0, true), L(300, false), Wheel(305, -120)},
       "LD@0 LU@305 W@305-", ""},
      {"drag hold with the guard off", 0, 1,
       {L(0, true), L(550, false), L(558, true), L(1100, false)}, "LD@0 LU@1130", "0x0120 0x0120"},
      // The middle and side buttons, each with its own pending release.
      {"middle: quick click", 1, 0, {M(0, true), M(30, false)}, "MD@0 MU@40", "0x0801"},
      {"side 1: tap", 1, 0, {X1(0, true), X1(1, false)}, "X1D@0 X1U@40", "0x1001"},
      {"side 2: quick click", 1, 0, {X2(0, true), X2(10, false)}, "X2D@0 X2U@40", "0x2001"},
      {"middle, interval: passes at once", 1, 0, {M(0, true), M(40, false)}, "MD@0 MU@40", ""},
      {"middle, guard off: the button stays down", 0, 0, {M(0, true), M(30, false)}, "MD@0", "0x0801"},
      {"middle with its own interval: released when that one ends", 1, 0, {M(0, true), M(30, false)},
       "MD@0 MU@100", "0x0801", 1000000, 100},
      {"middle press chatter: the re-press cancels the late release", 1, 0,
       {M(0, true), M(5, false), M(8, true), M(200, false)}, "MD@0 MD@8 MU@200", "0x0801"},
      {"side 1 bounce turned double click: both swallowed, nothing late", 1, 0,
       {X1(0, true), X1(5, false), X1Dbl(8), X1(600, false)}, "X1D@0 X1U@600", "0x1001 0x1004"},
      {"side 2 release chatter: swallowed as before, nothing late", 1, 0,
       {X2(0, true), X2(100, false), X2(105, true), X2(300, false)}, "X2D@0 X2U@100 X2U@300", "0x2002"},
      {"side 2 down again unseen at the deadline: dropped", 1, 0,
       {X2(0, true), X2(5, false), UnseenDown(20, kButtonX2)}, "X2D@0", "0x2001"},
      {"side buttons keep apart from each other and from left", 1, 0,
       {L(0, true), X1(5, true), X2(6, true), L(10, false), X1(20, false), X2(21, false)},
       "LD@0 X1D@5 X2D@6 LU@40 X1U@45 X2U@46", "0x0101 0x1001 0x2001"},
      {"middle drop-out with drag hold: one long press", 1, 1,
       {M(0, true), M(550, false), M(558, true), M(1100, false)}, "MD@0 MU@1130", "0x0820 0x0820"},
      {"middle drop-out re-pressed as a double click", 1, 1,
       {M(0, true), M(300, false), MDbl(310), M(600, false)}, "MD@0 MU@630", "0x0820 0x0820"},
      {"side 1 held, flushed by side 2: order kept", 1, 1,
       {X1(0, true), X1(300, false), X2(310, true), X2(400, false)}, "X1D@0 X1U@310 X2D@310 X2U@400", ""},
      {"left held, flushed by the middle", 1, 1, {L(0, true), L(300, false), M(310, true), M(400, false)},
       "LD@0 LU@310 MD@310 MU@400", ""},
      // Press confirmation: a quick deliberate press passes whole, a phantom does not.
      {"double click 60 / 70 / 60", kGuard | kConfirm, 0, {L(0, true), L(60, false), LDbl(130), L(190, false)},
       "LD@0 LU@60 LDbl@130 LU@190", ""},
      {"double click 45 / 55 / 45", kGuard | kConfirm, 0, {L(0, true), L(45, false), LDbl(100), L(145, false)},
       "LD@0 LU@45 LDbl@100 LU@145", ""},
      {"triple click 60 / 80 / 60 / 80 / 60", kGuard | kConfirm, 0,
       {L(0, true), L(60, false), LDbl(140), L(200, false), L(280, true), L(340, false)},
       "LD@0 LU@60 LDbl@140 LU@200 LD@280 LU@340", ""},
      {"8 clicks a second, 50 / 75", kGuard | kConfirm, 0,
       {L(0, true), L(50, false), LDbl(125), L(175, false), L(250, true), L(300, false), LDbl(375), L(425, false),
        L(500, true), L(550, false)},
       "LD@0 LU@50 LDbl@125 LU@175 LD@250 LU@300 LDbl@375 LU@425 LD@500 LU@550", ""},
      {"double-click drag: second press held 250 ms", kGuard | kConfirm, 0,
       {L(0, true), L(60, false), LDbl(130), L(380, false)}, "LD@0 LU@60 LDbl@130 LU@380", ""},
      {"ordinary double click 100 / 220 / 100", kGuard | kConfirm, 0,
       {L(0, true), L(100, false), LDbl(320), L(420, false)}, "LD@0 LU@100 LDbl@320 LU@420", ""},
      {"confirmation off: the double click's press is eaten", kGuard, 0,
       {L(0, true), L(60, false), LDbl(130), L(190, false)}, "LD@0 LU@60 LU@190", "0x0104"},
      {"phantom second click held 2 ms", kGuard | kConfirm, 0, {L(0, true), L(60, false), LDbl(100), L(102, false)},
       "LD@0 LU@60 LU@102", "0x0104"},
      {"phantom second click held 5 ms", kGuard | kConfirm, 0, {L(0, true), L(60, false), LDbl(100), L(105, false)},
       "LD@0 LU@60 LU@105", "0x0104"},
      {"phantom second click held 8 ms", kGuard | kConfirm, 0, {L(0, true), L(60, false), LDbl(100), L(108, false)},
       "LD@0 LU@60 LU@108", "0x0104"},
      {"phantom burst of 1-2 ms presses", kGuard | kConfirm, 0,
       {L(0, true), L(100, false), L(102, true), L(103, false), L(105, true), L(107, false)},
       "LD@0 LU@100 LU@103 LU@107", "0x0102 0x0102"},
      {"held PressConfirmTime - 1: swallowed", kGuard | kConfirm, 0,
       {L(0, true), L(60, false), LDbl(100), L(119, false)}, "LD@0 LU@60 LU@119", "0x0104"},
      {"held PressConfirmTime: passes, its release judged against it", kGuard | kConfirm, 0,
       {L(0, true), L(60, false), LDbl(100), L(120, false)}, "LD@0 LU@60 LDbl@100 LU@140", "0x0101"},
      {"bounce inside a held press stays swallowed", kGuard | kConfirm, 0,
       {L(0, true), L(100, false), L(110, true), L(130, false), L(132, true), L(500, false)},
       "LD@0 LU@100 LD@110 LU@500", "0x0101 0x0102"},
      {"bounce inside a held press, guard off", kConfirm, 0,
       {L(0, true), L(100, false), L(110, true), L(130, false), L(132, true), L(500, false)},
       "LD@0 LU@100 LD@110 LU@500", "0x0101 0x0102"},
      {"right: double click 60 / 70 / 60", kGuard | kConfirm, 0, {R(0, true), R(60, false), RDbl(130), R(190, false)},
       "RD@0 RU@60 RDbl@130 RU@190", ""},
      {"middle: double click 60 / 70 / 60", kGuard | kConfirm, 0,
       {M(0, true), M(60, false), MDbl(130), M(190, false)}, "MD@0 MU@60 MDbl@130 MU@190", ""},
      {"side 1: double click 60 / 70 / 60", kGuard | kConfirm, 0,
       {X1(0, true), X1(60, false), X1Dbl(130), X1(190, false)}, "X1D@0 X1U@60 X1Dbl@130 X1U@190", ""},
      {"side 2: phantom held 3 ms", kGuard | kConfirm, 0,
       {X2(0, true), X2(60, false), X2Dbl(100), X2(103, false)}, "X2D@0 X2U@60 X2U@103", "0x2004"},
      {"double click across the tick wrap", kGuard | kConfirm, 0,
       {L(0, true), L(45, false), LDbl(100), L(145, false)}, "LD@0 LU@45 LDbl@100 LU@145", "", 0xFFFFFFC0u},
  };
  for (const Row& row : rows) PlayRow(row);
}

// A thread busy while input waits in its queue, and a second window with a thread of its own:
// whatever each window takes late, no window keeps a button down.
TEST(ReleaseGuard, LateInputAndASecondWindowLeaveNoButtonDown) {
  const Row rows[] = {
      {"drag hold, busy 250-400 ms: a hold ended by the other button, then a tap, keep both releases", kGuard, 1,
       {L(0, true), R(10, true), L(300, false), R(305, false), L(310, true), L(312, false)},
       "LD@0 RD@10 LD@400 LU@400 RU@400 LU@440", "0x0101", 1000000, 0, {{0, 250, 400}}},
      {"B's tap pending while busy A takes an older press: B still gets its release", kGuard, 0,
       {L(10, true), L(60, false), InB(L(70, true)), InB(L(71, false))},
       "b:LD@70 LD@100 LU@100 b:LU@100", "0x0101", 1000000, 0, {{0, 0, 100}}},
  };
  for (const Row& row : rows) PlayRow(row);
}

TEST(ReleaseGuard, CountsFollowTheSwallowedMessages) {
  Simulation sim;
  SetGuardSettings(sim.guard, 1, 1, 30);
  sim.Play({L(0, true), L(5, false), L(600, true), L(1200, false), L(1210, true), L(2000, false)}, 3000);
  // 0x0101 once, the drop-out's pair twice; the late and held releases are never counted.
  EXPECT_EQ(sim.data.BlockedUpDown, 3u);
  EXPECT_EQ(sim.guard.LateReleases, 2u);  // the tap's, and the drag's final one
  EXPECT_EQ(sim.guard.DroppedReleases, 0u);
}

TEST(ReleaseGuard, NothingPendingMeansNoWakeUp) {
  Simulation sim;
  SetGuardSettings(sim.guard, 1, 1, 30);
  sim.Play({L(0, true), L(100, false), R(300, true), R(400, false), Wheel(500, 120), Wheel(600, 120)}, 5000);
  EXPECT_EQ(sim.serves, 0);
  // One late release: woken once by the hook, once more at the deadline, then asleep again.
  sim.start += 10000;
  sim.Play({L(0, true), L(1, false)}, 5000);
  EXPECT_EQ(sim.serves, 2);
  EXPECT_EQ(sim.nextServe, kNever);
}

TEST(ReleaseGuard, RemovingTheHookDeliversAtOnce) {
  struct Case {
    const char* name;
    bool unhook;  // else the program ends (everyNow)
    std::vector<Event> events;
    std::string application;
  };
  const Case cases[] = {
      {"program ends with a late release pending", false, {L(0, true), L(5, false)}, "LD@0 LU@10"},
      {"hook removed with a late release pending", true, {L(0, true), L(5, false)}, "LD@0 LU@10"},
      {"program ends with a held release pending", false, {L(0, true), L(300, false)}, "LD@0 LU@305"},
  };
  for (const Case& c : cases) {
    Simulation sim;
    SetGuardSettings(sim.guard, 1, 1, 30);
    sim.Play(c.events, c.events.back().at + 4);  // the deadline is not reached
    sim.now = sim.start + c.events.back().at + 5;
    if (c.unhook) sim.data.HookInstalled = 0;
    sim.Serve(!c.unhook);
    sim.Drain();
    EXPECT_EQ(sim.application, c.application) << c.name;
    EXPECT_FALSE(AnyPendingRelease(sim.guard)) << c.name;
  }
}

// Every process can write the pending state: one that moves under every claim is looked at
// again a millisecond later, never spun on.
TEST(ReleaseGuard, AStateThatKeepsMovingIsNotSpunOn) {
  struct Deliverer {
    GuardSharedData& guard;
    int looks = 0;
    int injected = 0;
    std::uint32_t Tick() const { return 5000; }
    bool PhysicallyDown(std::uint8_t) {
      ++looks;
      guard.Left.State ^= 4;  // another thread's now, and back: another process writes meanwhile
      return false;
    }
    void Inject(std::uint8_t) { ++injected; }
  };
  HookSharedData data = InitialHookSharedData();
  data.HookInstalled = 1;
  data.LastLButtonDown = 4900;  // overdue
  GuardSharedData guard = InitialGuardSharedData();
  guard.Left.State = PendingState(8, kPendingLate);
  Deliverer deliverer{guard};
  EXPECT_EQ(ServePendingReleases(data, guard, false, deliverer), kClaimRetryMs);
  EXPECT_EQ(deliverer.looks, kClaimAttempts);
  EXPECT_EQ(deliverer.injected, 0);
}

// In the installing process the window decides: its own windows pass, the other bitness's
// windows (whose hook calls run here) are judged.
TEST(ReleaseGuard, InstallingProcessJudgesOtherProcessesWindows) {
  struct Case {
    const char* name;
    std::uint32_t processId;
    std::uint8_t filterOwnProcess;
    bool ownWindow;
    std::uint32_t verdict;
    int windowLookups;
  };
  const std::uint32_t swallowed = 0x0101;
  const Case cases[] = {
      {"another process: no window lookup", kOther, 0, false, swallowed, 0},
      {"installer, own window", 100, 0, true, kPass, 1},
      {"installer, window of another process", 100, 0, false, swallowed, 1},
      {"installer filtering itself: no window lookup", 100, 1, true, swallowed, 0},
  };
  for (const Case& c : cases) {
    HookSharedData data = InitialHookSharedData();
    GuardSharedData guard = InitialGuardSharedData();
    data.HookType = 0x07;
    data.InstallerProcessId = 100;
    data.FilterOwnProcess = c.filterOwnProcess;
    data.LastLButtonDown = 4990;
    FakeHookState host;
    host.tick = 5000;
    host.self = c.processId;
    host.windowProcess = c.ownWindow ? 0 : 300;
    EXPECT_EQ(DecideWithFake(data, guard, host, kWmLButtonUp), c.verdict) << c.name;
    EXPECT_EQ(host.windowLookups, c.windowLookups) << c.name;
  }
}

// With the guard's features and press confirmation off the hook's decision is the plain
// filter's, message for message: same verdict, same record afterwards, over long random runs of
// every message kind, hook code, process and gap (a fixed seed, so a failure repeats). Press
// confirmation on with a button whose state cannot be read decides exactly so too.
TEST(ReleaseGuard, FeaturesOffDecideExactlyAsThePlainFilter) {
  const std::uint32_t messages[] = {kWmMouseMove, kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk,
                                    kWmRButtonDown, kWmRButtonUp, kWmRButtonDblClk, kWmMButtonDown,
                                    kWmMouseWheel, kWmMouseHWheel};
  std::mt19937 random(12);
  for (int run = 0; run < 50; ++run) {
    HookSharedData plain = InitialHookSharedData();
    plain.HookType = static_cast<std::uint8_t>(random() & 0x07);
    plain.InstallerProcessId = 100;
    plain.FilterOwnProcess = static_cast<std::uint8_t>(random() & 1);
    plain.UpDownIntervalTime = 1 + random() % 200;
    plain.DbClickIntervalTime = 1 + random() % 400;
    HookSharedData guarded = plain, unread = plain;
    GuardSharedData guard = InitialGuardSharedData(), confirming = InitialGuardSharedData();
    SetPressConfirmSettings(confirming, 1, kDefaultPressConfirmTime);
    RefreshButtonIntervals(guarded, guard.Extension);  // the shared intervals in force for every button
    RefreshButtonIntervals(unread, confirming.Extension);
    int pressWaits = 0;
    std::uint32_t tick = 0xFFFFFF00u + static_cast<std::uint32_t>(random() % 0x200);  // across the wrap
    for (int step = 0; step < 400; ++step) {
      tick += random() % 120;
      const std::uint32_t message = messages[random() % (sizeof messages / sizeof messages[0])];
      const std::int16_t delta = static_cast<std::int16_t>(static_cast<int>(random() % 3) * 120 - 120);
      const std::int32_t hookCode = random() % 8 == 0 ? kHcNoRemove : kHcAction;
      const std::uint32_t processId = random() % 4 == 0 ? 100 : 200;
      const std::uint16_t expected =
          FilterMouseMessage(plain, hookCode, message, delta, processId, [&] { return tick; });
      // A fresh process each time: the installing one and another take turns.
      FakeHookState host, unreadHost;
      for (FakeHookState* h : {&host, &unreadHost}) {
        h->tick = tick;
        h->wheelDelta = delta;
        h->self = processId;
      }
      ASSERT_EQ(DecideWithFake(guarded, guard, host, message, hookCode), expected) << "run " << run << " step " << step;
      ASSERT_EQ(DecideWithFake(unread, confirming, unreadHost, message, hookCode), expected)
          << "run " << run << " step " << step << ": confirmation on, state unread";
      ASSERT_EQ(std::memcmp(&plain, &guarded, sizeof plain), 0) << "run " << run << " step " << step;
      ASSERT_EQ(std::memcmp(&plain, &unread, sizeof plain), 0) << "run " << run << " step " << step;
      pressWaits += host.pressWaits;
    }
    EXPECT_FALSE(AnyPendingRelease(guard));
    EXPECT_EQ(pressWaits, 0) << "confirmation off never waits";
  }
}

TEST(ReleaseGuard, HoldTimeOutsideItsRangeIsIgnored) {
  GuardSharedData guard = InitialGuardSharedData();
  EXPECT_EQ(guard.PressConfirmTime, kDefaultPressConfirmTime);
  // Drag hold's and press confirmation's times share their range 5..100.
  // value, then the drag hold and press confirmation times it leaves
  const std::uint32_t tries[][3] = {{4, 30, 20}, {5, 5, 5}, {100, 100, 100}, {101, 100, 100}, {0, 100, 100},
                                    {0xFFFFFFFFu, 100, 100}};
  for (const auto& t : tries) {
    SetGuardSettings(guard, 1, 1, t[0]);
    SetPressConfirmSettings(guard, 2, t[0]);
    EXPECT_EQ(guard.DragHoldTime, t[1]) << t[0];
    EXPECT_EQ(guard.PressConfirmTime, t[2]) << t[0];
    EXPECT_EQ(guard.PressConfirm, 1);
  }
}

// Swapped buttons: the physical state of a logical left press is the right button's.
TEST(ReleaseGuard, SwappedButtonsReadTheOtherPhysicalButton) {
  const std::uint8_t swapped[kButtonCount] = {kButtonRight, kButtonLeft, kButtonMiddle, kButtonX1, kButtonX2};
  for (std::uint8_t b = 0; b < kButtonCount; ++b) {
    EXPECT_EQ(PhysicalButton(b, false), b);
    EXPECT_EQ(PhysicalButton(b, true), swapped[b]);
  }
}

}  // namespace
