#!/usr/bin/env bash
# The page-flip tests' media, made by ffmpeg, with ffmpeg's own crops as raw
# B G R A rows top-down:
#   sbs.avi        side by side, 320x120, four frames that all differ, 4 a
#                  second; frame<n>_<left|right>.bgra the halves of each frame
#   ou.avi         over/under, 160x240; ou1_<top|bottom>.bgra the halves of
#                  frame 1
#   pair_L.avi, pair_R.avi  two different 160x120 movies; pair_<L|R>_<x>_<y>.bgra
#                  their 152x114 crops of frame 0 at (x, y) from the top left
#   big.avi, small.avi      two sizes, for a pair that must be refused
set -euo pipefail
out=$1
mkdir -p "$out"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
crop() {  # movie frame w:h:x:y output
  ff -i "$out/$1" -vf "select=eq(n\,$2),crop=$3" -frames:v 1 -pix_fmt bgra -f rawvideo "$out/$4"
}
ff -f lavfi -i testsrc2=size=320x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/sbs.avi"
for n in 0 1 2 3; do
  crop sbs.avi $n 160:120:0:0 frame${n}_left.bgra
  crop sbs.avi $n 160:120:160:0 frame${n}_right.bgra
done
ff -f lavfi -i testsrc2=size=160x240:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/ou.avi"
crop ou.avi 1 160:120:0:0 ou1_top.bgra
crop ou.avi 1 160:120:0:120 ou1_bottom.bgra
ff -f lavfi -i testsrc2=size=160x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_L.avi"
ff -f lavfi -i testsrc=size=160x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_R.avi"
for eye in L R; do
  for at in 0:0 8:0 0:6 8:6; do
    crop pair_$eye.avi 0 152:114:$at pair_${eye}_${at/:/_}.bgra
  done
done
ff -f lavfi -i testsrc2=size=192x144:rate=10 -frames:v 3 -c:v rawvideo -pix_fmt bgr24 "$out/big.avi"
ff -f lavfi -i testsrc2=size=160x120:rate=10 -frames:v 3 -c:v rawvideo -pix_fmt bgr24 "$out/small.avi"
