#!/usr/bin/env bash
# Pictures and movies for the automatic alignment tests, made with
# ImageMagick and ffmpeg into the folder given:
# - pair_l.ppm, pair_r.ppm: 720x480 from the middle of a textured plasma;
#   about the crop's centre (360,240) the right frame is the left turned
#   by 1.0 degree and moved down by 6 pixels.
# - cosima_r.ppm: the left frame's partner for the cosima route: about the
#   same centre the left turned by -0.8 degree, scaled by 1.02, moved 5
#   pixels right and 3 down.
# - left.avi, right.avi: five 320x240 frames of uncompressed video cut
#   from the same plasma, the right movie's frames 4 pixels lower.
# Skipped when the folder was made by this very script.
set -euo pipefail
out=$1
stamp=$(sha1sum < "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
convert -seed 11 -size 800x560 plasma:fractal -equalize -sigmoidal-contrast 6x50% -depth 8 scene.png
convert scene.png -gravity center -crop 720x480+0+0 +repage -depth 8 pair_l.ppm
convert scene.png -virtual-pixel edge -distort SRT '400,280 1 1.0 400,286' -gravity center -crop 720x480+0+0 \
  +repage -depth 8 pair_r.ppm
convert scene.png -virtual-pixel edge -distort SRT '400,280 1.02 -0.8 405,283' -gravity center \
  -crop 720x480+0+0 +repage -depth 8 cosima_r.ppm
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
convert scene.png -resize 400x280! -depth 8 small.png
ff -loop 1 -i small.png -vf "crop=320:240:40+4*n:20" -frames:v 5 -c:v rawvideo -pix_fmt bgr24 -flipped_raw_rgb 1 left.avi
ff -loop 1 -i small.png -vf "crop=320:240:40+4*n:24" -frames:v 5 -c:v rawvideo -pix_fmt bgr24 -flipped_raw_rgb 1 right.avi
echo "$stamp" > .stamp
