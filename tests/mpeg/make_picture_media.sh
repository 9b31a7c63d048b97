#!/usr/bin/env bash
# Makes the streams the picture-decoding tests decode,
# with Debian's ffmpeg and mjpegtools' mpeg2enc, and the decodes of ffmpeg
# (raw planar YUV, every picture as coded: -fps_mode passthrough) and of
# libmpeg2's mpeg2dec (PGM frames) to compare with. Skipped when the folder
# was made by this same script.
set -euo pipefail
out=$1
stamp=$out/.made
sum=$(md5sum "$0" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
  exit 0
fi
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
src() { echo "-f lavfi -i testsrc2=size=$1:rate=25 -frames:v $2"; }

# name, size, frames, pixel format, encoder options
enc() {
  local name=$1 size=$2 frames=$3 pix=$4
  shift 4
  ff $(src "$size" "$frames") -pix_fmt "$pix" "$@" "$name"
}
enc m1.m1v 352x240 13 yuv420p -c:v mpeg1video -g 9 -bf 2 -q:v 3 -f mpeg1video
enc p420.m2v 352x288 13 yuv420p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -f mpeg2video
enc il.m2v 720x576 7 yuv420p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -flags +ildct+ilme -top 1 -f mpeg2video
enc altvlc.m2v 320x240 9 yuv420p -c:v mpeg2video -g 9 -bf 2 -q:v 2 -alternate_scan 1 -intra_vlc 1 \
    -non_linear_quant 1 -qmax 28 -dc 10 -flags +ildct+ilme -top 0 -f mpeg2video
enc odd.m2v 198x142 9 yuv420p -c:v mpeg2video -g 5 -bf 1 -q:v 2 -f mpeg2video
enc c422.m2v 352x288 9 yuv422p -c:v mpeg2video -g 6 -bf 2 -q:v 3 -f mpeg2video
ff $(src 352x288 13) -vf setfield=tff -pix_fmt yuv420p -f yuv4mpegpipe - 2>/dev/null |
  mpeg2enc -v 0 -f 3 -I 1 -b 3000 -o enc_il.m2v
ff $(src 352x288 13) -pix_fmt yuv420p -f yuv4mpegpipe - 2>/dev/null |
  mpeg2enc -v 0 -f 3 -I 0 -b 3000 -o enc_p.m2v

for f in m1.m1v p420.m2v il.m2v altvlc.m2v odd.m2v c422.m2v enc_il.m2v enc_p.m2v; do
  pix=yuv420p
  [ "$f" = c422.m2v ] && pix=yuv422p
  ff -i "$f" -fps_mode passthrough -f rawvideo -pix_fmt $pix "$f.ffmpeg.yuv"
  mpeg2dec -o pgmpipe "$f" > "$f.mpeg2dec.pgm" 2>/dev/null
done
echo "$sum" > "$stamp"
