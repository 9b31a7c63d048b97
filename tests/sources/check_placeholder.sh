#!/usr/bin/env bash
# The placeholder movie "MPGAVI" as the build generates it, read by ffprobe:
# 11,776 bytes; a 352 x 288 'vifp' video stream of one frame at 25 frames
# per second; 2,304 samples of 16-bit stereo PCM at 44,100 Hz.
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$1/resources/make_mpgavi.py" "$out/avi.avi"
probe=$(ffprobe -v error -show_entries \
  stream=codec_type,codec_tag_string,width,height,r_frame_rate,nb_frames,sample_rate,channels,bits_per_sample:format=size,nb_streams \
  -of compact=p=0 "$out/avi.avi")
expected="codec_type=video|codec_tag_string=vifp|width=352|height=288|r_frame_rate=25/1|nb_frames=1
codec_type=audio|codec_tag_string=[1][0][0][0]|sample_rate=44100|channels=2|bits_per_sample=16|r_frame_rate=0/0|nb_frames=2304
nb_streams=2|size=11776"
if [ "$probe" != "$expected" ]; then
  echo "ffprobe says:"; echo "$probe"; echo "expected:"; echo "$expected"
  exit 1
fi
# the RIFF: 11,334 + 8 bytes, then zero bytes
riff=$(od -An -tu4 -j4 -N4 "$out/avi.avi" | tr -d ' ')
[ "$riff" = 11334 ] || { echo "RIFF size $riff"; exit 1; }
[ -z "$(tail -c +11343 "$out/avi.avi" | tr -d '\0')" ] || { echo "bytes after the RIFF are not zero"; exit 1; }
echo "placeholder movie as expected"
