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
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -ac 2 -b:a 192k -f vob ps2.mpg
ff $src -f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 -c:v mpeg1video -g 12 -bf 2 \
   -c:a mp2 -ac 1 -b:a 64k -f mpeg ps1.mpg
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -b:a 192k -f mpegts ts.ts
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -b:a 192k -f mpegts -mpegts_m2ts_mode 1 ts192.m2ts

# GOP time codes from one hour on, and from ten minutes on (two recordings
# joined make a forward jump)
ff $src -c:v mpeg2video -g 12 -bf 2 -timecode 01:00:00:00 -f mpeg2video tc1h.m2v
ff -f lavfi -i testsrc=size=176x144:rate=25:duration=4 -c:v mpeg2video -g 15 -bf 2 -flags +cgop \
   -sc_threshold 1000000000 -timecode 00:10:00:00 -f mpeg2video tc10m.m2v
# a longer stream with several sequence headers and closed GOPs
ff -f lavfi -i testsrc=size=176x144:rate=25:duration=8 -c:v mpeg2video -g 15 -bf 2 -flags +cgop -sc_threshold 1000000000 -f mpeg2video long.m2v

# mjpegtools: mpeg2enc and mplex (DVD profile)
ff -f lavfi -i testsrc=size=352x288:rate=25:duration=2 -pix_fmt yuv420p -f yuv4mpegpipe - |
  mpeg2enc -f 8 -q 6 -o mjpeg.m2v >/dev/null 2>&1
ff $tone -c:a mp2 -ac 2 -b:a 192k -f mp2 mjpeg.mp2
mplex -f 8 -o mplex.mpg mjpeg.m2v mjpeg.mp2 >/dev/null 2>&1

for f in es1.m1v es2.m2v es2i.m2v hd.m2v ps2.mpg ps1.mpg ts.ts ts192.m2ts mjpeg.m2v mplex.mpg long.m2v; do
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$f" > "$f.frames.txt"
  ffprobe -v error -select_streams v:0 -show_streams "$f" > "$f.streams.txt"
  ffprobe -v error -show_entries packet=stream_index,pts,dts,codec_type -of csv=p=0 "$f" > "$f.packets.txt"
done
# Layer II sound: ffmpeg's encoder (stereo, mono, every allocation table)
# and twolame's joint stereo with CRC; each decoded by ffmpeg's floating-
# and fixed-point decoders
mix="aevalsrc=0.4*sin(2*PI*440*t)|0.3*sin(2*PI*3000*t)+0.1*random(0)"
ff -f lavfi -i "$mix:s=48000:d=0.5" -c:a mp2 -b:a 192k a48.mp2
ff -f lavfi -i "aevalsrc=0.5*sin(2*PI*440*t)+0.05*random(0):s=44100:d=0.5" -c:a mp2 -b:a 64k -ac 1 m44.mp2
ff -f lavfi -i "$mix:s=32000:d=0.5" -c:a mp2 -b:a 64k s32.mp2
ff -f lavfi -i "$mix:s=44100:d=0.5" -c:a mp2 -b:a 64k s44lo.mp2
ff -f lavfi -i "$mix:s=44100:d=0.5" -c:a mp2 -b:a 384k s44hi.mp2
ff -f lavfi -i "$mix:s=48000:d=0.5" -f wav joint.wav
twolame --quiet -m j -p -b 128 joint.wav j48.mp2
rm joint.wav
for a in a48 m44 s32 s44lo s44hi j48; do
  ff -c:a mp2float -i $a.mp2 -f f32le $a.f32
  ff -c:a mp2 -i $a.mp2 -f s16le $a.s16
done
ff -c:a mp2float -i ps2.mpg -map 0:a -f f32le ps2.mpg.f32
ff -c:a mp2float -i ps1.mpg -map 0:a -f f32le ps1.mpg.f32
ff -c:a mp2float -i mplex.mpg -map 0:a -f f32le mplex.mpg.f32
# sound this decoder does not play: MPEG-2 lower sampling rate, Layer III
ff $src -f lavfi -i sine=frequency=440:sample_rate=24000:duration=2 -c:v mpeg2video -c:a mp2 -b:a 64k -f vob lsf.mpg
ff $src $tone -c:v mpeg2video -c:a libmp3lame -b:a 128k -f vob mp3.mpg

# the video elementary streams as ffmpeg takes them out of the containers
for f in ps2.mpg ps1.mpg ts.ts ts192.m2ts mplex.mpg; do
  ff -i "$f" -map 0:v:0 -c copy -f mpeg2video "$f.es"
done
echo "$sum" > "$stamp"
