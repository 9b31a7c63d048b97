#!/usr/bin/env bash
# Full-screen playback through the 3D Vision viewer (Direct3D 9, the NVAPI
# stand-in) of a 1920x1080 pair at 29.97 frames/s (uncompressed and
# Motion-JPEG, VISION_SECONDS (10) seconds, sound on) at 1920x1080 in a
# virtual desktop of that size: the pair, and the same pair as one
# side-by-side movie played as a stereo file and in display formats 0
# (side by side on one screen), 1 (grey anaglyph) and 4 (colour anaglyph).
# Frames shown and skipped, and the milliseconds of a frame split into
# fetch, draw (GDI into the 3840x1081 surface, a composition included) and
# stretch with present.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${VISION_SECONDS:-10}
. "$top/bench/fullscreen_desktop.sh"

for name in raw mjpeg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  sbs=$(winepath -w "$dir/${name}_SBS.avi")
  echo "-- the 3D Vision viewer, the pair ($name)"
  desktop "$TWR_BUILD_WIN/bench/vision_bench.exe" pair "$left" "$right" 1920 1080
  echo "-- the 3D Vision viewer, the side-by-side movie as a stereo file ($name)"
  desktop "$TWR_BUILD_WIN/bench/vision_bench.exe" file "$sbs" 1920 1080
  for format in 0 1 4; do
    echo "-- the 3D Vision viewer, the side-by-side movie in display format $format ($name)"
    desktop "$TWR_BUILD_WIN/bench/vision_bench.exe" file "$sbs" 1920 1080 $format
  done
done
