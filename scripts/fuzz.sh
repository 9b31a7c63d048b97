#!/usr/bin/env bash
# Runs every libFuzzer target of the native build for a bounded time
# (TWR_FUZZ_SECONDS each, default 20) on its seed corpus. A crashing input
# is written into the target's corpus folder under tests/fuzz/corpus, where
# the target's ctest entry replays it from then on; the run then fails.
set -euo pipefail
. "$(dirname "$0")/env.sh"
seconds=${TWR_FUZZ_SECONDS:-20}
status=0
# The targets that hand a file name to a reader write their scratch files
# here; the run clears it, also after a crash.
export TMPDIR=$TWR_WORK/fuzz/tmp
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"
for fuzzer in $(find "$TWR_BUILD_NATIVE/tests" -type f -perm -u+x -name 'fuzz_*' | sort); do
  name=$(basename "$fuzzer")
  corpus=$TWR_TOP/tests/fuzz/corpus/$name
  work=$TWR_WORK/fuzz/$name
  mkdir -p "$corpus" "$work"
  echo "== fuzzing $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$corpus/crash-" \
       "$work" "$corpus" >"$work.log" 2>&1; then
    tail -n 40 "$work.log"
    status=1
  fi
done
rm -rf "$TMPDIR"
exit $status
