#!/usr/bin/env bash
# Random access into a 10-minute 1080i MPEG-2 program stream: 100 random
# frames fetched by our video stream object (the Windows build under Wine)
# beside ffmpeg seeking accurately (-ss before -i) to the same frames, one
# ffmpeg run per frame as a player would; and the first open (index) beside
# ffprobe -count_frames. CPU seconds (user + system; ffmpeg decodes in
# threads). Afterwards, untimed, the frames each fetched are compared with
# ffmpeg's sequential decode of the same frame numbers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
dir=$TWR_WORK/bench/mpeg-random
mkdir -p "$dir"
minutes=${TWR_BENCH_RANDOM_MINUTES:-10}
count=${TWR_BENCH_RANDOM_FRAMES:-100}
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
cpu() {
  /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >"$dir/out" 2>/dev/null
  awk '{printf "%.3f %.3f", $1 + $2, $3}' "$dir/time"
}

movie=$dir/hd-$minutes.mpg
if [ ! -f "$movie" ]; then
  echo "(making a $minutes-minute 1920x1080 interlaced MPEG-2 program stream with Layer II sound)"
  ff -f lavfi -i "testsrc2=size=1920x1080:rate=30000/1001:duration=$((minutes * 60))" \
     -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$((minutes * 60))" \
     -c:v mpeg2video -b:v 15M -maxrate 20M -bufsize 9M -g 15 -bf 2 -flags +ildct+ilme -top 1 \
     -c:a mp2 -ac 2 -b:a 192k -f vob "$movie.tmp" && mv "$movie.tmp" "$movie"
fi
bench=$TWR_BUILD_WIN/bench/mpeg_random_bench.exe
wmovie=$(winepath -w "$movie")

