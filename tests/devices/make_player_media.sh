#!/usr/bin/env bash
# The Direct3D 7 player tests' media, made by ffmpeg:
#   sbs.avi     side by side, 320x120, four frames that all differ, 4 a second
#   wide.avi    side by side, 1600x120 (each eye 800 wide), two frames
#   pair_L.avi, pair_R.avi  two different 160x120 movies, four frames
#   long.avi    side by side, 96x32, 240 frames, 8 a second: play loops that
#               do not reach their end while keys are tried
set -euo pipefail
out=$1
mkdir -p "$out"
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }
ff -f lavfi -i testsrc2=size=320x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/sbs.avi"
ff -f lavfi -i testsrc2=size=1600x120:rate=4 -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/wide.avi"
ff -f lavfi -i testsrc2=size=160x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_L.avi"
ff -f lavfi -i testsrc=size=160x120:rate=4 -frames:v 4 -c:v rawvideo -pix_fmt bgr24 "$out/pair_R.avi"
ff -f lavfi -i testsrc2=size=96x32:rate=8 -frames:v 240 -c:v rawvideo -pix_fmt bgr24 "$out/long.avi"
#   big.avi, small.avi      two sizes, for a pair whose frames cannot be shown
ff -f lavfi -i testsrc2=size=192x144:rate=4 -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/big.avi"
ff -f lavfi -i testsrc2=size=160x120:rate=4 -frames:v 2 -c:v rawvideo -pix_fmt bgr24 "$out/small.avi"
