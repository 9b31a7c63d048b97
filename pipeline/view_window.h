// The view window (class "2REELSC"): the pair painted in the current
// display mode, zoom and fit, full screen, the trimming rectangle drawn and
// moved with the mouse, and clicks turned into play and cancel requests.
#ifndef TWR_PIPELINE_VIEW_WINDOW_H
#define TWR_PIPELINE_VIEW_WINDOW_H

#include "pipeline/view_layout.h"
#include "shared/wintypes.h"

LRESULT CALLBACK ViewWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A vertical line at x from top to bottom and a horizontal one at y from
// left to right; drawn with R2_NOT, a second call erases it.
void DrawCross(HDC dc, int x, int y, int left, int top, int right, int bottom);

// The view's help lines, white over a black shadow from the top left, as
// full screen shows them over the pair.
void DrawHelpOverlay(HDC dc);

// The frame of width g_nWaku drawn around picture p with brush.
void DrawFrameAround(HDC dc, const ViewRect &p, HBRUSH brush);

#endif
