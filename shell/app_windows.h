// The application state that holds Windows objects: window, menu and
// module handles.
#ifndef TWR_SHELL_APP_WINDOWS_H
#define TWR_SHELL_APP_WINDOWS_H

#include "shared/wintypes.h"

extern HINSTANCE g_hInst;
extern HWND g_hwndMain;  // the main window, owner of every message box

#endif
