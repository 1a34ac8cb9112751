// The panel's process-wide start and end (main.cpp).
#pragma once

// The single way out: removes the icon, unhooks, destroys the dialog.
void ExitPanel();
