// The program's entry: the window classes, the built-in decoder, the two
// paths of the command line, the main window with its view, and the one
// message loop of the process.
#include "devices/named_texture.h"
#include "pipeline/view_window.h"
#include "shared/path_helpers.h"
#include "shared/platform_compat.h"
#include "shared/string_table.h"
#include "shared/wintypes.h"
#include "shell/command_line.h"
#include "shell/main_window.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <stdlib.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    if (!hPrevInstance && !RegisterAppClasses(hInstance))
        return 1;
    g_hInst = g_hInstPlayer = hInstance;
    atexit(DestroyTextureListHead);
    RegisterMpegDecoder();

    char slots[kCommandLineSlots][kCommandLineSlotBytes];
    SplitCommandLine(lpCmdLine ? lpCmdLine : "", slots);
    CopyPathText(g_szLeftName, sizeof g_szLeftName, slots[0]);
    CopyPathText(g_szRightName, sizeof g_szRightName, slots[1]);

    // The main window's creation sets the whole application up and opens the
    // command line's movies.
    HWND main = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELS", LoadStr(2305), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
    if (!main)
        return 1;
    g_hwndView = CreateWindowExA(WS_EX_ACCEPTFILES, "2REELSC", nullptr, WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, main, nullptr, hInstance, nullptr);
    ShowWindow(main, nCmdShow);
    ShowWindow(g_hwndView, nCmdShow);
    RaiseOwnedPopup(g_hwndPosBar);
    g_hAccel = LoadAcceleratorsA(hInstance, "2REELS");
    return RunMessageLoop();
}
