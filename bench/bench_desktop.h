// What the full-screen benchmarks share (Windows only): they run inside a
// virtual desktop of their own (scripts/run-in-desktop.sh), where the
// output and the exit code go to the files the script names, and they play
// through the program's own main window and view, opened on the pair given.
#ifndef TWR_BENCH_BENCH_DESKTOP_H
#define TWR_BENCH_BENCH_DESKTOP_H

#include "shell/main_window.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

inline void OpenDesktopLog()
{
    char out[MAX_PATH];
    if (GetEnvironmentVariableA("TWR_DESKTOP_LOG", out, sizeof out) > 0)
        freopen(out, "w", stdout);
}

inline void WriteDesktopStatus(int status)
{
    fflush(stdout);
    char statusFile[MAX_PATH];
    if (GetEnvironmentVariableA("TWR_DESKTOP_STATUS", statusFile, sizeof statusFile) > 0) {
        FILE *f = fopen(statusFile, "w");
        if (f) {
            fprintf(f, "%d\n", status);
            fclose(f);
        }
    }
}

// The main window with its view, the pair left/right opened by it (both
// null: nothing opened). Returns the main window.
inline HWND OpenBenchMainWindow(const char *left, const char *right)
{
    g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
    RegisterAppClasses(g_hInst);
    RegisterMpegDecoder();
    if (left && right) {
        lstrcpynA(g_szLeftName, left, sizeof g_szLeftName);
        lstrcpynA(g_szRightName, right, sizeof g_szRightName);
    }
    HWND main = CreateWindowExA(0, "2REELS", "", WS_OVERLAPPEDWINDOW, 0, 0, 1024, 768, nullptr, nullptr, g_hInst,
                                nullptr);
    g_hwndView = CreateWindowExA(0, "2REELSC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main, nullptr, g_hInst,
                                 nullptr);
    ShowWindow(main, SW_SHOW);
    SendMessageA(g_hwndView, WM_SIZE, 0, 0);
    UpdateWindow(main);
    return main;
}

// Waits until the frames reported (count, the last one's number in last)
// come within two of lastFrame, or stop coming for two seconds.
inline void WaitForPlayEnd(const std::atomic<int> &count, const std::atomic<int> &last, int lastFrame)
{
    int seen = -1;
    DWORD still = GetTickCount();
    while (last < lastFrame - 2) {
        Sleep(50);
        if (count != seen) {
            seen = count;
            still = GetTickCount();
        } else if (GetTickCount() - still > 2000) {
            break;
        }
    }
}

#endif
