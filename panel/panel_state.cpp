// The panel's one PanelState and the control lookup by id.
#include "panel_state.h"

PanelState Panel;

HWND Control(int id) noexcept {
  for (int i = 0; i < kControlCount; ++i) {
    if (kControlIds[i] == id) return Panel.Controls[i];
  }
  return nullptr;
}
