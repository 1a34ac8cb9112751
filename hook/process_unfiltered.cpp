// A process's own mouse input passed unfiltered, whoever installed the hook: the control panel
// asks for it (unless DisableSelfHook is 0) so that its check boxes and buttons always respond,
// also when the start-up program installed the hook at log-on.
#include "latchkin_api.h"
#include "library_state.h"

[[maybe_unused]] constexpr SetProcessUnfilteredFn kSetProcessUnfilteredSignature = &SetProcessUnfiltered;

// Per process, not in the shared section: the flag ends with the process that set it, so no other
// process (nor a later one that reuses its id) can inherit it. The hook procedure runs in the
// panel's process with this same module, since the panel loads the library from the file the
// hook was installed from.
std::uint8_t ProcessUnfiltered = 0;

void WINAPI SetProcessUnfiltered(std::uint8_t unfiltered) noexcept {
  SharedStore(ProcessUnfiltered, static_cast<std::uint8_t>(unfiltered != 0 ? 1 : 0));
}
