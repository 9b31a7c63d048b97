// Where a frame step's time goes, inside the program: the show-pair
// operation (fetch, hooks, composition) and the view's paint, timed apart
// for two movies opened as in the program (main window, view, commands).
//
// usage: show_pair_bench LEFT RIGHT STEPS
#include "bench/bench_frame_clock.h"
#include "pipeline/show_pair.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: show_pair_bench LEFT RIGHT STEPS\n");
        return 2;
    }
    int steps = atoi(argv[3]);
    g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
    RegisterAppClasses(g_hInst);
    lstrcpynA(g_szLeftName, argv[1], sizeof g_szLeftName);
    lstrcpynA(g_szRightName, argv[2], sizeof g_szRightName);
    double t0 = Now();
    HWND main = CreateWindowExA(0, "2REELS", "", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 900, nullptr, nullptr, g_hInst,
                                nullptr);
    double created = Now();
    g_hwndView = CreateWindowExA(0, "2REELSC", nullptr, WS_CHILD, 0, 0, 0, 0, main, nullptr, g_hInst, nullptr);
    ShowWindow(main, SW_SHOW);
    ShowWindow(g_hwndView, SW_SHOW);
    UpdateWindow(main);
    double shown = Now();
    printf("  %-52s %8.1f ms\n", "main window with both movies opened and shown", created - t0);
    printf("  %-52s %8.1f ms\n", "first paint of the pair", shown - created);
    static const struct {
        int command;
        const char *name;
    } modes[] = {{IDM_MODE_BLEND, "5 (side by side + blend)"}, {IDM_MODE_SIDE_BY_SIDE, "0 (side by side)"},
                 {IDM_MODE_ANAGLYPH, "2 (grey anaglyph)"}};
    for (const auto &m : modes) {
        SendMessageA(main, WM_COMMAND, m.command, 0);
        UpdateWindow(main);
        std::vector<double> show, paint;
        for (int i = 0; i < steps; i++) {
            g_nFrame = (g_nFrame + 1) % g_nFrameCount;
            double a = Now();
            ShowCurrentPair(&g_stereoPair);
            double b = Now();
            InvalidateRect(g_hwndView, nullptr, FALSE);
            UpdateWindow(g_hwndView);
            GdiFlush();
            double c = Now();
            show.push_back(b - a);
            paint.push_back(c - b);
        }
        printf("  mode %-24s show-pair %6.1f ms, paint %6.1f ms (medians of %d)\n", m.name, Median(show),
               Median(paint), steps);
    }
    DestroyWindow(main);
    return 0;
}
