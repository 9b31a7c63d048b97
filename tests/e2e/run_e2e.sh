#!/usr/bin/env bash
# Runs one end-to-end script: the driver starts the program inside a Wine
# virtual desktop of its own and works through the script's steps.
#
# usage: run_e2e.sh [--size WxH] [--limit SECONDS] [--out DIR]
#                   DRIVER.exe PROGRAM.exe SCRIPT [PROGRAM ARGUMENTS...]
#
# Starts a private Xvfb when DISPLAY is not set. The driver's log is printed
# and its status is the script's status. Every process of the run (the
# desktop, the driver, the program) is ended when the script ends, also on
# failure or timeout; they are found by a marker in their environment, and
# nothing else is touched (other tests may share the Wine server). Inside
# the script, ${E2E_OUT} is the output folder (screenshots, clipboard
# images); it defaults to a fresh temporary folder that is kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/env.sh"
. "$here/../../scripts/xvfb.sh"

size=1024x768
limit=90
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --limit) limit=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 3 ] || { sed -n '2,14p' "$0"; exit 2; }
driver=$(realpath "$1") program=$(realpath "$2") script=$(realpath "$3")
shift 3

twr_wine_env
[ -n "${DISPLAY:-}" ] || twr_start_xvfb
[ -f "$WINEPREFIX/.twr-ready" ] || "$here/../../scripts/wine-prefix.sh"

run=$(mktemp -d "${TMPDIR:-/tmp}/twr-e2e.XXXXXX")
[ -n "$out" ] || out=$run/out
mkdir -p "$out"
export E2E_OUT=$out
tag="twr-e2e-$$-$RANDOM"
export TWR_E2E_TAG=$tag

desktop_pid=""
finish() {
  twr_kill_tagged "TWR_E2E_TAG=$tag"
  [ -z "$desktop_pid" ] || wait "$desktop_pid" || true
  rm -f "$run/status" "$run/log"
  # The private X server, when this run started one (its own exit trap is
  # replaced by this one).
  [ -z "${TWR_XVFB_PID:-}" ] || kill "$TWR_XVFB_PID" 2>/dev/null || true
}
trap 'finish 2>/dev/null' EXIT

# Commands and menu items may be named as the program names them
# (IDM_OPEN_PAIR, IDM_HISTORY_FIRST+2): the script the driver reads has the
# numbers of resources/resource_ids.h in their place.
perl -e '
  open my $ids, "<", shift or die "resource ids: $!\n";
  while (<$ids>) { $id{$1} = $2 if /^#define\s+(IDM_\w+)\s+(\d+)/ }
  while (<>) {
    s{\b(IDM_\w+)(?:\+(\d+))?}{exists $id{$1} ? $id{$1} + ($2 // 0) : die "unknown command $1 in line $.\n"}ge;
    print;
  }' "$here/../../resources/resource_ids.h" "$script" >"$run/script.e2e"
script=$run/script.e2e

args=""
for a in "$@"; do args="$args \"$a\""; done
desktop="e2e$$"
wine explorer "/desktop=$desktop,$size" "$driver" \
  --launch "\"$program\"$args" --script "$script" \
  --log "$run/log" --status "$run/status" --limit "$limit" >/dev/null 2>&1 &
desktop_pid=$!

# The desktop does not end by itself: wait for the driver's status file.
deadline=$((SECONDS + limit + 10))
while [ ! -s "$run/status" ] && [ $SECONDS -lt $deadline ]; do
  sleep 0.1
done
[ -f "$run/log" ] && cat "$run/log"
if [ ! -s "$run/status" ]; then
  echo "run_e2e: the driver did not report within $((limit + 10)) s"
  exit 1
fi
status=$(tr -dc 0-9 <"$run/status")
echo "run_e2e: output in $out"
exit "$status"
