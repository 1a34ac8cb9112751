#!/usr/bin/env bash
# Runs one Windows program under the test bench's Wine prefix and display:
#   wine-run.sh STATE_DIR PROGRAM.exe [ARGS...]
# The program's exit code is this script's exit code.
set -euo pipefail
state=$1; shift
# shellcheck disable=SC1091
source "$state/env"
exec /usr/lib/wine/wine64 "$@"
