// Installing and removing the hook from the panel, and reporting the result.
#pragma once

// Installs the hook when the panel saw none, removes it otherwise, and reports the result.
void ToggleHook();
// Reports a result text by key: a message box while the dialog is shown and results are
// forced, a balloon while the panel lives in the notification area.
void ReportHookResult(const wchar_t* key);
