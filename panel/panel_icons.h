// The panel's icon 128 at the two sizes the system draws it: the caption and notification
// area (small) and the task bar and task switcher (large).
#pragma once
#include <windows.h>

HICON PanelIcon(HINSTANCE instance, bool large);
