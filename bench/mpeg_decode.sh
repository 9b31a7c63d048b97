#!/usr/bin/env bash
# MPEG-2 decoding to 24-bit RGB: our decoder (the Windows build under Wine)
# with every "simd" / "idct_func" choice beside ffmpeg -threads 1 to bgr24
# and mpeg2dec to RGB, all in process CPU time (ffmpeg converts in a second
# thread). Pairs: our "simd" 0 against ffmpeg -cpuflags 0 and mpeg2dec -c,
# "simd" 1 (MMX, what the program writes at every start) against
# -cpuflags mmx+mmxext, "simd" 7 (SSE2) against ffmpeg's and mpeg2dec's
# full SIMD.
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
passes=${TWR_BENCH_PASSES:-2}

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

for stream in bench_480.m2v bench_1080.m2v; do
  path=$media/$stream
  n=$(frames_of "$path")
  size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$path" | tr -d ',' | sed 's/x$//')
  echo "-- $stream ($size, $n frames, $passes passes; frames per CPU second)"
  for cfg in "0 0" "0 1" "0 2" "1 1" "1 2" "2 0" "2 2" "7 2"; do
    set -- $cfg
    out=$("$TWR_TOP/scripts/wine-run" "$bench" "Z:$path" "$1" "$2" "$passes" 2>/dev/null | grep fps || true)
    printf "  ours  simd %d idct_func %d: %s\n" "$1" "$2" "$out"
  done
  for flags in 0 mmx+mmxext default; do
    args=(-threads 1)
    [ "$flags" = default ] || args+=(-cpuflags "$flags")
    t=$(cpu bash -c "for i in \$(seq $passes); do ffmpeg -nostdin -v error ${args[*]} -i '$path' -f rawvideo -pix_fmt bgr24 -y /dev/null; done")
    printf "  ffmpeg -threads 1 -cpuflags %-10s %.1f fps\n" "$flags" "$(awk -v n="$n" -v p="$passes" -v t="$t" 'BEGIN { print n * p / t }')"
  done
  for mode in "-c" ""; do
    t=$(cpu bash -c "for i in \$(seq $passes); do mpeg2dec $mode -o nullrgb32 '$path'; done")
    printf "  mpeg2dec %-3s -o nullrgb32            %.1f fps\n" "$mode" "$(awk -v n="$n" -v p="$passes" -v t="$t" 'BEGIN { print n * p / t }')"
  done
done
