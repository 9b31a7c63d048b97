#!/usr/bin/env bash
# Full-screen playback through the Direct3D 7 stereo player of a 1920x1080
# pair at 29.97 frames/s (uncompressed and Motion-JPEG, D3DPLAYER_SECONDS
# (10) seconds, sound on) at 1920x1080x32 in a virtual desktop of that
# size: the pair itself (double-width surface with the stereo signature),
# and the same pair as one side-by-side movie in display formats 0 (side by
# side on one screen), 1 (grey anaglyph) and 4 (colour anaglyph). Frames
# shown and skipped, and the milliseconds of a frame split into fetch,
# draw or compose, and blit with present. Beside it, in the same run: the
# page-flip window playing the same pair through the WinX3D stand-in, and
# the view's own playback of it (every display mode, play_bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${D3DPLAYER_SECONDS:-10}
. "$top/bench/fullscreen_desktop.sh"

driver=$(winepath -w "$TWR_BUILD_WIN/bench/w3d")
for name in raw mjpeg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  sbs=$(winepath -w "$dir/${name}_SBS.avi")
  echo "-- the Direct3D 7 player, the pair ($name)"
  desktop "$TWR_BUILD_WIN/bench/d3dplayer_bench.exe" pair "$left" "$right" 1920 1080
  for format in 0 1 4; do
    echo "-- the Direct3D 7 player, the side-by-side movie in display format $format ($name)"
    desktop "$TWR_BUILD_WIN/bench/d3dplayer_bench.exe" file "$sbs" 1920 1080 $format
  done
  echo "-- the page-flip window, the pair ($name)"
  desktop "$TWR_BUILD_WIN/bench/pageflip_bench.exe" "$left" "$right" 1920 1080 "$driver"
  echo "-- the view's playback ($name, every display mode, view fitted to 1280x900)"
  wine "$TWR_BUILD_WIN/bench/play_bench.exe" "$left" "$right" "$seconds" 2>/dev/null | tr -d '\r' | sed -n '1,10p'
done
