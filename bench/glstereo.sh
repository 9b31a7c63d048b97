#!/usr/bin/env bash
# Playback through the OpenGL stereo window of a 1920x1080 pair at 29.97
# frames/s (uncompressed and Motion-JPEG, GLSTEREO_SECONDS (10) seconds,
# sound on) in a 1920x1080 virtual desktop: the pair (PlayGlPair) and the
# same pair as one side-by-side movie (PlayGlFile). Wine's OpenGL offers
# no stereo format here: the window draws both eyes into one back buffer
# in turn (g_bGlMonoBuffers). Frames shown and skipped, and the
# milliseconds of a frame split into fetch, upload and draw with present.
# With GLSTEREO_PEER=1 the Direct3D 7 player's run of the same pair
# (bench/glstereo_bench's peer, d3dplayer_bench) follows for comparison.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${GLSTEREO_SECONDS:-10}
. "$top/bench/fullscreen_desktop.sh"

for name in raw mjpeg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  sbs=$(winepath -w "$dir/${name}_SBS.avi")
  echo "-- the OpenGL window, the pair ($name, PlayGlPair)"
  desktop "$TWR_BUILD_WIN/bench/glstereo_bench.exe" pair "$left" "$right"
  echo "-- the OpenGL window, the side-by-side movie ($name, PlayGlFile)"
  desktop "$TWR_BUILD_WIN/bench/glstereo_bench.exe" file "$sbs"
  if [ "${GLSTEREO_PEER:-0}" = 1 ]; then
    echo "-- the Direct3D 7 player, the pair ($name)"
    desktop "$TWR_BUILD_WIN/bench/d3dplayer_bench.exe" pair "$left" "$right" 1920 1080
  fi
done
