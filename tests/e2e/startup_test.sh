#!/usr/bin/env bash
# Starts the program, checks its title, takes screenshots and closes it;
# then checks the screenshots: the client area is the window's black
# background and the whole window is larger (it has a frame and a title).
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-startup.XXXXXX")
trap 'rm -rf "$out"' EXIT
"$here/run_e2e.sh" --out "$out" "$driver" "$program" "$here/startup.e2e"
client=$(identify -format '%w %h' "$out/startup_client.bmp")
window=$(identify -format '%w %h' "$out/startup_window.bmp")
max=$(convert "$out/startup_client.bmp" -format '%[fx:maxima]' info:)
echo "client $client, window $window, brightest client pixel $max"
read -r cw ch <<<"$client"
read -r ww wh <<<"$window"
[ "$cw" -gt 100 ] && [ "$ch" -gt 100 ] || { echo "client area too small"; exit 1; }
[ "$ww" -gt "$cw" ] && [ "$wh" -gt "$ch" ] || { echo "no frame around the client area"; exit 1; }
[ "$max" = 0 ] || { echo "the client area is not black"; exit 1; }
# The frame is drawn: the whole window is not black.
wmax=$(convert "$out/startup_window.bmp" -format '%[fx:maxima]' info:)
[ "$wmax" != 0 ] || { echo "the window frame was not captured"; exit 1; }
