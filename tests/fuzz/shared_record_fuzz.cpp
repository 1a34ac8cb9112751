// Fuzzes the hook engine's core with arbitrary shared records and sequences of what processes do
// with them, the messages judged by the decision the hook runs (guard, drag hold and press
// confirmation included); nothing outside the records is touched, and a drain makes the cache
// trustworthy again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "block_log.h"
#include "hook_test_kit.h"
#include "log_record.h"

namespace {

constexpr std::size_t kHeaderSize = offsetof(HookSharedData, CacheBuffer);
constexpr std::uint32_t kSelf = 4242;

// Counts the lock discipline: Release only after a Wait that succeeded, Close only after an Open
// that succeeded, and nothing held when the operation returns.
struct FuzzLock {
  FuzzedDataProvider* input = nullptr;
  bool opened = false;
  bool held = false;

  bool Open() {
    if (opened) __builtin_trap();
    opened = input->ConsumeIntegralInRange<int>(0, 15) != 0;
    return opened;
  }
  bool Wait() {
    if (!opened || held) __builtin_trap();
    held = input->ConsumeIntegralInRange<int>(0, 15) != 0;
    return held;
  }
  void Release() {
    if (!held) __builtin_trap();
    held = false;
  }
  void Close() {
    if (!opened || held) __builtin_trap();
    opened = false;
  }
  void CheckDone() const {
    if (opened || held) __builtin_trap();
  }
};

// Executable paths as the library holds them, each in an exactly sized block so a read past the
// given capacity is a heap overflow.
struct Path {
  std::unique_ptr<char16_t[]> units;
  std::size_t capacity;
};

Path MakePath(std::size_t length, std::size_t capacity) {
  Path path{std::make_unique<char16_t[]>(capacity), capacity};
  for (std::size_t i = 0; i < capacity; ++i) path.units[i] = i < length ? static_cast<char16_t>(u'A' + i % 26) : 0;
  return path;
}

std::uint32_t CounterSum(const HookSharedData& data) {
  return data.BlockedUpDown + data.BlockedDbClick + data.BlockedRotReverse;
}

// The code a swallowed message may carry: its own button's (a side button by its mouseData) and
// a rule of its kind, drag hold's for a press or double click.
bool IsValidCode(std::uint32_t message, std::uint16_t xButton, std::uint16_t code) {
  const std::uint8_t source = static_cast<std::uint8_t>(code >> 8);
  const std::uint8_t rule = static_cast<std::uint8_t>(code);
  if (message == kWmMouseWheel) return source == kSourceWheel && (rule == kRuleWheelForward || rule == kRuleWheelBackward);
  if (message < kWmLButtonDown || message > kWmXButtonDblClk) return false;
  const std::uint32_t offset = message - kWmLButtonDown - (message > kWmMouseWheel ? 1 : 0);
  const std::uint8_t button = static_cast<std::uint8_t>(offset / 3);
  const std::uint8_t expected = button < 3 ? kButtonSources[button]
                                : xButton == kXButton1 ? kSourceXButton1
                                : xButton == kXButton2 ? kSourceXButton2 : 0;
  if (source != expected) return false;
  switch (offset % 3) {
    case 0: return rule == kRuleDownAfterUp || rule == kRuleDownAfterDblClk || rule == kRuleDragHold;
    case 1: return rule == kRuleUpAfterDown;
    default: return rule == kRuleDblClkAfterDown || rule == kRuleDblClkAfterDblClk || rule == kRuleDragHold;
  }
}

// Walks a drained batch the way the log writer does, from an exactly sized copy: a read past the
// drained count is a heap overflow. Returns true when the walk read every byte.
bool WalkBatch(const std::uint8_t* drained, std::uint16_t count) {
  std::unique_ptr<std::uint8_t[]> batch(count ? new std::uint8_t[count] : nullptr);
  if (count) std::memcpy(batch.get(), drained, count);
  BlockLogLines lines(batch.get(), count);
  while (lines.Next()) {
    const char16_t* line = lines.Line();
    const std::size_t length = lines.Length();
    if (length < 4 || length >= kLogLineCapacity || line[length] != 0) __builtin_trap();
    if (line[0] != u'[' || line[length - 3] != u'>' || line[length - 2] != u'\r' || line[length - 1] != u'\n')
      __builtin_trap();
  }
  return lines.Stop() == BlockLogStop::End;
}

constexpr std::uint32_t kMessages[] = {kWmLButtonDown, kWmLButtonUp,  kWmLButtonDblClk, kWmRButtonDown,
                                       kWmRButtonUp,   kWmRButtonDblClk, kWmMouseWheel, kWmMouseMove,
                                       kWmMButtonDown, kWmMButtonUp, kWmXButtonDown, kWmXButtonUp,
                                       kWmXButtonDblClk, kWmMouseHWheel};

// The fake with its clock reads counted.
struct CountingHost : FakeHookHost {
  int* reads;
  std::uint32_t Tick() const {
    ++*reads;
    return FakeHookHost::Tick();
  }
};

}  // namespace

