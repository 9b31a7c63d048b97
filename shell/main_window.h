// The program's windows: the five window classes, the main window "2REELS"
// (its creation, layout and shutdown) and the one message loop.
#ifndef TWR_SHELL_MAIN_WINDOW_H
#define TWR_SHELL_MAIN_WINDOW_H

#include "devices/gl_stereo_window.h"
#include "shared/wintypes.h"

// Registers "2REELS", "2REELSC", "W3DWIN", "PLAYAVI" and "OpenGL".
bool RegisterAppClasses(HINSTANCE instance);

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Serves every window of the thread until WM_QUIT; returns its wParam. The
// main window's keys are translated unless the media player or the OpenGL
// window is in front.
int RunMessageLoop();
// Whether the main window's accelerators take the keys while this window
// is in front: not while the media player, the OpenGL window or a window
// they own is.
bool KeysGoToMainWindow(HWND front);

// The main window's size follows the pair just opened (after 2044, 2186).
void FitMainWindowToPair(HWND hwnd);

// Registers the built-in MPEG decoder as a plug-in (g_mpegPlugin).
void RegisterMpegDecoder();

#endif
