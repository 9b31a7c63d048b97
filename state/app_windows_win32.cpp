#include "state/app_windows.h"

HINSTANCE g_hInst = nullptr;
HINSTANCE g_hInstPlayer = nullptr;
HWND g_hwndMain = nullptr;
HWND g_hwndView = nullptr;
HWND g_hwndPosBar = nullptr;
HWND g_hPosScroll = nullptr;
HWND g_hwndMainToolbar = nullptr, g_hwndFileToolbar = nullptr;
HWND g_hwndPlayer = nullptr;
HWND g_hwndGL = nullptr;
HACCEL g_hAccel = nullptr;
HMENU g_hMenu = nullptr;
HCURSOR g_hCursorArrow = nullptr, g_hCursorMove = nullptr, g_hCursorSelect = nullptr, g_hCursorNone = nullptr;
HMODULE g_hPlugins[1] = {nullptr};
OPENFILENAMEA g_ofnOpen, g_ofnSave;
