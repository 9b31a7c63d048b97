#!/usr/bin/env bash
# Makes the demo stereo pair: demo_L.avi and demo_R.avi in the given folder,
# a synthetic scene of eight seconds seen by a left and a right camera
# (640 x 360, 25 frames per second, Motion-JPEG with 16-bit PCM sound).
# Three planes at three depths: a test pattern behind the screen (the right
# view shifted 4 pixels the other way), a fractal panel floating up and down
# just in front of it (6 pixels) and a gridded box swinging across the
# scene nearest to the viewer (20 pixels). Each movie has a tone of its own
# that beeps every second. Made again only when this script changed.
set -euo pipefail
out=${1:?usage: make-demo-pair.sh FOLDER}
stamp=$(sha1sum "$0" | cut -c1-16)
[ -f "$out/.stamp" ] && [ "$(cat "$out/.stamp")" = "$stamp" ] && [ -s "$out/demo_R.avi" ] && exit 0
mkdir -p "$out"
rm -f "$out/.stamp"
seconds=8

# One eye: the background crop, and the two objects' horizontal positions.
eye() {  # name, background crop x, panel x, box x offset, tone (Hz)
  ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "testsrc2=s=680x360:r=25,crop=640:360:$2:0" \
    -f lavfi -i "mandelbrot=s=140x140:r=25" \
    -f lavfi -i "color=c=0xE04020:s=90x90:r=25,drawgrid=w=15:h=15:t=2:c=white" \
    -f lavfi -i "sine=frequency=$5:beep_factor=4:sample_rate=44100" \
    -filter_complex "[0][1]overlay=x=$3:y='110+60*sin(2*PI*t/3)'[a];[a][2]overlay=x='$4+200*sin(2*PI*t/4)':y=200[v]" \
    -map '[v]' -map 3:a -t "$seconds" -c:v mjpeg -q:v 3 -pix_fmt yuvj420p -c:a pcm_s16le -ac 2 "$out/$1"
}
eye demo_L.avi 20 250 275 440
eye demo_R.avi 16 244 255 660
echo "$stamp" > "$out/.stamp"
