// One panel per program file: a second start of the same Quillon.exe brings the running panel
// forward and ends. A copy in another folder is another program (its own settings, language
// file and library) and runs beside it.
#pragma once
#include <windows.h>

// True for the first panel of this program file; the claim lasts for the process's life.
bool ClaimPanelOfThisFile();
// The second start: asks the running panel of this file to come forward (out of the
// notification area if it sits there), waiting a moment for a panel still starting.
void BringRunningPanelForward();
// The message the running panel's main dialog receives from a second start (0 before set-up).
UINT ShowPanelMessage();
