#!/usr/bin/env bash
# Makes the movie sources' test media in the given folder, with what the
# independent tools say of them: <name>.probe (ffprobe's stream fields),
# <name>.packets (ffprobe's packets: stream, size, data position) and
# <name>.bgr (the frames decoded by ffmpeg as top-down bgr24). Skipped when
# the folder was made by this very script.
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
stamp=$(cat "$0" "$here/avi_writer.py" "$here/damage_avi.py" | sha1sum | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
writer() { python3 "$here/avi_writer.py" "$@"; }
src="-f lavfi -i testsrc2=size=64x48:rate=25"
snd="-f lavfi -i sine=frequency=440:sample_rate=44100"

ff $src $snd -t 0.4 -map 0:v -map 1:a -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le -ac 2 raw.avi
ff $src -t 0.4 -c:v rawvideo -pix_fmt bgr24 -flipped_raw_rgb 1 rawbu.avi
ff $src -t 0.4 -c:v cinepak cvid.avi
ff $src -t 0.4 -c:v cinepak -g 4 cvid_gop.avi  # key frames 0, 4, 8
ff $src -t 0.4 -c:v msvideo1 msvc.avi
ff $src $snd -t 0.4 -map 0:v -map 1:a -c:v mjpeg -q:v 2 -c:a pcm_u8 mjpg.avi
# A camera-style 3D-AVI: first eye, sound, second eye, with the parallax note.
ff $src -f lavfi -i "testsrc2=size=64x48:rate=25,hflip" -f lavfi -i sine=sample_rate=8000 -t 0.4 \
   -map 0:v -map 2:a -map 1:v -c:v mjpeg -q:v 2 -c:a pcm_s16le stereo3d.avi
writer fuji stereo3d.avi 2150 640 -330 480
ff -f lavfi -i testsrc2=size=720x576:rate=25 -t 0.08 -c:v dvvideo -pix_fmt yuv420p dvreal.avi
# Stereo layouts and turns: one frame each, and ffmpeg's own cuts of it.
ff -f lavfi -i testsrc2=size=30x12 -frames:v 1 -pix_fmt bgr24 -f rawvideo frame30x12.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf crop=15:12:0:0 -f rawvideo sbs_left.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf crop=15:12:15:0 -f rawvideo sbs_right.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf crop=30:6:0:0 -f rawvideo ou_top.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf crop=30:6:0:6 -f rawvideo ou_bottom.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf "select='not(mod(n,1))',il=l=d:c=d" -f rawvideo il_fields.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf transpose=clock -f rawvideo turn_cw.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf transpose=cclock -f rawvideo turn_ccw.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf hflip -f rawvideo mirror_h.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf vflip -f rawvideo mirror_v.bgr
ff -f rawvideo -pix_fmt bgr24 -s 30x12 -i frame30x12.bgr -vf "hflip,vflip" -f rawvideo turn_half.bgr
# YUY2 pixels and ffmpeg's conversion of them.
ff -f lavfi -i testsrc2=size=32x8 -frames:v 1 -pix_fmt yuyv422 -f rawvideo frame32x8.yuy2
ff -f rawvideo -pix_fmt yuyv422 -s 32x8 -i frame32x8.yuy2 -pix_fmt bgr24 -f rawvideo frame32x8.bgr

writer odml odml.avi
writer odml-noidx1 odml_noidx1.avi
writer odml-audiofirst odml_audiofirst.avi
writer odml-huge huge.avi
writer exact2g exact2g.avi
writer dv1 dv1.avi
writer dv1-norect dv1_norect.avi
writer dv2 dv2.avi
writer oneframe oneframe.avi
writer oneframe-db oneframe_db.avi
# One Motion-JPEG frame stored in a chunk whose id says uncompressed ('db').
ff -f lavfi -i testsrc2=size=64x48 -frames:v 1 -c:v mjpeg -f image2 one.jpg
writer onejpeg mjpg_db.avi one.jpg 00db
writer onejpeg mjpg_one.avi one.jpg 00dc
writer delta delta.avi
writer delta-trust delta_trust.avi
writer delta-noidx delta_noidx.avi
writer rate0 rate0.avi
writer scale0 scale0.avi
writer longlie longlie.avi

# Damaged copies: headers, formats, indexes and frames that lie.
damage() { python3 "$here/damage_avi.py" "$@"; }
damage streams=0 mjpg.avi streams0.avi
damage streams=0 raw.avi streams0_raw.avi
damage streams=3 mjpg.avi streams3.avi
damage soundrate0 mjpg.avi soundrate0.avi
damage soundrate0 raw.avi soundrate0_raw.avi
damage bits=32 raw.avi bits32.avi
damage bits=0 raw.avi bits0.avi
damage bits=7 raw.avi bits7.avi
damage colours=0 raw.avi pal8_none.avi
damage colours=1000000 raw.avi pal8_million.avi
damage idx1size=100 raw.avi idx1size100.avi
damage idx1size=100 mjpg.avi idx1size100_mjpg.avi
damage idx1past raw.avi idx1past.avi
damage idx1big raw.avi idx1big.avi
damage ixpast odml.avi ixpast.avi
damage ixbig odml.avi ixbig.avi
damage garbage mjpg.avi garbage_mjpg.avi
damage length=2147483647 mjpg.avi lengthlie_mjpg.avi
damage length=2147483647 raw.avi lengthlie_raw.avi

for f in raw rawbu cvid msvc mjpg stereo3d odml odml_noidx1 odml_audiofirst huge exact2g oneframe; do
  ffprobe -v error -show_streams -of flat "$f.avi" > "$f.probe"
  ffprobe -v error -show_packets -show_entries packet=stream_index,size,pos -of compact=p=0 "$f.avi" > "$f.packets"
done
for f in raw rawbu cvid cvid_gop msvc mjpg huge exact2g oneframe; do
  ff -i "$f.avi" -map 0:v -f rawvideo -pix_fmt bgr24 "$f.bgr"
done
# Motion-JPEG frames as libjpeg's own djpeg decodes them (ffmpeg's chroma
# upsampling differs by up to 135 levels at this picture's sharp edges).
djpeg_frames() {  # avi, stream, output
  local dir
  dir=$(mktemp -d)
  ff -i "$1" -map "0:$2" -c:v copy -f image2 "$dir/%04d.jpg"
  for j in "$dir"/*.jpg; do djpeg -ppm "$j"; done | python3 -c '
import sys
data = sys.stdin.buffer.read()
out = bytearray()
while data:
    head = data.split(b"\n", 3)
    w, h = map(int, head[1].split())
    body = head[3][:w * h * 3]
    for i in range(0, len(body), 3):
        out += bytes((body[i + 2], body[i + 1], body[i]))
    data = head[3][w * h * 3:]
sys.stdout.buffer.write(out)' > "$3"
  rm -rf "$dir"
}
djpeg_frames mjpg.avi 0 mjpg_djpeg.bgr
djpeg_frames stereo3d.avi 0 stereo3d_left.bgr
djpeg_frames stereo3d.avi 2 stereo3d_right.bgr
echo "$stamp" > .stamp
