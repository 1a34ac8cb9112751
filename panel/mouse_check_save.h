// "Save…" of the mouse check: the recording as a CSV file the user chooses.
#pragma once
#include <windows.h>

#include "core/mouse_recording.h"

// Asks for a file name and writes the CSV; tells the user when the file could not be written.
void SaveRecordingAsCsv(HWND owner, const MouseRecording& recording);
