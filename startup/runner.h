// Quillrun's process-wide state and its operations: headless filtering, the usage box and the
// Run-key entry.
#pragma once
#include <windows.h>

#include "core/settings.h"
#include "hook_library.h"

// The settings read once at start-up and the bound library. LogToFile, the size bound and the
// writer thread live in the shared LogWriter state (log_writer.h), which points at Library.
struct RunnerState {
  Settings Options;
  HookLibrary Library;
};
extern RunnerState Runner;

// Installs the hook with the stored settings and supervises it until it is no longer this
// process's own (some process removed it, and perhaps installed its own). Returns the exit code.
int RunHeadless();

// Shows the usage box and returns when the user closes it.
void ShowUsage();

// The Run-key entry under HKEY_LOCAL_MACHINE; both ignore failures, as the process ends with
// exit code 0 either way.
void RegisterAutoStart();
void UnregisterAutoStart();
