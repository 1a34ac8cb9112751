// What the hook core's tests, fuzzers and benchmarks share: the one fake of the platform the
// decision asks (mouse_decision.h, filter_extension.h), and the removal of a hook where no
// installer can have ended unseen.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "hook_control.h"
#include "mouse_decision.h"

// Everything the fake answers, owned by the caller. The decision copies its host into its
// out-of-line parts, so the host holds only a pointer to this.
struct FakeHookState {
  std::uint32_t tick = 0;
  std::int16_t wheelDelta = 0;
  std::uint16_t xButton = 0;  // the high word of a side button message's mouseData
  std::uint32_t mark = 0;     // the input's extra information: kInjectedReleaseMark, kReplayedInputMark
  std::uint32_t thread = 4;   // the hooked thread's id
  std::uint32_t self = 200;   // this process's id
  ProcessExclusion process{};
  ExcludedProgramNames names{};
  std::u16string path = u"C:\\Apps\\app.exe";
  // The message's window: 0 for one of this process's own; else another process's id, start
  // time and executable.
  std::uint32_t windowProcess = 0;
  std::uint64_t windowStarted = 1;
  std::u16string windowPath;
  // The platform's wait for a press to be confirmed: whether the button is still held ms later.
  // Unset: the button is never held (the state cannot be read).
  std::function<bool(std::uint8_t button, std::uint32_t ms)> pressHeld;
  // Ending a hold: the physical state (unset: up), and the input the hooked thread sends (unset:
  // refused).
  std::function<bool(std::uint8_t button)> physicallyDown;
  std::function<bool(std::uint8_t button, std::uint32_t message)> sendReleaseThenMessage;
  int windowLookups = 0, executableLookups = 0, pressWaits = 0, wakes = 0;
};

// The fake's answers, for a host that finds its state as Self::State(): a pointer held by the
// host (FakeHookHost), or a global named at compile time (GlobalFakeHookHost), which leaves the
// host empty, as the benchmarks count instructions of the decision alone.
template <typename Self>
struct FakeHookAnswers {
  FakeHookState& S() const { return static_cast<const Self*>(this)->State(); }
  std::uint32_t Tick() const { return S().tick; }
  std::int16_t WheelDelta() const { return S().wheelDelta; }
  std::uint32_t InputMark() const { return S().mark; }
  std::uint32_t ThreadId() const { return S().thread; }
  void WakeDeliverer() const { ++S().wakes; }
  bool PhysicallyDown(std::uint8_t button) const { return S().physicallyDown && S().physicallyDown(button); }
  bool SendReleaseThenMessage(std::uint8_t button, std::uint32_t message) const {
    return S().sendReleaseThenMessage && S().sendReleaseThenMessage(button, message);
  }
  std::uint16_t XButton() const { return S().xButton; }
  ProcessExclusion& Process() const { return S().process; }
  const ExcludedProgramNames& ExcludedNames() const { return S().names; }
  const char16_t* ExecutablePath() const { return S().path.c_str(); }
  std::uint32_t ExecutablePathCapacity() const { return static_cast<std::uint32_t>(S().path.size() + 1); }
  std::uint32_t WindowProcessId() const {
    ++S().windowLookups;
    return S().windowProcess == 0 ? S().self : S().windowProcess;
  }
  std::uint64_t ProcessStarted(std::uint32_t) const { return S().windowStarted; }
  void ExecutableOf(std::uint32_t, char16_t* path, std::uint32_t capacity) const {
    ++S().executableLookups;
    const std::size_t length = S().windowPath.copy(path, capacity - 1);
    path[length] = 0;
  }
  bool PressHeld(std::uint8_t button, std::uint32_t ms) const {
    ++S().pressWaits;
    return S().pressHeld && S().pressHeld(button, ms);
  }
};

struct FakeHookHost : FakeHookAnswers<FakeHookHost> {
  FakeHookState* s;
  explicit FakeHookHost(FakeHookState* state) : s(state) {}
  FakeHookState& State() const { return *s; }
};

template <FakeHookState& kState>
struct GlobalFakeHookHost : FakeHookAnswers<GlobalFakeHookHost<kState>> {
  static FakeHookState& State() { return kState; }
};

// One decision through the fake, as the hook procedure makes it for process s.self.
inline std::uint32_t DecideWithFake(HookSharedData& data, GuardSharedData& guard, FakeHookState& s,
                                    std::uint32_t message, std::int32_t hookCode = kHcAction) {
  FakeHookHost host(&s);
  return DecideMouseMessage(data, guard, hookCode, message, s.self, host);
}

// Where no installer can have ended unseen: only a successful unhook resets the record.
template <typename Unhook>
std::uint8_t UninstallSharedHook(HookSharedData& data, Unhook&& unhook) noexcept {
  return UninstallSharedHook(data, 0, unhook, [](std::uint32_t) { return false; });
}
