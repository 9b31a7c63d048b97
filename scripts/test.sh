#!/usr/bin/env bash
# From a fresh machine: installs what is needed, builds the 32-bit product,
# the Windows target this machine runs (the 64-bit build where it executes
# 64-bit code only) and the native build, and runs every test (native under
# the sanitizers, the Windows programs under Wine on a private X server),
# then the fuzzers for a bounded time. TWR_WIN_TARGET=win32|win64 chooses
# the Windows build the tests run on.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"
twr_check_target_runs

if twr_runs_32bit; then runs="runs 32-bit code"; else runs="runs 64-bit code only"; fi
echo "== this machine $runs: the Windows tests run on the $TWR_WIN_TARGET build ($TWR_BUILD_WIN)"

"$top/scripts/setup.sh"
"$top/scripts/build.sh"

echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
(cd "$TWR_BUILD_NATIVE" && ctest --output-on-failure -j"$(nproc)")
"$top/scripts/fuzz.sh"

echo "== Windows tests ($TWR_WIN_TARGET) under Wine"
exec "$top/scripts/ctest-windows.sh"
