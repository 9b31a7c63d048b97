#!/usr/bin/env bash
# What the Direct3D 7 player puts on the screen: a side-by-side movie of
# 2048x768 (left eye testsrc2, right eye another pattern) shown as a stereo
# file at 1024x768x32. Without a stereo driver the double-width surface is
# squeezed onto the 1024-wide screen, so the screen read from the X server
# must match ffmpeg's scale=1024:768 of the side-by-side frame (within the
# difference of a nearest-pixel squeeze and ffmpeg's filter), and must match
# it clearly better than the same frame with its eyes exchanged.
#
# usage: player_screen_test.sh PLAYER_SCREEN_SHOT.exe WORK_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
program=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }

# Frame 1 is the one compared (frame 0 carries the key help).
ff -f lavfi -i testsrc2=size=1024x768:rate=4 -f lavfi -i "mandelbrot=size=1024x768:rate=4" \
   -filter_complex "[0][1]hstack" -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$work/sbs.avi"
ff -i "$work/sbs.avi" -vf "select=eq(n\,1),scale=1024:768" -frames:v 1 "$work/expected.png"
ff -i "$work/sbs.avi" -vf "select=eq(n\,1),split[a][b];[a]crop=1024:768:1024:0[r];[b]crop=1024:768:0:0[l];[r][l]hstack,scale=1024:768" \
   -frames:v 1 "$work/exchanged.png"

# A screen of the desktop's size: the desktop window covers it.
unset TWR_USE_DISPLAY
export TWR_XVFB_SIZE=1024x768
twr_wine_env
twr_start_xvfb
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
"$top/scripts/run-in-desktop.sh" --limit 90 --size 1024x768 "$program" "$(winpath "$work/sbs.avi")" 1024 768 \
  "$(winpath "$work/ready")" "$(winpath "$work/taken")" &
player=$!
for _ in $(seq 600); do
  [ -f "$work/ready" ] && break
  sleep 0.1
done
[ -f "$work/ready" ] || { echo "the player did not show its frame"; kill $player; exit 1; }
import -window root "$work/screen.png"
touch "$work/taken"
wait $player

psnr() { { compare -metric PSNR "$work/screen.png" "$1" null: 2>&1 || true; } | awk '{print $1}'; }
good=$(psnr "$work/expected.png")
bad=$(psnr "$work/exchanged.png")
echo "screen against the squeezed frame: PSNR $good dB; against the exchanged eyes: $bad dB"
awk -v g="$good" -v b="$bad" 'BEGIN { exit !(g >= 20 && g >= b + 6) }' || {
  echo "the screen does not show the squeezed side-by-side frame"
  exit 1
}
