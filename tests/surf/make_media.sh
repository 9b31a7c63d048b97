#!/usr/bin/env bash
# Synthetic pictures for the SURF tests, made with ImageMagick into the
# folder given: a textured grey plasma, the same plasma rotated and scaled
# about its centre, and a colour pair whose right frame is the left one
# rotated, scaled and shifted by known amounts.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
# grey OUTPUT [WARP...]
grey() {
  local name=$1
  shift
  convert -seed 7 -size 600x600 plasma:fractal -colorspace Gray -equalize -sigmoidal-contrast 6x50% "$@" -depth 8 "$name"
}
grey plasma.pgm
grey plasma_rot30.pgm -virtual-pixel edge -distort SRT '300,300 1 30 300,300'
grey plasma_scale125.pgm -virtual-pixel edge -distort SRT '300,300 1.25 0 300,300'
# The pair: 720x480 taken from the middle of an 800x560 picture, so that
# the warp brings no border in. About the crop's centre (360,240) the right
# frame is the left scaled by 1.02, turned by 1.5 degrees and moved by
# (+7, -4) pixels.
# colour OUTPUT [WARP...]
colour() {
  local name=$1
  shift
  convert -seed 11 -size 800x560 plasma:fractal -equalize -sigmoidal-contrast 6x50% "$@" -gravity center -crop 720x480+0+0 +repage -depth 8 "$name"
}
colour pair_l.ppm
colour pair_r.ppm -virtual-pixel edge -distort SRT '400,280 1.02 1.5 407,276'
