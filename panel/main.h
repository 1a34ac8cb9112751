// The panel's process-wide start and end (main.cpp).
#pragma once

// The single way out: removes the icon, unhooks (after asking, when another program installed
// the filter), destroys the dialog. Returns at once when the user chooses to stay.
void ExitPanel();
