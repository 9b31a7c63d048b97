#!/usr/bin/env bash
# Makes the streams the video stream tests open, with Debian's ffmpeg and
# mjpegtools, and what ffmpeg says of them: its sequential decode (raw
# planar YUV, every picture once: -fps_mode passthrough), ffprobe's frame
# count, and each decoded picture's type, top_field_first and repeat_pict (the
# Windows tests cannot run ffmpeg, so they read these files). Skipped when
# the folder was made by this same script.
set -euo pipefail
# Which step failed, with what the quiet tools said (they write to logs here).
trap 'echo "make_video_media.sh: line $LINENO failed" >&2; cat "$out"/*.log >&2 2>/dev/null || true' ERR
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
src="-f lavfi -i testsrc=size=128x96:rate=25:duration=2.32"
tone="-f lavfi -i sine=frequency=440:sample_rate=48000:duration=2.32"
y4m() { ff -f lavfi -i "testsrc=size=$1:rate=$2" -frames:v "$3" -pix_fmt yuv420p -f yuv4mpegpipe -; }

# ffmpeg: open GOPs with B pictures, closed GOPs, MPEG-1, interlaced
ff $src -c:v mpeg2video -g 6 -bf 2 -aspect 16:9 -f mpeg2video open.m2v
ff $src -c:v mpeg2video -g 5 -bf 2 -flags +cgop -sc_threshold 1000000000 -f mpeg2video closed.m2v
ff $src -c:v mpeg1video -g 10 -bf 2 -f mpeg1video m1.m1v
ff $src -c:v mpeg2video -g 6 -bf 2 -flags +ildct+ilme -top 1 -f mpeg2video il.m2v
# mpeg2enc: B pictures; 3:2 pulldown (repeat_first_field) from 23.976 fps
y4m 128x96 25 40 | mpeg2enc -v 0 -f 3 -R 2 -g 6 -G 12 -b 1500 -o enc.m2v 2>enc.log
y4m 128x96 24000/1001 40 | mpeg2enc -v 0 -f 3 -p -R 2 -g 6 -G 12 -b 1500 -o pulldown.m2v 2>pulldown.log
# containers: program stream with sound, transport streams of 188 and 192
# bytes, mpeg2enc's stream multiplexed by mplex
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -ac 2 -b:a 192k -f vob ps.mpg
ff $src $tone -c:v mpeg2video -g 6 -bf 2 -c:a mp2 -ac 2 -b:a 192k -f mpegts ts.ts
ff $src $tone -c:v mpeg2video -g 12 -bf 2 -c:a mp2 -ac 2 -b:a 192k -f mpegts -mpegts_m2ts_mode 1 ts192.m2t
ff $tone -c:a mp2 -ac 2 -b:a 192k -f mp2 tone.mp2
mplex -f 8 -o mplex.mpg enc.m2v tone.mp2 >mplex.log 2>&1
rm tone.mp2 enc.log pulldown.log mplex.log
# a program stream with sound and no video; one with a second of mono sound
ff $tone -c:a mp2 -b:a 192k -f vob audio.mpg
ff $src -f lavfi -i sine=frequency=300:sample_rate=44100:duration=1 -c:v mpeg2video -g 12 -bf 2 \
   -c:a mp2 -ac 1 -b:a 64k -f vob mono.mpg
# a numbered run: the program stream cut at arbitrary bytes into three files
head -c 40000 ps.mpg > run1.mpg
tail -c +40001 ps.mpg | head -c 33457 > run2.mpg
tail -c +73458 ps.mpg > run3.mpg

for f in open.m2v closed.m2v m1.m1v il.m2v enc.m2v pulldown.m2v ps.mpg ts.ts ts192.m2t mplex.mpg; do
  ff -i "$f" -map 0:v:0 -fps_mode passthrough -f rawvideo -pix_fmt yuv420p "$f.yuv"
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$f" |
    sed -n 1p | tr -dc 0-9 > "$f.count"
  ffprobe -v error -select_streams v:0 -show_entries frame=pict_type,top_field_first,repeat_pict -of csv=p=0 "$f" |
    grep -v '^$' > "$f.fields"
  ff -i "$f" -map 0:v:0 -c copy -f mpeg2video "$f.es"
done
echo "$sum" > "$stamp"
