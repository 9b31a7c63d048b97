#!/usr/bin/env bash
# Runs a Windows program (a test, a benchmark) inside a Wine virtual
# desktop of its own (1600x1200 unless --size says otherwise): DirectDraw's
# exclusive mode and display-mode changes work under Wine only there, and
# only up to the desktop's size.
#
# usage: run-in-desktop.sh [--limit SECONDS] [--size WxH] PROGRAM.exe [ARGUMENTS...]
#
# The program finds the files to write in TWR_DESKTOP_LOG (its output) and
# TWR_DESKTOP_STATUS (its exit code); the desktop does not end by itself,
# so the script waits for the status, prints the output and ends every
# process of the run, found by a marker in its environment (other tests
# share the Wine server). Starts a private Xvfb when DISPLAY is not set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
. "$here/xvfb.sh"

limit=120 size=1600x1200
while :; do
  case "${1:-}" in
    --limit) limit=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || { sed -n '2,13p' "$0"; exit 2; }
program=$(realpath "$1"); shift

twr_wine_env
[ -n "${DISPLAY:-}" ] || twr_start_xvfb
[ -f "$WINEPREFIX/.twr-ready" ] || "$here/wine-prefix.sh"

run=$(mktemp -d "${TMPDIR:-/tmp}/twr-desktop.XXXXXX")
# Drive Z: maps the root.
export TWR_DESKTOP_LOG="Z:$(printf '%s' "$run/log" | tr / '\\')"
export TWR_DESKTOP_STATUS="Z:$(printf '%s' "$run/status" | tr / '\\')"
tag="twr-desktop-$$-$RANDOM"
export TWR_DESKTOP_TAG=$tag

desktop_pid=""
finish() {
  twr_kill_tagged "TWR_DESKTOP_TAG=$tag"
  [ -z "$desktop_pid" ] || wait "$desktop_pid" || true
  rm -rf "$run"
  [ -z "${TWR_XVFB_PID:-}" ] || kill "$TWR_XVFB_PID" 2>/dev/null || true
}
trap 'finish 2>/dev/null' EXIT

# Wine's own messages (a crash's backtrace among them) are kept for a run
# that does not finish.
wine explorer "/desktop=flip$$,$size" "$program" "$@" >/dev/null 2>"$run/wine.err" &
desktop_pid=$!
deadline=$((SECONDS + limit))
while [ ! -s "$run/status" ] && [ $SECONDS -lt $deadline ]; do
  sleep 0.2
done
[ -f "$run/log" ] && cat "$run/log"
if [ ! -s "$run/status" ]; then
  echo "run-in-desktop: the program did not finish within $limit s; Wine's last messages:"
  grep -v -e '^ALSA lib' -e 'GStreamer' "$run/wine.err" | tail -n 40 || true
  exit 1
fi
exit "$(tr -dc 0-9 <"$run/status")"
