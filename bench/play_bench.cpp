// Playback in the view, measured inside the program: for each display
// mode, the pair played for a number of seconds as the play command plays
// it (main window, view, timer, sound device). Prints per mode: frames
// shown and skipped (g_nPlayDrops), the mean interval between shown frames
// beside the movie's frame duration, the time each shown frame took to
// fetch, adjust, compose and draw (from the end of the wait for its turn
// to the end of its drawing, median and 90th percentile) and the main
// thread's CPU time per shown frame.
//
// usage: play_bench LEFT RIGHT SECONDS
#include "bench/bench_frame_clock.h"
#include "pipeline/compose_settings.h"
#include "pipeline/play_clock.h"
#include "pipeline/play_pair.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    int frame;
    double at;
};
std::vector<Sample> s_frames;
int s_stopAfter = 0;
HWND s_main;

void OnFrame(int frame)
{
    s_frames.push_back(Sample{frame, Now()});
    if (frame >= s_stopAfter)
        PostMessageA(s_main, WM_COMMAND, IDM_STOP, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: play_bench LEFT RIGHT SECONDS\n");
        return 2;
    }
    double seconds = atof(argv[3]);
    g_hInst = g_hInstPlayer = GetModuleHandleA(nullptr);
    RegisterAppClasses(g_hInst);
    RegisterMpegDecoder();
    lstrcpynA(g_szLeftName, argv[1], sizeof g_szLeftName);
    lstrcpynA(g_szRightName, argv[2], sizeof g_szRightName);
    s_main = CreateWindowExA(0, "2REELS", "", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 900, nullptr, nullptr, g_hInst,
                             nullptr);
    g_hwndView = CreateWindowExA(0, "2REELSC", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, s_main, nullptr, g_hInst,
                                 nullptr);
    ShowWindow(s_main, SW_SHOW);
    SendMessageA(g_hwndView, WM_SIZE, 0, 0);
    UpdateWindow(s_main);
    if (!g_pLeft->bOpen || !g_pRight->bOpen) {
        printf("  the pair did not open\n");
        return 1;
    }
    g_bRepeat = 0;
    g_pfnPlayFrameHook = OnFrame;
    const MovieSource *m = g_pLeft;
    double frameMs = m->nRate ? (double)m->nScale * 1000.0 / m->nRate : 0;
    int frames = (int)(seconds * 1000.0 / frameMs + 0.5);
    if (frames > g_pLeft->nFrames)
        frames = g_pLeft->nFrames;
    printf("  %dx%d at %.3f frames/s, %d frames (%.1f s) per mode, view %s, sound %s\n", m->nWidth, m->nHeight,
           1000.0 / frameMs, frames, frames * frameMs / 1000.0, "fitted to 1280x900", m->pAudio ? "on" : "none");
    printf("  %-26s %6s %6s %9s %9s %9s %9s %9s\n", "mode", "shown", "drops", "interval", "(movie)", "work med",
           "work p90", "CPU/frame");
    static const struct {
        int command;
        const char *name;
    } modes[] = {
        {IDM_MODE_SIDE_BY_SIDE, "0 side by side"}, {IDM_MODE_OVER_UNDER, "1 over/under"},
        {IDM_MODE_ANAGLYPH, "2 grey anaglyph (fast)"}, {IDM_MODE_COLOUR_ANAGLYPH, "3 colour anaglyph"},
        {IDM_MODE_INTERLACE, "4 line interlace"},      {IDM_MODE_BLEND, "5 side by side + blend"},
        {IDM_MODE_CHROMA_KEY, "6 chroma key"},          {IDM_MODE_IZ3D, "7 iZ3D"},
    };
    for (const auto &mode : modes) {
        SendMessageA(s_main, WM_COMMAND, mode.command, 0);
        g_nZoom = 0;
        g_nFrame = 0;
        s_frames.clear();
        s_stopAfter = frames - 1;
        double cpu0 = ThreadCpuMs(), t0 = Now();
        SendMessageA(s_main, WM_COMMAND, IDM_PLAY_PAIR, 0);
        double cpu = ThreadCpuMs() - cpu0;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        // Frame k may start once the previous one is drawn and its turn,
        // k frames after the start, has come.
        std::vector<double> work;
        for (size_t i = 0; i < s_frames.size(); i++) {
            double turn = t0 + (s_frames[i].frame - s_frames[0].frame) * frameMs;
            double start = i ? std::max(s_frames[i - 1].at, turn) : t0;
            work.push_back(s_frames[i].at - start);
        }
        size_t n = s_frames.size();
        double interval = n > 1 ? (s_frames[n - 1].at - s_frames[0].at) / (double)(n - 1) : 0;
        printf("  %-26s %6zu %6d %7.1fms %7.1fms %7.1fms %7.1fms %7.1fms\n", mode.name, n, g_nPlayDrops, interval,
               frameMs, Percentile(work, 0.5), Percentile(work, 0.9), n ? cpu / (double)n : 0);
        fflush(stdout);
    }
    g_pfnPlayFrameHook = nullptr;

    // The parts of a frame's work, apart: the fetch of both frames (decode
    // and conversion to 24 bits) and the composition of each mode.
    // At the start and near the end of the movies (a cost that grows with
    // the position shows here).
    for (int from : {0, g_nFrameCount - 21}) {
        std::vector<double> fetch;
        for (int i = from; i < from + 20 && i >= 0 && i < g_nFrameCount; i++) {
            double a = Now();
            GetStereoFramePair(g_pLeft, g_pLeft->nStart + i, g_pRight, g_pRight->nStart + i);
            fetch.push_back(Now() - a);
        }
        printf("  fetch of both frames (decode, 24 bits) at frames %d-%d: median %.1f ms\n", from, from + 19,
               Percentile(fetch, 0.5));
    }
    PackedDib *l = g_pLeft->pCurrent, *r = g_pRight->pCurrent;
    PackedDib *out = CreateDib(2 * DibWidth(l), DibHeight(l), 24, 0);
    static const struct {
        const char *name;
        PackedDib *(*kernel)(const ComposeSettings &, PackedDib *, PackedDib *, PackedDib *, int, int, int, int);
        bool wide;
    } kernels[] = {{"2 fast grey anaglyph", ComposeFastAnaglyph, false},
                   {"3 colour anaglyph", ComposeColourAnaglyph, false},
                   {"4 interlace", ComposeInterlace, false},
                   {"5 blend", ComposeBlend, false},
                   {"6 chroma key", ComposeChromaKey, false},
                   {"7 iZ3D", ComposeIz3d, true}};
    const ComposeSettings cs = ComposeSettingsFromState();
    for (const auto &k : kernels) {
        BITMAPINFOHEADER *h = out;
        h->biWidth = k.wide ? 2 * DibWidth(l) : DibWidth(l);
        std::vector<double> t;
        for (int i = 0; i < 10; i++) {
            double a = Now();
            k.kernel(cs, out, l, r, 0, 0, 0, 0);
            t.push_back(Now() - a);
        }
        printf("  composition %-22s median %.1f ms\n", k.name, Percentile(t, 0.5));
    }
    FreeDib(out);
    DestroyWindow(s_main);
    return 0;
}
