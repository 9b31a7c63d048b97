#!/usr/bin/env bash
# Saving a 1920x1080 pair side by side, uncompressed: the program's stereo
# save (the Windows program under Wine) beside ffmpeg's hstack into raw
# video, both reading the same two uncompressed movies and writing to the
# same disk in this run; and that disk's sequential write speed (with the
# data on the disk, fdatasync) as the limit, in frames of 3840x1080x3
# bytes. Frames per second of wall-clock time and of CPU time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
twr_start_xvfb
dir=$TWR_WORK/bench/save
mkdir -p "$dir"
frames=${TWR_SAVE_BENCH_FRAMES:-60}
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
for eye in L R; do
  src=$dir/$eye.avi
  filter="testsrc2=size=1920x1080:rate=25"
  [ $eye = R ] && filter="$filter,hflip"
  [ -f "$src" ] || ff -f lavfi -i "$filter" -frames:v "$frames" -c:v rawvideo -pix_fmt bgr24 "$src"
done
frame_bytes=$((3840 * 1080 * 3))
fps() { awk -v n="$frames" -v t="$1" 'BEGIN { printf "%.1f", n / t }'; }
sync

echo "-- ${frames} frames of two 1920x1080 movies saved side by side, uncompressed"
rounds=3
for r in $(seq $rounds); do
  rm -f "$dir/ours.avi"
  printf "  %-28s " "ours (round $r)"
  wine "$TWR_BUILD_WIN/bench/save_bench.exe" "$(winepath -w "$dir/L.avi")" "$(winepath -w "$dir/R.avi")" \
       "$(winepath -w "$dir/ours.avi")" | tr -d '\r'
  rm -f "$dir/peer.avi"
  /usr/bin/time -f '%U %S %e' -o "$dir/time" \
    ffmpeg -hide_banner -loglevel error -nostdin -y -i "$dir/L.avi" -i "$dir/R.avi" -filter_complex hstack \
      -c:v rawvideo "$dir/peer.avi"
  read -r user sys wall < "$dir/time"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
  printf "  %-28s %d frames in %.2f s wall (%s frames/s), %.2f s CPU (%s frames/s of CPU)\n" "ffmpeg hstack (round $r)" \
    "$frames" "$wall" "$(fps "$wall")" "$cpu" "$(fps "$cpu")"
done
# The disk: as many bytes as the save writes, on the disk when timed.
bytes=$((frame_bytes * frames))
start=$(date +%s.%N)
dd if=/dev/zero of="$dir/disk.bin" bs=8M count=$((bytes / 8388608 + 1)) conv=fdatasync status=none
end=$(date +%s.%N)
rm -f "$dir/disk.bin" "$dir/ours.avi" "$dir/peer.avi"
awk -v b="$bytes" -v s="$start" -v e="$end" -v fb="$frame_bytes" 'BEGIN {
  t = e - s; printf "  %-28s %.0f MB/s: %.1f frames/s\n", "disk, sequential write", b / t / 1e6, b / fb / t }'
