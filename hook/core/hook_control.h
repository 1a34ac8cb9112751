// Installing and removing the hook and storing settings in the shared record. The platform's
// hook calls are parameters, so the ordering rules run natively in tests.
#pragma once
#include <cstdint>

#include "hook_shared_data.h"

// Behind the fixed record: the session of the process that installed the hook, plus one (0: not
// known, as after an installing program of a library without it).
struct InstallerSession {
  std::uint32_t SessionTag;
};

// Who holds the filter, for the calling process of session sessionTag (its session plus one).
inline std::uint8_t HookHolder(const HookSharedData& data, const InstallerSession& installer,
                               std::uint32_t processId, std::uint32_t sessionTag) noexcept {
  if (SharedLoad(data.HookInstalled) == 0) return kHookHolderNone;
  if (SharedLoad(data.InstallerProcessId) == processId) return kHookHolderThisProcess;
  const std::uint32_t tag = SharedLoad(installer.SessionTag);
  return tag != 0 && tag != sessionTag ? kHookHolderOtherSession : kHookHolderThisSession;
}

// Each value outside 1..9999 leaves its field as it is.
inline void SetSharedIntervalTimes(HookSharedData& data, std::uint32_t upDown, std::uint32_t dbClick,
                                   std::uint32_t rotReverse) noexcept {
  if (IsIntervalTimeAccepted(upDown)) SharedStore(data.UpDownIntervalTime, upDown);
  if (IsIntervalTimeAccepted(dbClick)) SharedStore(data.DbClickIntervalTime, dbClick);
  if (IsIntervalTimeAccepted(rotReverse)) SharedStore(data.RotReverseIntervalTime, rotReverse);
}

// setHook() installs the platform hook and returns the 32 significant bits of its handle, 0 on
// failure. Two programs starting at log-on may both get here at once: the one that claims
// InstallerProcessId (0 -> its id, a single compare-exchange) installs, the other returns 0 as
// if the hook were installed already. A failed install gives the claim back as its very last
// store: from then on another program may install and switch logging on, and nothing of this
// call may land on top of that.
template <typename SetHook>
std::uint8_t InstallSharedHook(HookSharedData& data, std::uint32_t processId, std::uint8_t filterOwnProcess,
                               SetHook&& setHook) noexcept {
  if (SharedLoad(data.HookInstalled) != 0) return 0;
  if (!SharedCompareExchange(data.InstallerProcessId, std::uint32_t{0}, processId)) return 0;
  const std::uint32_t handle = setHook();
  SharedStore(data.HookHandle, handle);
  SharedStore(data.LogState, std::uint8_t{0});
  // The last store hands the record over, and it is a release: whoever sees the hook installed
  // (and may remove it) or the claim given back (and may install) also sees every store above.
  if (handle != 0) {
    SharedStore(data.FilterOwnProcess, filterOwnProcess);
    __atomic_store_n(&data.HookInstalled, std::uint8_t{1}, __ATOMIC_RELEASE);
  } else {
    __atomic_store_n(&data.InstallerProcessId, std::uint32_t{0}, __ATOMIC_RELEASE);
  }
  return handle != 0 ? 1 : 0;
}

// unhook(handle) removes the platform hook and says whether it did. Only the call whose unhook
// succeeds resets the record (a handle is removed once), and it gives up InstallerProcessId
// last: until then no new install can start, so the reset never clobbers a newer install.
//
// installerEnded(id) says whether the process with that id has ended. The system destroys a hook
// with the thread that set it, so when the installing process ended without removing its hook,
// the handle in the record names nothing any more and every unhook fails: without more, no
// program could switch the filter off or on again for as long as the library stays mapped
// anywhere. Then the caller that claims the record (InstallerProcessId: the ended id -> its own,
// one compare-exchange, so a single caller wins and no install can start meanwhile) resets it as
// if its unhook had succeeded; tookOver() then clears what the ended installer left beside the
// record (no deliverer of its will ever serve it).
struct NothingToTakeOver {
  void operator()() const noexcept {}
};
template <typename Unhook, typename InstallerEnded, typename TookOver = NothingToTakeOver>
std::uint8_t UninstallSharedHook(HookSharedData& data, std::uint32_t processId, Unhook&& unhook,
                                 InstallerEnded&& installerEnded, TookOver&& tookOver = TookOver{}) noexcept {
  if (SharedLoad(data.HookInstalled) == 0) return 0;
  if (!unhook(SharedLoad(data.HookHandle))) {
    const std::uint32_t installer = SharedLoad(data.InstallerProcessId);
    if (installer == 0 || installer == processId || !installerEnded(installer)) return 0;
    if (!SharedCompareExchange(data.InstallerProcessId, installer, processId)) return 0;
    tookOver();
  }
  SharedStore(data.HookInstalled, std::uint8_t{0});
  SharedStore(data.FilterOwnProcess, std::uint8_t{0});
  SharedStore(data.BlockedUpDown, std::uint32_t{0});
  SharedStore(data.BlockedDbClick, std::uint32_t{0});
  SharedStore(data.BlockedRotReverse, std::uint32_t{0});
  SharedStore(data.HookHandle, std::uint32_t{0});
  __atomic_store_n(&data.InstallerProcessId, std::uint32_t{0}, __ATOMIC_RELEASE);
  return 1;
}
