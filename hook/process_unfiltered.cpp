// A process's own mouse input passed unfiltered, whoever installed the hook: the control panel
// asks for it (unless DisableSelfHook is 0) so that its check boxes and buttons always respond,
// also when the start-up program installed the hook at log-on.
#include "latchkin_api.h"
#include "library_state.h"

// Per process, never shared: the request sits in this process's own exclusion state (ThisProcess),
// so it ends with the process, and the hook decides it with the excluded programs and the pause:
// once, and in the installing process for its own windows only (not for the other bitness's
// windows, whose hook calls run there too).
void WINAPI SetProcessUnfiltered(std::uint8_t unfiltered) noexcept { SetProcessUnfilteredFlag(ThisProcess, unfiltered); }
