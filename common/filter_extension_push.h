// Both programs' hand-over of the stored settings to the library: the sources and the shared
// intervals, each button's own intervals and the excluded programs stored in Quillon.cfg; and
// what an installing program does once its hook is in.
#pragma once
#include "core/settings.h"
#include "hook_library.h"

// Sets each button's own intervals and the stored excluded list. Nothing for a library without
// the extension. Returns false when the list was cut (the user is told in the Options window).
bool PushFilterExtension(const HookLibrary& library, const Settings& settings);
// Reads [Options] ExcludedPrograms and gives it to the library; false when it was cut.
bool PushExcludedPrograms(const HookLibrary& library);

// The stored filter settings into the library: sources, shared intervals, each button's own
// intervals and the excluded programs. Returns PushFilterExtension's answer.
bool ApplySettingsToLibrary(const HookLibrary& library, const Settings& settings);
// Right after this program installed the hook: it delivers the late releases the filter leaves
// pending, then sets the log state (installing turned it off). The log state comes last: it is
// what a program watching the library reads as the end of the start.
void StartInstalledHook(const HookLibrary& library, const Settings& settings, bool logToFile);
