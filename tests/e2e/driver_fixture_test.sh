#!/usr/bin/env bash
# The driver's menu and clipboard steps against a small fixture window; the
# clipboard picture must arrive whole (4 x 2, its bytes as written).
set -euo pipefail
driver=$1
here=$(cd "$(dirname "$0")" && pwd)
fixture=$(dirname "$driver")/twr_e2e_fixture.exe
out=$(mktemp -d "${TMPDIR:-/tmp}/twr-fixture.XXXXXX")
trap 'rm -rf "$out"' EXIT
"$here/run_e2e.sh" --out "$out" "$driver" "$fixture" "$here/driver_fixture.e2e"
size=$(identify -format '%w %h' "$out/clip.bmp")
[ "$size" = "4 2" ] || { echo "clipboard picture is $size"; exit 1; }
# Bottom row first: bytes 0, 20, 40 ... as blue, green, red.
first=$(convert "$out/clip.bmp" -format '%[pixel:p{0,1}]' info:)
echo "clipboard picture $size, first stored pixel $first"
[ "$first" = "srgb(40,20,0)" ] || { echo "clipboard picture damaged"; exit 1; }
