#!/usr/bin/env bash
# Full-screen playback through the 3D Vision viewer (Direct3D 9, the NVAPI
# stand-in) of a 1920x1080 pair at 29.97 frames/s (uncompressed and
# Motion-JPEG, VISION_SECONDS (10) seconds, sound on) at 1920x1080 in a
# virtual desktop of that size: the pair, and the same pair as one
# side-by-side movie played as a stereo file. Frames shown and skipped, and
# the milliseconds of a frame split into fetch, draw (GDI into the
# 3840x1081 surface) and stretch with present.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
export TWR_XVFB_SIZE=1920x1200
twr_start_xvfb
seconds=${VISION_SECONDS:-10}
. "$top/bench/fullscreen_media.sh"
dir=$TWR_WORK/bench/fullscreen
make_fullscreen_pair "$dir" "$seconds" sbs
limit=$((seconds * 4 + 60))
desktop() { "$top/scripts/run-in-desktop.sh" --limit $limit --size 1920x1080 "$@" | tr -d '\r'; }

for name in raw mjpeg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  sbs=$(winepath -w "$dir/${name}_SBS.avi")
  echo "-- the 3D Vision viewer, the pair ($name)"
  desktop "$TWR_BUILD_WIN/bench/vision_bench.exe" pair "$left" "$right" 1920 1080
  echo "-- the 3D Vision viewer, the side-by-side movie as a stereo file ($name)"
  desktop "$TWR_BUILD_WIN/bench/vision_bench.exe" file "$sbs" 1920 1080
done
