#!/usr/bin/env bash
# Runs ctest in the Windows build this machine runs (TWR_WIN_TARGET) under
# Wine on a private X server; the arguments go to ctest (e.g. -R pipeline).
# Builds nothing: scripts/build.sh first.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
twr_check_target_runs

"$top/scripts/wine-prefix.sh"
twr_wine_env
twr_start_xvfb
# A server left from another run would keep its own display: start afresh.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
# The first Wine process starts the prefix's services; start them here so
# that they do not hold ctest's output pipes open.
wine cmd /c exit >/dev/null 2>&1 </dev/null
status=0
(cd "$TWR_BUILD_WIN" && ctest --output-on-failure -j"$(nproc)" "$@") || status=$?
wineserver -k || true
exit $status
