// The filter's extension rules, apart from the per-message decision: each button's intervals in
// force, the excluded-programs list and the pause as programs set them, and the one decision
// each process makes about itself when the list or the pause changes.
#pragma once
#include <cstdint>

#include "filter_extension_data.h"
#include "hook_shared_data.h"

// Per process, never shared: the generation this process last found itself filtered at (0: not
// filtered, or not yet decided), and whether it asked for its own input unfiltered. In the
// installing process also the last other process it judged (the other bitness's hook calls run
// there), keyed by id and start time: a new process that takes an old one's id is judged anew.
struct ProcessExclusion {
  std::uint32_t FilteredGeneration;
  std::uint32_t DecidedGeneration;
  std::uint8_t Excluded;
  std::uint8_t Unfiltered;
  std::uint8_t OtherExcluded;
  std::uint32_t OtherProcessId;
  std::uint32_t OtherGeneration;
  std::uint64_t OtherStarted;
};

// Room for an executable's full path as the platform reports it, terminator included.
inline constexpr std::uint32_t kExecutablePathCapacity = 520;

// A button's interval in force: its own, or the shared one while it has none.
constexpr std::uint32_t IntervalInForce(std::uint32_t own, std::uint32_t shared) noexcept {
  return own != kSharedButtonInterval ? own : shared;
}

// Recomputes every button's intervals in force from its own and the shared ones. Called
// whenever either changes, so the hook loads one value per rule, as it always did.
inline void RefreshButtonIntervals(const HookSharedData& data, FilterExtensionData& extension) noexcept {
  const std::uint32_t upDown = SharedLoad(data.UpDownIntervalTime);
  const std::uint32_t dbClick = SharedLoad(data.DbClickIntervalTime);
  for (std::uint8_t b = 0; b < kButtonCount; ++b) {
    SharedStore(extension.UpDownIntervalTime[b], IntervalInForce(SharedLoad(extension.OwnUpDownIntervalTime[b]), upDown));
    SharedStore(extension.DbClickIntervalTime[b],
                IntervalInForce(SharedLoad(extension.OwnDbClickIntervalTime[b]), dbClick));
  }
}

// SetButtonIntervalTime: 0 returns a button to the shared interval; a value above 9999, or a
// button index out of range, leaves things as they are.
inline void SetButtonIntervals(const HookSharedData& data, FilterExtensionData& extension, std::uint8_t button,
                               std::uint32_t upDown, std::uint32_t dbClick) noexcept {
  if (button >= kButtonCount) return;
  if (IsButtonIntervalAccepted(upDown)) SharedStore(extension.OwnUpDownIntervalTime[button], upDown);
  if (IsButtonIntervalAccepted(dbClick)) SharedStore(extension.OwnDbClickIntervalTime[button], dbClick);
  RefreshButtonIntervals(data, extension);
}

namespace filter_extension_detail {

// A writer that waits for another's change spins this often before it judges the other dead.
inline constexpr std::uint32_t kSpinWaits = 1u << 16;
struct SpinWait {
  bool operator()(std::uint32_t attempt) const noexcept {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
    return attempt < kSpinWaits;
  }
};

// A writer claims the list by moving the generation from even to odd in one compare-exchange,
// so two programs changing it at once (the panel and Quillrun at log-on) take turns instead of
// both writing under one odd value, the first one's end then opening a half-written list to
// every reader. While another writer holds it, wait(attempt) pauses and says whether to go on
// waiting; once it says no, that writer is taken for dead half-way and its odd value is taken
// over (moved on by two, so only one waiter takes it). Acquire: nothing written after the claim
// is seen before it.
template <typename Wait>
inline std::uint32_t BeginChange(FilterExtensionData& extension, Wait&& wait) noexcept {
  for (std::uint32_t attempt = 0;; ++attempt) {
    std::uint32_t generation = __atomic_load_n(&extension.ExclusionGeneration, __ATOMIC_ACQUIRE);
    const bool held = (generation & 1) != 0;
    if (held && wait(attempt)) continue;
    // Even: claim it; odd and waited out: take it over.
    const std::uint32_t claimed = held ? generation + 2 : generation + 1;
    if (__atomic_compare_exchange_n(&extension.ExclusionGeneration, &generation, claimed, false, __ATOMIC_ACQ_REL,
                                    __ATOMIC_ACQUIRE))
      return claimed;
  }
}
// The next even value (never 0, which stands for "not filtered" in a process's own state), as a
// release: a reader that sees it sees the whole list. A writer whose claim was taken over as dead
// leaves the generation to the one that took it.
inline void EndChange(FilterExtensionData& extension, std::uint32_t odd) noexcept {
  std::uint32_t next = odd + 1;
  if (next == 0) next = 2;
  __atomic_compare_exchange_n(&extension.ExclusionGeneration, &odd, next, false, __ATOMIC_RELEASE, __ATOMIC_RELAXED);
}

}  // namespace filter_extension_detail

// SetExcludedPrograms: takes the list (excluded_programs.h) and lets every process decide again.
template <typename Wait = filter_extension_detail::SpinWait>
inline ExcludedProgramsTaken SetExcludedProgramList(FilterExtensionData& extension, ExcludedProgramNames& names,
                                                    const char16_t* list, std::uint32_t listCapacity,
                                                    Wait&& wait = Wait{}) noexcept {
  const std::uint32_t odd = filter_extension_detail::BeginChange(extension, wait);
  const ExcludedProgramsTaken taken = TakeExcludedPrograms(list, listCapacity, names);
  filter_extension_detail::EndChange(extension, odd);
  return taken;
}

