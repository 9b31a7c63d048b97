#!/usr/bin/env bash
# Full-screen page-flip playback of a 1920x1080 pair at 29.97 frames/s
# (uncompressed and Motion-JPEG, PAGEFLIP_SECONDS (10) seconds, sound on)
# at 1920x1080x32 in a virtual desktop of that size, through the WinX3D
# stand-in: frames shown and skipped, and the milliseconds of a frame
# split into fetch, each eye's draw and the flip. Beside it, in the same
# run: the view's own playback of the same pair (every display mode,
# play_bench), and ffplay showing the same two files composed by
# stereo3d (grey anaglyph) full screen: its frame drops and CPU time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
# The mode change needs a screen at least as large as the mode.
export TWR_XVFB_SIZE=1920x1200
twr_start_xvfb
seconds=${PAGEFLIP_SECONDS:-10}
. "$top/bench/fullscreen_media.sh"
dir=$TWR_WORK/bench/fullscreen
make_fullscreen_pair "$dir" "$seconds"
frames=$(cat "$dir/frames")

timed() {
  /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >"$dir/out" 2>&1 || true
  awk '{printf "%.0f %.0f", ($1 + $2) * 1000, $3 * 1000}' "$dir/time"
}

driver=$(winepath -w "$TWR_BUILD_WIN/bench/w3d")
for name in raw mjpeg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  echo "-- the page-flip window ($name)"
  "$top/scripts/run-in-desktop.sh" --limit $((seconds * 4 + 60)) --size 1920x1080 \
    "$TWR_BUILD_WIN/bench/pageflip_bench.exe" "$left" "$right" 1920 1080 "$driver" | tr -d '\r'
  echo "-- the view's playback ($name, every display mode, view fitted to 1280x900)"
  wine "$TWR_BUILD_WIN/bench/play_bench.exe" "$left" "$right" "$seconds" 2>/dev/null | tr -d '\r' | sed -n '1,10p'
  echo "-- ffplay -fs, both movies decoded and composed by stereo3d=sbsl:arcg ($name, $frames frames)"
  read -r cpu wall <<<"$(timed env SDL_AUDIODRIVER=dummy ffplay -hide_banner -fs -autoexit -an -stats -f lavfi \
    "movie=$dir/${name}_L.avi[l];movie=$dir/${name}_R.avi[r];[l][r]hstack,stereo3d=sbsl:arcg")"
  drops=$(tr '\r' '\n' <"$dir/out" | grep -o 'fd= *[0-9]*' | tail -1 | tr -dc 0-9)
  printf "  frame drops %s of %d; CPU %.1f ms a frame; wall %.1f s (movie %.1f s)\n" "${drops:-?}" $frames \
    "$(awk -v c="$cpu" -v n=$frames 'BEGIN { print c / n }')" "$(awk -v w="$wall" 'BEGIN { print w / 1000 }')" \
    "$(awk -v n=$frames 'BEGIN { print n * 1001 / 30000 }')"
done
