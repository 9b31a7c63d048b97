// One full-screen device's play measured inside the program (Windows
// only), shared by the benchmarks of the Direct3D 7 player and the 3D
// Vision viewer: the times of each shown frame, the driver that starts the
// play from the first frame (F3) and closes the window at its end, and the
// report.
#ifndef TWR_BENCH_FULLSCREEN_RUN_H
#define TWR_BENCH_FULLSCREEN_RUN_H

#include "bench/bench_desktop.h"
#include "bench/bench_frame_clock.h"
#include "devices/stereo_player_overlay.h"
#include "devices/stereo_player_state.h"
#include "sources/movie_source.h"
#include "sources/stereo_pair.h"
#include "state/app_state.h"
#include "state/app_windows.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

struct BenchFullscreenRun {
    struct Shown {
        PlayerFrameTimes times;
        double at;
    };
    std::vector<Shown> shown;
    std::atomic<int> count{0}, lastFrame{-1};
    // The played movie as the device saw it (its record is closed afterwards).
    int width = 0, height = 0;
    unsigned rate = 0, scale = 0;

    static BenchFullscreenRun &Get()
    {
        static BenchFullscreenRun run;
        return run;
    }

    // The device's frame-times hook.
    static void OnFrame(const PlayerFrameTimes &t)
    {
        BenchFullscreenRun &r = Get();
        if (r.shown.empty()) {
            const MovieSource *m = g_pPlayMovie ? g_pPlayMovie : g_pLeft;
            r.width = m->nWidth;
            r.height = m->nHeight;
            r.rate = m->nRate;
            r.scale = m->nScale;
        }
        r.shown.push_back(Shown{t, Now()});
        r.lastFrame = t.frame;
        r.count++;
    }

    // Starts the play once the device's window (of windowClass) is up, and
    // closes it once the play has come to its end (or stalled for two
    // seconds). Runs on a thread of its own.
    static void Drive(const char *windowClass)
    {
        BenchFullscreenRun &r = Get();
        DWORD until = GetTickCount() + 30000;
        HWND w = nullptr;
        while (!(w = FindWindowA(windowClass, nullptr)) && GetTickCount() < until)
            Sleep(20);
        if (!w)
            return;
        Sleep(1000);
        int lastFrame = g_nPlayFrames - 1;
        PostMessageA(w, WM_KEYUP, VK_F3, 0);
        WaitForPlayEnd(r.count, r.lastFrame, lastFrame);
        // The first Enter stops a loop still running, the second closes.
        for (int i = 0; i < 2 && IsWindow(w); i++) {
            Sleep(500);
            PostMessageA(w, WM_KEYUP, VK_RETURN, 0);
        }
    }

    // The command line "pair LEFT RIGHT WIDTH HEIGHT" or "file MOVIE WIDTH
    // HEIGHT [FORMAT]" (a format wanted: FORMAT required). The main window
    // opened (with the pair) and the play state the devices share set:
    // the screen size, the file's name, the first frame, no repeat, no
    // status line. Null when the line is neither (the usage printed) or
    // the pair did not open; *format is the format given (-1: none).
    static HWND Open(int argc, char **argv, bool formatWanted, const char *usage, bool *pair, int *format)
    {
        *pair = argc >= 6 && strcmp(argv[1], "pair") == 0;
        bool file = argc >= (formatWanted ? 6 : 5) && strcmp(argv[1], "file") == 0;
        if (!*pair && !file) {
            printf("%s", usage);
            return nullptr;
        }
        HWND main = *pair ? OpenBenchMainWindow(argv[2], argv[3]) : OpenBenchMainWindow(nullptr, nullptr);
        if (*pair && !(g_pLeft->bOpen && g_pRight->bOpen)) {
            printf("  the pair did not open\n");
            DestroyWindow(main);
            return nullptr;
        }
        g_n3DWidth = atoi(argv[*pair ? 4 : 3]);
        g_n3DHeight = atoi(argv[*pair ? 5 : 4]);
        *format = file && argc >= 6 ? atoi(argv[5]) : -1;
        g_nBunkatu = 0;
        g_bRepeat = 0;
        g_nFrame = 0;
        g_bShowInfo = 0;
        if (file)
            lstrcpynA(g_stereoPair.szName, argv[2], sizeof g_stereoPair.szName);
        return main;
    }

    // The device run on this thread while Drive plays it from another: the
    // CPU milliseconds of this thread meanwhile.
    template <class Device> static double Play(Device run, const char *windowClass)
    {
        std::thread driver(Drive, windowClass);
        double cpu0 = ThreadCpuMs();
        run(g_hInst, &g_stereoPair);
        double cpu = ThreadCpuMs() - cpu0;
        driver.join();
        return cpu;
    }

    double FrameMs() const { return rate ? (double)scale * 1000.0 / rate : 0; }

    // Frames shown and skipped, the mean interval, the CPU time (cpu ms of
    // the device's thread) a shown frame, and the median and 90th
    // percentile of each part of a frame: 0 when frames were shown, else 1.
    int Report(double cpu, const char *drawName, const char *presentName) const
    {
        size_t n = shown.size();
        std::vector<double> fetch, draw, present, total;
        for (const Shown &s : shown) {
            fetch.push_back(s.times.fetch);
            draw.push_back(s.times.compose);
            present.push_back(s.times.present);
            total.push_back(s.times.fetch + s.times.compose + s.times.present);
        }
        double interval = n > 1 ? (shown[n - 1].at - shown[0].at) / (double)(n - 1) : 0;
        printf("  shown %zu, skipped %d; interval %.1f ms (movie %.1f ms); CPU %.1f ms a shown frame\n", n,
               g_nDevicePlayDrops, interval, FrameMs(), n ? cpu / (double)n : 0);
        printf("  %-22s %8s %8s\n", "ms a frame", "median", "p90");
        const struct {
            const char *name;
            const std::vector<double> &v;
        } rows[] = {{"fetch", fetch}, {drawName, draw}, {presentName, present}, {"all", total}};
        for (const auto &row : rows)
            printf("  %-22s %8.1f %8.1f\n", row.name, Percentile(row.v, 0.5), Percentile(row.v, 0.9));
        return n > 0 ? 0 : 1;
    }
};

#endif
