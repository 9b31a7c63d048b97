#!/usr/bin/env bash
# The time to a painted picture: from the program's start to the first
# painted pair of two 1080p movies given on the command line, and from a
# frame step (Space) to the next pair painted (median of 20 steps, in the
# start mode: side by side with the blended view), for uncompressed and
# Motion-JPEG movies; beside ffmpeg decoding the same frames of both movies
# (its start with the first frame of each, and one more frame of each).
# Ours is wall time under Wine in a virtual desktop, seen on the screen;
# ffmpeg's is CPU time and wall time, least of three runs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
[ -n "${DISPLAY:-}" ] || twr_start_xvfb
dir=$TWR_WORK/bench/paint
mkdir -p "$dir"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

make_pair() {  # codec name, ffmpeg codec options...
  local name=$1; shift
  [ -f "$dir/${name}_R.avi" ] && return
  ff -f lavfi -i testsrc2=size=1952x1080:rate=25 -frames:v 30 -vf crop=1920:1080:0:0 "$@" "$dir/${name}_L.avi"
  ff -f lavfi -i testsrc2=size=1952x1080:rate=25 -frames:v 30 -vf crop=1920:1080:32:0 "$@" "$dir/${name}_R.avi"
}
make_pair raw -c:v rawvideo -pix_fmt bgr24
make_pair mjpg -c:v mjpeg -q:v 3 -pix_fmt yuvj420p

# Least CPU and wall time of three runs, in milliseconds.
least() {
  local best="" t
  for _ in 1 2 3; do
    /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >/dev/null 2>&1
    t=$(awk '{printf "%.1f %.1f", ($1 + $2) * 1000, $3 * 1000}' "$dir/time")
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[1] < y[1]) }'; then
      best=$t
    fi
  done
  echo "$best"
}

# Ends the processes of one desktop run (they carry its marker).
cleanup() {
  local pid env
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    if { tr '\0' '\n' <"$env"; } 2>/dev/null | grep -qx "TWR_BENCH_TAG=$TWR_BENCH_TAG"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}

for name in raw mjpg; do
  left=$(winepath -w "$dir/${name}_L.avi") right=$(winepath -w "$dir/${name}_R.avi")
  result=$dir/$name.txt
  rm -f "$result"
  # The marker is in the Wine processes' environment only, not in this
  # shell's subshell, which ends normally.
  TWR_BENCH_TAG=paint-$$-$name
  (TWR_BENCH_TAG=$TWR_BENCH_TAG wine explorer "/desktop=bench$$,1600x1000" "$TWR_BUILD_WIN/bench/paint_bench.exe" \
    "$(winepath -w "$TWR_BUILD_WIN/twinreel.exe")" "$left" "$right" 20 "$(winepath -w "$result")" \
    >/dev/null 2>&1 || true) 2>/dev/null &
  desktop=$!
  for _ in $(seq 1 600); do
    grep -q '^exit\|^error' "$result" 2>/dev/null && break
    sleep 0.1
  done
  cleanup
  wait "$desktop" 2>/dev/null || true
  echo "-- two 1920x1080 movies ($name), 30 frames each"
  if grep -q '^error' "$result" 2>/dev/null || [ ! -s "$result" ]; then
    cat "$result" 2>/dev/null || echo "  no result"
    continue
  fi
  read -r _ first <<<"$(grep '^first' "$result")"
  read -r _ median low high count <<<"$(grep '^step' "$result")"
  printf "  %-58s %8s ms wall\n" "start to the first painted pair (ours)" "$first"
  printf "  %-58s %8s ms wall (%s-%s, %s steps)\n" "frame step (Space) to the next pair painted (ours, median)" \
    "$median" "$low" "$high" "$count"
  read -r c1 w1 <<<"$(least ffmpeg -nostdin -i "$dir/${name}_L.avi" -i "$dir/${name}_R.avi" -map 0:v -map 1:v \
    -frames:v 1 -f null -)"
  read -r c21 w21 <<<"$(least ffmpeg -nostdin -i "$dir/${name}_L.avi" -i "$dir/${name}_R.avi" -map 0:v -map 1:v \
    -frames:v 21 -f null -)"
  printf "  %-58s %8s ms CPU %8s ms wall\n" "ffmpeg: start and the first frame of both movies" "$c1" "$w1"
  printf "  %-58s %8s ms CPU\n" "ffmpeg: one more frame of both movies ((21 - 1 frames) / 20)" \
    "$(awk -v a="$c21" -v b="$c1" 'BEGIN { printf "%.1f", (a - b) / 20 }')"
  echo "  inside the program (no desktop): the open and the parts of a step"
  wine "$TWR_BUILD_WIN/bench/show_pair_bench.exe" "$left" "$right" 20 2>/dev/null | tr -d '\r' | sed 's/^/  /'
done
