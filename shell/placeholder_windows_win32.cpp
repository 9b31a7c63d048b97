// The media player has its class registered at start, as the program
// always has; until its subsystem is part of the program its window is a
// plain window. The built-in MPEG decoder is registered as a plug-in at
// start.
#include "shell/main_window.h"

#include "mpeg/mpeg_plugin.h"

LRESULT CALLBACK MediaPlayerWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterMpegDecoder()
{
    RegisterBuiltinMpegPlugin(&g_mpegPlugin);
}
