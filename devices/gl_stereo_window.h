// The OpenGL quad-buffer window: the pair (laid over the main window's
// client area and driven by the main window's private messages) or one
// stereo movie file (a window of its own, framed or full screen), drawn as
// textures into the left and right back buffers of a stereo pixel format.
// It has no message loop of its own: the main loop serves it, and it stays
// open beside the main window until it is closed.
#ifndef TWR_DEVICES_GL_STEREO_WINDOW_H
#define TWR_DEVICES_GL_STEREO_WINDOW_H

#include "shared/wintypes.h"
#include "state/app_state.h"

// Opens the window over pair (a file when g_nPlaySource is not 0:
// pair->szName). 1 when it stands (g_bGLActive 1, g_hwndGL set), 0 when
// not: after the boxes of a failed creation, or silently when the file
// cannot be opened; nothing is left open then.
int CreateGlStereoWindow(HINSTANCE instance, StereoPair *pair);
// Releases the textures, the contexts and the window.
void DestroyGlStereoWindow();
// The display closed as by WM_CLOSE while not playing: the window
// destroyed and, for a file, the main window and its frame-position bar
// shown again; g_bGLActive 0.
void CloseGlStereoDisplay();
// The window procedure of the class "OpenGL".
LRESULT CALLBACK GlStereoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// One pass of playback; 0: call again (repeat), nonzero: stop.
int PlayGlPair();
int PlayGlFile();

// The window's keys (WM_KEYDOWN).
void OnGlStereoKey(HWND hwnd, WPARAM key);

// Tests: each creation step (GlCreateStep) is handed to the hook when
// set; false makes the step fail as the system's call would.
enum GlCreateStep {
    kGlStepWindow,
    kGlStepDeviceContext,
    kGlStepChooseFormat,
    kGlStepSetFormat,
    kGlStepCreateContext,
    kGlStepMakeCurrent,
};
extern bool (*g_pfnGlCreateStep)(GlCreateStep step);

#endif
