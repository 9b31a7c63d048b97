#!/usr/bin/env bash
# Playback in the view: pairs of 720x480 and 1920x1080 movies at 30
# frames/s with sound, uncompressed and Motion-JPEG, played in every
# display mode for PLAY_SECONDS (10) seconds each under Wine on Xvfb (the
# pairs named in PLAY_PAIRS, all four by default): frames shown and skipped, the
# interval between shown frames beside the movie's, the time each shown
# frame takes to fetch, adjust, compose and draw, and the main thread's CPU
# time per frame. Beside it, in the same run, ffmpeg reading the same two
# files in real time (-re), decoding both and composing them with stereo3d
# in the matching output format: its CPU time per frame and whether it
# kept up (wall time against the movie's length).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
[ -n "${DISPLAY:-}" ] || twr_start_xvfb
seconds=${PLAY_SECONDS:-10}
dir=$TWR_WORK/bench/play
mkdir -p "$dir"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

make_pair() {  # name, width, height
  local name=$1 w=$2 h=$3 frames=$((seconds * 30 + 30))
  [ -f "$dir/${name}_R.avi" ] && [ "$(cat "$dir/$name.frames" 2>/dev/null)" = "$frames" ] && return
  for eye in L R; do
    local shift=0
    [ $eye = R ] && shift=32
    ff -f lavfi -i "testsrc2=size=$((w + 32))x$h:rate=30" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
       -filter_complex "[0]crop=$w:$h:$shift:0[v]" -map '[v]' -map 1:a -frames:v $frames \
       -c:v mjpeg -q:v 4 -pix_fmt yuvj420p -c:a pcm_s16le -ac 2 -shortest "$dir/${name}_$eye.avi"
  done
  echo "$frames" >"$dir/$name.frames"
}
make_pair sd 720 480
make_pair hd 1920 1080
# The same pairs uncompressed: the loop's own cost without a decoder's
# (1.9 GB a 1080p movie at 10 seconds).
for name in sd hd; do
  if [ ! -f "$dir/${name}raw_R.avi" ] || [ "$(cat "$dir/${name}raw.frames" 2>/dev/null)" != "$(cat "$dir/$name.frames")" ]; then
    for eye in L R; do
      ff -i "$dir/${name}_$eye.avi" -c:v rawvideo -pix_fmt bgr24 -c:a copy "$dir/${name}raw_$eye.avi"
    done
    cp "$dir/$name.frames" "$dir/${name}raw.frames"
  fi
done

# CPU and wall time of one run, in milliseconds.
timed() {
  /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >/dev/null 2>&1
  awk '{printf "%.0f %.0f", ($1 + $2) * 1000, $3 * 1000}' "$dir/time"
}

for name in ${PLAY_PAIRS:-sdraw hdraw sd hd}; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  run=$seconds
  echo "-- the program ($name)"
  wine "$TWR_BUILD_WIN/bench/play_bench.exe" "$left" "$right" "$run" 2>/dev/null | tr -d '\r'
  frames=$((run * 30))
  echo "-- ffmpeg -re, both movies decoded and composed with stereo3d ($name, $frames frames)"
  printf "  %-26s %9s %9s %9s\n" "output" "CPU/frame" "wall" "(movie)"
  for spec in "sbsl:sbsl side by side" "abl:abl over/under" "arcg:arcg grey anaglyph" "arcc:arcc colour anaglyph" \
              "irl:irl line interlace"; do
    out=${spec%%:*} label=${spec#*:}
    read -r cpu wall <<<"$(timed ffmpeg -nostdin -re -i "$dir/${name}_L.avi" -re -i "$dir/${name}_R.avi" \
      -filter_complex "[0:v][1:v]hstack,stereo3d=sbsl:$out" -frames:v $frames -f null -)"
    printf "  %-26s %7.1fms %7.1fs %7.1fs\n" "$label" "$(awk -v c="$cpu" -v n=$frames 'BEGIN { print c / n }')" \
      "$(awk -v w="$wall" 'BEGIN { print w / 1000 }')" "$(awk -v n=$frames 'BEGIN { print n / 30 }')"
  done
done
