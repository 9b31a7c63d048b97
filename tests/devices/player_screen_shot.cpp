// Shows one frame of a stereo movie file through the Direct3D 7 player and
// holds it on the screen until the screen has been read: the player starts
// on frame 0 (with the key help), Space brings frame 1 without it, then the
// file named READY is written and the program waits for the file named
// TAKEN before it closes the player with Esc. Run inside a virtual desktop
// (scripts/run-in-desktop.sh) by player_screen_test.sh.
//
// usage: player_screen_shot MOVIE WIDTH HEIGHT READY TAKEN
#include "devices/stereo_player.h"
#include "devices/stereo_player_state.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>
#include <vfw.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

void Drive(const char *ready, const char *taken)
{
    DWORD until = GetTickCount() + 30000;
    HWND w = nullptr;
    while (!(w = FindWindowA("nVidiaStereo", nullptr)) && GetTickCount() < until)
        Sleep(20);
    if (!w)
        return;
    Sleep(500);
    PostMessageA(w, WM_KEYDOWN, VK_SPACE, 0);
    while (g_nPlayFrame != 1 && GetTickCount() < until)
        Sleep(20);
    Sleep(500);
    if (FILE *f = fopen(ready, "w"))
        fclose(f);
    while (GetFileAttributesA(taken) == INVALID_FILE_ATTRIBUTES && GetTickCount() < until + 30000)
        Sleep(50);
    PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    char log[MAX_PATH], status[MAX_PATH];
    if (GetEnvironmentVariableA("TWR_DESKTOP_LOG", log, sizeof log) > 0)
        freopen(log, "w", stdout);
    int result = 2;
    if (argc >= 6) {
        g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
        AVIFileInit();
        g_nVidia = 1;
        g_nPlaySource = 1;
        g_nBunkatu = 0;
        g_nStr3D = 0;
        g_n3DWidth = atoi(argv[2]);
        g_n3DHeight = atoi(argv[3]);
        g_n3DBits = 32;
        g_bShowHelp = g_bShowInfo = 0;
        lstrcpynA(g_stereoPair.szName, argv[1], sizeof g_stereoPair.szName);
        std::thread driver(Drive, argv[4], argv[5]);
        RunNvidiaStereoPlayer(g_hInst, &g_stereoPair);
        driver.join();
        AVIFileExit();
        result = g_nPlayFrame == 1 ? 0 : 1;
        printf("frame shown: %d\n", g_nPlayFrame);
    }
    fflush(stdout);
    if (GetEnvironmentVariableA("TWR_DESKTOP_STATUS", status, sizeof status) > 0)
        if (FILE *f = fopen(status, "w")) {
            fprintf(f, "%d\n", result);
            fclose(f);
        }
    return result;
}
