#!/usr/bin/env bash
# The composition kernels on a 1920x1080 and a 720x480 pair, beside
# ffmpeg's nearest equivalents on the same frames (one thread, CPU time per
# frame with the cost of reading and passing frames through subtracted).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
dir=$TWR_WORK/bench/compose
mkdir -p "$dir"
frames=60

ff() { ffmpeg -hide_banner -loglevel error -nostdin "$@"; }

# CPU seconds (user + system) of one ffmpeg run.
ffcpu() {
  local out
  out=$( { /usr/bin/time -f '%U %S' ffmpeg -hide_banner -loglevel error -nostdin -threads 1 -filter_threads 1 \
           -filter_complex_threads 1 "$@" -f null - ; } 2>&1 >/dev/null | tail -n 1)
  echo "$out" | awk '{print $1 + $2}'
}

for size in 1920x1080 720x480; do
  w=${size%x*}; h=${size#*x}
  l=$dir/l-$size.bgr; r=$dir/r-$size.bgr
  if [ ! -f "$r" ]; then
    ff -f lavfi -i "testsrc2=s=$size" -frames:v 1 -pix_fmt bgr24 -f rawvideo "$l"
    ff -f lavfi -i "testsrc2=s=$size" -frames:v 1 -vf "crop=iw-16:ih:16:0,pad=iw+16:ih" -pix_fmt bgr24 \
       -f rawvideo "$r"
    ff -f rawvideo -pix_fmt bgr24 -s "$size" -i "$l" -f rawvideo -pix_fmt bgr24 -s "$size" -i "$r" \
       -filter_complex hstack -pix_fmt rgb24 -f rawvideo "$dir/sbs-$size.rgb"
  fi
  echo "-- ours ($size, under Wine)"
  wine "$TWR_BUILD_WIN/bench/compose_bench.exe" "$(winepath -w "$l")" "$(winepath -w "$r")" "$w" "$h" 25 | tr -d '\r'

  one=(-stream_loop $((frames - 1)) -f rawvideo -pix_fmt rgb24 -s "$((2 * w))x$h" -i "$dir/sbs-$size.rgb")
  two=(-stream_loop $((frames - 1)) -f rawvideo -pix_fmt bgr24 -s "$size" -i "$l"
       -stream_loop $((frames - 1)) -f rawvideo -pix_fmt bgr24 -s "$size" -i "$r")
  base1=$(ffcpu "${one[@]}" -vf null)
  base2=$(ffcpu "${two[@]}" -filter_complex "[0][1]hstack=shortest=1,crop=2:2:0:0")
  per() { awk -v a="$1" -v b="$2" -v n="$frames" 'BEGIN { printf "%8.2f ms", (a - b) * 1000 / n }'; }
  echo "-- ffmpeg -threads 1 ($size, CPU time per frame, passthrough subtracted)"
  for f in arcg aybg arcc aybc irl icl; do
    printf "  %-32s %s\n" "stereo3d=sbsl:$f" "$(per "$(ffcpu "${one[@]}" -vf "stereo3d=sbsl:$f")" "$base1")"
  done
  printf "  %-32s %s\n" "blend=all_mode=average" \
    "$(per "$(ffcpu "${two[@]}" -filter_complex "[0][1]blend=all_mode=average,crop=2:2:0:0")" "$base2")"
  printf "  %-32s %s\n" "colorkey+overlay" \
    "$(per "$(ffcpu "${two[@]}" -filter_complex "[0]colorkey=white:0.1:0.05[k];[1][k]overlay=format=rgb,crop=2:2:0:0")" "$base2")"
  printf "  %-32s %s\n" "hstack" "$(per "$(ffcpu "${two[@]}" -filter_complex "[0][1]hstack,crop=2:2:0:0")" "$base2")"
  printf "  %-32s %s\n" "vstack" "$(per "$(ffcpu "${two[@]}" -filter_complex "[0][1]vstack,crop=2:2:0:0")" "$base2")"
done
