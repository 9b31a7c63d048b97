#!/usr/bin/env bash
# Makes the media-player tests' small files in the given folder (once per
# content of this script): clip.avi (Motion-JPEG 320x240 at 25 frames/s
# with 16-bit stereo PCM, 30 s: long enough that no test sees it end),
# clip.mp4 (H.264 yuv420p and AAC, the same size, rate and length), short.avi (Motion-JPEG and PCM, 1 s: the end and
# repeat cases), sound.wav (sound only, 2 s), broken.avi (a RIFF AVI header
# over garbage, which no renderer takes) and list.asx (a play list naming
# two of them). Beside each movie, NAME.duration holds its container
# duration as ffprobe reads it, in whole milliseconds (rounded).
set -euo pipefail
out=$1
stamp=$(sha1sum "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
video="testsrc2=size=320x240:rate=25"
tone="sine=frequency=440:sample_rate=44100"
ff -f lavfi -i "$video" -f lavfi -i "$tone" -t 30 -c:v mjpeg -q:v 20 -pix_fmt yuvj420p \
   -c:a pcm_s16le -ac 2 clip.avi
ff -f lavfi -i "$video" -f lavfi -i "$tone" -t 30 -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
   -c:a aac -ac 2 clip.mp4
ff -f lavfi -i "$video" -f lavfi -i "$tone" -t 1 -c:v mjpeg -q:v 5 -pix_fmt yuvj420p \
   -c:a pcm_s16le -ac 2 short.avi
ff -f lavfi -i "$tone" -t 2 -c:a pcm_s16le -ac 2 sound.wav
# The header says AVI; what follows is no list a demuxer can walk.
{
  printf 'RIFF\x00\x10\x00\x00AVI LIST\xff\xff\xff\x7fhdrl'
  for i in $(seq 1 256); do printf 'not a movie %04d\n' "$i"; done
} >broken.avi
cat >list.asx <<'EOF'
<asx version="3.0">
  <title>player test list</title>
  <entry><ref href="clip.avi"/></entry>
  <entry><ref href="short.avi"/></entry>
</asx>
EOF
for f in clip.avi clip.mp4 short.avi sound.wav; do
  ffprobe -v error -show_entries format=duration -of csv=p=0 "$f" |
    awk '{ printf "%d\n", $1 * 1000 + 0.5 }' >"$f.duration"
done
echo "$stamp" > .stamp
