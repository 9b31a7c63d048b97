#!/usr/bin/env bash
# Makes the media of the saving tests in the given folder, and what ffmpeg
# makes of them: the sound decoded as the savers should deliver it.
# Skipped when the folder was made by this very script.
set -euo pipefail
out=$1
stamp=$(sha1sum < "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
pic="-f lavfi -i testsrc2=size=64x48:rate=25"
# Two different channels, so that a swap shows.
stereo="aevalsrc=0.5*sin(440*2*PI*t)|0.3*sin(660*2*PI*t)+0.1"

# Sound in the forms the audio preparation meets.
ff $pic -f lavfi -i "$stereo:s=48000" -t 1 -map 0:v -map 1:a -c:v mjpeg -c:a pcm_s16le snd48.avi
ff $pic -f lavfi -i "$stereo:s=44100" -t 1 -map 0:v -map 1:a -c:v mjpeg -c:a pcm_s16le snd44.avi
ff $pic -f lavfi -i "sine=frequency=440:sample_rate=22050" -t 1 -map 0:v -map 1:a -c:v mjpeg -ac 1 -c:a pcm_u8 snd22m8.avi
ff -i snd48.avi -map 0:a -f s16le snd48.s16
# What the ffmpeg road's command line gives: the same samples in a WAVE
# file whose header carries a LIST chunk.
ff -i snd44.avi -ac 2 -ar 48000 -acodec pcm_s16le snd44_48k.wav
ff -i snd44.avi -ac 2 -ar 48000 -acodec pcm_s16le -f s16le snd44_48k.s16

# Pairs to save: uncompressed (read by the own reader) and Motion-JPEG
# (through AVIFile and the project's decompressor), of different lengths
# and different sound.
left="testsrc2=size=64x48:rate=25"
right="testsrc2=size=64x48:rate=25,hue=h=120:s=1.5,hflip"
# Sound a little longer than the pictures, so that every frame has its own.
ff -f lavfi -t 0.48 -i "$left" -f lavfi -t 0.6 -i "$stereo:s=44100" -map 0:v -map 1:a \
   -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le L.avi
ff -f lavfi -t 0.56 -i "$right" -f lavfi -t 0.7 -i "sine=frequency=660:sample_rate=22050" -map 0:v -map 1:a \
   -c:v rawvideo -pix_fmt bgr24 -ac 1 -c:a pcm_u8 R.avi
ff -f lavfi -t 0.48 -i "$left" -f lavfi -t 0.6 -i "$stereo:s=44100" -map 0:v -map 1:a \
   -c:v mjpeg -q:v 3 -c:a pcm_s16le Lm.avi
ff -f lavfi -t 0.56 -i "$right" -f lavfi -t 0.7 -i "$stereo:s=48000" -map 0:v -map 1:a \
   -c:v mjpeg -q:v 3 -c:a pcm_s16le Rm.avi
ff -f lavfi -t 0.56 -i "$right" -c:v mjpeg -q:v 3 Rns.avi
# A camera-style two-stream 3D-AVI: first eye, sound, second eye.
ff -f lavfi -t 0.4 -i "$left" -f lavfi -t 0.4 -i "$right" -f lavfi -t 0.5 -i "sine=sample_rate=8000" \
   -map 0:v -map 2:a -map 1:v -c:v mjpeg -q:v 3 -c:a pcm_s16le stereo3d.avi
echo "$stamp" > .stamp
