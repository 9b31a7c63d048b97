#!/usr/bin/env bash
# One automatic alignment of a 1920x1080 pair (ImageMagick plasma, the right
# frame turned by 1 degree, 1 % larger and 8 pixels lower) with the built-in
# matcher, split into grey working images, extraction, pair search and fit,
# and the per-frame analysis in frames per second, in the Windows build
# under Wine; beside OpenCV's SIFT with a RANSAC fit on the same working
# images (Debian python3-opencv), in this run.
set -euo pipefail
. "$(dirname "$0")/../scripts/env.sh"
out=$TWR_WORK/bench/align
mkdir -p "$out"
repeats=${ALIGN_BENCH_REPEATS:-5}

if ! /usr/bin/python3 -c 'import cv2' 2>/dev/null; then
  echo "installing the peer (python3-opencv)"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends python3-opencv >/dev/null
fi

if [ ! -f "$out/right.ppm" ]; then
  convert -seed 17 -size 2000x1160 plasma:fractal -equalize -sigmoidal-contrast 6x50% \
    -gravity center -crop 1920x1080+0+0 +repage -depth 8 "$out/left.ppm"
  convert -seed 17 -size 2000x1160 plasma:fractal -equalize -sigmoidal-contrast 6x50% \
    -virtual-pixel edge -distort SRT '1000,580 1.01 1.0 1000,588' \
    -gravity center -crop 1920x1080+0+0 +repage -depth 8 "$out/right.ppm"
fi

echo "-- ours, $TWR_WIN_TARGET Windows build (SSE2) under Wine, built-in matcher, medians of $repeats"
"$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/align_bench.exe" "Z:$out/left.ppm" "Z:$out/right.ppm" "Z:$out" \
  "$repeats" 2>/dev/null | tr -d '\r'
echo "-- peer: OpenCV $(/usr/bin/python3 -c 'import cv2; print(cv2.__version__)') SIFT + RANSAC, one thread, CPU ms (best of $repeats)"
/usr/bin/python3 "$(dirname "$0")/align_peer.py" "$out" "$repeats" 3.84
