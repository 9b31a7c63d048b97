// The frames of the Direct3D 7 stereo player, shared by its single draws
// and its play loops.
#ifndef TWR_DEVICES_STEREO_PLAYER_DRAW_H
#define TWR_DEVICES_STEREO_PLAYER_DRAW_H

#include "devices/stereo_player.h"

// One frame through the double-width surface: the file's g_nPlayFrame
// (pair false) or the pair's g_nFrame, both eye images side by side, the
// overlay, the NV3D signature, the blit onto the render target and the
// present. drawDibFlags go to the stretched file images; signatureBits
// are the bits per pixel the signature tells (0: the work surface's own
// depth, which only the pair's single draw writes). *work is the
// double-width surface: made here when null and left to the caller, who
// releases it (a play loop keeps one for all its steps: under Wine making
// a 3840 x 1080 surface and its DC costs about 50 ms, more than a frame's
// time); it is filled black before every frame. 0, 1 when the frame
// cannot be fetched, or the code that kept the work surface from being
// made.
int DrawPlayerStereoFrame(StereoApp &app, IDirectDrawSurface7 **work, bool pair, UINT drawDibFlags,
                          DWORD signatureBits, PlayerFrameTimes *times);

// One frame of the file in the display format g_nDispFormat. *work is the
// work surface: made here when null (large enough for the frame) and left
// to the caller, who releases it. single: the draw outside a play loop
// (the surface always starts black, the screen black under the overlay);
// in a loop the surface is filled black while g_nPlayerClear counts down.
// 0, 1 when the frame cannot be fetched, or the code that kept the work
// surface from being made.
int DrawPlayerFormattedFrame(StereoApp &app, IDirectDrawSurface7 **work, bool single, PlayerFrameTimes *times);

#endif
