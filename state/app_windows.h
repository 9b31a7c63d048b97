// The application state that holds Windows objects: module, window, menu,
// accelerator and cursor handles, the loaded plug-in modules and the two
// shared file-dialog records.
#ifndef TWR_STATE_APP_WINDOWS_H
#define TWR_STATE_APP_WINDOWS_H

#include "shared/wintypes.h"

#include <commdlg.h>

extern HINSTANCE g_hInst;
extern HINSTANCE g_hInstPlayer;  // the same instance, used by the media player, tool tips and spin controls
extern HWND g_hwndMain;          // the main window, owner of every message box
extern HWND g_hwndView;          // the view window
extern HWND g_hwndPosBar;        // the frame-position bar
extern HWND g_hPosScroll;        // its scroll bar (control 1044), moved by the long loops
extern HWND g_hwndMainToolbar, g_hwndFileToolbar;
extern HWND g_hwndPlayer;        // the media-player window while it exists
extern HWND g_hwndGL;            // the OpenGL quad-buffer window while it exists
extern HACCEL g_hAccel;
extern HMENU g_hMenu;
extern HCURSOR g_hCursorArrow, g_hCursorMove, g_hCursorSelect, g_hCursorNone;
extern HMODULE g_hPlugins[1];    // the loaded outside plug-ins (g_nPlugins of them)
extern OPENFILENAMEA g_ofnOpen, g_ofnSave;

#endif
