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

// The layout of the view window for mode, the pair (playEye 0) or one eye,
// and a source of sourceW x sourceH (see ViewLayoutRequest), from its
// client area and screen position and the zoom, frame and mirror settings
// in force; the zoom drawn at and the pictures' rectangles are stored in
// g_nZoom, g_nViewImages and g_rcViewImage.
ViewLayout LayOutView(HWND view, int mode, int playEye, int sourceW, int sourceH);

// The view's help lines, white over a black shadow from the top left, as
// full screen shows them over the pair.
void DrawHelpOverlay(HDC dc);

// The frame of width g_nWaku drawn around picture p with brush.
void DrawFrameAround(HDC dc, const ViewRect &p, HBRUSH brush);

#endif
