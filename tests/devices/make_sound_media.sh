#!/usr/bin/env bash
# Makes the full-screen sound tests' media in the given folder (once per
# content of this script): small uncompressed AVI movies with 44.1 kHz
# stereo noise (a different noise per channel) whose sound chunks have a
# chosen size, and ffmpeg's decode of each one's sound as s16le
# (<name>.pcm):
#   frame_chunks.avi  25 frames/s, 60 frames, one chunk of 1,764 samples
#                     per frame: every frame starts exactly where a chunk
#                     ends
#   odd_chunks.avi    30000/1001 frames/s, 60 frames, chunks of 1,000
#                     samples: frames start inside chunks, not on a
#                     sample boundary
#   long.avi          25 frames/s, 250 frames (10 s), chunks of 1,000
#                     samples
#   short.avi         25 frames/s, 4 frames
set -euo pipefail
out=$1
stamp=$(sha1sum "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"
# Both streams are cut by filters: cut by -frames:v, the muxer ends the
# sound wherever the input threads had got to, a length that varies from
# run to run.
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
movie() {  # name rate frames seconds samples-per-chunk seed
  ff -f lavfi -i testsrc2=size=16x16:rate=$2 \
     -f lavfi -i anoisesrc=r=44100:a=0.4:seed=$6 -f lavfi -i anoisesrc=r=44100:a=0.4:seed=$(($6 + 1)) \
     -filter_complex "[0:v]trim=end_frame=$3[v];[1][2]amerge=inputs=2,atrim=end=$4,asetnsamples=n=$5:p=0[a]" \
     -map '[v]' -map '[a]' -c:v rawvideo -pix_fmt bgr24 -c:a pcm_s16le $1.avi
  ff -i $1.avi -map 0:a -f s16le $1.pcm
}
movie frame_chunks 25 60 2.4 1764 1
movie odd_chunks 30000/1001 60 2.002 1000 3
movie long 25 250 10 1000 5
movie short 25 4 0.16 1000 7
echo "$stamp" > .stamp
