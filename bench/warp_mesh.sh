#!/usr/bin/env bash
# Mesh warp of a 1920x1080 frame (rotation 1.5 degrees, perspective 3.0 and
# -2.0 degrees) against ffmpeg's perspective and rotate filters on the same
# frame in the same run. ffmpeg runs single-threaded; its figure is the CPU
# time of the filtered run less that of the same run without the filter.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
work=$TWR_WORK/bench/warp_mesh
mkdir -p "$work"
frames=${TWR_BENCH_FRAMES:-60}
frame=$work/frame.bgr24
ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080 -frames:v 1 -f rawvideo -pix_fmt bgr24 "$frame"

# Native build of the portable code without the sanitizers, for reference.
native=$TWR_WORK/build-bench
[ -f "$native/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTWR_SANITIZE=OFF -DTWR_FUZZ=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$native" --target warp_mesh_bench >/dev/null

echo "-- this program, 32-bit Windows build under Wine ($frames frames)"
"$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/warp_mesh_bench.exe" "Z:$frame" "$frames" 2>/dev/null
echo "-- this program, native x86-64 build ($frames frames)"
"$native/bench/warp_mesh_bench" "$frame" "$frames" 2>/dev/null

# ffmpeg: CPU seconds (user + system) of one run, the least of three (the
# machines are shared).
cpu() {
  for _ in 1 2 3; do
    ffmpeg -hide_banner -nostdin -benchmark -threads 1 -filter_threads 1 -stream_loop $((frames - 1)) \
      -f rawvideo -pix_fmt bgr24 -video_size 1920x1080 -i "$frame" -vf "$1" -f null - 2>&1 |
      sed -n 's/.*utime=\([0-9.]*\)s stime=\([0-9.]*\)s.*/\1 \2/p' | awk '{print $1 + $2}'
  done | sort -g | head -1
}
per_frame() { awk -v a="$1" -v b="$2" -v n="$frames" 'BEGIN { printf "%7.2f ms/frame", (a - b) * 1000 / n }'; }
read -r c0x c0y c1x c1y c2x c2y c3x c3y < <("$native/bench/warp_mesh_bench" "$frame" 1 corners)
persp="perspective=x0=$c0x:y0=$c0y:x1=$c1x:y1=$c1y:x2=$c2x:y2=$c2y:x3=$c3x:y3=$c3y:sense=source"
echo "-- ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), one thread, same frame"
base_planar=$(cpu format=gbrp)
base_packed=$(cpu null)
echo "perspective linear  $(per_frame "$(cpu "format=gbrp,$persp:interpolation=linear")" "$base_planar")"
echo "perspective cubic   $(per_frame "$(cpu "format=gbrp,$persp:interpolation=cubic")" "$base_planar")"
echo "rotate nearest      $(per_frame "$(cpu "rotate=1.5*PI/180:bilinear=0")" "$base_packed")"
echo "rotate bilinear     $(per_frame "$(cpu "rotate=1.5*PI/180:bilinear=1")" "$base_packed")"
