#!/usr/bin/env bash
# Runs every benchmark script beside it (bench/*.sh but this one, the
# output checksum scripts and the media makers they share), or the
# ones named on the command line. Each prints its figures beside the peer
# measured in the same run.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/build.sh"
. "$here/../scripts/env.sh"
echo "(the $TWR_WIN_TARGET Windows build)"
if [ $# -gt 0 ]; then
  scripts=("$@")
else
  scripts=()
  for s in "$here"/*.sh; do
    case "$(basename "$s")" in
      run.sh | *_sums.sh | *_media.sh) ;;
      *) scripts+=("$s") ;;
    esac
  done
fi
for s in "${scripts[@]}"; do
  echo "== $(basename "$s")"
  bash "$s"
done
