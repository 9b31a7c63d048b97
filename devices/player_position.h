// Where the played file or pair stands, shared by the keys of the
// Direct3D 7 player and the 3D Vision viewer: the current frame, the
// offsets that move the shown images, frame steps and the play that ends
// on the key help.
#ifndef TWR_DEVICES_PLAYER_POSITION_H
#define TWR_DEVICES_PLAYER_POSITION_H

#include <windows.h>

// The frame being shown and the last one: the file's, or the pair's
// (by g_nPlaySource).
int &PlayerCurrentFrame();
int PlayerLastFrame();
// The offsets the arrow keys move: the file's, or the pair's.
int &PlayerOffsetX();
int &PlayerOffsetY();
// 0-9 of a digit key (the main row or the number pad), else -1.
int PlayerDigit(WPARAM key);
// Moves the current frame by delta, stopping at the ends (or wrapping
// with repeat on): true when the frame is to be drawn.
bool StepPlayerFrame(int delta);

// How a window plays and draws its current picture (ctx is its own).
struct PlayerPlayback {
    int (*play)(void *ctx);         // one play loop: 0 play again, 1 stop
    int (*draw)(void *ctx);         // the still picture
    bool (*open)(void *ctx);        // the window is still there (null: always)
    void *ctx;
};
// Plays until a loop is stopped (a loop ends with 0 only when it reached
// the end with repeat on; fromStart: each from frame 0), then shows where
// it stopped with the key help. False when the window went meanwhile
// (nothing drawn then).
bool PlayThenShowHelp(const PlayerPlayback &p, bool fromStart);

#endif
