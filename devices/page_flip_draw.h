// Drawing into the page-flip window's flip chain: one frame of the file or
// of the pair (left image, then right image, each into a buffer the driver
// is not using, handed to it as that eye's surface), the overlay of status
// line and key help, and the play loops with their clock and sound.
#ifndef TWR_DEVICES_PAGE_FLIP_DRAW_H
#define TWR_DEVICES_PAGE_FLIP_DRAW_H

#include "devices/winx3d_driver.h"
#include "sources/movie_source.h"
#include "state/app_state.h"

// The current frame; 0 (also when flipping has not started), 1 when the
// frame could not be fetched or the pair's frames differ in size.
int DrawW3DFileFrame(HWND window, WinX3DContext *context, int device, MovieSource *movie);
int DrawW3DPairFrame(HWND window, WinX3DContext *context, int device, StereoPair *pair);
// From the current frame to the end: 0 when the end was reached with
// g_bRepeat on (the caller plays again from frame 0), 1 otherwise (also
// when stopped, failed or not flipping).
int PlayW3DFile(HWND window, WinX3DContext *context, int device, MovieSource *movie);
int PlayW3DPair(HWND window, WinX3DContext *context, int device, StereoPair *pair);
// Where a played frame's time went, in milliseconds: fetching and
// preparing both images, drawing each eye into its buffer (and handing it
// to the driver), and the driver's presents. Reported after each frame of
// a play loop when set (the benchmark).
struct W3DFrameTimes {
    int frame;
    double fetch, draw[2], present;
};
extern void (*g_pfnW3DFrameTimes)(const W3DFrameTimes &times);

// Status line (g_bW3DInfo) and key help (g_bW3DHelp) on one eye image.
void DrawW3DOverlay(HDC dc);

#endif