echo "-- first open of $(basename "$movie") ($(du -m "$movie" | cut -f1) MB)"
rm -f "${movie%.*}.gl"
line=$(wine "$bench" "$wmovie" 7 2 0 /dev/null | tr -d '\r' | grep '^open')
printf "  %-46s %s\n" "ours, default settings (time codes)" "$line"
rm -f "${movie%.*}.gl"
line=$(wine "$bench" "$wmovie" 7 2 2 /dev/null | tr -d '\r' | grep '^open')
printf "  %-46s %s\n" "ours, GOP-list scan and .gl file" "$line"
line=$(wine "$bench" "$wmovie" 7 2 2 /dev/null | tr -d '\r' | grep '^open')
printf "  %-46s %s\n" "ours, next open reading the .gl file" "$line"
t=$(cpu ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$movie")
printf "  %-46s %s s CPU (wall %s s), %s frames\n" "ffprobe -count_frames" ${t% *} ${t#* } "$(tr -dc 0-9 < "$dir/out")"

frames=$(wine "$bench" "$wmovie" 7 2 0 /dev/null | tr -d '\r' | sed -n 's/^open .*, \([0-9]*\) frames.*/\1/p')
/usr/bin/python3 - "$frames" "$count" > "$dir/frames.txt" <<'PY'
import random, sys
n, k = int(sys.argv[1]), int(sys.argv[2])
random.seed(20261210)
print("\n".join(str(random.randrange(n)) for _ in range(k)))
PY
echo "-- $count random frames of $frames (1920x1080 to 24-bit RGB)"
rm -f "$dir"/ours-*.y "$dir"/ss-*.y
for cfg in "7 2 0 SSE2 (simd 7, idct_func 2)" "1 2 0 MMX (simd 1, idct_func 2)" \
           "7 2 2 SSE2, GOP list from the .gl file"; do
  set -- $cfg
  line=$(wine "$bench" "$wmovie" "$1" "$2" "$3" "$(winepath -w "$dir/frames.txt")" | tr -d '\r' | grep '^frames')
  shift 3
  printf "  %-46s %s\n" "ours, $*" "$line"
done
# ffmpeg: one accurate seek per frame (-ss before -i), to bgr24 as ours.
# Its -ss counts from the file's start time and gives the first frame at or
# after that time: frame n is asked half a frame before its own time.
starts=$(ffprobe -v error -select_streams v:0 -show_entries format=start_time:stream=start_time -of csv=p=0 "$movie" |
  tr -s ',\n' ' ')
offset=$(/usr/bin/python3 -c "s = '$starts'.split(); print(float(s[0]) - float(s[1]))")
seek_time() { /usr/bin/python3 -c "print('%.6f' % max(0, ($1 - 0.5) * 1001 / 30000 + $offset))"; }
total_cpu=0
total_wall=0
i=0
while read -r n; do
  t=$(cpu ffmpeg -nostdin -v error -y -ss "$(seek_time "$n")" -i "$movie" -map 0:v:0 -frames:v 1 -f rawvideo \
    -pix_fmt bgr24 /dev/null)
  total_cpu=$(awk -v a="$total_cpu" -v b="${t% *}" 'BEGIN { print a + b }')
  total_wall=$(awk -v a="$total_wall" -v b="${t#* }" 'BEGIN { print a + b }')
  i=$((i + 1))
done < "$dir/frames.txt"
printf "  %-46s frames %d in %.3f s CPU %.3f s wall\n" "ffmpeg -ss (accurate), one run per frame" "$i" "$total_cpu" "$total_wall"

# Which pictures came back: ours and ffmpeg's -ss frames against ffmpeg's
# sequential decode of the same frame numbers (luma, untimed).
echo "-- the frames fetched, against ffmpeg's sequential decode (luma PSNR)"
wine "$bench" "$wmovie" 7 2 0 "$(winepath -w "$dir/frames.txt")" "$(winepath -w "$dir")" >/dev/null
while read -r n; do
  ffmpeg -nostdin -v error -y -ss "$(seek_time "$n")" -i "$movie" -map 0:v:0 -frames:v 1 -f rawvideo \
    -pix_fmt yuv420p "$dir/ss-$n.yuv"
done < "$dir/frames.txt"
select=$(sort -n -u "$dir/frames.txt" | awk '{ printf "%seq(n\\,%d)", (NR > 1 ? "+" : ""), $1 }')
ff -i "$movie" -map 0:v:0 -vf "select=$select" -fps_mode passthrough -f rawvideo -pix_fmt yuv420p "$dir/seq.yuv"
/usr/bin/python3 - "$dir" <<'PY'
import os, sys
import numpy as np
d = sys.argv[1]
W, H = 1920, 1080
frames = [int(x) for x in open(os.path.join(d, "frames.txt")).read().split()]
wanted = sorted(set(frames))
seq = np.memmap(os.path.join(d, "seq.yuv"), np.uint8, "r")
size = W * H * 3 // 2
def luma_seq(n):
    k = wanted.index(n)
    return np.asarray(seq[k * size:k * size + W * H], float)
def psnr(a, b):
    m = ((a - b) ** 2).mean()
    return 99.0 if m == 0 else 10 * np.log10(255 ** 2 / m)
ours_min, ss_right, ss_min = 99.0, 0, 99.0
for n in frames:
    ref = luma_seq(n)
    ours = np.fromfile(os.path.join(d, "ours-%d.y" % n), np.uint8).astype(float)
    ss = np.fromfile(os.path.join(d, "ss-%d.yuv" % n), np.uint8)[:W * H].astype(float)
    ours_min = min(ours_min, psnr(ours, ref))
    p = psnr(ss, ref)
    ss_min = min(ss_min, p)
    ss_right += p >= 55
print("  ours: every frame the right one, least PSNR %.1f dB" % ours_min if ours_min >= 55 else
      "  ours: least PSNR %.1f dB (a wrong frame)" % ours_min)
print("  ffmpeg -ss: %d of %d frames the right one, least PSNR %.1f dB" % (ss_right, len(frames), ss_min))
PY
