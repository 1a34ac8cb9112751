// The panel's balloon form, flags, icon and text (see balloon_style.h).
#include "balloon_style.h"

#include <versionhelpers.h>

#include "panel_icons.h"

void StyleBalloons(NOTIFYICONDATAW& data, HINSTANCE instance) {
  data.cbSize = kNotifyIconRecordSize;
  // Counts and hook results describe this moment: a balloon the shell cannot show now (full-screen
  // program, focus assist) is dropped rather than shown minutes later as if current.
  data.uFlags |= NIF_REALTIME;
  // The product's icon, drawn at the large size the notification asks for, instead of the stock
  // information sign; and no balloons in the quiet hour after a user's first log-on.
  data.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON | NIIF_RESPECT_QUIET_TIME;
  data.hBalloonIcon = PanelIcon(instance, true);
}

// The balloon texts begin with a line feed, which in the balloons of Windows 7 and 8 sets the
// text off below its title. A Windows 10 or 11 notification already shows the title on a line
// of its own and wraps the text into few lines: there the line feed would only cost one of them.
void FitBalloonText(NOTIFYICONDATAW& data) {
  static const bool notifications = IsWindows10OrGreater();
  if (!notifications || data.szInfo[0] != L'\n') return;
  const int length = lstrlenW(data.szInfo);
  MoveMemory(data.szInfo, data.szInfo + 1, length * sizeof(wchar_t));  // terminator included
}
