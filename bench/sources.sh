#!/usr/bin/env bash
# Movie sources: the open of an hour-long OpenDML file (eight RIFFs, every
# index read) beside ffprobe, and the fetch plus split of a 1080p
# side-by-side pair (3840 x 1080 frames) beside a plain copy of the same
# bytes. Ours runs as the Windows program under Wine; CPU time. And single
# frames of 300-frame 640x360 compressed movies, by jumps and steps,
# beside AVIFile's frame getter and ffmpeg's accurate seek (wall time).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
"$top/scripts/wine-prefix.sh" >/dev/null
twr_wine_env
dir=$TWR_WORK/bench/sources
mkdir -p "$dir"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
cpu() {
  /usr/bin/time -f '%U %S %e' -o "$dir/time" "$@" >"$dir/out" 2>/dev/null
  awk '{printf "%8.2f ms CPU %8.2f ms wall", ($1 + $2) * 1000, $3 * 1000}' "$dir/time"
}

long=$dir/long-odml-2g.avi
[ -f "$long" ] || python3 "$top/tests/sources/avi_writer.py" odml-long "$long"
echo "-- open of an hour-long OpenDML file (90,000 frames, 8 RIFFs)"
wine "$TWR_BUILD_WIN/bench/sources_bench.exe" open "$(winepath -w "$long")" 50 | tr -d '\r'
printf "  %-40s %s\n" "ffprobe (header and indexes)" "$(cpu ffprobe -v error -show_entries format=duration -of csv=p=0 "$long")"
tiny=$dir/tiny.avi
[ -f "$tiny" ] || python3 "$top/tests/sources/avi_writer.py" odml "$tiny"
printf "  %-40s %s\n" "ffprobe on an 11-frame file (its start-up)" "$(cpu ffprobe -v error -show_entries format=duration -of csv=p=0 "$tiny")"

sbs=$dir/sbs-1080p.avi
if [ ! -f "$sbs" ]; then
  ff -f lavfi -i "testsrc2=size=1920x1080:rate=25" -f lavfi -i "testsrc2=size=1920x1080:rate=25,hflip" \
     -filter_complex hstack -frames:v 8 -c:v rawvideo -pix_fmt bgr24 -flipped_raw_rgb 1 "$sbs"
fi
echo "-- fetch plus split of a 1080p side-by-side pair (3840x1080 uncompressed frames read from the file)"
wine "$TWR_BUILD_WIN/bench/sources_bench.exe" split "$(winepath -w "$sbs")" 5 | tr -d '\r'

echo "-- single frames of 300-frame 640x360 movies (ms wall; ours and the getter decode on one thread)"
for kind in mjpeg cinepak; do
  movie=$dir/$kind-640x360.avi
  # Motion-JPEG: every frame a key frame; Cinepak: one in 12 (ffmpeg's
  # default). Both written by ffmpeg, AVIF_TRUSTCKTYPE set.
  [ -f "$movie" ] || ff -f lavfi -i "testsrc2=size=640x360:rate=25" -frames:v 300 -c:v "$kind" "$movie"
  echo "  $kind"
  wine "$TWR_BUILD_WIN/bench/sources_bench.exe" step "$(winepath -w "$movie")" | tr -d '\r'
  printf "  %-34s %s\n" "ffmpeg: frame 299 (accurate seek)" \
    "$(cpu ffmpeg -v error -nostdin -ss 11.96 -i "$movie" -frames:v 1 -f null -)"
done
