# Sourced by the full-screen benchmarks: the 1920x1080 pair they play, at
# 29.97 frames/s with a tone, made once per length into a folder shared by
# them: mjpeg_L/R.avi (Motion-JPEG) and raw_L/R.avi (uncompressed BGR), the
# right camera 32 pixels beside the left. With "sbs", also the same pair as
# one side-by-side movie of each kind (mjpeg_SBS.avi, raw_SBS.avi).
#
# usage: make_fullscreen_pair DIR SECONDS [sbs]
make_fullscreen_pair() {
  local dir=$1 seconds=$2 sbs=${3:-}
  local frames=$((seconds * 30000 / 1001)) eye shift
  mkdir -p "$dir"
  ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
  if [ "$(cat "$dir/frames" 2>/dev/null)" != "$frames" ]; then
    rm -f "$dir"/*_SBS.avi
    for eye in L R; do
      shift=0
      [ $eye = R ] && shift=32
      ff -f lavfi -i "testsrc2=size=1952x1080:rate=30000/1001" -f lavfi -i "sine=frequency=440:sample_rate=48000" \
         -filter_complex "[0]crop=1920:1080:$shift:0[v]" -map '[v]' -map 1:a -frames:v $frames \
         -c:v mjpeg -q:v 4 -pix_fmt yuvj420p -c:a pcm_s16le -ac 2 -shortest "$dir/mjpeg_$eye.avi"
      ff -i "$dir/mjpeg_$eye.avi" -c:v rawvideo -pix_fmt bgr24 -c:a copy "$dir/raw_$eye.avi"
    done
    echo "$frames" >"$dir/frames"
  fi
  if [ -n "$sbs" ] && [ ! -f "$dir/raw_SBS.avi" ]; then
    ff -i "$dir/mjpeg_L.avi" -i "$dir/mjpeg_R.avi" -filter_complex "[0:v][1:v]hstack[v]" -map '[v]' -map 0:a \
       -c:v mjpeg -q:v 4 -pix_fmt yuvj420p -c:a copy "$dir/mjpeg_SBS.avi"
    ff -i "$dir/mjpeg_SBS.avi" -c:v rawvideo -pix_fmt bgr24 -c:a copy "$dir/raw_SBS.avi"
  fi
  return 0
}
