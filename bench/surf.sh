#!/usr/bin/env bash
# Built-in feature matcher on a 1920x1080 pair (ImageMagick plasma, the
# right frame turned by 1 degree and moved), at the working size of each
# alignment pass: our extraction and pair search in the Windows build under
# Wine and in a plain native build, beside OpenCV's SIFT (Debian
# python3-opencv) on the same working images, all in this run.
set -euo pipefail
. "$(dirname "$0")/../scripts/env.sh"
out=$TWR_WORK/bench/surf
mkdir -p "$out"
repeats=${SURF_BENCH_REPEATS:-5}

if ! /usr/bin/python3 -c 'import cv2' 2>/dev/null; then
  echo "installing the peer (python3-opencv)"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends python3-opencv >/dev/null
fi

if [ ! -f "$out/left.ppm" ]; then
  convert -seed 5 -size 2000x1160 plasma:fractal -equalize -sigmoidal-contrast 6x50% \
    -gravity center -crop 1920x1080+0+0 +repage -depth 8 "$out/left.ppm"
  convert -seed 5 -size 2000x1160 plasma:fractal -equalize -sigmoidal-contrast 6x50% \
    -virtual-pixel edge -distort SRT '1000,580 1.0 1.0 1012,574' \
    -gravity center -crop 1920x1080+0+0 +repage -depth 8 "$out/right.ppm"
fi

# A native build without sanitizers, for the bench only.
plain=$TWR_WORK/build-bench
[ -f "$plain/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$plain" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTWR_SANITIZE=OFF -DTWR_FUZZ=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$plain" --target surf_bench >/dev/null

echo "-- ours, $TWR_WIN_TARGET Windows build (SSE2) under Wine, ms (best of $repeats)"
"$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/surf_bench.exe" "Z:$out/left.ppm" "Z:$out/right.ppm" "Z:$out" "$repeats" \
  2>/dev/null | tr -d '\r'
echo "-- ours, native x86-64 without sanitizers, ms (best of $repeats)"
"$plain/bench/surf_bench" "$out/left.ppm" "$out/right.ppm" "$out" "$repeats"
echo "-- peer: OpenCV $(/usr/bin/python3 -c 'import cv2; print(cv2.__version__)') SIFT, one thread, CPU ms (best of $repeats)"
/usr/bin/python3 "$(dirname "$0")/surf_sift_peer.py" "$out" "$repeats"

echo "-- outside sanity check against OpenCV's detectors (native build)"
/usr/bin/python3 "$(dirname "$0")/surf_sanity.py" "$plain/bench/surf_bench --keypoints" "$out"
