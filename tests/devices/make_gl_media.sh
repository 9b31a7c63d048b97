#!/usr/bin/env bash
# The OpenGL stereo window tests' media, made by ffmpeg, each with its
# frames decoded again by ffmpeg (NAME.bgr: every frame, rows top-down,
# B G R) as the reference the read-back pixels are held against:
#   sbs.avi            side by side, 320x120, four frames
#   ou.avi             over/under, 200x240, four frames
#   ou_l3_first.bgr, ou_l3_second.bgr   frame 0 of ou.avi as the 47.5 %
#                      layout shows it at zoom 100: the lower and the upper
#                      114 of 240 rows, stretched to 228 (bilinear)
#   pair_L.avi, pair_R.avi      160x120, four frames, two different pictures
#   n718_L.avi, n718_R.avi      718x100 (rows padded to 4 bytes), two frames
#   wide_L.avi, wide_R.avi      1920x64, two frames: beyond a 1024 texture
#   odd_L.avi          192x144: with pair_R.avi a pair of two frame sizes
#   huge_L.avi, huge_R.avi      16416x8: beyond the largest texture here
#   sbs_{left,right}_{cw,ccw}.bgr   frame 0 of sbs.avi's left and right half
#                      turned a quarter clockwise and counter-clockwise
#                      (120x160), the eyes of the turned layouts 4-7
#   long.avi           side by side, 64x32, 20 frames at 20 a second
#   voiced.avi, il.avi, il_lower.bgr, il_upper.bgr   see below
set -euo pipefail
out=$1
mkdir -p "$out"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
raw() { ff -i "$out/$1.avi" -f rawvideo -pix_fmt bgr24 "$out/$1.bgr"; }
movie() { # name source size frames [rate]
  ff -f lavfi -i "$2=size=$3:rate=${5:-4}" -frames:v "$4" -c:v rawvideo -pix_fmt bgr24 "$out/$1.avi"
  raw "$1"
}
movie sbs testsrc2 320x120 4
movie ou testsrc2 200x240 4
movie pair_L testsrc2 160x120 4
movie pair_R testsrc 160x120 4
movie n718_L testsrc2 718x100 2
movie n718_R testsrc 718x100 2
movie wide_L testsrc2 1920x64 2
movie wide_R testsrc 1920x64 2
movie long testsrc2 64x32 20 20
movie odd_L testsrc2 192x144 2
movie huge_L testsrc2 16416x8 2
movie huge_R testsrc 16416x8 2
ff -i "$out/ou.avi" -vf "crop=200:114:0:126,scale=200:228:flags=bilinear" -frames:v 1 -f rawvideo -pix_fmt bgr24 \
  "$out/ou_l3_first.bgr"
ff -i "$out/ou.avi" -vf "crop=200:114:0:0,scale=200:228:flags=bilinear" -frames:v 1 -f rawvideo -pix_fmt bgr24 \
  "$out/ou_l3_second.bgr"
for half in left:0 right:160; do
  for turn in cw:1 ccw:2; do
    ff -i "$out/sbs.avi" -vf "crop=160:120:${half#*:}:0,transpose=${turn#*:}" -frames:v 1 -f rawvideo -pix_fmt bgr24 \
      "$out/sbs_${half%:*}_${turn%:*}.bgr"
  done
done
# voiced.avi: 25 frames and a second of 44.1 kHz stereo sound, whose
# sound stream the sound-notice tests play.
ff -f lavfi -i testsrc2=size=64x32:rate=25 -f lavfi -i "sine=frequency=440:sample_rate=44100,aformat=channel_layouts=stereo" \
  -t 1 -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le "$out/voiced.avi"
# il.avi: ou.avi row-interlaced (top-down even rows from its upper half,
# odd rows from its lower half); il_lower.bgr and il_upper.bgr: frame 0's
# lower and upper half of ou.avi stretched to 200x240 (bilinear), each eye
# of layout 8 at zoom 100.
ff -i "$out/ou.avi" -vf il=l=i:c=i -c:v rawvideo -pix_fmt bgr24 "$out/il.avi"
ff -i "$out/ou.avi" -vf "crop=200:120:0:120,scale=200:240:flags=bilinear" -frames:v 1 -f rawvideo -pix_fmt bgr24 \
  "$out/il_lower.bgr"
ff -i "$out/ou.avi" -vf "crop=200:120:0:0,scale=200:240:flags=bilinear" -frames:v 1 -f rawvideo -pix_fmt bgr24 \
  "$out/il_upper.bgr"
