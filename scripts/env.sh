# Shared paths and the environment the program and its tests run in.
# Sourced by the other scripts.
TWR_TOP=${TWR_TOP:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
TWR_WORK=${TWR_WORK:-$TWR_TOP/.work}          # everything generated, outside git
TWR_BUILD_WIN32=$TWR_WORK/build-win32          # the product: 32-bit Windows
TWR_BUILD_WIN64=$TWR_WORK/build-win64          # the same sources as 64-bit Windows
TWR_BUILD_NATIVE=$TWR_WORK/build-native
export TWR_TOP TWR_WORK TWR_BUILD_WIN32 TWR_BUILD_WIN64 TWR_BUILD_NATIVE

# Whether this machine executes 32-bit x86 code: some hosts run 64-bit user
# code only, and there wine32 cannot start at all. Asked of the machine by
# running a tiny i386 program (exit(42) through int 0x80), not guessed.
twr_runs_32bit() {
  local probe=$TWR_WORK/i386-probe
  mkdir -p "$TWR_WORK"
  if [ ! -x "$probe" ]; then
    # ELF header, one loadable segment, 12 bytes of code at 0x08048054.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'\
'\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'\
'\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe.tmp"
    chmod +x "$probe.tmp"
    mv "$probe.tmp" "$probe"
  fi
  # An i386 emulator registered with binfmt_misc would run it too, far too
  # slowly for Wine: that is not a machine that runs 32-bit code.
  local entry
  for entry in /proc/sys/fs/binfmt_misc/qemu-i386 /proc/sys/fs/binfmt_misc/qemu-i486; do
    [ -f "$entry" ] && head -n 1 "$entry" 2>/dev/null | grep -qx enabled && return 1
  done
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  [ "$rc" = 42 ]
}

# The Windows target the tests and the program run on: win32 (the product)
# where the machine runs 32-bit code, win64 where it does not.
# TWR_WIN_TARGET=win32|win64 forces either.
if [ -z "${TWR_WIN_TARGET:-}" ]; then
  if twr_runs_32bit; then TWR_WIN_TARGET=win32; else TWR_WIN_TARGET=win64; fi
fi
case "$TWR_WIN_TARGET" in
  win32) TWR_BUILD_WIN=$TWR_BUILD_WIN32 ;;
  win64) TWR_BUILD_WIN=$TWR_BUILD_WIN64 ;;
  *) echo "TWR_WIN_TARGET must be win32 or win64, not '$TWR_WIN_TARGET'" >&2; return 2 2>/dev/null || exit 2 ;;
esac
export TWR_WIN_TARGET TWR_BUILD_WIN

# Stops with a clear word when the chosen target cannot run here.
twr_check_target_runs() {
  if [ "$TWR_WIN_TARGET" = win32 ] && ! twr_runs_32bit; then
    echo "this machine runs 64-bit code only: the win32 build cannot run here (use TWR_WIN_TARGET=win64)" >&2
    exit 1
  fi
}

# Of one Windows target: its cross-built libjpeg and libtiff, its CMake
# toolchain file.
twr_deps_dir() { echo "$TWR_WORK/deps/$1"; }
twr_toolchain() { echo "$TWR_TOP/cmake/toolchain-mingw${1#win}.cmake"; }

# The environment of every Wine run: a private prefix of the target's
# kind, the target's Wine first on PATH, a scratch HOME (deletions with
# undo go to its Trash), Japanese code page 932, no installer pop-ups, no
# debug chatter.
twr_wine_env() {
  if [ "$TWR_WIN_TARGET" = win64 ]; then
    export WINEPREFIX=${WINEPREFIX:-$TWR_WORK/wineprefix64}
    export WINEARCH=win64
    # Debian's wine, wineserver and wineboot take the 32-bit loader whenever
    # wine32 is installed: these call the 64-bit one.
    case ":$PATH:" in *":$TWR_TOP/scripts/wine64:"*) ;; *) export PATH=$TWR_TOP/scripts/wine64:$PATH ;; esac
  else
    export WINEPREFIX=${WINEPREFIX:-$TWR_WORK/wineprefix}
    export WINEARCH=win32
  fi
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
  export HOME=$TWR_WORK/home
  mkdir -p "$HOME"
  export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
}

# Ends, by id, every process whose environment holds the line given
# (NAME=VALUE, a run's marker): runs share the Wine server, so only this
# run's processes may go.
twr_kill_tagged() {
  local marker=$1 pid env
  for env in /proc/[0-9]*/environ; do
    pid=${env#/proc/}; pid=${pid%/environ}
    [ "$pid" != "$$" ] || continue
    if { tr '\0' '\n' <"$env"; } 2>/dev/null | grep -qx "$marker"; then
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
}