// Every process decides again at its next message: the installing process changed.
template <typename Wait = filter_extension_detail::SpinWait>
inline void RenewProcessDecisions(FilterExtensionData& extension, Wait&& wait = Wait{}) noexcept {
  filter_extension_detail::EndChange(extension, filter_extension_detail::BeginChange(extension, wait));
}

// SetFilterPaused: while paused every process passes its input as if it were excluded.
template <typename Wait = filter_extension_detail::SpinWait>
inline void SetFilterPause(FilterExtensionData& extension, std::uint8_t paused, Wait&& wait = Wait{}) noexcept {
  const std::uint32_t odd = filter_extension_detail::BeginChange(extension, wait);
  SharedStore(extension.Paused, static_cast<std::uint8_t>(paused != 0 ? 1 : 0));
  filter_extension_detail::EndChange(extension, odd);
}

// The calling process's own request (SetProcessUnfiltered): decided again at the next message.
inline void SetProcessUnfilteredFlag(ProcessExclusion& process, std::uint8_t unfiltered) noexcept {
  SharedStore(process.Unfiltered, static_cast<std::uint8_t>(unfiltered != 0 ? 1 : 0));
  SharedStore(process.FilteredGeneration, std::uint32_t{0});
  SharedStore(process.DecidedGeneration, std::uint32_t{0});
}

// The decision behind the hook's one compare: true when this process's input passes unfiltered.
// A filtered process makes it once per change of the list, and remembers it for the compare
// unless told not to (the installing process, whose own windows are judged message by message).
inline bool DecideProcessExclusion(const FilterExtensionData& extension, const ExcludedProgramNames& names,
                                   ProcessExclusion& process, const char16_t* executablePath,
                                   std::uint32_t pathCapacity, bool rememberFiltered = true) noexcept {
  const std::uint32_t generation = SharedLoad(extension.ExclusionGeneration);
  if (generation == SharedLoad(process.DecidedGeneration)) return SharedLoad(process.Excluded) != 0;
  // Being rewritten: keep the last decision until the writer is done.
  if ((generation & 1) != 0) return SharedLoad(process.Excluded) != 0;
  const bool excluded = SharedLoad(process.Unfiltered) != 0 || SharedLoad(extension.Paused) != 0 ||
                        IsExcludedProgram(names, executablePath, pathCapacity);
  // A list that changed while it was read is judged again at the next message.
  if (SharedLoad(extension.ExclusionGeneration) != generation) return excluded;
  SharedStore(process.Excluded, static_cast<std::uint8_t>(excluded ? 1 : 0));
  SharedStore(process.DecidedGeneration, generation);
  SharedStore(process.FilteredGeneration, excluded || !rememberFiltered ? 0 : generation);
  return excluded;
}

// The hook's test: one compare while this process stays filtered at the current generation. The
// process's own word is read plainly, so the compare can take it from memory: only this
// process's threads store it, whole, and a stale value costs one more decision.
inline bool ProcessStaysFiltered(const FilterExtensionData& extension, const ProcessExclusion& process) noexcept {
  return SharedLoad(extension.ExclusionGeneration) == process.FilteredGeneration;
}

// The one process policy: whether a message's input passes unfiltered. An excluded program and
// any process while the filter is paused pass; so do the installing process's own windows unless
// it filters itself. The installing process never remembers "filtered": the other bitness's hook
// calls run there too, for windows of other processes, each judged by that process's own
// exclusion. Host provides (each asked only where needed):
//   ProcessExclusion& Process()    this process's own state
//   const ExcludedProgramNames& ExcludedNames()
//   const char16_t* ExecutablePath(), std::uint32_t ExecutablePathCapacity()   this process's
//   std::uint32_t WindowProcessId()           the message window's process (this one for none)
//   std::uint64_t ProcessStarted(id)          that process's start time, 0 when unknown
//   void ExecutableOf(id, char16_t* path, std::uint32_t capacity)   its executable, "" unknown
template <typename Host>
inline bool PassesUnfiltered(const HookSharedData& data, const FilterExtensionData& extension,
                             std::uint32_t processId, Host& host) noexcept {
  const ExcludedProgramNames& names = host.ExcludedNames();
  ProcessExclusion& process = host.Process();
  const bool installer = processId == SharedLoad(data.InstallerProcessId);
  const bool excluded = DecideProcessExclusion(extension, names, process, host.ExecutablePath(),
                                               host.ExecutablePathCapacity(), !installer);
  if (!installer) return excluded;
  const bool ownInputPasses = excluded || SharedLoad(data.FilterOwnProcess) == 0;
  const bool paused = SharedLoad(extension.Paused) != 0;
  // While nothing is listed and the filter runs, no other process passes: no window to look up.
  const bool othersMayPass = paused || names.Names[0][0] != 0;
  if (!ownInputPasses && !othersMayPass) return false;
  const std::uint32_t window = host.WindowProcessId();
  if (window == processId) return ownInputPasses;
  if (!othersMayPass) return false;
  if (paused) return true;
  // Another process's window: its executable is looked up once per process and change of the list.
  const std::uint32_t generation = SharedLoad(extension.ExclusionGeneration);
  const std::uint64_t started = host.ProcessStarted(window);
  if (started != 0 && window == process.OtherProcessId && started == process.OtherStarted &&
      generation == process.OtherGeneration)
    return process.OtherExcluded != 0;
  char16_t path[kExecutablePathCapacity];
  path[0] = 0;
  host.ExecutableOf(window, path, kExecutablePathCapacity);
  const bool otherExcluded = IsExcludedProgram(names, path, kExecutablePathCapacity);
  process.OtherProcessId = window;
  process.OtherStarted = started;
  process.OtherGeneration = generation;
  process.OtherExcluded = otherExcluded ? 1 : 0;
  return otherExcluded;
}
