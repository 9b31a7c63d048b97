// The media player and the OpenGL window have their
// classes registered at start, as the program always has; until their
// subsystems are part of the program their windows are plain windows. The
// built-in MPEG decoder is registered as a plug-in at start.
#include "shell/main_window.h"

#include "mpeg/mpeg_plugin.h"

LRESULT CALLBACK MediaPlayerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK GlStereoWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterMpegDecoder()
{
    RegisterBuiltinMpegPlugin(&g_mpegPlugin);
}
