// The media player's rules that need no window: its title, what a key
// does, the frame time, and the seek bar's arithmetic in milliseconds.
#ifndef TWR_SHELL_PLAYER_RULES_H
#define TWR_SHELL_PLAYER_RULES_H

#include <stddef.h>

// The file part of a path: after the last '\' or '/' (the whole name when
// there is none).
const char *PlayerFileTitle(const char *path);

// The window title with a clip: "%s [%s] %s%s%s" of the file part, the kind
// ("オーディオ" or "ビデオ", in the ANSI code page), "(消音)", "(停止中)" and
// "(Rate:%2.2f)" when the rate is not 1.0; "再生モード" without a clip
// (path null or empty). Cut to the buffer.
struct PlayerTitleState {
    const char *path;
    bool audioOnly, muted, paused;
    double rate;
};
void FormatPlayerTitle(char *out, size_t size, const PlayerTitleState &s);

// What a key of the player window does. The key is the virtual-key code
// upper-cased by the C library (so F2, 0x71 'q', acts as Q, and the
// keypad's 6, 0x66 'f', as F).
enum PlayerKeyAction {
    kPlayerKeyNone,
    kPlayerKeyFullScreen,  // Enter, F
    kPlayerKeyLeave,       // Esc, Q, X, F12: leave full screen, else close
    kPlayerKeyStep,        // Space, 1..9: frames in PlayerKey::frames
    kPlayerKeySlower,      // Left
    kPlayerKeyFaster,      // Right
    kPlayerKeyRateNormal,  // Down
    kPlayerKeySize,        // H, T, N, D: the size command in PlayerKey::command
    kPlayerKeyMute,        // M
    kPlayerKeyPlay,        // P
    kPlayerKeyPause,       // S
};
struct PlayerKey {
    PlayerKeyAction action;
    int frames;   // kPlayerKeyStep
    int command;  // kPlayerKeySize: 4005..4008
};
PlayerKey PlayerKeyFor(unsigned virtualKey);

// Milliseconds per frame from the average frame time in seconds (a failed
// read gives 0): clamped to 10..100.
int PlayerFrameMs(double secondsPerFrame, bool known);

// The seek bar "AVIPLAY": a range in milliseconds and a scroll bar in
// units of frameMs x scale (scale 10 for a long clip, more for clips long
// enough to pass the 16-bit thumb position even so).
struct SeekBarRange {
    int start, end, pos, scale;
};
// The range after an open: 0 .. length - 1; pos kept unless beyond.
void ResetSeekBar(SeekBarRange *bar, int clipLength, int frameMs, int seekMs);
// Scroll units of a position and of the end.
int SeekBarUnits(const SeekBarRange &bar, int ms, int frameMs);
// The new position after a WM_HSCROLL code (0..7; others leave it).
int SeekBarScroll(const SeekBarRange &bar, int code, int thumb, int frameMs);

#endif
