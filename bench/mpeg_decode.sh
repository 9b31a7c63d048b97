#!/usr/bin/env bash
# MPEG-2 decoding to 24-bit RGB: our decoder (the Windows build under Wine)
# with every "simd" / "idct_func" choice beside ffmpeg -threads 1 to bgr24
# and mpeg2dec to RGB, all in process CPU time (ffmpeg converts in a second
# thread). Pairs: our "simd" 0 against ffmpeg -cpuflags 0 and mpeg2dec -c,
# "simd" 1 (MMX, what the program writes at every start) against
# -cpuflags mmx+mmxext, "simd" 7 (SSE2) against ffmpeg's and mpeg2dec's
# full SIMD. Every figure is the best of TWR_BENCH_ROUNDS rounds (default
# 3), the rounds interleaving ours and the peers so that a busy machine
# weighs on both alike.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
twr_wine_env
media=$TWR_WORK/bench-media
mkdir -p "$media"
# Streams long enough that the peers' start-up does not count: interlaced
# DVD-like 720x480 and broadcast-like 1080i.
[ -f "$media/bench_480.m2v" ] ||
  ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=720x480:rate=30000/1001 -frames:v 300 -pix_fmt yuv420p \
    -c:v mpeg2video -g 15 -bf 2 -b:v 6M -flags +ildct+ilme -f mpeg2video "$media/bench_480.m2v"
[ -f "$media/bench_1080.m2v" ] ||
  ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=1920x1080:rate=30000/1001 -frames:v 120 -pix_fmt yuv420p \
    -c:v mpeg2video -g 15 -bf 2 -b:v 20M -flags +ildct+ilme -f mpeg2video "$media/bench_1080.m2v"
bench=$TWR_BUILD_WIN/bench/mpeg_decode_bench.exe
rounds=${TWR_BENCH_ROUNDS:-3}

# CPU seconds (user + system) of a command, children included.
cpu() {
  local f
  f=$(mktemp)
  /usr/bin/time -o "$f" -f "%U %S" "$@" >/dev/null 2>&1
  awk '{ printf "%.3f", $1 + $2 }' "$f"
  rm -f "$f"
}
frames_of() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of default=nw=1:nk=1 "$1"
}
ours=("0 0" "0 1" "0 2" "1 1" "1 2" "2 0" "2 2" "7 2")
peers=("ffmpeg -cpuflags 0" "ffmpeg -cpuflags mmx+mmxext" "ffmpeg full SIMD" "mpeg2dec -c" "mpeg2dec full SIMD")
peer_cmd() {
  case "$1" in
    "ffmpeg -cpuflags 0") echo "ffmpeg -nostdin -v error -threads 1 -cpuflags 0 -i $2 -f rawvideo -pix_fmt bgr24 -y /dev/null" ;;
    "ffmpeg -cpuflags mmx+mmxext") echo "ffmpeg -nostdin -v error -threads 1 -cpuflags mmx+mmxext -i $2 -f rawvideo -pix_fmt bgr24 -y /dev/null" ;;
    "ffmpeg full SIMD") echo "ffmpeg -nostdin -v error -threads 1 -i $2 -f rawvideo -pix_fmt bgr24 -y /dev/null" ;;
    "mpeg2dec -c") echo "mpeg2dec -c -o nullrgb32 $2" ;;
    "mpeg2dec full SIMD") echo "mpeg2dec -o nullrgb32 $2" ;;
  esac
}

for stream in bench_480.m2v bench_1080.m2v; do
  path=$media/$stream
  n=$(frames_of "$path")
  size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$path" | tr -d ',' | sed 's/x$//')
  declare -A best=()
  for round in $(seq "$rounds"); do
    for cfg in "${ours[@]}"; do
      set -- $cfg
      t=$("$TWR_TOP/scripts/wine-run" "$bench" "Z:$path" "$1" "$2" 1 2>/dev/null | awk '/fps/ { print $3 }')
      [ -n "$t" ] || t=999
      b=${best["ours $cfg"]:-999}
      best["ours $cfg"]=$(awk -v a="$b" -v t="$t" 'BEGIN { print (t < a) ? t : a }')
    done
    for p in "${peers[@]}"; do
      t=$(cpu bash -c "$(peer_cmd "$p" "$path")")
      b=${best["$p"]:-999}
      best["$p"]=$(awk -v a="$b" -v t="$t" 'BEGIN { print (t < a) ? t : a }')
    done
  done
  echo "-- $stream ($size, $n frames; frames per CPU second, best of $rounds)"
  fps() { awk -v n="$n" -v t="$1" 'BEGIN { printf "%7.1f", n / t }'; }
  for cfg in "${ours[@]}"; do
    set -- $cfg
    printf "  ours simd %d idct_func %d          %s\n" "$1" "$2" "$(fps "${best["ours $cfg"]}")"
  done
  for p in "${peers[@]}"; do
    printf "  %-32s %s\n" "$p" "$(fps "${best[$p]}")"
  done
  unset best
done
