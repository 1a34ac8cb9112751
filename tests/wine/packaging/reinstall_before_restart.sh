#!/usr/bin/env bash
# The installer's uninstall-while-running case across a restart:
#   reinstall_before_restart.sh STATE_DIR installer_test.exe SETUP.exe
# First half: install, start the programs, uninstall, reinstall. Then a restart as Wine can
# make one: every process of the prefix ended, and `wineboot -r` carries out the file operations
# left for the next start. Second half: the filter still starts from the Run value.
set -euo pipefail
state=$1; test_program=$2; setup=$3
# shellcheck disable=SC1091
source "$state/env"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

"$wine" "$test_program" "$setup" --gtest_filter=Installer.UninstallWhileRunningThenReinstall
"$wineserver" -k || true
"$wineserver" -w
"$wine" wineboot -r </dev/null >/dev/null 2>&1
# The bench keeps one wineserver alive for the whole run; so again from here on.
"$wineserver" -p </dev/null >/dev/null 2>&1 || true
"$wine" "$test_program" "$setup" --gtest_filter=Installer.FilterStartsAfterTheRestart
