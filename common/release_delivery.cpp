// The release guard's delivery thread (see release_delivery.h).
#include "release_delivery.h"

#include <sddl.h>

#include <atomic>

#include "unique_handle.h"

namespace {

// A woken thread delivers and returns at once; this only bounds a thread stuck in SendInput.
constexpr DWORD kStopTimeoutMs = 2000;

struct Delivery {
  UniqueHandle Wake;    // the named auto-reset event the hook sets
  UniqueHandle Stop;    // manual-reset: the thread's end
  UniqueHandle Thread;
  SetReleaseGuardFn SetReleaseGuard = nullptr;
  DeliverPendingReleasesFn DeliverPendingReleases = nullptr;
  const HookLibrary* Library = nullptr;  // the program's own binding, which outlives the thread
};
Delivery Running;
// Set by LeaveReleaseDelivery before it stops the thread: the thread then ends without its last
// delivery.
std::atomic<bool> HandedOver{false};

// Sleeps until the hook signals a new pending release or the nearest deadline comes: while
// nothing is pending the wait has no time-out at all, so an idle program is never woken.
DWORD WINAPI DeliveryThread(void*) {
  // Own copies: a stop that gives up on this thread clears Running.
  const DeliverPendingReleasesFn deliver = Running.DeliverPendingReleases;
  const HANDLE handles[2] = {Running.Stop.get(), Running.Wake.get()};
  for (;;) {
    const DWORD wait = deliver(0);
    const DWORD result = WaitForMultipleObjects(2, handles, FALSE, wait);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) break;
  }
  if (!HandedOver.load()) deliver(1);  // leaving: nothing stays pending
  return 0;
}

// Windows: hooked processes of every integrity level at or below ours must be able to set the
// event, so it grants everyone the set right and carries a low mandatory label.
UniqueHandle CreateWakeEvent() {
  UniqueLocalMemory descriptor;  // a security descriptor, which the conversion allocates locally
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x100002;;;WD)(A;;0x1F0003;;;OW)S:(ML;;NW;;;LW)",
                                                           SDDL_REVISION_1, descriptor.put(), nullptr)) {
    attributes.lpSecurityDescriptor = descriptor.get();
  }
  wchar_t name[kReleaseGuardEventNameCapacity];
  FormatReleaseGuardEventName(name, GetCurrentProcessId());
  return UniqueHandle(CreateEventW(descriptor ? &attributes : nullptr, FALSE, FALSE, name));
}

}  // namespace

bool StartReleaseDelivery(const HookLibrary& library, const Settings& settings) {
  StopReleaseDelivery();
  // The confirmation needs no thread: the hook itself waits for the button.
  if (library.SetPressConfirm) library.SetPressConfirm(settings.PressConfirm ? 1 : 0, settings.PressConfirmTime);
  if (!library.SetReleaseGuard || !library.DeliverPendingReleases) return false;
  // Only the program whose own install succeeded delivers: a second deliverer would serve the
  // installer's releases beside it, and its stop would switch the guard off under it.
  if (library.IsSelf() == 0) return false;
  if (!settings.ReleaseGuard && !settings.DragHold) {
    library.SetReleaseGuard(0, 0, settings.DragHoldTime);  // today's filter, and no thread
    return false;
  }
  Running.SetReleaseGuard = library.SetReleaseGuard;
  Running.DeliverPendingReleases = library.DeliverPendingReleases;
  Running.Library = &library;
  Running.Wake = CreateWakeEvent();
  Running.Stop.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!Running.Wake || !Running.Stop) {
    Running = Delivery{};
    return false;
  }
  HandedOver = false;
  // Settings first, then the thread: a release left pending meanwhile finds the event set.
  Running.SetReleaseGuard(settings.ReleaseGuard ? 1 : 0, settings.DragHold ? 1 : 0, settings.DragHoldTime);
  Running.Thread.reset(CreateThread(nullptr, 0, DeliveryThread, nullptr, 0, nullptr));
  if (!Running.Thread) {
    Running.SetReleaseGuard(0, 0, 0);
    Running = Delivery{};
    return false;
  }
  return true;
}

namespace {

bool EndDelivery(bool handOver) {
  if (!Running.Thread) return true;
  HandedOver = handOver;
  if (!handOver) Running.SetReleaseGuard(0, 0, 0);  // no new pending release from here on
  SetEvent(Running.Stop.get());
  // A thread that does not end in time keeps its handles; the process is about to end anyway.
  const bool ended = WaitForSingleObject(Running.Thread.get(), kStopTimeoutMs) == WAIT_OBJECT_0;
  if (!ended) {
    Running.Thread.release();
    Running.Wake.release();
    Running.Stop.release();
  }
  Running = Delivery{};
  return ended;
}

}  // namespace

// A hook that another program removed and installed anew is that program's: its guard and its
// pending releases are left to it, whoever asks to stop.
bool StopReleaseDelivery() {
  const HookLibrary* library = Running.Library;
  return EndDelivery(library && library->QueryHookState() != 0 && library->IsSelf() == 0);
}

bool LeaveReleaseDelivery() { return EndDelivery(true); }
