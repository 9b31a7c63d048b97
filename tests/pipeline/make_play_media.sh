#!/usr/bin/env bash
# Makes the playback tests' media in the given folder (once per content of
# this script): pairs of 96 x 64 movies of 20 frames at 25 frames/s with
# 44.1 kHz stereo noise (a different noise per channel, so that a shift by
# one sample or an exchange of the channels shows), uncompressed
# (raw_L/raw_R.avi), Motion-JPEG (mjpg_L/mjpg_R.avi) and MPEG-1 program
# streams with Layer II sound (mpg_L/mpg_R.mpg); and ffmpeg's own
# decode of each movie's sound as s16le stereo (<name>.pcm), from the
# first video frame on.
set -euo pipefail
out=$1
stamp=$(sha1sum "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
for eye in L R; do
  seed=1; shift=0
  [ $eye = R ] && seed=5 && shift=8
  noise="-f lavfi -i anoisesrc=r=44100:a=0.4:seed=$seed -f lavfi -i anoisesrc=r=44100:a=0.4:seed=$((seed + 1))"
  video="-f lavfi -i testsrc2=size=112x64:rate=25"
  ff $video $noise -filter_complex "[0]crop=96:64:$shift:0[v];[1][2]amerge=inputs=2[a]" -map '[v]' -map '[a]' \
     -frames:v 20 -t 0.8 -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le raw_$eye.avi
  ff $video $noise -filter_complex "[0]crop=96:64:$shift:0[v];[1][2]amerge=inputs=2[a]" -map '[v]' -map '[a]' \
     -frames:v 20 -t 0.8 -c:v mjpeg -q:v 3 -pix_fmt yuvj420p -c:a pcm_s16le mjpg_$eye.avi
  # MPEG-1 with Layer II sound, read through the built-in plug-in.
  ff -i raw_$eye.avi -c:v mpeg1video -q:v 4 -c:a mp2 -b:a 192k -f mpeg mpg_$eye.mpg
  for kind in raw mjpg mpg; do
    file=${kind}_$eye.avi
    [ $kind = mpg ] && file=mpg_$eye.mpg
    # A program stream's sound is heard from the video's first frame on:
    # what comes before it (the encoder's priming) is not the movie's.
    drop=0
    if [ $kind = mpg ]; then
      v=$(ffprobe -v error -select_streams v -show_entries stream=start_time -of csv=p=0 $file)
      a=$(ffprobe -v error -select_streams a -show_entries stream=start_time -of csv=p=0 $file)
      drop=$(awk -v v="$v" -v a="$a" 'BEGIN { d = (v - a) * 44100; printf "%d", (d > 0 ? d + 0.5 : 0) }')
    fi
    ff -i $file -map 0:a -ac 2 -af atrim=start_sample=$drop -f s16le ${kind}_$eye.pcm
  done
done
# A long movie beside a short one (both read by the own reader): the
# pair is as long as the short one, the sound comes from the long one.
noise="-f lavfi -i anoisesrc=r=44100:a=0.4:seed=9 -f lavfi -i anoisesrc=r=44100:a=0.4:seed=10"
ff -f lavfi -i testsrc2=size=32x24:rate=25 $noise -filter_complex "[1][2]amerge=inputs=2[a]" -map 0:v -map '[a]' \
   -frames:v 200 -t 8 -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le long_L.avi
ff -f lavfi -i testsrc2=size=32x24:rate=25 $noise -filter_complex "[1][2]amerge=inputs=2[a]" -map 0:v -map '[a]' \
   -frames:v 4 -t 0.16 -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le short_R.avi
ff -i long_L.avi -map 0:a -f s16le long_L.pcm
echo "$stamp" > .stamp
