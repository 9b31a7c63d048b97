#!/usr/bin/env bash
# Makes the small MPEG streams the decoder's tests read, with Debian's
# ffmpeg and mjpegtools, and what ffprobe says about them (the tests compare
# against these notes, since the Windows tests cannot run ffprobe). Skipped
# when the folder was made by this same script.
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
src="-f lavfi -i testsrc=size=176x144:rate=25:duration=2"
tone="-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2"

ff $src -c:v mpeg1video -g 12 -bf 2 -f mpeg1video es1.m1v
ff $src -c:v mpeg2video -g 12 -bf 2 -f mpeg2video es2.m2v
ff -f lavfi -i testsrc=size=720x576:rate=25:duration=0.4 -c:v mpeg2video -flags +ildct+ilme -top 1 \
   -g 6 -bf 2 -f mpeg2video es2i.m2v
ff -f lavfi -i testsrc=size=1920x1080:rate=30000/1001:duration=0.2 -c:v mpeg2video -g 3 -bf 0 \
   -b:v 4M -f mpeg2video hd.m2v
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -b:a 192k -f vob ps2.mpg
ff $src -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 -c:v mpeg1video -g 12 -bf 2 \
   -c:a mp2 -ac 1 -b:a 64k -f mpeg ps1.mpg
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -b:a 192k -f mpegts ts.ts
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -b:a 192k -f mpegts -mpegts_m2ts_mode 1 ts192.m2ts

# mjpegtools: mpeg2enc and mplex (DVD profile)
ff -f lavfi -i testsrc=size=352x288:rate=25:duration=2 -pix_fmt yuv420p -f yuv4mpegpipe - |
  mpeg2enc -f 8 -q 6 -o mjpeg.m2v >/dev/null 2>&1
ff $tone -c:a mp2 -b:a 192k -f mp2 mjpeg.mp2
mplex -f 8 -o mplex.mpg mjpeg.m2v mjpeg.mp2 >/dev/null 2>&1

for f in es1.m1v es2.m2v es2i.m2v hd.m2v ps2.mpg ps1.mpg ts.ts ts192.m2ts mjpeg.m2v mplex.mpg; do
  ffprobe -v error -select_streams v:0 -show_streams "$f" > "$f.streams.txt"
  ffprobe -v error -show_entries packet=stream_index,pts,dts,codec_type -of csv=p=0 "$f" > "$f.packets.txt"
done
# the video elementary streams as ffmpeg takes them out of the containers
for f in ps2.mpg ps1.mpg ts.ts ts192.m2ts mplex.mpg; do
  ff -i "$f" -map 0:v:0 -c copy -f mpeg2video "$f.es"
done
echo "$sum" > "$stamp"
