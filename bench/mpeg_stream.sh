#!/usr/bin/env bash
# MPEG stream side: the first open (GOP-list scan) of a long program stream
# and of its elementary stream beside ffprobe -count_frames, and Layer II
# decoding beside ffmpeg's mp2 and mp2float decoders (one thread, CPU time).
# Ours runs as the Windows program under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
dir=$TWR_WORK/bench/mpeg-stream
mkdir -p "$dir"
minutes=${TWR_BENCH_MPEG_MINUTES:-5}
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
# CPU seconds (user + system) and wall seconds of a command; its output in $dir/out.
cpu() {
  /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >"$dir/out" 2>/dev/null
  awk '{printf "%8.3f s CPU %8.3f s wall", $1 + $2, $3}' "$dir/time"
}

long=$dir/long-$minutes.mpg
if [ ! -f "$long" ]; then
  echo "(making a $minutes-minute 720x576 MPEG-2 program stream with Layer II sound)"
  ff -f lavfi -i "testsrc2=size=720x576:rate=25:duration=$((minutes * 60))" \
     -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$((minutes * 60))" \
     -c:v mpeg2video -b:v 6M -g 12 -bf 2 -c:a mp2 -ac 2 -b:a 192k -f vob "$long.tmp" && mv "$long.tmp" "$long"
  ff -i "$long" -map 0:v -c copy -f mpeg2video "$dir/long-$minutes.m2v"
  ff -i "$long" -map 0:a -c copy -f mp2 "$dir/long-$minutes.mp2"
fi
for f in "$long" "$dir/long-$minutes.m2v"; do
  rm -f "${f%.*}.gl"
  echo "-- first open of $(basename "$f")"
  wine "$TWR_BUILD_WIN/bench/mpeg_index_bench.exe" "$(winepath -w "$f")" | tr -d '\r'
  t=$(cpu ffprobe -v error -threads 1 -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$f")
  printf "  %-40s %s  %s frames\n" "ffprobe -threads 1 -count_frames" "$t" "$(head -c 12 "$dir/out" | tr -dc 0-9)"
  t=$(cpu ffprobe -v error -count_packets -select_streams v:0 -show_entries stream=nb_read_packets -of csv=p=0 "$f")
  printf "  %-40s %s  %s packets\n" "ffprobe -count_packets (no decoding)" "$t" "$(head -c 12 "$dir/out" | tr -dc 0-9)"
done
echo "-- Layer II, $minutes minutes 48 kHz stereo 192 kbit/s"
wine "$TWR_BUILD_WIN/bench/mpeg_audio_bench.exe" "$(winepath -w "$dir/long-$minutes.mp2")" "$(winepath -w "$long")" | tr -d '\r'
printf "  %-40s %s\n" "ffmpeg mp2 (fixed point)" "$(cpu ffmpeg -nostdin -threads 1 -c:a mp2 -i "$dir/long-$minutes.mp2" -f null -)"
printf "  %-40s %s\n" "ffmpeg mp2float" "$(cpu ffmpeg -nostdin -threads 1 -c:a mp2float -i "$dir/long-$minutes.mp2" -f null -)"
