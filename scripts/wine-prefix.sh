#!/usr/bin/env bash
# Makes the private Wine prefix the program and its tests run in (once),
# and keeps the project's stand-in drivers installed in it (copied when
# they changed, registered once).
set -euo pipefail
. "$(dirname "$0")/env.sh"
twr_wine_env
if [ ! -f "$WINEPREFIX/.twr-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.twr-ready"
fi

# 64-bit Wine's debugger, started at a crash, waits for ever here instead of
# printing the backtrace and ending the process: a crashed test would hang
# until its time-out. In the 64-bit prefix a crash ends the process at once
# with its exception code ("Unhandled page fault ..." is still printed;
# run the program under `wine winedbg` for a backtrace).
if [ "$WINEARCH" = win64 ] && [ ! -f "$WINEPREFIX/.twr-no-debugger" ]; then
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d 'cmd.exe /c exit %ld %ld' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.twr-no-debugger"
fi

# The Motion-JPEG decompressor (standins/mjpeg_vfw) as "vidc.mjpg".
system32=$WINEPREFIX/drive_c/windows/system32
mjpg=$TWR_BUILD_WIN/standins/twrmjpg.dll
if [ -f "$mjpg" ]; then
  cmp -s "$mjpg" "$system32/twrmjpg.dll" || cp "$mjpg" "$system32/twrmjpg.dll"
  if [ ! -f "$WINEPREFIX/.twr-mjpg-registered" ]; then
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32' \
      /v vidc.mjpg /t REG_SZ /d twrmjpg.dll /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.twr-mjpg-registered"
  fi
fi

# Sound: the machines have no sound card, and waveOut opens only on a
# device. ALSA's default device for Wine discards what is played, or writes
# it raw to the file named by TWR_SOUND_CAPTURE (tests compare it).
asoundrc=$HOME/.asoundrc
want='pcm.!default {
  type plug
  slave.pcm {
    type file
    slave.pcm "null"
    file { @func getenv vars [ TWR_SOUND_CAPTURE ] default "/dev/null" }
    format "raw"
  }
}'
if [ "$(cat "$asoundrc" 2>/dev/null)" != "$want" ]; then
  printf '%s\n' "$want" >"$asoundrc"
fi
