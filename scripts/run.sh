#!/usr/bin/env bash
# Sets up and builds when needed, makes the demo stereo pair and starts the
# program (the 32-bit product, or the 64-bit build on a machine that runs
# 64-bit code only; TWR_WIN_TARGET chooses) on it (or on the files given as arguments, Windows paths such as
# Z:\home\me\left.avi). Without a display it runs on a private Xvfb inside a
# Wine virtual desktop and saves a screenshot to .work/screenshot.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
. "$top/scripts/xvfb.sh"
twr_check_target_runs

"$top/scripts/setup.sh"
"$top/scripts/build.sh" windows
"$top/scripts/wine-prefix.sh"
twr_wine_env
exe=$TWR_BUILD_WIN/twinreel.exe

if [ $# -eq 0 ]; then
  demo=$TWR_WORK/demo
  "$top/scripts/make-demo-pair.sh" "$demo"
  win=$(printf 'Z:%s' "$demo" | tr / '\\')
  set -- "$win\\demo_L.avi" "$win\\demo_R.avi"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe" "$@"
fi

TWR_USE_DISPLAY= twr_start_xvfb
wine explorer /desktop=twinreel,1280x900 "$exe" "$@" >/dev/null 2>&1 &
app=$!
# The window's title: the pair line once the movies are shown, else the
# program's name.
for _ in $(seq 1 100); do
  sleep 0.2
  xwininfo -root -tree 2>/dev/null | grep -q -e '左映像' -e 'ツインリール' && break
done
sleep 1
shot=$TWR_WORK/screenshot.png
import -window root -crop 1280x900+0+0 +repage "$shot"
echo "screenshot: $shot"
wineserver -k || true
wait $app 2>/dev/null || true
