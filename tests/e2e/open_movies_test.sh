#!/usr/bin/env bash
# Opens movies through the file dialogs and their panels, by dropping files
# and from the recent-file menu; the single side-by-side movie shows the
# same picture as the pair in mode 0.
set -euo pipefail
driver=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
media=$(realpath "$(dirname "$driver")")/media
"$here/stereo_media.sh" "$media"
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-open.XXXXXX")
trap 'rm -rf "$out"' EXIT
export MEDIA=$media
export MEDIA_WIN=$(printf 'Z:%s' "$media" | tr / '\\')
"$here/run_e2e.sh" --out "$out" "$driver" "$program" "$here/open_movies.e2e"
"$here/compare_view.py" 0 "$out/sbs_mode0.bmp" "$media/ref_hstack.rgb" 160 120
