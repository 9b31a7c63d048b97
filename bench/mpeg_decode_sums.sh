#!/usr/bin/env bash
# Checksums of the RGB output of the MPEG decoder for every "simd" /
# "idct_func" choice on a set of streams (interlaced and progressive, MPEG-1,
# 4:2:2, odd sizes, damaged and cut data): a speed change must leave every
# line as it was. Usage: mpeg_decode_sums.sh [win32|native] > sums.txt, then
# diff the files of two builds (TWR_SUMS_NATIVE names another native build
# folder, e.g. one without the sanitizers). Not a benchmark: run.sh passes
# it over.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
twr_wine_env
build=${1:-win32}
media=$TWR_WORK/bench-media/sums
mkdir -p "$media"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
src() { echo "-f lavfi -i testsrc2=size=$1:rate=25 -frames:v $2"; }
enc() {
  local name=$1 size=$2 frames=$3 pix=$4
  shift 4
  [ -f "$media/$name" ] || ff $(src "$size" "$frames") -pix_fmt "$pix" "$@" "$media/$name"
}
enc m1.m1v 352x240 13 yuv420p -c:v mpeg1video -g 9 -bf 2 -q:v 3 -f mpeg1video
enc p420.m2v 352x288 13 yuv420p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -f mpeg2video
enc il.m2v 720x576 13 yuv420p -c:v mpeg2video -g 6 -bf 2 -b:v 4M -flags +ildct+ilme -top 1 -f mpeg2video
enc altvlc.m2v 320x240 9 yuv420p -c:v mpeg2video -g 9 -bf 2 -q:v 2 -alternate_scan 1 -intra_vlc 1 \
    -non_linear_quant 1 -qmax 28 -dc 10 -flags +ildct+ilme -top 0 -f mpeg2video
enc odd.m2v 198x142 9 yuv420p -c:v mpeg2video -g 5 -bf 1 -q:v 2 -f mpeg2video
enc c422.m2v 352x288 9 yuv422p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -f mpeg2video
enc c444.m2v 176x144 7 yuv444p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -f mpeg2video 2>/dev/null || true
[ -f "$media/enc_il.m2v" ] ||
  ff $(src 352x288 13) -vf setfield=tff -pix_fmt yuv420p -f yuv4mpegpipe - 2>/dev/null |
    mpeg2enc -v 0 -f 3 -I 1 -b 3000 -o "$media/enc_il.m2v"
# Damage: a stream cut inside a picture, and one with bytes overwritten
# (concealment, black macroblocks, pictures left short).
if [ ! -f "$media/damaged.m2v" ]; then
  head -c 300001 "$media/il.m2v" > "$media/cut.m2v"
  cp "$media/il.m2v" "$media/damaged.m2v"
  for at in 40000 90017 160003 230011; do
    printf '\x5a\xa5\x00\x00\xff\x13\x37' | dd of="$media/damaged.m2v" bs=1 seek=$at conv=notrunc status=none
  done
fi
streams=(m1.m1v p420.m2v il.m2v altvlc.m2v odd.m2v c422.m2v c444.m2v enc_il.m2v cut.m2v damaged.m2v)
for s in ../bench_480.m2v ../bench_1080.m2v; do
  [ -f "$media/$s" ] && streams+=("$s")
done
for s in "${streams[@]}"; do
  [ -f "$media/$s" ] || continue
  for simd in 0 1 3 7; do
    for idct in 0 1 2; do
      if [ "$build" = native ]; then
        r=$("${TWR_SUMS_NATIVE:-$TWR_BUILD_NATIVE}/bench/mpeg_decode_bench" "$media/$s" $simd $idct 1 sum)
      else
        r=$("$TWR_TOP/scripts/wine-run" "$TWR_BUILD_WIN/bench/mpeg_decode_bench.exe" "Z:$media/$s" $simd $idct 1 sum 2>/dev/null | tr -d '\r')
      fi
      echo "$(basename "$s") simd $simd idct $idct: $r"
    done
  done
done
