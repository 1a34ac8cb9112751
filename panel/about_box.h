// The about box, on a thread of its own so the dialog and the icon keep working.
#pragma once

// Opens the about box unless one is already open.
void OpenAboutBox();
