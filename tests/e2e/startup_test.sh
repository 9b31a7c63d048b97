#!/usr/bin/env bash
# Starts the program, checks its title, takes screenshots and closes it;
# then checks them: the view is black (no pair yet) and fills most of the
# window, which has a frame, a title and toolbars, and the position bar is
# on the screen above the top toolbar.
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-startup.XXXXXX")
trap 'rm -rf "$out"' EXIT
"$here/run_e2e.sh" --out "$out" "$driver" "$program" "$here/startup.e2e" | tee "$out/log"
view=$(identify -format '%w %h' "$out/startup_view.bmp")
window=$(identify -format '%w %h' "$out/startup_window.bmp")
max=$(convert "$out/startup_view.bmp" -format '%[fx:maxima]' info:)
echo "view $view, window $window, brightest view pixel $max"
read -r vw vh <<<"$view"
read -r ww wh <<<"$window"
[ "$vw" -gt 300 ] && [ "$vh" -gt 200 ] || { echo "view too small"; exit 1; }
[ "$ww" -gt "$vw" ] && [ "$wh" -gt $((vh + 60)) ] || { echo "no frame, title and toolbars around the view"; exit 1; }
[ "$max" = 0 ] || { echo "the view is not black"; exit 1; }
wmax=$(convert "$out/startup_window.bmp" -format '%[fx:maxima]' info:)
[ "$wmax" != 0 ] || { echo "the window frame was not captured"; exit 1; }
# The position bar: a top-level strip of the program over the top toolbar,
# whose buttons and scroll bar are drawn (light pixels on the black bar).
rect() {  # the first window line of the log matching $1: x1 y1 x2 y2
  tr -d '\r' <"$out/log" | grep "^window: $1" | head -1 | sed -E 's/.*\((-?[0-9]+),(-?[0-9]+)\)-\((-?[0-9]+),(-?[0-9]+)\)$/\1 \2 \3 \4/'
}
bar=$(rect '#32770')
[ -n "$bar" ] || { echo "no position bar"; exit 1; }
read -r x1 y1 x2 y2 <<<"$bar"
read -r ox oy _ _ <<<"$(rect 2REELS)"
crop="$((x2 - x1))x$((y2 - y1))+$((x1 - ox))+$((y1 - oy))"
light=$(convert "$out/startup_window.bmp" -crop "$crop" +repage -format '%[fx:mean]' info:)
echo "position bar $crop, mean $light"
awk -v m="$light" 'BEGIN { exit !(m > 0.3) }' || { echo "the position bar is not on the screen"; exit 1; }
