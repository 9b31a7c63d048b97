// What the Direct3D 7 stereo player shares with the 3D Vision output
// without its Direct3D 7 framework: whether a player runs, the overlays
// drawn over a frame and the times of a played frame.
#ifndef TWR_DEVICES_STEREO_PLAYER_OVERLAY_H
#define TWR_DEVICES_STEREO_PLAYER_OVERLAY_H

#include "shared/wintypes.h"

// True from a player's start to its return (its window may be up).
bool StereoPlayerRunning();

// The status line and key help over a frame: kind 0 the nVidia player,
// kind 1 the 3D Vision output; and the formatted-file overlay.
void DrawPlayerOverlay(HDC dc, int kind);
void DrawNvidiaOverlay(HDC dc);

// Where a played frame's time went, in milliseconds: fetching and
// preparing the images, drawing or composing them into the work surface,
// and the blit with the present. Reported after each frame of a play loop
// when set (the benchmark).
struct PlayerFrameTimes {
    int frame;
    double fetch, compose, present;
};
extern void (*g_pfnPlayerFrameTimes)(const PlayerFrameTimes &times);

#endif
