#!/usr/bin/env bash
# The page-flip tests' media, made by ffmpeg: a side-by-side stereo movie
# (320x120, uncompressed, four frames that all differ, 4 a second) with ffmpeg's own
# crop of each eye of frame 1 as raw B G R A rows top-down, and two movies
# of two sizes for a pair that must be refused.
set -euo pipefail
out=$1
mkdir -p "$out"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
ff -f lavfi -i testsrc2=size=320x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/sbs.avi"
for eye in left:0 right:160; do
  ff -i "$out/sbs.avi" -vf "select=eq(n\,1),crop=160:120:${eye#*:}:0" -frames:v 1 -pix_fmt bgra -f rawvideo \
    "$out/frame1_${eye%%:*}.bgra"
done
ff -f lavfi -i testsrc2=size=192x144:rate=10 -frames:v 3 -c:v rawvideo -pix_fmt bgr24 "$out/big.avi"
ff -f lavfi -i testsrc2=size=160x120:rate=10 -frames:v 3 -c:v rawvideo -pix_fmt bgr24 "$out/small.avi"