// Input: 80 bytes laid over the record's header; the rest gives a byte pattern repeated over the
// cache and a sequence of operations: judge a message (and append when swallowed), drain, switch
// logging, set intervals, install, uninstall, and another process scribbling over any bytes.
// Drained batches are walked as the log writer walks them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The record and the drain buffer in exactly sized heap blocks.
  auto record = std::make_unique<HookSharedData>(InitialHookSharedData());
  HookSharedData& shared = *record;
  auto guardRecord = std::make_unique<GuardSharedData>(InitialGuardSharedData());
  GuardSharedData& guard = *guardRecord;
  const std::size_t header = size < kHeaderSize ? size : kHeaderSize;
  std::memcpy(&shared, data, header);
  data += header;
  size -= header;

  FuzzedDataProvider input(data, size);
  const std::size_t cacheBytes = input.ConsumeIntegralInRange<std::size_t>(0, 2048);
  const std::vector<std::uint8_t> pattern = input.ConsumeBytes<std::uint8_t>(cacheBytes);
  if (!pattern.empty())
    for (std::size_t i = 0; i < kBlockLogCacheSize; ++i) shared.CacheBuffer[i] = pattern[i % pattern.size()];

  auto drain = std::make_unique<std::uint8_t[]>(kBlockLogCacheSize);
  const Path paths[] = {MakePath(0, 1), MakePath(40, 41), MakePath(260, 261), MakePath(261, 262),
                        MakePath(300, 300) /* unterminated */, MakePath(5, 5) /* unterminated, short */};

  // True while every byte of the cache was put there by an append: then a drain walks whole.
  bool cacheTrusted = false;
  FuzzLock lock;
  lock.input = &input;
  CacheResetMark mark{input.ConsumeIntegral<std::uint8_t>()};
  // The hooked process: whether a press is held is the input's to say.
  FakeHookState host;
  host.self = kSelf;
  host.pressHeld = [&](std::uint8_t button, std::uint32_t) {
    if (button >= kButtonCount) __builtin_trap();
    return input.ConsumeBool();
  };

  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange<int>(0, 7)) {
      case 0: {  // a process judges a message and, when swallowed, appends its record
        const std::uint32_t message = input.ConsumeBool() ? input.PickValueInArray(kMessages)
                                                          : input.ConsumeIntegral<std::uint32_t>();
        const std::int32_t hookCode = input.ConsumeBool() ? input.PickValueInArray({0, 3, -1})
                                                          : input.ConsumeIntegral<std::int32_t>();
        const std::int16_t wheelDelta = input.ConsumeIntegral<std::int16_t>();
        const std::uint32_t processId = input.ConsumeBool() ? kSelf : input.ConsumeIntegral<std::uint32_t>();
        host.tick = input.ConsumeIntegral<std::uint32_t>();
        host.wheelDelta = wheelDelta;
        host.xButton = input.ConsumeBool() ? input.PickValueInArray({kXButton1, kXButton2}) : input.ConsumeIntegral<std::uint16_t>();
        const int inputMark = input.ConsumeIntegralInRange<int>(0, 7);
        host.mark = inputMark == 0 ? kInjectedReleaseMark : inputMark == 1 ? kReplayedInputMark : 0;
        host.thread = 4u << input.ConsumeIntegralInRange<int>(0, 1);
        host.self = processId;
        host.windowProcess = input.ConsumeBool() ? 0 : input.ConsumeIntegral<std::uint32_t>();
        const std::uint32_t before = CounterSum(shared);
        int clockReads = 0;
        CountingHost counting{FakeHookHost(&host), &clockReads};
        const std::uint32_t verdict = DecideMouseMessage(shared, guard, hookCode, message, processId, counting);
        const std::uint16_t code = static_cast<std::uint16_t>(verdict);
        if (clockReads > 1) __builtin_trap();
        if (verdict == kPass || code == 0) {  // passed, or swallowed silently (held or flushed)
          if (CounterSum(shared) != before) __builtin_trap();
          break;
        }
        const std::uint32_t records = (verdict & kVerdictSecondRecord) != 0 ? 2 : 1;
        if (!IsValidCode(message, host.xButton, code) || CounterSum(shared) != before + records) __builtin_trap();
        const Path& path = paths[input.ConsumeIntegralInRange<std::size_t>(0, std::size(paths) - 1)];
        AppendBlockLog(shared, mark, code, processId, path.units.get(), path.capacity, lock,
                       [&] { return BlockLogTime{input.ConsumeIntegral<std::uint16_t>(), 13, 0, 31, 23, 59, 59, 999}; });
        lock.CheckDone();
        break;
      }
      case 1: {  // a drain, by the installer or by another process
        const std::uint32_t installer = shared.InstallerProcessId;
        const std::uint32_t processId = input.ConsumeBool() ? installer : input.ConsumeIntegral<std::uint32_t>();
        const std::uint16_t count = DrainBlockLog(shared, mark, processId, drain.get(), lock);
        lock.CheckDone();
        if (processId != installer) {
          if (count != kDrainNotInstaller) __builtin_trap();
          break;
        }
        if (count > kBlockLogCacheSize) __builtin_trap();
        if (count > 0 && shared.CacheLength != 0) __builtin_trap();
        const bool whole = WalkBatch(drain.get(), count);
        if (cacheTrusted && !whole) __builtin_trap();
        if (shared.CacheLength == 0) cacheTrusted = true;
        break;
      }
      case 2: {  // logging switched
        SetBlockLogState(shared, mark, input.ConsumeIntegral<std::uint8_t>(), lock);
        lock.CheckDone();
        if (shared.CacheLength == 0) cacheTrusted = true;
        break;
      }
      case 3:
        SetSharedIntervalTimes(shared, input.ConsumeIntegral<std::uint32_t>(), input.ConsumeIntegral<std::uint32_t>(),
                               input.ConsumeIntegral<std::uint32_t>());
        RefreshButtonIntervals(shared, guard.Extension);
        break;
      case 4: {
        const std::uint32_t handle = input.ConsumeIntegral<std::uint32_t>();
        InstallSharedHook(shared, input.ConsumeBool() ? kSelf : input.ConsumeIntegral<std::uint32_t>(),
                          input.ConsumeIntegral<std::uint8_t>(), [&] { return handle; });
        break;
      }
      case 5: {
        const bool unhooks = input.ConsumeBool();
        const std::uint8_t before = shared.HookInstalled;
        const std::uint8_t result = UninstallSharedHook(shared, [&](std::uint32_t) { return unhooks; });
        // A handle the platform does not take leaves the installation as it was.
        if (!unhooks && (result != 0 || shared.HookInstalled != before)) __builtin_trap();
        break;
      }
      case 6: {  // another process writes whatever it likes anywhere in either record
        const bool inGuard = input.ConsumeBool();
        std::uint8_t* target = inGuard ? reinterpret_cast<std::uint8_t*>(&guard) : reinterpret_cast<std::uint8_t*>(&shared);
        const std::size_t length = inGuard ? sizeof(GuardSharedData) : sizeof(HookSharedData);
        const std::size_t offset = input.ConsumeIntegralInRange<std::size_t>(0, length - 1);
        const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(
            input.ConsumeIntegralInRange<std::size_t>(1, length - offset < 16 ? length - offset : 16));
        if (!bytes.empty()) std::memcpy(target + offset, bytes.data(), bytes.size());
        if (!inGuard) cacheTrusted = false;
        break;
      }
      case 7:  // the installing program's settings
        SetGuardSettings(guard, input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint8_t>(),
                         input.ConsumeIntegral<std::uint32_t>());
        SetPressConfirmSettings(guard, input.ConsumeIntegral<std::uint8_t>(), input.ConsumeIntegral<std::uint32_t>());
        break;
    }
  }
  return 0;
}
