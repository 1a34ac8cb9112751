#!/usr/bin/env bash
# `make run`: starts the control panel (x64 build) under Wine.
#   run-panel.sh start BUILD_DIR   with $DISPLAY: the panel opens there and this waits for it;
#                                  without: a private Xvfb display, the panel in the background,
#                                  and a screenshot in build/screenshot.png
#   run-panel.sh stop              ends what `start` left running
# The panel runs from build/run, which keeps its settings and log between runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
run="$top/build/run"
state="$run/session"
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX="$run/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$state/xvfb.pid"
  fi
}

if [ "${1:-}" = stop ]; then
  stop
  echo "Stopped."
  exit 0
fi

bin="$top/${2:-build/win64}/bin"
mkdir -p "$run" "$state"
for f in Quillon.exe Quillrun.exe Latchkin.dll Language.cfg; do
  # The library may still be mapped by an earlier run's processes: end them first.
  cmp -s "$bin/$f" "$run/$f" 2>/dev/null || { stop; cp "$bin/$f" "$run/$f"; }
done

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the Quillon panel on $DISPLAY (settings and log in $run). Close it with its Exit button."
  [ -d "$WINEPREFIX" ] || "$WINE" wineboot -i >/dev/null 2>&1
  bash "$top/packaging/wine-fonts.sh" "$WINEPREFIX"
  cd "$run" && exec "$WINE" Quillon.exe
fi

stop
rm -f "$state/display"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
echo $! >"$state/xvfb.pid"
for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$state/display")"
[ -d "$WINEPREFIX" ] || "$WINE" wineboot -i >/dev/null 2>&1
bash "$top/packaging/wine-fonts.sh" "$WINEPREFIX"
# Wine: with no window manager on the private display, let Wine draw the panel's own frame so
# the screenshot shows its caption.
"$WINE" reg add 'HKCU\Software\Wine\AppDefaults\Quillon.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
(cd "$run" && setsid "$WINE" Quillon.exe </dev/null >"$state/panel.log" 2>&1 &)

# Wait for the dialog to be mapped, then let it paint.
for _ in $(seq 150); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Quillon' && break
  sleep 0.2
done
sleep 2
import -window root "$top/build/screenshot.png"
cat <<MSG
The Quillon panel runs under Wine on the private display $DISPLAY (no screen attached).
Screenshot: $top/build/screenshot.png
Settings and log: $run
Stop it with: make stop
MSG
