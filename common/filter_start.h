// Both programs' start of the filter: one copy's filter per session, reported honestly.
#pragma once
#include <cstdint>

#include "hook_library.h"
#include "latchkin_contract.h"

// What became of a program's request to start the filter.
enum class FilterStart {
  Installed,        // this process's own hook: it delivers, keeps the log and may switch it off
  HeldHere,         // another program of this copy in this session installed it first
  HeldByOtherUser,  // a program of another signed-in user's session holds this library's filter
  HeldByOtherCopy,  // another copy of the programs (another folder, the other edition) filters here
  Failed,
};

// Who holds the library's filter (kHookHolder*), also for a library without QueryHookHolder.
std::uint8_t FilterHolder(const HookLibrary& library);

// Installs the hook unless a filter already holds the library, or another copy of the programs
// holds this session's claim: two copies' hooks would both filter every message, each with its
// own record. The claim (a named area in the session holding the copy's folder) stays with this
// process while its hook is its own; ReleaseFilterClaim gives it back.
FilterStart StartOwnFilter(const HookLibrary& library, std::uint8_t filterOwnProcess);
// After this process's own hook was removed, or taken over by another program of its copy.
void ReleaseFilterClaim();

// The language key that tells the user about a start that did not install.
const wchar_t* FilterStartTextKey(FilterStart start);
