#!/usr/bin/env bash
# Builds the Windows program with its tests (cross) and the portable code
# with its tests natively under AddressSanitizer and UBSan.
#
# usage: build.sh [all|windows|win32|win64|native]
#   all      the 32-bit product, the Windows target this machine runs (when
#            that is win64) and the native build (the default)
#   windows  the Windows target this machine runs (TWR_WIN_TARGET)
#   win32, win64, native  that build alone
set -euo pipefail
. "$(dirname "$0")/env.sh"
jobs=$(nproc)

build_windows() {  # target, build folder
  local target=$1 dir=$2
  [ -f "$dir/build.ninja" ] ||
    cmake -S "$TWR_TOP" -B "$dir" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$(twr_toolchain "$target")" -DTWR_DEPS="$(twr_deps_dir "$target")" >/dev/null
  cmake --build "$dir" -j"$jobs"
}
build_native() {
  [ -f "$TWR_BUILD_NATIVE/build.ninja" ] ||
    CC=clang CXX=clang++ cmake -S "$TWR_TOP" -B "$TWR_BUILD_NATIVE" -G Ninja >/dev/null
  cmake --build "$TWR_BUILD_NATIVE" -j"$jobs"
}

case "${1:-all}" in
  all)
    build_windows win32 "$TWR_BUILD_WIN32"
    [ "$TWR_WIN_TARGET" = win32 ] || build_windows win64 "$TWR_BUILD_WIN64"
    build_native ;;
  windows) build_windows "$TWR_WIN_TARGET" "$TWR_BUILD_WIN" ;;
  win32) build_windows win32 "$TWR_BUILD_WIN32" ;;
  win64) build_windows win64 "$TWR_BUILD_WIN64" ;;
  native) build_native ;;
  *) sed -n '2,10p' "$0" >&2; exit 2 ;;
esac
