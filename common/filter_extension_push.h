// Both programs' hand-over of the filter extension's settings to the library: each button's own
// intervals and the excluded programs stored in Quillon.cfg.
#pragma once
#include "core/settings.h"
#include "hook_library.h"

// Sets each button's own intervals and the stored excluded list. Nothing for a library without
// the extension. Returns false when the list was cut (the user is told in the Options window).
bool PushFilterExtension(const HookLibrary& library, const Settings& settings);
// Reads [Options] ExcludedPrograms and gives it to the library; false when it was cut.
bool PushExcludedPrograms(const HookLibrary& library);
