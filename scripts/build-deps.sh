#!/usr/bin/env bash
# Cross-builds libjpeg-turbo (IJG 62 interface) and libtiff (with the static
# mingw zlib) from Debian's source packages for one Windows target (win32,
# the default, or win64) into .work/deps/<target>, as static libraries.
# Skipped when the same versions are already built.
set -euo pipefail
. "$(dirname "$0")/env.sh"
target=${1:-win32}
case "$target" in
  win32) triplet=i686-w64-mingw32 ;;
  win64) triplet=x86_64-w64-mingw32 ;;
  *) echo "usage: build-deps.sh [win32|win64]" >&2; exit 2 ;;
esac
toolchain=$(twr_toolchain "$target")
TWR_DEPS=$(twr_deps_dir "$target")

SUITE=bookworm
mkdir -p "$TWR_DEPS/src"
cd "$TWR_DEPS/src"

# the version the pinned suite offers, read from the .dsc name apt would fetch
# (from an empty folder: files already downloaded are not printed)
srcver() {
  (cd "$(mktemp -d)" && apt-get source --print-uris -qq "$1/$SUITE" 2>/dev/null) |
    awk -v p="$1" '$2 ~ /\.dsc$/ { v=$2; sub("^" p "_", "", v); sub(/\.dsc$/, "", v); print v; exit }'
}

build_one() {  # name, stamp version, configure args...
  local name=$1 ver=$2; shift 2
  local stamp=$TWR_DEPS/.$name.built
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$ver" ]; then
    return 0
  fi
  echo "build-deps: $name $ver"
  rm -rf "$name"-*/ "${name}"_*
  apt-get source -qq --download-only "$name/$SUITE" >/dev/null
  rm -rf "$name-src"
  dpkg-source -x "${name}_$ver.dsc" "$name-src" >/dev/null
  rm -rf "$name-build"
  cmake -S "$name-src" -B "$name-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$TWR_DEPS" -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_C_FLAGS="-O2 -msse2 -mfpmath=sse" "$@" >/dev/null
  cmake --build "$name-build" -j"$(nproc)" >/dev/null
  cmake --install "$name-build" >/dev/null
  echo "$ver" > "$stamp"
}

jpegver=$(srcver libjpeg-turbo)
tiffver=$(srcver tiff)
[ -n "$jpegver" ] && [ -n "$tiffver" ] || { echo "build-deps: no source packages (deb-src missing?)" >&2; exit 1; }

build_one libjpeg-turbo "$jpegver" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF \
  -DCMAKE_ASM_NASM_COMPILER=nasm

build_one tiff "$tiffver" \
  -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
  -Dcxx=OFF -Djpeg=OFF -Djbig=OFF -Dlerc=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlibdeflate=OFF \
  -Dzlib=ON -DZLIB_LIBRARY=/usr/$triplet/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$triplet/include
