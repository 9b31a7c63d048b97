# Shared paths and the environment the program and its tests run in.
# Sourced by the other scripts.
TWR_TOP=${TWR_TOP:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
TWR_WORK=${TWR_WORK:-$TWR_TOP/.work}          # everything generated, outside git
TWR_DEPS=$TWR_WORK/deps                        # cross-built libjpeg, libtiff
TWR_BUILD_WIN=$TWR_WORK/build-win32
TWR_BUILD_NATIVE=$TWR_WORK/build-native
export TWR_TOP TWR_WORK TWR_DEPS TWR_BUILD_WIN TWR_BUILD_NATIVE

# The environment of every Wine run: a private 32-bit prefix, a scratch HOME
# (deletions with undo go to its Trash), Japanese code page 932, no installer
# pop-ups, no debug chatter.
twr_wine_env() {
  export WINEPREFIX=${WINEPREFIX:-$TWR_WORK/wineprefix}
  export WINEARCH=win32
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
  export HOME=$TWR_WORK/home
  mkdir -p "$HOME"
  export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
}
