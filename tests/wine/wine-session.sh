#!/usr/bin/env bash
# Test bench for the Windows tests: a throw-away Wine prefix and an Xvfb display of its own.
#   wine-session.sh start STATE_DIR   make a fresh prefix, start Xvfb, boot Wine once
#   wine-session.sh stop STATE_DIR    stop the prefix's wineserver and the display
# STATE_DIR/env holds the variables every test sources (see wine-run.sh).
set -euo pipefail
action=$1
state=$2
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

stop_session() {
  if [ -f "$state/env" ]; then
    # shellcheck disable=SC1091
    source "$state/env"
    "$WINESERVER" -k >/dev/null 2>&1 || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$state/xvfb.pid"
  fi
}

case "$action" in
start)
  stop_session
  rm -rf "$state/prefix"
  mkdir -p "$state"
  # Let Xvfb pick a free display and tell us which, so parallel builds never collide. The
  # screen holds the panel's dialog whole at 200 % scaling.
  rm -f "$state/display"
  setsid Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp \
      3>"$state/display" </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do [ -s "$state/display" ] && break; sleep 0.1; done
  [ -s "$state/display" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
  cat >"$state/env" <<ENV
export WINEPREFIX="$state/prefix"
export DISPLAY=":$(tr -d '[:space:]' <"$state/display")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
ENV
  # shellcheck disable=SC1091
  source "$state/env"
  "$WINE" wineboot -i </dev/null >"$state/wineboot.log" 2>&1
  bash "$(dirname "$0")/../../packaging/wine-fonts.sh" "$WINEPREFIX"
  # Wine finds the Debian fonts through fontconfig, but its dialog font (Tahoma) falls back for
  # Chinese, Japanese and Korean only to the Windows fonts its font links name, none of which is here.
  # Windows links its UI fonts to its own CJK fonts; the bench links them to WenQuanYi Micro Hei
  # (fonts-wqy-microhei, which also draws Hangul), so those languages are drawn and measured with
  # real glyphs. Cyrillic and the Latin letters of every shipped language are in Tahoma itself.
  for face in "Tahoma" "MS Shell Dlg" "Microsoft Sans Serif"; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f \
        </dev/null >>"$state/wineboot.log" 2>&1
  done
  # Keep one wineserver alive for the whole run; tests start and end processes quickly.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  echo "Wine prefix $WINEPREFIX on display $DISPLAY"
  ;;
stop)
  stop_session
  ;;
*)
  echo "usage: $0 start|stop STATE_DIR" >&2
  exit 2
  ;;
esac
