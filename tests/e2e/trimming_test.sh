#!/usr/bin/env bash
# Draws, moves and applies a trimming rectangle with the mouse; the trimmed
# pair shown is ffmpeg's crop of the same region of both eyes.
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
media=$(realpath "$(dirname "$driver")")/media
"$here/stereo_media.sh" "$media"
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-trim.XXXXXX")
trap 'rm -rf "$out"' EXIT
win=$(printf 'Z:%s' "$media" | tr / '\\')
"$here/run_e2e.sh" --out "$out" "$driver" "$program" "$here/trimming.e2e" "$win\\scene_L.avi" "$win\\scene_R.avi"
ffmpeg -hide_banner -loglevel error -y -i "$media/scene_L.avi" -i "$media/scene_R.avi" \
  -filter_complex "[0]crop=80:60:14:12[l];[1]crop=80:60:14:12[r];[l][r]hstack" -frames:v 1 -f rawvideo \
  -pix_fmt rgb24 "$out/ref.rgb"
"$here/compare_view.py" 0 "$out/trimmed.bmp" "$out/ref.rgb" 80 60
