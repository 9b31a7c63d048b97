// The page-flip window, the media player and the OpenGL window have their
// classes registered at start, as the program always has; until their
// subsystems are part of the program their windows are plain windows.
#include "shell/main_window.h"

LRESULT CALLBACK PageFlipWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK MediaPlayerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK GlStereoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The built-in MPEG decoder registers itself here once it is part of the
// program (RegisterBuiltinMpegPlugin into g_mpegPlugin). Until then no
// plug-in record exists and MPEG files are refused by the opener.
void RegisterMpegDecoder()
{
}
