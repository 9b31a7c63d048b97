#!/usr/bin/env bash
# The 3D Vision viewer tests' media, made by ffmpeg, with ffmpeg's own
# crops of the frames the tests compare (raw BGR, rows top-down):
#   pair_L.avi, pair_R.avi  two different 718x240 movies, four frames (718
#                           wide: rows of 24-bit frames are padded)
#   pair_L0.bgr, pair_R0.bgr  their first frames
#   pair_L0_moved.bgr, pair_R0_moved.bgr  what of them is shown with the
#                           offsets 4 right and 1 down (714x239)
#   pair_L0_trim.bgr, pair_R0_trim.bgr  the trimming 200x100 at (100, 40)
#   sbs.avi                 side by side, 640x120 (eyes 320x120), four frames
#   sbs_first0.bgr, sbs_second0.bgr  the left and right half of its first frame
#   big.avi, small.avi      two sizes, for a pair whose frames cannot be shown
set -euo pipefail
out=$1
mkdir -p "$out"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
ff -f lavfi -i testsrc2=size=718x240:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_L.avi"
ff -f lavfi -i testsrc=size=718x240:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_R.avi"
ff -i "$out/pair_L.avi" -frames:v 1 -f rawvideo -pix_fmt bgr24 "$out/pair_L0.bgr"
ff -i "$out/pair_R.avi" -frames:v 1 -f rawvideo -pix_fmt bgr24 "$out/pair_R0.bgr"
ff -i "$out/pair_L.avi" -frames:v 1 -vf crop=714:239:0:1 -f rawvideo -pix_fmt bgr24 "$out/pair_L0_moved.bgr"
ff -i "$out/pair_R.avi" -frames:v 1 -vf crop=714:239:4:0 -f rawvideo -pix_fmt bgr24 "$out/pair_R0_moved.bgr"
ff -i "$out/pair_L.avi" -frames:v 1 -vf crop=200:100:100:40 -f rawvideo -pix_fmt bgr24 "$out/pair_L0_trim.bgr"
ff -i "$out/pair_R.avi" -frames:v 1 -vf crop=200:100:100:40 -f rawvideo -pix_fmt bgr24 "$out/pair_R0_trim.bgr"
ff -f lavfi -i testsrc2=size=640x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/sbs.avi"
ff -i "$out/sbs.avi" -frames:v 1 -vf crop=320:120:0:0 -f rawvideo -pix_fmt bgr24 "$out/sbs_first0.bgr"
ff -i "$out/sbs.avi" -frames:v 1 -vf crop=320:120:320:0 -f rawvideo -pix_fmt bgr24 "$out/sbs_second0.bgr"
ff -f lavfi -i testsrc2=size=192x144:rate=4 -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/big.avi"
ff -f lavfi -i testsrc2=size=160x120:rate=4 -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/small.avi"
