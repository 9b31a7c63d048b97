#include "shell/app_windows.h"

HINSTANCE g_hInst = nullptr;
HWND g_hwndMain = nullptr;
