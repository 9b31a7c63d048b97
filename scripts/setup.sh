#!/usr/bin/env bash
# Installs everything a clean Debian 12 machine needs to build and test the
# program: the Debian packages, and the cross-built libjpeg-turbo and
# libtiff (no mingw packages exist for them). The 32-bit product is always
# built; the Wine that runs it is installed for the target this machine
# runs (env.sh): 32-bit Wine (with the i386 architecture) where the machine
# executes 32-bit code, 64-bit Wine and the x86-64 cross compilers where it
# does not. Safe to re-run: every step is skipped when its result is
# already there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/env.sh"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(
  # cross build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev libz-mingw-w64-dev cmake ninja-build make nasm pkgconf
  googletest dpkg-dev
  # native build of the portable code (sanitizers, fuzzers)
  g++ clang libclang-rt-14-dev libgtest-dev libjpeg62-turbo-dev
  # running and testing under Wine (the target's own Wine: below)
  wine xvfb xauth x11-utils x11-apps xdotool xclip
  fonts-ipafont-gothic locales
  # independent references and media makers
  ffmpeg imagemagick libtiff-tools libjpeg-turbo-progs libimage-exiftool-perl
  mjpegtools mpeg2dec twolame python3 python3-numpy
  # benchmarks: CPU time of the peers
  time
)

echo "setup: Windows tests run on the $TWR_WIN_TARGET build"
if [ "$TWR_WIN_TARGET" = win32 ]; then
  # 32-bit Wine with the GL stack that DirectDraw and Direct3D need.
  PACKAGES+=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386)
  # DirectShow (quartz) renders files only through GStreamer plug-ins of
  # Wine's own architecture; libav brings the H.264, AAC and MJPEG decoders.
  PACKAGES+=(gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-libav:i386)
  have_i386=$(dpkg --print-foreign-architectures | grep -cx i386 || true)
  if [ "$have_i386" = 0 ]; then
    $SUDO dpkg --add-architecture i386
    need_update=1
  fi
else
  # 64-bit Wine, the compilers of the 64-bit build and the GL stack.
  PACKAGES+=(wine64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
             binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
             libgl1 libgl1-mesa-dri libglx-mesa0
             gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# deb-src entries derived from the machine's own list (never a host of ours)
src_list=/etc/apt/sources.list.d/twinreel-src.sources
if [ ! -f "$src_list" ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $SUDO tee "$src_list" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/twinreel-src.list >/dev/null
    src_list=/etc/apt/sources.list.d/twinreel-src.list
  fi
  need_update=1
fi

if [ "${#missing[@]}" -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  $SUDO apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${#missing[@]} packages"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# the Japanese locale, so that Wine runs in code page 932
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

"$top/scripts/build-deps.sh" win32
[ "$TWR_WIN_TARGET" = win32 ] || "$top/scripts/build-deps.sh" "$TWR_WIN_TARGET"
