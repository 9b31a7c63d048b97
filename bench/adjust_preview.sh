#!/usr/bin/env bash
# The easy-adjustment preview rebuilt after one slider step from a 1920x1080
# pair (both grey eyes turned by 1.5 degrees and enlarged by 20 per mille,
# then composed as the anaglyph at an offset), median of the rebuilds, in
# the dialog's two ways of showing it: fitted into its 448x323 preview area
# (the copies shrunk to 448x252 when the dialog opens, bilinear) and at the
# frame's own size ("実寸表示", nearest pixel); and, for the kernels alone,
# the full size sampled bilinearly. Beside each, ffmpeg doing the same on
# the two eyes side by side: rotate, scale (nearest) and a centred crop per
# eye, the offset as crops, stereo3d's grey red/cyan anaglyph. ffmpeg runs
# single-threaded; its figure is the CPU time of the filtered run less that
# of the same run without the filter, per frame.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
work=$TWR_WORK/bench/adjust_preview
mkdir -p "$work"
rebuilds=${TWR_BENCH_REBUILDS:-40}
frames=${TWR_BENCH_FRAMES:-60}
frame=$work/frame.bgr24
fitted=$work/fitted.bgr24
ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080 -frames:v 1 -f rawvideo -pix_fmt bgr24 "$frame"
ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -video_size 1920x1080 -i "$frame" -vf scale=448:252:flags=area \
  -f rawvideo -pix_fmt bgr24 "$fitted"

# Native build of the portable code without the sanitizers, for reference.
native=$TWR_WORK/build-bench
[ -f "$native/build.ninja" ] ||
  CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTWR_SANITIZE=OFF -DTWR_FUZZ=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$native" --target adjust_preview_bench >/dev/null

# The three cases: frame file, size, sampling.
cases=("$fitted 448 252 bilinear" "$frame 1920 1080 nearest" "$frame 1920 1080 bilinear")
if [ -x "$TWR_BUILD_WIN/bench/adjust_preview_bench.exe" ]; then
  echo "-- this program, $TWR_WIN_TARGET Windows build under Wine"
  for c in "${cases[@]}"; do
    set -- $c
    "$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/adjust_preview_bench.exe" "Z:$1" "$2" "$3" "$rebuilds" "$4" 2>/dev/null
  done
fi
echo "-- this program, native x86-64 build"
for c in "${cases[@]}"; do
  set -- $c
  "$native/bench/adjust_preview_bench" "$1" "$2" "$3" "$rebuilds" "$4" 2>/dev/null
done

# ffmpeg: CPU seconds (user + system) of one run, the least of three (the
# machines are shared). $1: eye width, $2: height, $3: the filter graph.
cpu() {
  for _ in 1 2 3; do
    ffmpeg -hide_banner -nostdin -benchmark -threads 1 -filter_threads 1 -stream_loop $((frames - 1)) \
      -f rawvideo -pix_fmt gray -video_size $(($1 * 2))x$2 -i "$work/pair_$1.gray" -vf "$3" -f null - 2>&1 |
      sed -n 's/.*utime=\([0-9.]*\)s stime=\([0-9.]*\)s.*/\1 \2/p' | awk '{print $1 + $2}'
  done | sort -g | head -1
}
per_frame() { awk -v a="$1" -v b="$2" -v n="$frames" 'BEGIN { printf "%7.2f ms/frame", (a - b) * 1000 / n }'; }
echo "-- ffmpeg $(ffmpeg -version | head -1 | cut -d' ' -f3), one thread, the same pair ($frames frames)"
for c in "${cases[@]}"; do
  set -- $c
  w=$2 h=$3 bilinear=$([ "$4" = bilinear ] && echo 1 || echo 0)
  ox=$(( (24 * w + 960) / 1920 )) oy=$(( (6 * h + 540) / 1080 ))
  ffmpeg -v error -y -f rawvideo -pix_fmt bgr24 -video_size ${w}x$h -i "$1" \
    -vf "format=gray,split[a][b];[a][b]hstack" -f rawvideo -pix_fmt gray "$work/pair_$w.gray"
  eye="rotate=1.5*PI/180:bilinear=$bilinear,scale=iw*1.02:ih*1.02:flags=neighbor,crop=$w:$h"
  graph="split[a][b];[a]crop=$w:$h:0:0,$eye,crop=$((w - ox)):$((h - oy)):$ox:0[l];"
  graph+="[b]crop=$w:$h:$w:0,$eye,crop=$((w - ox)):$((h - oy)):0:$oy[r];[l][r]hstack,format=rgb24,stereo3d=sbsl:arcg"
  base=$(cpu "$w" "$h" null)
  printf '%4dx%-4d %-8s rotate + scale + stereo3d anaglyph %s\n' "$w" "$h" "$4" "$(per_frame "$(cpu "$w" "$h" "$graph")" "$base")"
done
