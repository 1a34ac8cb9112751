// Icon 128 loaded once per size (see panel_icons.h).
#include "panel_icons.h"

#include "resource.h"

// Not LR_SHARED: the shared cache may hand back whichever size was loaded first, and sizes
// other than the standard ones must not be shared. Each size is loaded once and kept for the
// life of the process, like a shared icon.
HICON PanelIcon(HINSTANCE instance, bool large) {
  static HICON small = nullptr;
  static HICON big = nullptr;
  HICON& icon = large ? big : small;
  if (!icon) {
    icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON,
                                         GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON),
                                         GetSystemMetrics(large ? SM_CYICON : SM_CYSMICON), 0));
  }
  return icon;
}
