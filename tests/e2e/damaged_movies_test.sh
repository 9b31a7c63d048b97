#!/usr/bin/env bash
# Damaged movies given on the command line, as the left movie beside a
# good right one and alone: the program reports the failing file with its
# text, keeps running with nothing open, and writes no history. The damaged
# copies are made here (tests/sources/damage_avi.py) from a small
# Motion-JPEG movie with sound and from the stereo media.
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
media=$(realpath "$(dirname "$driver")")/media
"$here/stereo_media.sh" "$media"
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-damaged.XXXXXX")
trap 'rm -rf "$out"' EXIT
damage() { python3 "$here/../sources/damage_avi.py" "$@"; }
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=160x120:rate=25 \
  -f lavfi -i sine=frequency=440:sample_rate=44100 -t 0.4 -c:v mjpeg -q:v 5 -pix_fmt yuvj420p \
  -c:a pcm_s16le "$out/base.avi"
damage streams=0 "$out/base.avi" "$out/streams0.avi"
damage soundrate0 "$out/base.avi" "$out/soundrate0.avi"
damage bits=32 "$media/scene_L.avi" "$out/bits32.avi"
damage idx1past "$media/scene_L.avi" "$out/idx1past.avi"
win() { printf 'Z:%s' "$1" | tr / '\\'; }

run() {  # damaged file, error text, alone|pair
  local name=$1 text=$2 how=$3 script=$out/steps.e2e
  {
    [ "$how" = alone ] && printf '%s\n' 'dialog "入力ステレオ形式の指定" 10000' 'click 1070'
    printf '%s\n' "dialog $name 10000" "text-is 1040 \"$text\"" 'answer ok' \
      'window 2REELS 10000' 'title-is "ツインリール"' 'menu-state IDM_CLEAR_HISTORY grayed' \
      'close' 'gone 5000' 'exit-code 0 5000'
  } >"$script"
  echo "== $name $how"
  if [ "$how" = alone ]; then
    "$here/run_e2e.sh" --limit 30 "$driver" "$program" "$script" "$(win "$out/$name")"
  else
    "$here/run_e2e.sh" --limit 30 "$driver" "$program" "$script" "$(win "$out/$name")" "$(win "$media/scene_R.avi")"
  fi
}

run streams0.avi "AVI情報が取得できません。" pair
run streams0.avi "AVI情報が取得できません。" alone
run soundrate0.avi "ストリーム情報が取得できません。" pair
run soundrate0.avi "ストリーム情報が取得できません。" alone
run bits32.avi "対応するコーデックがインストールされていません。" pair
run idx1past.avi "フレームのインデックス情報が取得できません。" alone
