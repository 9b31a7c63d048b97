#!/usr/bin/env bash
# The easy-adjustment preview rebuilt after one slider step at 1920x1080
# (both grey eyes turned by 1.5 degrees and enlarged by 20 per mille, then
# composed as the anaglyph at an offset), median of 20 rebuilds, against
# ffmpeg doing the same on the two eyes side by side (3840x1080 grey, each
# eye 1920x1080): rotate, scale (nearest) and a centred crop per eye, the
# offset as crops, stereo3d's grey red/cyan anaglyph. ffmpeg runs
# single-threaded; its figure is the CPU time of the filtered run less that
# of the same run without the filter, per frame.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
work=$TWR_WORK/bench/adjust_preview
mkdir -p "$work"
rebuilds=${TWR_BENCH_REBUILDS:-20}
frames=${TWR_BENCH_FRAMES:-60}
frame=$work/frame.bgr24
pair=$work/pair.gray
ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080 -frames:v 1 -f rawvideo -pix_fmt bgr24 "$frame"
ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -video_size 1920x1080 -i "$frame" \
  -vf "format=gray,split[a][b];[a][b]hstack" -f rawvideo -pix_fmt gray "$pair"

# Native build of the portable code without the sanitizers, for reference.
native=$TWR_WORK/build-bench
[ -f "$native/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTWR_SANITIZE=OFF -DTWR_FUZZ=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$native" --target adjust_preview_bench >/dev/null

if [ -x "$TWR_BUILD_WIN/bench/adjust_preview_bench.exe" ]; then
  echo "-- this program, $TWR_WIN_TARGET Windows build under Wine"
  "$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/adjust_preview_bench.exe" "Z:$frame" "$rebuilds" 2>/dev/null
fi
echo "-- this program, native x86-64 build"
"$native/bench/adjust_preview_bench" "$frame" "$rebuilds" 2>/dev/null

# ffmpeg: CPU seconds (user + system) of one run, the least of three (the
# machines are shared).
cpu() {
  for _ in 1 2 3; do
    ffmpeg -hide_banner -nostdin -benchmark -threads 1 -filter_threads 1 -stream_loop $((frames - 1)) \
      -f rawvideo -pix_fmt gray -video_size 3840x1080 -i "$pair" -vf "$1" -f null - 2>&1 |
      sed -n 's/.*utime=\([0-9.]*\)s stime=\([0-9.]*\)s.*/\1 \2/p' | awk '{print $1 + $2}'
  done | sort -g | head -1
}
per_frame() { awk -v a="$1" -v b="$2" -v n="$frames" 'BEGIN { printf "%7.2f ms/frame", (a - b) * 1000 / n }'; }
eye="rotate=1.5*PI/180:bilinear=1,scale=iw*1.02:ih*1.02:flags=neighbor,crop=1920:1080"
graph="split[a][b];[a]crop=1920:1080:0:0,$eye,crop=1896:1074:24:0[l];"
graph+="[b]crop=1920:1080:1920:0,$eye,crop=1896:1074:0:6[r];[l][r]hstack,format=rgb24,stereo3d=sbsl:arcg"
echo "-- ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), one thread, the same pair ($frames frames)"
base=$(cpu null)
echo "rotate + scale + stereo3d anaglyph  $(per_frame "$(cpu "$graph")" "$base")"
