#!/usr/bin/env bash
# Builds the Windows program with its tests (cross) and the portable code
# with its tests natively under AddressSanitizer and UBSan.
set -euo pipefail
. "$(dirname "$0")/env.sh"
jobs=$(nproc)

if [ "${1:-all}" != native ]; then
  [ -f "$TWR_BUILD_WIN/build.ninja" ] ||
    cmake -S "$TWR_TOP" -B "$TWR_BUILD_WIN" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$TWR_TOP/cmake/toolchain-mingw32.cmake" -DTWR_DEPS="$TWR_DEPS" >/dev/null
  cmake --build "$TWR_BUILD_WIN" -j"$jobs"
fi
if [ "${1:-all}" != win32 ]; then
  [ -f "$TWR_BUILD_NATIVE/build.ninja" ] ||
    CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$TWR_BUILD_NATIVE" -G Ninja >/dev/null
  cmake --build "$TWR_BUILD_NATIVE" -j"$jobs"
fi
