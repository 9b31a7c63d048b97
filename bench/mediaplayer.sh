#!/usr/bin/env bash
# Playback of the full-screen benchmarks' 1920x1080 Motion-JPEG movie at
# 29.97 frames/s (with its sound, MEDIAPLAYER_SECONDS (10) seconds) through
# the program's media player window (DirectShow), on a 1920x1200 screen.
# Beside it, in the same run and under the same X server: ffplay playing
# the same file. For each: the frames drawn against the frames the file
# has for that time, frames per second, and CPU seconds
# per second of play; and their own counts where they give one (the video
# renderer's IQualProp, ffplay's frame drops).
#
# Frames are counted alike for both: ffmpeg's x11grab polls the movie's
# frame counter (the video's top-left corner) in the player's X drawable
# 100 times a second for the middle of the play, and every change is one
# frame. Wine draws the player's video window (a child of the player) into
# an X window of its own kept off the screen: that window is grabbed, and
# the screen where Wine has none.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${MEDIAPLAYER_SECONDS:-10}
. "$top/bench/fullscreen_desktop.sh"
movie=$dir/mjpeg_L.avi
frames=$(cat "$dir/frames")
fps=$(awk 'BEGIN { printf "%.3f", 30000 / 1001 }')
# The grab leaves the first second (start-up) and the last (the end) out.
grab=$((seconds - 2))
[ "$grab" -ge 2 ] || { echo "MEDIAPLAYER_SECONDS must be at least 4"; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"; kill $TWR_XVFB_PID 2>/dev/null || true' EXIT

# Pictures in the 96x32 corner at X,Y of the screen, or of the X window
# given, over the grab: changes of its hash.
screen_frames() {
  local at=(-i "$DISPLAY+$1,$2")
  [ -z "${3:-}" ] || at=(-window_id $(($3)) -i "$DISPLAY")
  ffmpeg -hide_banner -loglevel error -nostdin -f x11grab -draw_mouse 0 -framerate 100 -video_size 96x32 \
    "${at[@]}" -t "$grab" -f framemd5 - 2>>"$work/grab.log" |
    awk -F', *' '!/^#/ { if ($6 != last) n++; last = $6 } END { print n + 0 }'
}
# Wine's off-screen X window of a video window of WxH.
offscreen_window() {
  xwininfo -root -tree | awk -v size="$1x$2+0+0" '$0 ~ / \(\) +/ && index($0, size) && / \+-1\+-1$/ { print $1; exit }'
}

# "drawn N of M frames in S s (P %), F frames/s; CPU C s a second"
report() {
  local seen=$1 cpu=$2 wall=$3
  awk -v n="$seen" -v g="$grab" -v r="$fps" -v c="$cpu" -v w="$wall" 'BEGIN {
    m = g * r
    printf "  drawn %d of %.0f frames in %d s (%.1f %%), %.2f frames/s; CPU %.2f s a second\n",
           n, m, g, 100 * n / m, n / g, c / w }'
}

echo "-- the media player (DirectShow), $(basename "$movie"): $frames frames at $fps frames/s, $seconds s"
rect=$work/rect
rm -f "$rect"
wine "$TWR_BUILD_WIN/bench/mediaplayer_bench.exe" "$(winepath -w "$movie")" "$seconds" "$(winepath -w "$rect")" \
  >"$work/player" 2>/dev/null &
player=$!
for _ in $(seq 1 300); do
  [ -s "$rect" ] && break
  sleep 0.1
done
seen=""
if [ -s "$rect" ] && read -r x y w h < <(tr -d '\r' <"$rect") && [ "$x" != none ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ]; then
  sleep 1
  seen=$(screen_frames "$x" "$y" "$(offscreen_window "$w" "$h")")
else
  echo "  the video's place on the screen is unknown ($(cat "$rect" 2>/dev/null || echo "no play"))"
fi
wait "$player" || true
tr -d '\r' <"$work/player" | grep '^error' | sed 's/^/  /' || true
cpu=$(tr -d '\r' <"$work/player" | awk '$1 == "cpu" { print $2 }')
wall=$(tr -d '\r' <"$work/player" | awk '$1 == "wall" { print $2 }')
if [ -n "$seen" ] && [ -n "$cpu" ]; then
  report "$seen" "$cpu" "$wall"
fi
tr -d '\r' <"$work/player" | awk -v r="$fps" -v n="$frames" '
  $1 == "wall" { wall = $2 }
  $1 == "qualprop" && $2 == "none" { print "  the video renderer: no filter of the graph offers IQualProp" }
  $1 == "qualprop" && $2 != "none" {
    m = wall * r; if (m > n) m = n
    printf "  the video renderer (IQualProp): drawn %d of %.0f frames (%.1f %%), %.2f frames/s, dropped %d\n",
           $2, m, 100 * $2 / m, $2 / wall, $3 }'

echo "-- ffplay, the same file"
# Its sound through SDL's dummy driver, which takes it in real time (ALSA's
# null device here takes it far faster, and ffplay's clock follows it).
SDL_AUDIODRIVER=dummy /usr/bin/time -f '%U %S %e' -o "$work/time" \
  ffplay -hide_banner -autoexit -t "$seconds" -loglevel verbose -left 0 -top 0 -stats "$movie" \
  >"$work/ffplay" 2>&1 &
ffplay=$!
for _ in $(seq 1 100); do
  xdotool search --name "$(basename "$movie")" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
seen=$(screen_frames 0 0)
wait "$ffplay" || true
read -r user sys elapsed <"$work/time"
report "$seen" "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" "$elapsed"
drops=$(tr '\r' '\n' <"$work/ffplay" | grep -o 'fd= *[0-9]*' | tail -1 | tr -dc 0-9)
echo "  its own frame drops: ${drops:-?} of $frames (CPU over its whole run of ${elapsed} s)"
