#!/usr/bin/env bash
# Makes the small stereo media of the end-to-end tests in the given folder
# (once per content of this script): scene_L.avi and scene_R.avi, a pair of
# 160 x 120 uncompressed movies of 10 frames whose right view is shifted
# 16 pixels, and sbs.avi, the same pair side by side in one movie; with
# ffmpeg's own first frames of them (frame0_L.rgb, frame0_R.rgb) and the
# pictures the display modes must show: hstack (also with the right eye
# mirrored), vstack and a grey red-cyan anaglyph (ref_*.rgb, raw RGB).
set -euo pipefail
out=$1
stamp=$(sha1sum "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
ff -f lavfi -i testsrc2=size=176x120:rate=25 -frames:v 10 -vf crop=160:120:0:0 -c:v rawvideo -pix_fmt bgr24 scene_L.avi
ff -f lavfi -i testsrc2=size=176x120:rate=25 -frames:v 10 -vf crop=160:120:16:0 -c:v rawvideo -pix_fmt bgr24 scene_R.avi
ff -i scene_L.avi -i scene_R.avi -filter_complex hstack -c:v rawvideo -pix_fmt bgr24 sbs.avi
ff -i scene_L.avi -frames:v 1 -f rawvideo -pix_fmt rgb24 frame0_L.rgb
ff -i scene_R.avi -frames:v 1 -f rawvideo -pix_fmt rgb24 frame0_R.rgb
ff -i scene_L.avi -i scene_R.avi -filter_complex hstack -frames:v 1 -f rawvideo -pix_fmt rgb24 ref_hstack.rgb
ff -i scene_L.avi -i scene_R.avi -filter_complex "[1]hflip[r];[0][r]hstack" -frames:v 1 -f rawvideo -pix_fmt rgb24 \
   ref_hstack_mirror_right.rgb
ff -i scene_L.avi -i scene_R.avi -filter_complex vstack -frames:v 1 -f rawvideo -pix_fmt rgb24 ref_vstack.rgb
# stereo3d weighs bgr24 pixels as if they were RGB: convert first.
ff -i scene_L.avi -i scene_R.avi -filter_complex "hstack,format=rgb24,stereo3d=sbsl:arcg" -frames:v 1 \
   -f rawvideo -pix_fmt rgb24 ref_anaglyph.rgb
echo "$stamp" > .stamp
