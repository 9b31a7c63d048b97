#!/usr/bin/env bash
# Opens a pair by the command line and checks what the view shows: modes 0,
# 1 and 2 against ffmpeg's hstack, vstack and grey red-cyan anaglyph of the
# same frames, the other modes and a mirror variant as pictures of their
# own, the mirror variant against hstack with the right eye flipped, and the
# clipboard copy.
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
media=$(realpath "$(dirname "$driver")")/media
"$here/stereo_media.sh" "$media"
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-modes.XXXXXX")
trap 'rm -rf "$out"' EXIT
win=$(printf 'Z:%s' "$media" | tr / '\\')
export MEDIA_WIN=$win
"$here/run_e2e.sh" --out "$out" "$driver" "$program" "$here/view_modes.e2e" \
  "$win\\scene_L.avi" "$win\\scene_R.avi"
cmp=$here/compare_view.py
"$cmp" 0 "$out/mode0.bmp" "$media/ref_hstack.rgb" 160 120
"$cmp" 1 "$out/mode1.bmp" "$media/ref_vstack.rgb" 160 120
"$cmp" 2 "$out/mode2.bmp" "$media/ref_anaglyph.rgb" 160 120
"$cmp" 0 "$out/mode0_mirror1.bmp" "$media/ref_hstack_mirror_right.rgb" 160 120
# Every mode shows a picture of its own.
sums=""
for m in mode0 mode1 mode2 mode3 mode4 mode5 mode6 mode7 mode0_mirror1; do
  s=$(convert "$out/$m.bmp" -format '%#' info:)
  mean=$(convert "$out/$m.bmp" -format '%[fx:mean]' info:)
  echo "$m: mean $mean"
  awk -v m="$mean" 'BEGIN { exit !(m > 0.01) }' || { echo "$m is black"; exit 1; }
  case " $sums " in *" $s "*) echo "$m looks like another mode"; exit 1 ;; esac
  sums="$sums $s"
done
# Full screen covers the desktop (1024 x 768) and shows the pair; back in
# the window the view is its old size again.
[ "$(identify -format '%w %h' "$out/fullscreen.bmp")" = "1024 768" ] || { echo "full screen size"; exit 1; }
[ "$(identify -format '%w %h' "$out/windowed.bmp")" = "$(identify -format '%w %h' "$out/mode0.bmp")" ] ||
  { echo "the view did not return to its place"; exit 1; }
# The clipboard holds the two eye frames side by side as shown (the right
# one mirrored, as chosen last).
[ "$(identify -format '%w %h' "$out/clip.bmp")" = "320 120" ] || { echo "clipboard picture size"; exit 1; }
convert "$out/clip.bmp" -depth 8 rgb:"$out/clip.rgb"
cmp "$out/clip.rgb" "$media/ref_hstack_mirror_right.rgb" || { echo "clipboard picture differs"; exit 1; }
echo "view modes and clipboard agree with ffmpeg"
