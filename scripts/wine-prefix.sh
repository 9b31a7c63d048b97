#!/usr/bin/env bash
# Makes the private Wine prefix the program and its tests run in (once).
set -euo pipefail
. "$(dirname "$0")/env.sh"
twr_wine_env
if [ ! -f "$WINEPREFIX/.twr-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.twr-ready"
fi
