// The installing program's side of the release guard: one thread that sleeps on the hook's
// event and injects each late release when it falls due. Nothing of it runs in hooked processes.
#pragma once
#include "core/settings.h"
#include "hook_library.h"

// After this process's InstallHook succeeded: stores the guard settings in the library and
// starts the thread. False (and the guard left off) when both features are off, the library
// lacks the guard's exports, the hook installed is not this process's own or the thread cannot
// start.
bool StartReleaseDelivery(const HookLibrary& library, const Settings& settings);
// Turns the guard off, delivers every release still pending at once and ends the thread. Call
// it after UninstallHook and before the library is freed; harmless when nothing runs. False
// when the thread did not end in time: it may still call into the library, which must stay.
// When another program has installed the hook anew meanwhile, it acts as LeaveReleaseDelivery.
bool StopReleaseDelivery();
// Ends the thread and leaves the guard alone: for a program whose hook another program has
// removed and installed anew. That program stored its own guard settings and serves the pending
// releases with its own thread; turning the guard off or delivering now would undo both.
bool LeaveReleaseDelivery();
