// The page-flip output: a topmost full-screen window in DirectDraw
// exclusive mode whose flip chain holds the left and the right image of
// each frame; the WinX3D driver alternates them in step with the shutter
// glasses. It shows the current pair or one stereo movie file, steps,
// shifts and swaps, plays with sound, and closes on Esc, Enter or loss of
// focus.
#ifndef TWR_DEVICES_PAGE_FLIP_WINDOW_H
#define TWR_DEVICES_PAGE_FLIP_WINDOW_H

#include "state/app_state.h"

// Creates the window over the pair (a file when g_nPlaySource is not 0:
// the pair's szName), runs its loop and returns 1 once it is closed.
int RunW3DWindow(StereoPair *pair);
LRESULT CALLBACK W3DWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
